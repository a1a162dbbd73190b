#pragma once
// The real servers that ctest starts for the integration suites (tests/servers/
// test_servers.sh): where they listen and where their state lives. A suite declares the
// servers it needs with corvane_suite_needs_servers() in its CMakeLists.txt; run by hand
// outside ctest, such a test skips itself.
//
//   int port = 0;
//   CORVANE_REQUIRE_SERVER("imap", port);   // GTEST_SKIP when not started by ctest

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

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
// server's password file (read again when it changes) and its Maildir made, owned by
// the server's mail user. Returns the Maildir.
inline std::string AddImapUser(const std::string& user, const std::string& password)
{
    std::string imap = ServersDir() + "/imap";
    const std::string file = imap + "/users";
    struct stat before {};
    const bool existed = ::stat(file.c_str(), &before) == 0;
    {
        std::ofstream users(file, std::ios::app);
        users << user << ":{PLAIN}" << password << "\n";
    }
    // The server looks at its password file at most once a second, and reads it again
    // only when the file's time (in whole seconds) has changed: each new user moves the
    // time on by a second, and the user is known once the second of the server's last
    // look has passed.
    std::time_t next = std::max(::time(nullptr), existed ? before.st_mtime : std::time_t{0}) + 1;
    const timespec times[2] = {{next, 0}, {next, 0}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::this_thread::sleep_for(std::chrono::nanoseconds(1'050'000'000L - now.tv_nsec));
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
