// The call monitor for real and in real time: corvaned monitoring by hand (-M), its monitor
// port on the caller-ID simulator's line, its page port on the paging central's. Calls
// ring, their reports arrive, and the pages land at the central with the exact text; the
// line vanishes and comes back.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "app/core/command_client.h"
#include "directory/message_texts.h"
#include "directory/pager_list.h"
#include "settings/ini_settings.h"
#include "settings/memory_settings.h"
#include "tests/sim/caller_id_reports.h"
#include "tests/sim/sim_process.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace corvane::test {
namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

class CallMonitorProcessTest : public ::testing::Test {
protected:
    CallMonitorProcessTest()
    {
        ::mkdir((home.path() + "run").c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", (home.path() + "run").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home.path() + "config").c_str(), 1);
        ::setenv("CORVANE_SYSCONFDIR", (home.path() + "etc").c_str(), 1);
        data.Write("MODEMS.DAT", "Hayes,M1Q0X4E0V1S7=255\n");
        MessageTexts texts;
        texts.callPrefix = "9";
        SaveMessages(data.File("MESSAGES.DAT"), texts);
        Set(key::MonitorPhone, "1");
        Set(key::NumberRings, "3");
        Set(key::DelaySeconds, "1");
        Set(key::PagePortBaud, "2400");
    }
    ~CallMonitorProcessTest() override
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    void Set(const SettingKey& key, const std::string& value) { CIniSettings(kTitle).Write(key, value); }

    // An alphanumeric pager behind the paging central, marked for call pages.
    PagerRecord& Pager(const std::string& name)
    {
        PagerRecord& p = *m_pagers.NewPager();
        p.UserName = name;
        p.PagerType = "1";
        p.PhoneNumber = "555-1212";
        p.PagerID = "1234";
        p.SystemPassword = "SECRET";
        p.WaitForConnection = "10";
        p.AutoPageFlags = kAutoCallMonitor;
        return p;
    }
    void SavePagers()
    {
        CMemorySettings settings;
        CRecordingMessageBox boxes;
        m_pagers.Save(DataFiles{data.path(), settings, boxes});
    }

    bool StartCentral(const std::string& script = "")
    {
        return central.Start(data.path(), "dial-reply-ms 300\nreply-delay-ms 50\ngo-ahead-delay-ms 100\n" + script);
    }
    // corvaned monitoring by hand, in the data folder, its message boxes in stderr.txt.
    void StartProgram()
    {
        const char* binaries = std::getenv("CORVANE_BINARY_DIR");
        std::vector<std::string> args = {std::string(binaries ? binaries : ".") + "/app/daemon/corvaned",
                                         "-K" + kTitle, "-W" + data.path(), "-M"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, data.File("stderr.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, data.path().c_str());
        ASSERT_EQ(posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_TRUE(Eventually([&] { return Answers(); })) << data.Read("stderr.txt");
    }
    bool Answers()
    {
        std::vector<std::string> topics;
        return CCommandClient(kTitle).Topics(topics, 200).status == CommandStatus::Ack;
    }

    template <class Predicate>
    static bool Eventually(Predicate done, std::chrono::milliseconds limit = 20s)
    {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for(50ms))
            if (done()) return true;
        return false;
    }
    // The monitor modem was opened and has answered its initialisation; a second later the
    // program reads the line (a ring before would have been taken by the initialisation).
    static bool Initialised(const sim::CSimProcess& sim)
    {
        const std::string transcript = sim.Transcript();
        const std::size_t command = transcript.rfind("\nCOMMAND ");
        if (command == std::string::npos || transcript.find("OK<CR><LF>", command) == std::string::npos) return false;
        std::this_thread::sleep_for(1200ms);
        return true;
    }

    // Rings with a report after the first, as a caller-ID modem has them.
    static Texts Call(const std::string& report, int rings)
    {
        Texts call = {"ring", "wait 300", "send " + sim::ToHex(report)};
        for (int i = 1; i < rings; ++i) call.insert(call.end(), {"wait 1000", "ring"});
        return call;
    }
    static void Send(sim::CSimProcess& sim, const Texts& directives)
    {
        for (const std::string& d : directives) ASSERT_TRUE(sim.Send(d));
    }

    const std::string kTitle = "CallMonitorTest";
    CTempDir home;
    CTempDir data;
    CPagerList m_pagers;
    sim::CSimProcess central;
    sim::CSimProcess line{"callerid-sim", "cid"};
    pid_t m_pid = -1;
};

TEST_F(CallMonitorProcessTest, ThreeRingsAndAReportPageTheCallPagersWithTheExactText)
{
    ASSERT_TRUE(StartCentral("password SECRET\n"));
    ASSERT_TRUE(line.Start(data.path(), ""));
    Set(key::PagePort, central.Line());
    Set(key::MonitorPort, line.Line());
    Pager("Alpha");
    Pager("Other").AutoPageFlags = 0;
    SavePagers();
    StartProgram();
    ASSERT_TRUE(Eventually([&] { return Initialised(line); })) << data.Read("stderr.txt");

    Send(line, Call(sim::KeywordReport("5551234567", "JOHN SMITH"), 3));
    ASSERT_TRUE(Eventually([&] { return central.Records("PAGE").size() == 1; })) << central.Transcript();
    const std::string text = R"(9 \d\d:\d\d  Caller Number = \(555\)123-4567  Caller Name =  JOHN SMITH)";
    const std::string page = central.Records("PAGE").at(0);
    EXPECT_TRUE(std::regex_match(page, std::regex("1234\t" + text))) << page;
    ASSERT_TRUE(Eventually([&] { return data.Read("log.txt").find("Alpha: 9 ") != std::string::npos; }));
    const std::string logged = data.Read("log.txt");
    EXPECT_TRUE(std::regex_match(logged, std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d[AP]M Alpha: )" + text + "\n")))
        << logged;

    EXPECT_EQ(data.Read("errorlog.txt"), "");
    EXPECT_EQ(data.Read("stderr.txt"), "");
}

TEST_F(CallMonitorProcessTest, AModemThatVanishesMidReportIsLetGoAndTakenBackAndABlockedCallPagesSo)
{
    ASSERT_TRUE(StartCentral("password SECRET\n"));
    ASSERT_TRUE(line.Start(data.path(), ""));
    Set(key::PagePort, central.Line());
    Set(key::MonitorPort, line.Line());
    Pager("Alpha");
    SavePagers();
    StartProgram();
    ASSERT_TRUE(Eventually([&] { return Initialised(line); }));

    const std::string report = sim::KeywordReport("5551234567", "JOHN SMITH");
    Send(line, {"ring", "send " + sim::ToHex(report.substr(0, 30)), "vanish"});
    ASSERT_TRUE(line.WaitForExit(5000));
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(Answers());

    // Plugged in again: within ten seconds the program has it back, and calls page again.
    sim::CSimProcess back{"callerid-sim", "cid"};
    ASSERT_TRUE(back.Start(data.path(), ""));
    ASSERT_TRUE(Eventually([&] { return Initialised(back); }, 15s)) << data.Read("stderr.txt");
    // This call withholds its number: a single data message written out in hexadecimal.
    Send(back, Call(sim::HexText(sim::SingleDataMessage("04121804", "P")), 3));
    ASSERT_TRUE(Eventually([&] { return central.Records("PAGE").size() == 1; })) << central.Transcript();
    EXPECT_TRUE(std::regex_match(central.Records("PAGE").at(0),
                                 std::regex(R"(1234	9 \d\d:\d\d  Caller Number = Blocked by Caller)")))
        << central.Records("PAGE").at(0);
}

}  // namespace
}  // namespace corvane::test
