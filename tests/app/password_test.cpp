#include "app/core/password.h"

#include <gtest/gtest.h>

#include "app/core/config_guard.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"

namespace corvane::test {
namespace {

TEST(Password, EveryByteIsStoredOneHigherAndWrapsAt256)
{
    CMemorySettings settings;
    StorePassword(settings, "abc");
    EXPECT_EQ(settings.Get(key::Password), "bcd");
    EXPECT_EQ(StoredPassword(settings), "abc");

    std::string edge = {'\xff', 'z', '\0'};
    EXPECT_EQ(ScramblePassword(edge), std::string({'\0', '{', '\x01'}));
    EXPECT_EQ(UnscramblePassword(ScramblePassword(edge)), edge);

    StorePassword(settings, "");
    EXPECT_FALSE(HasPassword(settings));
}

TEST(Password, TheGuardAsksOnlyWhenAPasswordIsSetAndTheValidationWarnsOnAWrongOne)
{
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    int asked = 0;
    auto ask = [&] { return ++asked, false; };
    EXPECT_TRUE(PasswordAllows(settings, ask));
    EXPECT_EQ(asked, 0);

    StorePassword(settings, "secret");
    EXPECT_FALSE(PasswordAllows(settings, ask));  // Cancel abandons the command
    EXPECT_EQ(asked, 1);

    EXPECT_FALSE(ValidatePasswordEntry(settings, "Secret", boxes));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The password specified is invalid.");
    EXPECT_EQ(boxes.shown[0].caption, "Password Validation Error");
    EXPECT_EQ(boxes.shown[0].icon, MbIcon::Warning);
    EXPECT_TRUE(ValidatePasswordEntry(settings, "secret", boxes));
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST(Password, ThePasswordDialogNeedsTheCurrentPasswordOnlyWhenOneIsSet)
{
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    PasswordDialogRules none = PasswordRules(settings, "");
    EXPECT_FALSE(none.currentEnabled);
    EXPECT_TRUE(none.okEnabled);
    ASSERT_TRUE(ChangePassword(settings, "", "abc", "abc", boxes));
    EXPECT_EQ(settings.Get(key::Password), "bcd");

    EXPECT_TRUE(PasswordRules(settings, "").currentEnabled);
    EXPECT_FALSE(PasswordRules(settings, "ab").okEnabled);
    EXPECT_TRUE(PasswordRules(settings, "abc").okEnabled);

    EXPECT_FALSE(ChangePassword(settings, "abd", "x", "x", boxes));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "The current password specified is not correct.  In order to change the password, you must enter the "
              "current password.");
    EXPECT_EQ(boxes.shown[0].caption, "Password Validation Error");

    EXPECT_FALSE(ChangePassword(settings, "abc", "xyz", "xzy", boxes));
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(StoredPassword(settings), "abc");

    ASSERT_TRUE(ChangePassword(settings, "abc", "", "", boxes));  // an empty one removes the protection
    EXPECT_FALSE(HasPassword(settings));
}

TEST(ConfigGuard, EachAreaIsRefusedWithItsOwnTextOnlyWhileMonitoring)
{
    struct Case {
        ConfigArea area;
        const char* text;
        const char* caption;
    } cases[] = {
        {ConfigArea::Modems, "You cannot configure modems while Corvane is monitoring.", "Configure Modem Error"},
        {ConfigArea::Pagers, "You cannot configure pagers while Corvane is monitoring.", "Configure Pager Error"},
        {ConfigArea::Services, "You cannot configure service providers while Corvane is monitoring.",
         "Configure Services Error"},
        {ConfigArea::Preferences, "You cannot configure preferences while Corvane is monitoring.",
         "Configure Preferences Error"},
    };
    for (const Case& c : cases) {
        CRecordingMessageBox boxes;
        EXPECT_FALSE(RefuseWhileMonitoring(c.area, false, boxes));
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_TRUE(RefuseWhileMonitoring(c.area, true, boxes));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.text);
        EXPECT_EQ(boxes.shown[0].caption, c.caption);
        EXPECT_EQ(boxes.shown[0].icon, MbIcon::Warning);
    }
}

}  // namespace
}  // namespace corvane::test
