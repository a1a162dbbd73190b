// --help and --version: which command lines ask for them, and the three programs as real
// processes that answer and end without touching a file.

#include "app/core/program_info.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

TEST(ProgramInfo, OnlyAnArgumentOfItsOwnAsksForHelpOrVersion)
{
    const struct {
        std::vector<const char*> args;
        InfoRequest request;
    } cases[] = {
        {{"--help"}, InfoRequest::Help},
        {{"--version"}, InfoRequest::Version},
        {{"-T", "-W/srv/pages/", "--help"}, InfoRequest::Help},
        {{"--version", "--help"}, InfoRequest::Version},
        // Values of options written apart, and words inside other arguments, are not asked.
        {{"-P", "--help"}, InfoRequest::None},
        {{"-K", "--version"}, InfoRequest::None},
        {{"-W", "--help"}, InfoRequest::None},
        {{"-P\"Bob/--help\""}, InfoRequest::None},
        {{"-help"}, InfoRequest::None},
        {{"--HELP"}, InfoRequest::None},
        {{"-h"}, InfoRequest::None},
        {{}, InfoRequest::None},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"corvaned"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string shown;
        for (const char* arg : c.args) shown += std::string(arg) + " ";
        EXPECT_EQ(FindInfoRequest(static_cast<int>(argv.size()), argv.data()), c.request) << shown;
    }
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs program in cwd with only the variables of env, its output in files outside cwd.
Outcome RunProgram(const std::string& program, const std::string& arg, const std::string& cwd,
            const std::vector<std::string>& env, const CTempDir& outputs)
{
    std::string path = std::string(std::getenv("CORVANE_BINARY_DIR")) + "/" + program;
    std::vector<char*> argv = {path.data(), const_cast<char*>(arg.c_str()), nullptr};
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputs.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, outputs.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    Outcome outcome;
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        // A program that starts up instead of answering is stopped after 5 s.
        int waited = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0 && waited < 5000) {
            ::usleep(10000);
            waited += 10;
        }
        if (waited >= 5000) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        } else if (WIFEXITED(status)) {
            outcome.status = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = outputs.Read("out");
    outcome.err = outputs.Read("err");
    return outcome;
}

std::vector<std::string> Entries(const std::string& root)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        found.push_back(entry.path().string());
    return found;
}

TEST(ProgramInfo, EachProgramAnswersAndEndsWithoutTouchingAFile)
{
    CTempDir root;  // an empty working folder and a fresh home with its own XDG folders
    CTempDir outputs;
    const std::vector<std::string> folders = {"work", "home", "config", "runtime", "etc"};
    for (const std::string& folder : folders) ::mkdir(root.File(folder).c_str(), 0700);
    const std::vector<std::string> env = {
        "HOME=" + root.File("home"), "XDG_CONFIG_HOME=" + root.File("config"),
        "XDG_RUNTIME_DIR=" + root.File("runtime"), "CORVANE_SYSCONFDIR=" + root.File("etc"), "PATH=/usr/bin:/bin"};

    std::vector<std::pair<std::string, std::string>> programs = {{"app/daemon/corvaned", "corvaned"},
                                                                 {"app/ctl/corvane-ctl", "corvane-ctl"}};
#ifdef CORVANE_TEST_GUI
    programs.emplace_back("app/corvane", "corvane");
#endif
    for (const auto& [path, name] : programs) {
        Outcome version = RunProgram(path, "--version", root.File("work"), env, outputs);
        EXPECT_EQ(version.status, 0) << name;
        EXPECT_EQ(version.out, name + " " + CORVANE_PROJECT_VERSION + "\n");
        EXPECT_EQ(version.err, "") << name;

        Outcome help = RunProgram(path, "--help", root.File("work"), env, outputs);
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_EQ(help.out.rfind("usage: " + name + " ", 0), 0u) << help.out;
        EXPECT_EQ(help.err, "") << name;
        // The options of the command line, or the topics of the command client.
        const std::vector<std::string> items = name == "corvane-ctl"
                                                   ? std::vector<std::string>{"SendPage", "QueuePage", "SendPages",
                                                                              "AddPager", "RereadPagers", "Close", "-t MS"}
                                                   : std::vector<std::string>{"-K\"title\"", "-P\"command\"", "-Ffile",
                                                                              "-Q", "-M", "-R", "-Sspec", "-Iseconds",
                                                                              "-Wdir/"};
        for (const std::string& item : items) EXPECT_NE(help.out.find("  " + item), std::string::npos) << name << item;
        EXPECT_EQ(help.out.find("  -T ") != std::string::npos, name == "corvane") << name;
    }
    std::vector<std::string> expected;
    for (const std::string& folder : folders) expected.push_back(root.File(folder));
    std::vector<std::string> found = Entries(root.path());
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace corvane::test
