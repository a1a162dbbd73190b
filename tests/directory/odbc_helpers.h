#pragma once
// Helpers of the tests that read a shared pager table from real databases through ODBC.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "directory/odbc_connection.h"
#include "tests/net/loopback.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {

// Runs each statement on the data source, read-write, failing the test with the driver's
// words when one fails.
inline void ExecSql(const std::string& connect, const std::vector<std::string>& statements)
{
    COdbcHandle env = NewOdbcEnvironment();
    COdbcHandle dbc(SQL_HANDLE_DBC, env.get());
    std::string text = connect;
    SQLRETURN rc = SQLDriverConnect(dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr,
                                    0, nullptr, SQL_DRIVER_NOPROMPT);
    ASSERT_TRUE(SQL_SUCCEEDED(rc)) << connect << ": " << dbc.Error(rc).text;
    for (std::string statement : statements) {
        COdbcHandle stmt(SQL_HANDLE_STMT, dbc.get());
        rc = SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(statement.data()), SQL_NTS);
        EXPECT_TRUE(SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) << statement << ": " << stmt.Error(rc).text;
    }
    SQLDisconnect(dbc.get());
}

// The columns of the shared pager table, quoted as both SQLite and PostgreSQL take them,
// some of them of a type other than the program expects (a fraction for a delay, text for
// the pager type, a number for the second voice number).
inline const char* kPagerTableColumns =
    R"(("Code" INTEGER, "CustomData" TEXT, "CustomMessage" TEXT, "DefaultPageContent" INTEGER,
        "DelayTime" REAL, "PinDelayTime" INTEGER, "GroupName" TEXT, "MaximumPageLength" INTEGER,
        "PagerID" TEXT, "PagerType" TEXT, "PhoneNumber" TEXT, "SystemPassword" TEXT, "Separator" TEXT,
        "UserName" TEXT, "VoiceOne" TEXT, "VoiceTwo" INTEGER, "WaitForConnection" INTEGER, "BaudRate" TEXT))";

// Rows with codes first..last: the names "User <code>", one group of seven, alphanumeric.
inline std::string GeneratedRows(int first, int last)
{
    return R"(INSERT INTO "Pager_List" ("Code", "UserName", "GroupName", "MaximumPageLength", "PhoneNumber",
              "PagerType", "DelayTime", "PagerID", "CustomData")
              WITH RECURSIVE n(i) AS (SELECT )" +
           std::to_string(first) + " UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(last) +
           R"() SELECT i, 'User ' || i, 'G' || (i % 7), 80, '555-' || i, '1', 8, 'ID' || i, 'Desk ' || i FROM n)";
}

// A PostgreSQL server of the test's own, apart from the suite's shared one: the test starts
// it when it likes, and may make it stop answering (SIGSTOP: new connections wait) and
// answer again. Its files are made without the disk syncs that make a server safe and slow
// to create. At the end of the test it is let go if it was stopped, then shut down.
class COwnPostgres {
public:
    // Run by ctest, where the start script and PostgreSQL 15 are at hand.
    static bool Available() { return std::getenv("CORVANE_SOURCE_DIR") && ::access(Bin("postgres").c_str(), X_OK) == 0; }

    COwnPostgres()
    {
        ::chmod(m_state.path().c_str(), 0755);
        const std::string pg = m_state.path() + "pg";
        m_made = std::system(("mkdir " + pg + " && chown postgres " + pg +
                              " && setpriv --reuid=postgres --regid=postgres --init-groups " + Bin("initdb") + " -D " +
                              pg + "/data -U postgres --auth-local=trust --auth-host=scram-sha-256 -E UTF8 "
                                   "--locale=C.UTF-8 --no-sync >/dev/null && echo 'fsync = off' >> " +
                              pg + "/data/postgresql.conf")
                                 .c_str()) == 0;
    }
    ~COwnPostgres()
    {
        Resume();
        if (m_made) std::system((Script() + " stop pg " + m_state.path()).c_str());
    }
    COwnPostgres(const COwnPostgres&) = delete;
    COwnPostgres& operator=(const COwnPostgres&) = delete;

    bool Made() const { return m_made; }
    bool Start() { return std::system((Script() + " start pg " + m_state.path() + " " + std::to_string(m_port)).c_str()) == 0; }
    void Pause() { Signal(SIGSTOP); }
    void Resume() { Signal(SIGCONT); }
    int Port() const { return m_port; }
    // The role pager/pagerpw and the database pagerdb that the start script makes.
    std::string ConnectString() const
    {
        return "Driver=PostgreSQL Unicode;Servername=127.0.0.1;Port=" + std::to_string(m_port) +
               ";Database=pagerdb;Username=pager;Password=pagerpw";
    }

private:
    static std::string Bin(const char* program) { return std::string("/usr/lib/postgresql/15/bin/") + program; }
    static std::string Script() { return std::string(std::getenv("CORVANE_SOURCE_DIR")) + "/tests/servers/test_servers.sh"; }
    // The server's first process, which takes every new connection.
    void Signal(int signal)
    {
        std::ifstream pidFile(m_state.File("pg.pid"));
        pid_t pid = 0;
        if (pidFile >> pid && pid > 0) ::kill(pid, signal);
    }

    CTempDir m_state;
    int m_port = ClosedLoopbackPort();
    bool m_made = false;
};

}  // namespace corvane::test
