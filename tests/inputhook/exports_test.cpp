// The exports without a usable display: every call keeps its results and nothing is
// ever written.

#include <cstdlib>

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "inputhook/inputhook.h"
#include "inputhook/screen_saver.h"
#include "tests/inputhook/report_reader.h"

namespace corvane::test {
namespace {

class ExportsWithoutDisplayTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        if (*GetParam()) setenv("DISPLAY", GetParam(), 1);
        else unsetenv("DISPLAY");
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, m_ends), 0);
        StopCBT();
        StopKeyOrMouse();
    }
    void TearDown() override
    {
        StopCBT();
        StopKeyOrMouse();
        RegisterHookSendWindow(-1);
        close(m_ends[0]);
        close(m_ends[1]);
    }
    int m_ends[2] = {-1, -1};
};

TEST_P(ExportsWithoutDisplayTest, CallsKeepTheirResults)
{
    EXPECT_EQ(RegisterHookSendWindow(m_ends[1]), 1);
    EXPECT_EQ(StopCBT(), 1);  // stop without a start
    EXPECT_EQ(StopKeyOrMouse(), 1);
    EXPECT_EQ(StartCBT(), 1);
    EXPECT_EQ(StartCBT(), 0);
    EXPECT_EQ(StartKeyOrMouse(), 1);
    EXPECT_EQ(StartKeyOrMouse(), 0);
    EXPECT_EQ(InputHookActivateScreenSaver(), 0);
    EXPECT_EQ(StopKeyOrMouse(), 1);
    EXPECT_EQ(StopKeyOrMouse(), 1);
    EXPECT_EQ(StartKeyOrMouse(), 1);
    EXPECT_EQ(StopCBT(), 1);
    EXPECT_EQ(StartCBT(), 1);
    EXPECT_EQ(RegisterHookSendWindow(-1), 1);
    EXPECT_TRUE(ReportsWaiting(m_ends[0]).empty());
}

// No DISPLAY at all, and a display that names no server.
INSTANTIATE_TEST_SUITE_P(Displays, ExportsWithoutDisplayTest, ::testing::Values("", ":31999"));

}  // namespace
}  // namespace corvane::test
