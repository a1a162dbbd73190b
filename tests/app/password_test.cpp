// The configuration password and guards; the dialog tests drive the usual paths.

#include "app/core/password.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace corvane::test
