// corvaned in real time on a data folder with a scheduled page: the call to the paging
// central (its own process, across a pseudo-terminal) begins at the page's time, the page
// is delivered and logged, and the one-time schedule leaves SCHEDS.DAT.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <fstream>
#include <thread>

#include "directory/pager_list.h"
#include "pim/schedule_file.h"
#include "settings/memory_settings.h"
#include "tests/sim/sim_process.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace corvane::test {
namespace {

using namespace std::chrono_literals;

TEST(DaemonScheduleTest, AScheduledPageReachesThePagingCentralOnTimeAndLeavesTheFile)
{
    CTempDir home, data;
    for (const char* sub : {"run", "config", "etc", "etc/Tarnwick", "sim"}) ::mkdir((home.path() + sub).c_str(), 0700);
    sim::CSimProcess central;
    ASSERT_TRUE(central.Start(home.File("sim/"), "dial-reply-ms 200\nreply-delay-ms 50\ngo-ahead-delay-ms 100\n"));
    std::ofstream(home.File("etc/Tarnwick/Sched.ini")) << "[Modem]\nPagePort=" << central.Line() << "\n";

    data.Write("MODEMS.DAT", "Direct Connect,DIRECT\n");
    CPagerList pagers;
    PagerRecord& ann = *pagers.NewPager();
    ann.UserName = "Ann";
    ann.PagerType = "1";
    ann.PagerID = "1001";
    ann.PhoneNumber = "555-1212";
    ann.WaitForConnection = "10";
    ann.DelayTime = "0";
    ann.DefaultPageContent = "1";
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    pagers.Save(DataFiles{data.path(), settings, boxes});
    CScheduledPage page;
    page.nextTime = std::time(nullptr) + 20;
    page.pagers = {ann.Code};
    page.messageSource = kSourcePrompt;
    page.alphaText = "Rounds start now";
    data.Write(kSchedulesFile, WriteSchedules({page}));

    std::string exe = std::string(std::getenv("CORVANE_BINARY_DIR") ? std::getenv("CORVANE_BINARY_DIR") : ".") +
                      "/app/daemon/corvaned";
    std::vector<std::string> args = {exe, "-KSched", "-W" + data.path()};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + home.File("run"), "XDG_CONFIG_HOME=" + home.File("config"),
                                    "CORVANE_SYSCONFDIR=" + home.File("etc"), "TZ=UTC"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, data.File("stderr.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, data.path().c_str());
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);

    // The central is dialled at the page's time: not before, and within two seconds. (The
    // page itself follows the TAP call's settling pauses.)
    auto waitFor = [](auto done, std::chrono::seconds limit) {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for(20ms))
            if (done()) return true;
        return false;
    };
    std::time_t dialled = 0;
    waitFor([&] {
        for (const std::string& command : central.Records("COMMAND"))
            if (command.rfind("ATD", 0) == 0) return (dialled = std::time(nullptr)) != 0;
        return false;
    }, 40s);
    waitFor([&] { return data.Read("log.txt").find(" Ann: ") != std::string::npos; }, 30s);
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);

    ASSERT_NE(dialled, 0) << central.Transcript() << data.Read("stderr.txt") << data.Read("errorlog.txt");
    EXPECT_GE(dialled, page.nextTime);
    EXPECT_LE(dialled, page.nextTime + 2);
    EXPECT_EQ(central.Records("PAGE"), std::vector<std::string>{"1001\tRounds start now"});
    EXPECT_EQ(data.Read(kSchedulesFile), "");
    EXPECT_NE(data.Read("log.txt").find(" Ann: Rounds start now\n"), std::string::npos) << data.Read("log.txt");
    EXPECT_EQ(data.Read("stderr.txt"), "");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace corvane::test
