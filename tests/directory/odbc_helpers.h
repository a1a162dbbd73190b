#pragma once
// Helpers of the tests that read a shared pager table from real databases through ODBC.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "directory/odbc_connection.h"

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

// A loopback port that nothing listens on at the moment.
inline int FreeLoopbackPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
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

}  // namespace corvane::test
