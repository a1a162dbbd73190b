// The screen saver as the desktop announces it on its buses, through the library's
// exports: private buses started by the test stand in for the session bus and the
// system bus, and small services on them say what a locker and logind say.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include "inputhook/inputhook.h"
#include "inputhook/screen_saver.h"
#include "tests/inputhook/dbus_daemon.h"

namespace corvane::test {
namespace {

constexpr std::uint32_t kScreenSaver = WM_HOOK_SCREENSAVER;
constexpr int kReportWaitMs = 5000;
// How long a report that should not come is waited for, once the signals before it
// have been routed.
constexpr int kNoReportWaitMs = 500;

constexpr const char* kFreedesktop = "org.freedesktop.ScreenSaver";
constexpr const char* kGnome = "org.gnome.ScreenSaver";
constexpr const char* kXfce = "org.xfce.ScreenSaver";
constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kSession = "org.freedesktop.login1.Session";
// Session "7" as logind names its object: a leading digit is escaped.
constexpr const char* kOurSession = "/org/freedesktop/login1/session/_37";
constexpr const char* kOtherSession = "/org/freedesktop/login1/session/_38";

std::uint32_t NextReport(int fd, int timeoutMs = kReportWaitMs)
{
    pollfd wait{fd, POLLIN, 0};
    InputHookRecord record{};
    if (poll(&wait, 1, timeoutMs) != 1) return 0;
    if (recv(fd, &record, sizeof record, MSG_DONTWAIT) != static_cast<ssize_t>(sizeof record)) return 0;
    return record.message;
}

int ThreadCount()
{
    int count = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

// A connection to a private bus: the screen saver's or logind's side.
class CBusPeer {
public:
    explicit CBusPeer(const std::string& address)
    {
        sd_bus_new(&m_bus);
        sd_bus_set_address(m_bus, address.c_str());
        sd_bus_set_bus_client(m_bus, 1);
        EXPECT_GE(sd_bus_start(m_bus), 0) << address;
    }
    ~CBusPeer() { sd_bus_flush_close_unref(m_bus); }
    CBusPeer(const CBusPeer&) = delete;
    CBusPeer& operator=(const CBusPeer&) = delete;

    void Own(const char* name) { EXPECT_GE(sd_bus_request_name(m_bus, name, 0), 0) << name; }
    void ActiveChanged(const char* service, bool active, const char* path = "/org/freedesktop/ScreenSaver")
    {
        EXPECT_GE(sd_bus_emit_signal(m_bus, path, service, "ActiveChanged", "b", int{active}), 0);
        sd_bus_flush(m_bus);
    }
    void PropertyChanged(const char* path, const char* interface, const char* property, bool value)
    {
        sd_bus_message* message = nullptr;
        ASSERT_GE(sd_bus_message_new_signal(m_bus, &message, path, "org.freedesktop.DBus.Properties",
                                            "PropertiesChanged"),
                  0);
        sd_bus_message_append(message, "s", interface);
        sd_bus_message_open_container(message, 'a', "{sv}");
        sd_bus_message_append(message, "{sv}", property, "b", int{value});
        sd_bus_message_close_container(message);
        sd_bus_message_append(message, "as", 0);
        EXPECT_GE(sd_bus_send(m_bus, message, nullptr), 0);
        sd_bus_message_unref(message);
        sd_bus_flush(m_bus);
    }
    // Returns once the bus has routed everything this peer sent before.
    void RoundTrip()
    {
        sd_bus_message* reply = nullptr;
        EXPECT_GE(sd_bus_call_method(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                     "GetId", nullptr, &reply, ""),
                  0);
        sd_bus_message_unref(reply);
    }

private:
    sd_bus* m_bus = nullptr;
};

// A session bus and a system bus of the test's own, a socketpair registered with the
// library, no X display: only the buses can report. The screen saver's start is
// watched from StartCBT to StopCBT.
class DesktopBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!CDBusDaemon::Installed()) GTEST_SKIP() << "dbus-daemon is not installed";
        std::string error;
        ASSERT_TRUE(m_sessionBus.Start(&error)) << error;
        ASSERT_TRUE(m_systemBus.Start(&error)) << error;
        UseBuses(m_sessionBus.Address(), m_systemBus.Address());
        unsetenv("DISPLAY");
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, m_ends), 0);
        StopCBT();
        RegisterHookSendWindow(m_ends[1]);
    }
    void TearDown() override
    {
        StopCBT();
        RegisterHookSendWindow(-1);
        for (int fd : m_ends)
            if (fd >= 0) close(fd);
    }
    static void UseBuses(const std::string& session, const std::string& system)
    {
        setenv("DBUS_SESSION_BUS_ADDRESS", session.c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", system.c_str(), 1);
        setenv("XDG_SESSION_ID", "7", 1);
    }
    std::uint32_t Next(int timeoutMs = kReportWaitMs) { return NextReport(m_ends[0], timeoutMs); }

    CDBusDaemon m_sessionBus;
    CDBusDaemon m_systemBus;
    int m_ends[2] = {-1, -1};
};

TEST_F(DesktopBusTest, EachSourcesStartIsReportedOnceItsEndIsNot)
{
    CBusPeer saver(m_sessionBus.Address());
    for (const char* name : {kFreedesktop, kGnome, kXfce}) saver.Own(name);
    CBusPeer logind(m_systemBus.Address());
    logind.Own(kLogind);
    CBusPeer strangerOnSession(m_sessionBus.Address());
    CBusPeer strangerOnSystem(m_systemBus.Address());
    ASSERT_EQ(StartCBT(), 1);

    struct Step {
        std::function<void()> say;
        int reports;
        const char* what;
    } steps[] = {
        {[&] { saver.ActiveChanged(kFreedesktop, true); }, 1, "a locker starts"},
        {[&] { saver.ActiveChanged(kFreedesktop, true, "/ScreenSaver"); }, 0, "the same start on a second path"},
        {[&] { saver.ActiveChanged(kFreedesktop, false); }, 0, "the locker ends"},
        {[&] { saver.ActiveChanged(kFreedesktop, true); }, 1, "it starts again"},
        {[&] { saver.ActiveChanged(kGnome, true, "/org/gnome/ScreenSaver"); }, 1, "another desktop's locker"},
        {[&] { saver.ActiveChanged(kXfce, false, "/org/xfce/ScreenSaver"); }, 0, "an end without a start"},
        {[&] { saver.ActiveChanged(kXfce, true, "/org/xfce/ScreenSaver"); }, 1, "and a third's"},
        {[&] {
             strangerOnSession.ActiveChanged(kFreedesktop, false);
             strangerOnSession.ActiveChanged(kFreedesktop, true);
             strangerOnSession.RoundTrip();
         },
         0, "a program that is not the screen saver"},
        {[&] { logind.PropertyChanged(kOurSession, kSession, "IdleHint", true); }, 1, "the session turns idle"},
        {[&] { logind.PropertyChanged(kOurSession, kSession, "IdleHint", true); }, 0, "still idle"},
        {[&] { logind.PropertyChanged(kOurSession, kSession, "IdleHint", false); }, 0, "no longer idle"},
        {[&] { logind.PropertyChanged(kOurSession, kSession, "Active", true); }, 0, "another property"},
        {[&] { logind.PropertyChanged(kOurSession, "org.freedesktop.login1.User", "IdleHint", true); }, 0,
         "another interface"},
        {[&] { logind.PropertyChanged(kOtherSession, kSession, "IdleHint", true); }, 0, "another session"},
        {[&] {
             strangerOnSystem.PropertyChanged(kOurSession, kSession, "IdleHint", true);
             strangerOnSystem.RoundTrip();
         },
         0, "a program that is not logind"},
        {[&] { logind.PropertyChanged(kOurSession, kSession, "IdleHint", true); }, 1, "idle again"},
    };
    for (const Step& step : steps) {
        step.say();
        for (int i = 0; i < step.reports; ++i) EXPECT_EQ(Next(), kScreenSaver) << step.what;
    }
    // A report too many would have come before the last start's.
    EXPECT_EQ(Next(kNoReportWaitMs), 0u) << "a report beyond the starts";
}

// No bus, no logind, no display: the calls keep their results, and nothing runs or
// says a word.
TEST_F(DesktopBusTest, AbsentBusesCostNothing)
{
    StopCBT();
    UseBuses("unix:path=/nonexistent/session_bus", "unix:path=/nonexistent/system_bus");
    const int threads = ThreadCount();
    ::testing::internal::CaptureStderr();
    const int results[] = {StartCBT(), StartCBT(), StartKeyOrMouse(), StopKeyOrMouse(),
                           StopCBT(),  StopCBT(),  StartCBT(),        InputHookActivateScreenSaver()};
    EXPECT_EQ(std::vector<int>(std::begin(results), std::end(results)), (std::vector<int>{1, 0, 1, 1, 1, 1, 1, 0}));
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Next(0), 0u);
}

// The buses go away under a watching library: the program lives on, the calls keep
// their results, and the next start of detection finds the new buses.
TEST_F(DesktopBusTest, BusesThatStopBreakNothing)
{
    const int threads = ThreadCount();
    ASSERT_EQ(StartCBT(), 1);
    EXPECT_EQ(ThreadCount(), threads + 1);
    m_sessionBus.Stop();
    m_systemBus.Stop();
    for (int waits = 0; ThreadCount() > threads && waits < 500; ++waits) usleep(10 * 1000);
    EXPECT_EQ(ThreadCount(), threads) << "the watch ends with its buses";
    const int results[] = {StartCBT(), StopCBT(), StopCBT(), StartCBT()};
    EXPECT_EQ(std::vector<int>(std::begin(results), std::end(results)), (std::vector<int>{0, 1, 1, 1}));

    std::string error;
    ASSERT_TRUE(m_sessionBus.Start(&error)) << error;
    UseBuses(m_sessionBus.Address(), "unix:path=/nonexistent/system_bus");
    ASSERT_EQ(StopCBT(), 1);
    ASSERT_EQ(StartCBT(), 1);
    CBusPeer saver(m_sessionBus.Address());
    saver.Own(kGnome);
    saver.ActiveChanged(kGnome, true, "/org/gnome/ScreenSaver");
    EXPECT_EQ(Next(), kScreenSaver);
}

// A system bus that takes the connection and then answers nothing: StartCBT returns
// after a short bound, the session bus's starts are still reported, and StopCBT ends
// the watch at once.
TEST_F(DesktopBusTest, ABusThatHangsHoldsUpNothingElse)
{
    CBusPeer saver(m_sessionBus.Address());
    saver.Own(kXfce);
    m_systemBus.Pause(true);
    ASSERT_EQ(StartCBT(), 1);
    saver.ActiveChanged(kXfce, true, "/org/xfce/ScreenSaver");
    EXPECT_EQ(Next(), kScreenSaver);
    EXPECT_EQ(StopCBT(), 1);
    m_systemBus.Pause(false);
}

// Context switches of every thread but the main one (the test's, which sleeps).
long LibraryWakeUps()
{
    long total = 0;
    const std::string main = std::to_string(getpid());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == main) continue;
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("voluntary_ctxt_switches:") || line.starts_with("nonvoluntary_ctxt_switches:"))
                total += std::stol(line.substr(line.find(':') + 1));
        }
    }
    return total;
}

// Watching both buses with nothing happening: the watch thread never wakes.
TEST_F(DesktopBusTest, AnIdleWatchNeverWakes)
{
    const int threads = ThreadCount();
    ASSERT_EQ(StartCBT(), 1);
    ASSERT_EQ(ThreadCount(), threads + 1);
    usleep(200 * 1000);  // past the connection's handshake
    const long wakeUpsBefore = LibraryWakeUps();
    sleep(3);
    EXPECT_EQ(LibraryWakeUps() - wakeUpsBefore, 0);
}

}  // namespace
}  // namespace corvane::test
