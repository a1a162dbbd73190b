// The library without a display, and against a real X server (Xvfb, driven by xset and
// xdotool).

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "inputhook/inputhook.h"
#include "inputhook/screen_saver.h"
#include "tests/inputhook/xvfb_server.h"

#include <X11/Xlib.h>  // last: it defines None

namespace corvane::test {
namespace {

constexpr std::uint32_t kScreenSaver = WM_HOOK_SCREENSAVER;
constexpr std::uint32_t kActivity = WM_HOOK_ACTIVITY;
// Reports come from another process's input through the X server: generous, since a
// report that is due arrives in milliseconds and only a failing test waits this long.
constexpr int kReportWaitMs = 5000;

// The next report on fd, waiting at most timeoutMs; 0 when none came.
std::uint32_t NextReport(int fd, int timeoutMs = kReportWaitMs)
{
    pollfd wait{fd, POLLIN, 0};
    InputHookRecord record{};
    if (poll(&wait, 1, timeoutMs) != 1) return 0;
    if (recv(fd, &record, sizeof record, MSG_DONTWAIT) != static_cast<ssize_t>(sizeof record)) return 0;
    return record.message;
}

// A socketpair registered with the library, both watches stopped before and after.
class CRegisteredPair {
public:
    CRegisteredPair()
    {
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends), 0);
        StopCBT();
        StopKeyOrMouse();
        RegisterHookSendWindow(ends[1]);
    }
    ~CRegisteredPair()
    {
        StopCBT();
        StopKeyOrMouse();
        RegisterHookSendWindow(-1);
        close(ends[0]);
        close(ends[1]);
    }
    int ends[2] = {-1, -1};
};

// First in the program, before any test has connected the library to a server: no
// DISPLAY at all, and a display that names no server.
TEST(ExportsWithoutDisplayTest, CallsKeepTheirResultsAndNothingIsPosted)
{
    for (const char* display : {"", ":31999"}) {
        if (*display) setenv("DISPLAY", display, 1);
        else unsetenv("DISPLAY");
        CRegisteredPair pair;
        const int results[] = {RegisterHookSendWindow(pair.ends[1]), StopCBT(), StopKeyOrMouse(), StartCBT(),
                               StartCBT(), StartKeyOrMouse(), StartKeyOrMouse(), StopKeyOrMouse(), StopKeyOrMouse(),
                               StartKeyOrMouse(), StopCBT(), StartCBT(), InputHookActivateScreenSaver()};
        EXPECT_EQ(std::vector<int>(std::begin(results), std::end(results)),
                  (std::vector<int>{1, 1, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1, 0}))
            << display;
        EXPECT_EQ(RegisterHookSendWindow(-1), 1);
        EXPECT_EQ(NextReport(pair.ends[0], 0), 0u) << display;
    }
}

class X11HookTest : public ::testing::Test {
protected:
    // One server for the suite; stopped at its end, so that the library's connection
    // to it ends too.
    static void SetUpTestSuite()
    {
        if (!CXvfbServer::Installed()) return;
        s_server = new CXvfbServer;
        if (s_server->Start(&s_error)) setenv("DISPLAY", s_server->Display().c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override
    {
        if (!CXvfbServer::Installed()) GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_FALSE(s_server->Display().empty()) << s_error;
        m_pair = std::make_unique<CRegisteredPair>();
        X({"xset", "s", "reset"});
        X({"xdotool", "mousemove", "640", "400"});
    }
    void TearDown() override { m_pair.reset(); }

    static void X(const std::vector<std::string>& args)
    {
        ASSERT_EQ(RunX11Client(s_server->Display(), args), 0) << args[0];
    }
    void Moves(std::vector<std::pair<const char*, const char*>> moves)
    {
        for (auto [dx, dy] : moves) X({"xdotool", "mousemove_relative", "--", dx, dy});
    }
    std::uint32_t Next() { return NextReport(m_pair->ends[0]); }
    // The screen saver's start as a marker: the server sends events in order and the
    // library reports them in order, so when this is the next report, none of the input
    // before it was reported.
    void ExpectNothingBeforeScreenSaver()
    {
        X({"xset", "s", "reset"});
        X({"xset", "s", "activate"});
        EXPECT_EQ(Next(), kScreenSaver);
    }

    std::unique_ptr<CRegisteredPair> m_pair;
    static CXvfbServer* s_server;
    static std::string s_error;
};
CXvfbServer* X11HookTest::s_server = nullptr;
std::string X11HookTest::s_error;

TEST_F(X11HookTest, ScreenSaverStartAndTheActivateCallAreReportedItsEndIsNot)
{
    ASSERT_EQ(StartCBT(), 1);
    X({"xset", "s", "activate"});
    EXPECT_EQ(Next(), kScreenSaver);
    X({"xset", "s", "reset"});
    EXPECT_EQ(InputHookActivateScreenSaver(), 1);
    EXPECT_EQ(Next(), kScreenSaver);
}

TEST_F(X11HookTest, MoveIntoAnotherWindowIsNotActivity)
{
    Display* display = XOpenDisplay(s_server->Display().c_str());
    ASSERT_NE(display, nullptr);
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 400, 300, 200, 200, 0, 0, 0);
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

TEST_F(X11HookTest, TheStopsEndTheirReports)
{
    ASSERT_EQ(StartCBT(), 1);
    ASSERT_EQ(StartKeyOrMouse(), 1);
    ASSERT_EQ(StopKeyOrMouse(), 1);
    X({"xdotool", "key", "a"});
    Moves({{"5", "5"}, {"5", "5"}});
    ExpectNothingBeforeScreenSaver();

    ASSERT_EQ(StopCBT(), 1);
    ASSERT_EQ(StartKeyOrMouse(), 1);
    X({"xset", "s", "activate"});
    X({"xdotool", "key", "a"});
    EXPECT_EQ(Next(), kActivity);
    EXPECT_EQ(NextReport(m_pair->ends[0], 0), 0u);
}

// The X server goes away under a running library: the program lives on, the calls
// keep their results, and the next start finds a new server.
TEST(X11HookServerTest, ServerThatGoesAwayDoesNotTakeTheProgramWithIt)
{
    if (!CXvfbServer::Installed()) GTEST_SKIP() << "Xvfb is not installed";
    std::string error;
    CRegisteredPair pair;
    {
        CXvfbServer first;
        ASSERT_TRUE(first.Start(&error)) << error;
        setenv("DISPLAY", first.Display().c_str(), 1);
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
    EXPECT_EQ(NextReport(pair.ends[0]), kScreenSaver);
}

}  // namespace
}  // namespace corvane::test
