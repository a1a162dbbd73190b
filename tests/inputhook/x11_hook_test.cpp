// The library against a real X server: Xvfb, driven by xset and xdotool.

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include "inputhook/inputhook.h"
#include "inputhook/screen_saver.h"
#include "tests/inputhook/report_reader.h"
#include "tests/inputhook/xvfb_server.h"

namespace corvane::test {
namespace {

// Reports come from another process's input through the X server: generous, since a
// report that is due arrives in milliseconds and only a failing test waits this long.
constexpr int kReportWaitMs = 5000;

class X11HookTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!CXvfbServer::Installed()) return;
        s_server = new CXvfbServer;
        if (!s_server->Start(&s_error)) return;
        setenv("DISPLAY", s_server->Display().c_str(), 1);
    }

    static void TearDownTestSuite()
    {
        StopCBT();
        StopKeyOrMouse();
        RegisterHookSendWindow(-1);
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        if (!CXvfbServer::Installed()) GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_FALSE(s_server->Display().empty()) << s_error;
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, m_ends), 0);
        StopCBT();
        StopKeyOrMouse();
        RegisterHookSendWindow(m_ends[1]);
        X({"xset", "s", "reset"});
        X({"xdotool", "mousemove", "640", "400"});
    }

    void TearDown() override
    {
        StopCBT();
        StopKeyOrMouse();
        RegisterHookSendWindow(-1);
        for (int fd : m_ends) {
            if (fd >= 0) close(fd);
        }
    }

    static void X(const std::vector<std::string>& args)
    {
        ASSERT_EQ(RunX11Client(s_server->Display(), args), 0) << args[0];
    }

    // The screen saver's start as a marker: the server sends events in order and the
    // library reports them in order, so when this is the next report, none of the input
    // before it was reported.
    void ExpectNothingBeforeScreenSaver()
    {
        X({"xset", "s", "reset"});
        X({"xset", "s", "activate"});
        EXPECT_EQ(NextReport(m_ends[0], kReportWaitMs), static_cast<std::uint32_t>(WM_HOOK_SCREENSAVER));
    }

    std::uint32_t Next() { return NextReport(m_ends[0], kReportWaitMs); }

    int m_ends[2] = {-1, -1};
    static CXvfbServer* s_server;
    static std::string s_error;
};

CXvfbServer* X11HookTest::s_server = nullptr;
std::string X11HookTest::s_error;

constexpr std::uint32_t kScreenSaver = WM_HOOK_SCREENSAVER;
constexpr std::uint32_t kActivity = WM_HOOK_ACTIVITY;

TEST_F(X11HookTest, ScreenSaverStartIsReported)
{
    ASSERT_EQ(StartCBT(), 1);
    X({"xset", "s", "activate"});
    EXPECT_EQ(Next(), kScreenSaver);
    // Its end is not a report.
    X({"xset", "s", "reset"});
    X({"xset", "s", "activate"});
    EXPECT_EQ(Next(), kScreenSaver);
}

TEST_F(X11HookTest, ActivateScreenSaverCallStartsIt)
{
    ASSERT_EQ(StartCBT(), 1);
    EXPECT_EQ(InputHookActivateScreenSaver(), 1);
    EXPECT_EQ(Next(), kScreenSaver);
}

TEST_F(X11HookTest, KeyPressIsActivity)
{
    ASSERT_EQ(StartKeyOrMouse(), 1);
    X({"xdotool", "key", "a"});
    EXPECT_EQ(Next(), kActivity);
    // The release of the key is no second report.
    ASSERT_EQ(StartCBT(), 1);
    ExpectNothingBeforeScreenSaver();
}

TEST_F(X11HookTest, FirstMoveOnlyRecordsThenADiagonalMoveIsActivity)
{
    ASSERT_EQ(StartCBT(), 1);
    ASSERT_EQ(StartKeyOrMouse(), 1);
    X({"xdotool", "mousemove_relative", "5", "5"});
    ExpectNothingBeforeScreenSaver();
    X({"xdotool", "mousemove_relative", "5", "5"});
    EXPECT_EQ(Next(), kActivity);
}

TEST_F(X11HookTest, MovesAlongOneAxisAreNotActivity)
{
    ASSERT_EQ(StartCBT(), 1);
    ASSERT_EQ(StartKeyOrMouse(), 1);
    X({"xdotool", "mousemove_relative", "5", "5"});
    for (int i = 0; i < 3; ++i) X({"xdotool", "mousemove_relative", "7", "0"});
    for (int i = 0; i < 2; ++i) X({"xdotool", "mousemove_relative", "--", "0", "-6"});
    ExpectNothingBeforeScreenSaver();
    X({"xdotool", "mousemove_relative", "--", "-4", "3"});
    EXPECT_EQ(Next(), kActivity);
}

TEST_F(X11HookTest, WarpsOfThePointerAreSeenToo)
{
    ASSERT_EQ(StartCBT(), 1);
    ASSERT_EQ(StartKeyOrMouse(), 1);
    X({"xdotool", "mousemove", "100", "100"});
    ExpectNothingBeforeScreenSaver();
    X({"xdotool", "mousemove", "300", "200"});
    EXPECT_EQ(Next(), kActivity);
}

TEST_F(X11HookTest, MoveIntoAnotherWindowIsNotActivity)
{
    Display* display = XOpenDisplay(s_server->Display().c_str());
    ASSERT_NE(display, nullptr);
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 400, 300, 200, 200, 0,
                                              0, 0);
    XMapWindow(display, window);
    XSync(display, False);

    ASSERT_EQ(StartCBT(), 1);
    ASSERT_EQ(StartKeyOrMouse(), 1);
    X({"xdotool", "mousemove", "100", "100"});  // over the root window: recorded
    X({"xdotool", "mousemove", "500", "400"});  // into the window, diagonally
    ExpectNothingBeforeScreenSaver();
    X({"xdotool", "mousemove", "520", "430"});  // inside it
    EXPECT_EQ(Next(), kActivity);
    X({"xdotool", "mousemove", "150", "120"});  // out again
    ExpectNothingBeforeScreenSaver();

    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

TEST_F(X11HookTest, StopKeyOrMouseEndsTheReports)
{
    ASSERT_EQ(StartCBT(), 1);
    ASSERT_EQ(StartKeyOrMouse(), 1);
    ASSERT_EQ(StopKeyOrMouse(), 1);
    X({"xdotool", "key", "a"});
    X({"xdotool", "mousemove_relative", "5", "5"});
    X({"xdotool", "mousemove_relative", "5", "5"});
    ExpectNothingBeforeScreenSaver();
}

TEST_F(X11HookTest, StopCbtEndsTheScreenSaverReports)
{
    ASSERT_EQ(StartCBT(), 1);
    ASSERT_EQ(StopCBT(), 1);
    ASSERT_EQ(StartKeyOrMouse(), 1);
    X({"xset", "s", "activate"});
    X({"xdotool", "key", "a"});
    EXPECT_EQ(Next(), kActivity);
    EXPECT_TRUE(ReportsWaiting(m_ends[0]).empty());
}

// No polling loop: with both watches on and nothing happening, the process (whose only
// other thread sleeps here) uses next to no processor time. A measurement with a
// generous bound, not a timing test.
TEST_F(X11HookTest, IdleLibraryUsesNoProcessorTime)
{
    ASSERT_EQ(StartCBT(), 1);
    ASSERT_EQ(StartKeyOrMouse(), 1);
    auto cpuSeconds = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    const double before = cpuSeconds();
    sleep(5);
    const double used = cpuSeconds() - before;
    RecordProperty("idle_cpu_seconds_in_5s", std::to_string(used));
    std::printf("processor time while idle for 5 s: %.4f s\n", used);
    EXPECT_LT(used, 0.2);
}

// The X server goes away under a running library: the program lives on, the calls
// keep their results, and the next start finds a new server.
TEST(X11HookServerTest, ServerThatGoesAwayDoesNotTakeTheProgramWithIt)
{
    if (!CXvfbServer::Installed()) GTEST_SKIP() << "Xvfb is not installed";
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends), 0);
    RegisterHookSendWindow(ends[1]);
    std::string error;
    {
        CXvfbServer first;
        ASSERT_TRUE(first.Start(&error)) << error;
        setenv("DISPLAY", first.Display().c_str(), 1);
        StopCBT();
        StopKeyOrMouse();
        ASSERT_EQ(StartCBT(), 1);
        ASSERT_EQ(StartKeyOrMouse(), 1);
    }  // stopped here
    // Its display number is free now and the next server started anywhere on this
    // machine may take it: the calls below must find no server at all.
    setenv("DISPLAY", ":31999", 1);
    usleep(300 * 1000);
    EXPECT_EQ(StopKeyOrMouse(), 1);
    EXPECT_EQ(StartKeyOrMouse(), 1);  // no server: nothing to watch, same result
    EXPECT_EQ(StartKeyOrMouse(), 0);
    EXPECT_EQ(InputHookActivateScreenSaver(), 0);

    CXvfbServer second;
    ASSERT_TRUE(second.Start(&error)) << error;
    setenv("DISPLAY", second.Display().c_str(), 1);
    EXPECT_EQ(StopCBT(), 1);
    EXPECT_EQ(StartCBT(), 1);
    ASSERT_EQ(RunX11Client(second.Display(), {"xset", "s", "activate"}), 0);
    EXPECT_EQ(NextReport(ends[0], kReportWaitMs), kScreenSaver);

    StopCBT();
    StopKeyOrMouse();
    RegisterHookSendWindow(-1);
    close(ends[0]);
    close(ends[1]);
}

}  // namespace
}  // namespace corvane::test
