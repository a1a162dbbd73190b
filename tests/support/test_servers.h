#pragma once
// The real servers that ctest starts for the integration suites (tests/servers/
// test_servers.sh): where they listen and where their state lives. A suite declares the
// servers it needs with corvane_suite_needs_servers() in its CMakeLists.txt; run by hand
// outside ctest, such a test skips itself.
//
//   int port = 0;
//   CORVANE_REQUIRE_SERVER("imap", port);   // GTEST_SKIP when not started by ctest

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace corvane::test {

// The port of a server kind ("imap", "smtp", "caldav", "pg", "hfaxd"), 0 when unknown.
inline int ServerPort(const std::string& kind)
{
    std::string name = "CORVANE_";
    for (char c : kind) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    name += "_PORT";
    const char* value = std::getenv(name.c_str());
    return value ? std::atoi(value) : 0;
}

// The folder that holds every server's state (<dir>/<kind>/...).
inline std::string ServersDir()
{
    const char* dir = std::getenv("CORVANE_TEST_SERVERS");
    return dir ? dir : "";
}

#define CORVANE_REQUIRE_SERVER(kind, port)                                               \
    do {                                                                                 \
        (port) = ::corvane::test::ServerPort(kind);                                      \
        if ((port) == 0) GTEST_SKIP() << "needs the " << (kind) << " test server (ctest)"; \
    } while (0)

// A mailbox of its own for one test on the IMAP server: the user is added to the
// server's password file and its Maildir made, owned by the server's mail user. Returns
// the Maildir.
//
// The server looks at its password file again at most once a second: a login in the
// second it last looked would not know a user added since. So the addition returns
// only when the next second has begun.
inline std::string AddImapUser(const std::string& user, const std::string& password)
{
    std::string imap = ServersDir() + "/imap";
    {
        std::ofstream users(imap + "/users", std::ios::app);
        users << user << ":{PLAIN}" << password << "\n";
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    ::usleep(static_cast<useconds_t>((1000000000L - now.tv_nsec) / 1000 + 20000));
    std::string maildir = imap + "/mail/" + user;
    for (const char* sub : {"", "/new", "/cur", "/tmp"}) {
        std::string path = maildir + sub;
        ::mkdir(path.c_str(), 0700);
        if (::chown(path.c_str(), 65534, 65534) != 0) {
            // Not root: the server runs as this user too, nothing to hand over.
        }
    }
    return maildir;
}

// Delivers one raw message (CR LF line ends) into a Maildir as a mail server would:
// written under tmp/, then moved into new/. Returns the file name.
inline std::string DeliverMail(const std::string& maildir, const std::string& raw)
{
    static std::atomic<int> serial{0};
    std::string name = std::to_string(::time(nullptr)) + "." + std::to_string(::getpid()) + "_" +
                       std::to_string(serial++) + ".corvane-test";
    std::string tmp = maildir + "/tmp/" + name;
    {
        std::ofstream out(tmp, std::ios::binary);
        out << raw;
    }
    if (::chown(tmp.c_str(), 65534, 65534) != 0) {
        // Not root: see AddImapUser.
    }
    std::rename(tmp.c_str(), (maildir + "/new/" + name).c_str());
    return name;
}

}  // namespace corvane::test
