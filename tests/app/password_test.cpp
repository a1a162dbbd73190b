// The configuration password and guards; the dialog tests drive the usual paths.

#include "app/core/password.h"

#include <tuple>

#include <gtest/gtest.h>

#include "app/core/config_guard.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"

namespace corvane::test {
namespace {

TEST(Password, EveryByteIsStoredOneHigherAndWrapsAt256)
{
    const std::string edge = {'\xff', 'z', '\0'};
    EXPECT_EQ(ScramblePassword(edge), std::string({'\0', '{', '\x01'}));
    EXPECT_EQ(UnscramblePassword(ScramblePassword(edge)), edge);
}

TEST(Password, AChangeNeedsTheCurrentPasswordAndTheSameNewOneTwice)
{
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    StorePassword(settings, "abc");
    EXPECT_FALSE(ChangePassword(settings, "abd", "x", "x", boxes));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "The current password specified is not correct.  In order to change the password, you must enter the "
              "current password.");
    EXPECT_EQ(boxes.shown[0].caption, "Password Validation Error");
    EXPECT_FALSE(ChangePassword(settings, "abc", "xyz", "xzy", boxes));
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(StoredPassword(settings), "abc");
}

TEST(ConfigGuard, EachAreaIsRefusedWithItsOwnTextOnlyWhileMonitoring)
{
    const std::tuple<ConfigArea, const char*, const char*> cases[] = {
        {ConfigArea::Modems, "You cannot configure modems while Corvane is monitoring.", "Configure Modem Error"},
        {ConfigArea::Pagers, "You cannot configure pagers while Corvane is monitoring.", "Configure Pager Error"},
        {ConfigArea::Services, "You cannot configure service providers while Corvane is monitoring.",
         "Configure Services Error"},
        {ConfigArea::Preferences, "You cannot configure preferences while Corvane is monitoring.",
         "Configure Preferences Error"},
    };
    for (const auto& [area, text, caption] : cases) {
        CRecordingMessageBox boxes;
        EXPECT_FALSE(RefuseWhileMonitoring(area, false, boxes));
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_TRUE(RefuseWhileMonitoring(area, true, boxes));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, text);
        EXPECT_EQ(boxes.shown[0].caption, caption);
        EXPECT_EQ(boxes.shown[0].icon, MbIcon::Warning);
    }
}

}  // namespace
}  // namespace corvane::test
