#include "settings/ini_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/file_io.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the life of the object and puts the old value back.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~CScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class IniSettingsTest : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_config = m_dir.File("config");
    std::string m_sysconf = m_dir.File("etc");
    CScopedEnv m_xdg{"XDG_CONFIG_HOME", m_config.c_str()};
    CScopedEnv m_sys{"CORVANE_SYSCONFDIR", m_sysconf.c_str()};

    std::string UserFile() const { return m_config + "/Tarnwick/Corvane.ini"; }
    std::string MachineFile() const { return m_sysconf + "/Tarnwick/Corvane.ini"; }
    static std::string Slurp(const std::string& path)
    {
        std::string text;
        ReadWholeFile(path, text);
        return text;
    }
    static void Put(const std::string& path, const std::string& text)
    {
        fs::create_directories(fs::path(path).parent_path());
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
};

TEST_F(IniSettingsTest, FilesAreNamedAfterTheTitleInBothScopes)
{
    EXPECT_EQ(CIniSettings("Corvane").UserFile(), UserFile());
    EXPECT_EQ(CIniSettings("Corvane").MachineFile(), MachineFile());
    EXPECT_EQ(CIniSettings("Night Desk").UserFile(), m_config + "/Tarnwick/Night Desk.ini");

    std::string home = m_dir.File("home");
    CScopedEnv homeEnv("HOME", home.c_str());
    CScopedEnv noSys("CORVANE_SYSCONFDIR", nullptr);
    {
        CScopedEnv noXdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(CIniSettings("Corvane").UserFile(), home + "/.config/Tarnwick/Corvane.ini");
        EXPECT_EQ(CIniSettings("Corvane").MachineFile(), "/etc/xdg/Tarnwick/Corvane.ini");
    }
    CScopedEnv relative("XDG_CONFIG_HOME", "relative/config");  // invalid: ignored
    EXPECT_EQ(CIniSettings("Corvane").UserFile(), home + "/.config/Tarnwick/Corvane.ini");
}

TEST_F(IniSettingsTest, EveryValueAndNameComesBackExactly)
{
    struct Entry {
        std::string section, key, value;
    };
    const std::string values[] = {
        "a,b,,c", "\"quoted\"", "\"", "\"\"", "x\"", "a=b=c", ";not a comment", "#not a comment", "  leading",
        "trailing  ", " ", "\tTab\t", "line one\r\nline two\n", std::string("nul\0inside\0", 11),
        "\xC3\xA9t\xE9 \xFF\x80", "back\\slash\\", "\\n is not a newline", "\\x41", "[Section]", "\x01\x1F\x7F",
        "M1Q0X4E0V1S7=255", std::string(1500, 'z'), ""};
    std::vector<Entry> entries;
    for (const std::string& value : values)
        entries.push_back({"Preferences", "Key" + std::to_string(entries.size()), value});
    for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{
             {"Preferences", "LogSchedule+"}, {"Pre]fs", "k"}, {"[x]", "=eq=ual"}, {"s", ";semi"},
             {"s", "#hash"}, {"s", " padded "}, {"s", "[bracket"}, {"s", "a\\b\nc"}})
        entries.push_back({section, key, "v" + std::to_string(entries.size())});
    {
        CIniSettings writer("Corvane");
        for (const Entry& e : entries) writer.WriteSetting(e.section, e.key, e.value);
    }
    CIniSettings reader("Corvane");
    for (const Entry& e : entries)
        EXPECT_EQ(reader.GetSetting(e.section, e.key, "absent"), e.value) << e.section << "/" << e.key;
    // The empty value above is no absent key; these are.
    EXPECT_EQ(reader.GetSetting("Preferences", "Group", "none"), "none");
    EXPECT_EQ(reader.GetSetting("Absent", "Key0", "none"), "none");
}

TEST_F(IniSettingsTest, FileTextIsPlainIni)
{
    CIniSettings settings("Corvane");
    settings.WriteSetting("Preferences", "AutoExit", "1");
    settings.Write(key::LogSchedulePlus, "0");
    settings.WriteSetting("Preferences", "DialPrefix", " 9,");
    settings.WriteSetting("Log", "FileName", "C:\\log\ttxt");
    settings.WriteSetting("Preferences", "AutoExit", "0");  // changed in place
    settings.Write(key::PagePort, "COM2");
    EXPECT_EQ(Slurp(UserFile()),
              "[Preferences]\n"
              "AutoExit=0\n"
              "LogSchedule+=0\n"
              "DialPrefix=\" 9,\"\n"
              "\n"
              "[Log]\n"
              "FileName=C:\\\\log\\ttxt\n");
    EXPECT_EQ(Slurp(MachineFile()), "[Modem]\nPagePort=COM2\n");
    struct stat st {};
    ASSERT_EQ(::stat(UserFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // it holds the scrambled passwords
}

TEST_F(IniSettingsTest, HandEditedFileIsReadAndKeptWhenWritten)
{
    Put(UserFile(),
        "; written by hand\r\n"
        "Stray=before any section\r\n"
        "[Preferences]\r\n"
        "  NumberRings = 4  \r\n"
        "# a note\r\n"
        "Voice1Label=\"  Office  \"\r\n"
        "NumberRings=5\r\n"
        "no equals sign here\r\n"
        "\r\n"
        "[Pager]\r\n"
        "DialAttempts=2\r\n");
    CIniSettings settings("Corvane");
    EXPECT_EQ(settings.GetSetting("Preferences", "NumberRings", "3"), "4");  // the first one counts
    EXPECT_EQ(settings.GetSetting("Preferences", "Voice1Label", "Work"), "  Office  ");
    EXPECT_EQ(settings.GetSetting("Pager", "DialAttempts", "5"), "2");
    EXPECT_EQ(settings.GetSetting("Preferences", "Stray", "none"), "none");

    settings.WriteSetting("Preferences", "DataLabel", "Desk");
    settings.WriteSetting("Pager", "DialAttempts", "7");
    EXPECT_EQ(Slurp(UserFile()),
              "; written by hand\n"
              "Stray=before any section\n"
              "[Preferences]\n"
              "  NumberRings = 4  \n"
              "# a note\n"
              "Voice1Label=\"  Office  \"\n"
              "NumberRings=5\n"
              "no equals sign here\n"
              "DataLabel=Desk\n"
              "\n"
              "[Pager]\n"
              "DialAttempts=7\n");

    CIniSettings theirs("Corvane");  // another program's write is seen at the next read
    theirs.WriteSetting("Preferences", "DataLabel", "Night");
    EXPECT_EQ(settings.GetSetting("Preferences", "DataLabel", ""), "Night");
}

TEST_F(IniSettingsTest, UserModemSettingMovesToTheMachineScopeOnFirstRead)
{
    // A key written twice by hand goes entirely; the other keys stay.
    Put(UserFile(), "[Modem]\nPagePort=COM3\nPagePort=COM4\nIPPort=2000\n");
    CIniSettings settings("Corvane");
    EXPECT_EQ(settings.Get(key::PagePort), "COM3");
    EXPECT_EQ(Slurp(MachineFile()), "[Modem]\nPagePort=COM3\n");
    EXPECT_EQ(Slurp(UserFile()), "[Modem]\nIPPort=2000\n");
    EXPECT_EQ(settings.Get(key::PagePort), "COM3");

    // A user value beside the machine's is the user's own choice: it wins and both stay.
    Put(UserFile(), "[Modem]\nPagePort=COM5\n");
    EXPECT_EQ(settings.Get(key::PagePort), "COM5");
    EXPECT_EQ(Slurp(MachineFile()), "[Modem]\nPagePort=COM3\n");
    EXPECT_EQ(settings.Get(key::PagePortBaud), "300");  // neither scope: the default
}

// A machine folder that cannot be created, whoever runs the test: its parent is a file.
TEST_F(IniSettingsTest, UnwritableMachineScopeKeepsTheValueInTheUserScope)
{
    Put(m_dir.File("plainfile"), "not a folder");
    std::string blocked = m_dir.File("plainfile") + "/etc";
    CScopedEnv sys("CORVANE_SYSCONFDIR", blocked.c_str());
    Put(UserFile(), "[Modem]\nPagePort=COM4\n");
    CIniSettings settings("Corvane");
    EXPECT_EQ(settings.Get(key::PagePort), "COM4");  // not moved, still read
    EXPECT_TRUE(settings.WriteMachineSetting("Modem", "PageModemType", "Hayes"));
    EXPECT_TRUE(settings.WriteMachineSetting("Modem", "PagePort", "COM2"));
    EXPECT_EQ(Slurp(UserFile()), "[Modem]\nPagePort=COM2\nPageModemType=Hayes\n");
    EXPECT_EQ(settings.Get(key::PageModemType), "Hayes");
    EXPECT_EQ(settings.Get(key::PagePort), "COM2");
}

// As /etc/xdg is for a user. Root writes through any mode, so this case needs a user (the
// modem settings process test runs it as one under root as well).
TEST_F(IniSettingsTest, ReadOnlyMachineFolderOrFileKeepsTheUsersValuesForTheUser)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root writes through file modes";
    Put(MachineFile(), "[Modem]\nPagePort=COM1\n");
    ::chmod(MachineFile().c_str(), 0444);
    CIniSettings settings("Corvane");
    EXPECT_TRUE(settings.WriteMachineSetting("Modem", "PagePort", "COM3"));
    EXPECT_EQ(settings.Get(key::PagePort), "COM3");
    ::chmod(MachineFile().c_str(), 0644);
    ::chmod((m_sysconf + "/Tarnwick").c_str(), 0555);
    EXPECT_TRUE(settings.WriteMachineSetting("Modem", "MonitorPort", "COM2"));
    EXPECT_EQ(Slurp(UserFile()), "[Modem]\nPagePort=COM3\nMonitorPort=COM2\n");
    EXPECT_EQ(Slurp(MachineFile()), "[Modem]\nPagePort=COM1\n");
    ::chmod((m_sysconf + "/Tarnwick").c_str(), 0755);
}

TEST_F(IniSettingsTest, AFailedWriteLeavesTheOldFileWhole)
{
    CIniSettings settings("Corvane");
    ASSERT_TRUE(settings.WriteMachineSetting("Modem", "PageInitializationString", std::string(3000, 'A')));
    std::string before = Slurp(MachineFile());

    // A file size limit makes the write of the replacement fail halfway, for root as well.
    rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 2048;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool written = settings.WriteMachineSetting("Modem", "PagePort", "COM2");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    // The small user file took the value the machine file could not.
    EXPECT_TRUE(written);
    EXPECT_EQ(Slurp(UserFile()), "[Modem]\nPagePort=COM2\n");
    EXPECT_EQ(Slurp(MachineFile()), before);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_sysconf + "/Tarnwick"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Corvane.ini", "Corvane.ini.lock"}));
}

TEST_F(IniSettingsTest, TwoProcessesWritingAtOnceLoseNoKey)
{
    constexpr int kKeys = 150;
    CIniSettings("Corvane").WriteSetting("Preferences", "Start", "1");
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = ::fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            CIniSettings settings("Corvane");
            for (int i = 0; i < kKeys; ++i)
                settings.WriteSetting(child == 0 ? "Preferences" : "Pager", std::to_string(i), std::to_string(i));
            ::_exit(0);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    CIniSettings settings("Corvane");
    int missing = 0;
    for (int i = 0; i < kKeys; ++i)
        for (const char* section : {"Preferences", "Pager"})
            missing += settings.GetSetting(section, std::to_string(i), "") != std::to_string(i);
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(settings.GetSetting("Preferences", "Start", ""), "1");
}

}  // namespace
}  // namespace corvane
