// Configure > Modems for a user who is not root: the machine settings file belongs to the
// administrator, so the user's choices go to the user's own file and are what the pages
// show afterwards. Run as "nobody" with a fresh home when the suite runs as root.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <pwd.h>
#include <vector>

#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

class ModemSettingsAsUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::chmod(root.path().c_str(), 0755);  // others may enter, as they may enter /etc
        for (const char* dir : {"data", "etc", "etc/Tarnwick", "home"}) ::mkdir(root.File(dir).c_str(), 0755);
        root.Write("data/MODEMS.DAT", "Hayes Compatible,ATZ1\nDirect Connect,DIRECT\n");
        Admin(kAdminModem);
        fs::copy_file(CORVANE_MODEM_SETTINGS_HELPER, helper);
        if (AsRoot()) {
            const passwd* nobody = ::getpwnam("nobody");
            ASSERT_NE(nobody, nullptr);
            ASSERT_EQ(::chown(root.File("home").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        } else {
            ::chmod(root.File("etc/Tarnwick").c_str(), 0555);
        }
        ::chmod(root.File("home").c_str(), 0700);
    }
    ~ModemSettingsAsUser() override { ::chmod(root.File("etc/Tarnwick").c_str(), 0755); }

    static bool AsRoot() { return ::geteuid() == 0; }

    // The administrator's file: root's own, or read-only for a user who runs the suite.
    void Admin(const std::string& text)
    {
        std::string path = root.File("etc/Tarnwick/Corvane.ini");
        ::chmod(root.File("etc/Tarnwick").c_str(), 0755);
        ::chmod(path.c_str(), 0644);
        root.Write("etc/Tarnwick/Corvane.ini", text);
        if (!AsRoot()) {
            ::chmod(path.c_str(), 0444);
            ::chmod(root.File("etc/Tarnwick").c_str(), 0555);
        }
    }

    // The helper as the user, with its standard output; the exit status in status.
    std::string RunAsUser(std::vector<std::string> args, int& status)
    {
        std::vector<std::string> command = {helper, "Corvane", root.File("data/")};
        command.insert(command.end(), args.begin(), args.end());
        if (AsRoot())
            command.insert(command.begin(),
                           {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
        std::vector<std::string> environment = {
            "HOME=" + root.File("home"), "XDG_CONFIG_HOME=" + root.File("home/.config"),
            "CORVANE_SYSCONFDIR=" + root.File("etc"), "PATH=/usr/bin:/bin"};
        std::vector<char*> argv, envp;
        for (auto& a : command) argv.push_back(a.data());
        for (auto& e : environment) envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);

        int out[2];
        if (::pipe(out) != 0) return "no pipe";
        pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            if (::chdir(root.File("home").c_str()) != 0) ::_exit(126);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(out[1]);
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
        ::close(out[0]);
        ::waitpid(pid, &status, 0);
        return text;
    }
    std::string Show()
    {
        int status = -1;
        std::string shown = RunAsUser({"show"}, status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        return shown;
    }

    static constexpr const char* kAdminModem =
        "[Modem]\n"
        "PagePort=COM1\n"
        "PageModemType=Hayes Compatible\n"
        "PageInitializationString=ATZ1\n"
        "MonitorInitializationString=ATM0\n"
        "PagePortBaud=300\n";

    CTempDir root;
    std::string helper = root.File("modem_settings_helper");
};

TEST_F(ModemSettingsAsUser, TheUsersChoicesAreSavedAndShownTheAdministratorsFileStaysAsItWas)
{
    EXPECT_EQ(Show(),
              "pagingLine=COM1\npagingType=Hayes Compatible\npagingInit=ATZ1\nmailAddress=\nip=0.0.0.0\n"
              "ipPort=1024\nmonitorLine=NONE\nmonitorType=\nmonitorInit=ATM0\nbaud=300\nwordLength=7\n"
              "parity=Even\nstopBits=1\n");

    int status = -1;
    RunAsUser({"save", "pagingType=Direct Connect", "pagingLine=COM3", "mailAddress=gw@example.org",
               "ip=10.0.0.7", "ipPort=4000", "monitorLine=/dev/ttyUSB0", "baud=9600", "wordLength=8"},
              status);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string saved =
        "pagingLine=COM3\npagingType=Direct Connect\npagingInit=DIRECT\nmailAddress=gw@example.org\n"
        "ip=10.0.0.7\nipPort=4000\nmonitorLine=/dev/ttyUSB0\nmonitorType=\nmonitorInit=%s\nbaud=9600\n"
        "wordLength=8\nparity=None\nstopBits=1\n";
    auto with = [&](const char* monitorInit) {
        std::string text = saved;
        return text.replace(text.find("%s"), 2, monitorInit);
    };
    EXPECT_EQ(Show(), with("ATM0"));
    EXPECT_EQ(root.Read("etc/Tarnwick/Corvane.ini"), kAdminModem);

    // The user's own file holds what differs from the administrator's values, and nothing
    // of the user's hides a value the administrator changes later.
    std::string own = root.Read("home/.config/Tarnwick/Corvane.ini");
    EXPECT_NE(own.find("PagePort=COM3\n"), std::string::npos) << own;
    EXPECT_EQ(own.find("MonitorInitializationString"), std::string::npos) << own;
    Admin(std::string(kAdminModem).replace(std::string(kAdminModem).find("ATM0"), 4, "ATM1"));
    EXPECT_EQ(Show(), with("ATM1"));
}

}  // namespace
}  // namespace corvane::test
