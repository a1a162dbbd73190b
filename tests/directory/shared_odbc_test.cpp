// The shared pager table [Pager_List] read through ODBC from real databases: SQLite through
// its ODBC driver, PostgreSQL 15 through psqlODBC. The data sources of a test live in an
// odbc.ini of the test process's own (the driver manager reads it once per process).

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "common/poll_pump.h"
#include "directory/odbc_connection.h"
#include "directory/pager_file.h"
#include "directory/shared_odbc.h"
#include "settings/memory_settings.h"
#include "tests/directory/directory_helpers.h"
#include "tests/directory/odbc_helpers.h"
#include "tests/directory/pager_print.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_servers.h"

namespace corvane {
namespace {

using test::Codes;
using test::CodesOf;
using test::ExecSql;
using test::W;

const std::string kCheck = "Check the data source name you have selected on the Pager Data tab of the Preferences dialog.";

// The data sources of this process: an SQLite file and a PostgreSQL schema of its own.
struct OdbcSources {
    test::CTempDir dir;
    std::string sqliteFile = dir.File("pagers.db");
    std::string schema = "corvane_" + std::to_string(::getpid());
    OdbcSources()
    {
        std::string ini = "[Corvane SQLite]\nDriver=SQLite3\nDatabase=" + sqliteFile + "\n";
        if (int port = test::ServerPort("pg"))
            ini += "[Corvane PostgreSQL]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=" +
                   std::to_string(port) +
                   "\nDatabase=pagerdb\nUsername=pager\nPassword=pagerpw\nConnSettings=SET search_path TO " + schema +
                   "\n";
        dir.Write("odbc.ini", ini);
        ::setenv("ODBCINI", dir.File("odbc.ini").c_str(), 1);
    }
};

OdbcSources& Sources()
{
    static OdbcSources sources;
    return sources;
}

// Answers Retry while `onRetry` has steps left (each runs first, as the user would mend the
// cause before pressing Retry), then Cancel.
class CScriptedBox : public IMessageBox {
public:
    MbAnswer Show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons) override
    {
        shown.push_back({text, caption, icon, buttons});
        if (buttons != MbButtons::RetryCancel) return MbAnswer::Ok;
        if (onRetry.empty()) return MbAnswer::Cancel;
        auto step = std::move(onRetry.front());
        onRetry.erase(onRetry.begin());
        step();
        return MbAnswer::Retry;
    }
    std::vector<std::function<void()>> onRetry;
    std::vector<test::ShownBox> shown;
};

class SharedOdbc : public ::testing::Test {
protected:
    OdbcSources& m_sources = Sources();
    test::CTempDir m_data;
    CMemorySettings m_settings;
    CScriptedBox m_box;
    DataFiles m_files{m_data.path(), m_settings, m_box};

    void SetUp() override
    {
        // One local pager with a group of its own, and automatic flags for a shared one.
        CPagerList local;
        PagerRecord& own = *local.NewPager();
        own.UserName = "Local One";
        own.Groups = {"Local"};
        m_data.Write("PAGERS.DAT", WritePagerRecords(local));
        m_data.Write("MONITOR.DAT", W(1) + W(-7) + W(5) + W(1) + W(-1000) + W(2));
        m_settings.Write(key::SharedType, "1");
    }
    void Use(const std::string& dataSource, const std::string& connect = "ODBC;")
    {
        m_settings.Write(key::ODBCDataSetName, dataSource);
        m_settings.Write(key::ODBCConnectString, connect);
    }
    std::string SqliteConnect() const { return "DSN=Corvane SQLite"; }
    std::string PostgresConnect()
    {
        if (test::ServerPort("pg") == 0) return {};
        ExecSql("DSN=Corvane PostgreSQL", {"DROP SCHEMA IF EXISTS " + m_sources.schema + " CASCADE",
                                           "CREATE SCHEMA " + m_sources.schema});
        return "DSN=Corvane PostgreSQL";
    }
    void NewTable(const std::string& connect, std::vector<std::string> rows = {})
    {
        rows.insert(rows.begin(), {R"(DROP TABLE IF EXISTS "Pager_List")",
                                   std::string(R"(CREATE TABLE "Pager_List" )") + test::kPagerTableColumns});
        ExecSql(connect, rows);
    }
    void ExpectTheEdgeCaseTable(const std::string& dataSource);
};

PagerRecord Shared(int code, std::string name)
{
    PagerRecord r;
    r.Code = static_cast<std::int16_t>(code);
    r.UserName = std::move(name);
    return r;
}

// A thousand rows: 989 plain ones and the cases a shared table may hold. Every pager is
// compared whole, so a field taken from the wrong column or a default lost shows.
void SharedOdbc::ExpectTheEdgeCaseTable(const std::string& dataSource)
{
    const std::string connect = dataSource == "Corvane SQLite" ? SqliteConnect() : PostgresConnect();
    std::string acute;  // 200 two-byte characters: cut at 255 bytes, then back to a whole one
    for (int i = 0; i < 200; ++i) acute += "\xC3\xA9";
    const std::string nulls16 = "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL";
    NewTable(connect,
             {test::GeneratedRows(100, 1088),
              R"(INSERT INTO "Pager_List" VALUES
                 (7, 'Front desk', 'Call back', 2, 7.9, 3, 'Sales,North/East', 0, 'P77', '1', '555-0100', 'pw', '#',
                  'Ann Archer', '555-0101', 5550102, 45, '2400'),
                 (8, NULL, NULL, NULL, NULL, NULL, 'Sales, North', NULL, NULL, NULL, NULL, NULL, NULL, 'Bea', NULL,
                  NULL, NULL, NULL),
                 (9, NULL, NULL, NULL, NULL, NULL, 'a,,b', 100000, NULL, NULL, NULL, NULL, NULL, 'Cy', NULL, NULL,
                  NULL, NULL),
                 (10, NULL, NULL, NULL, NULL, NULL, '', -5, NULL, 'x', NULL, NULL, NULL, 'Di', NULL, NULL, NULL, NULL),
                 (11, )" + nulls16 + R"(, NULL),
                 (NULL, )" + nulls16 + R"(, NULL), (0, )" + nulls16 + R"(, 'zero'), (-3, )" + nulls16 +
                  R"(, 'negative'), (40000, )" + nulls16 + R"(, 'too big'))",
              R"(INSERT INTO "Pager_List" ("Code", "UserName", "CustomMessage", "CustomData") VALUES (12, ')" +
                  std::string(300, 'x') + "', '" + std::string(1000, 'm') + "', '" + acute + "')"});
    Use(dataSource);

    CPagerList list;
    list.Reload(m_files);
    EXPECT_EQ(m_box.shown.size(), 0u) << (m_box.shown.empty() ? "" : m_box.shown[0].text);
    ASSERT_EQ(list.size(), 1u + 989 + 6);  // the NULL code, 0, -3 and 40000 cannot be shared pagers
    EXPECT_EQ(list.at(0).UserName, "Local One");
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"Local", "G2", "G3", "G4", "G5", "G6", "G0", "G1",
                                                           "Sales", "North", "East", " North", "a", "", "b"}));

    PagerRecord plain = Shared(-500, "User 500");
    plain.Groups = {"G3"}, plain.PhoneNumber = "555-500", plain.PagerType = "1", plain.PagerID = "ID500";
    plain.CustomData = "Desk 500";
    PagerRecord ann = Shared(-7, "Ann Archer");
    ann.AutoPageFlags = 5;  // MONITOR.DAT holds the shared pager's flags
    ann.CustomData = "Front desk", ann.CustomMessage = "Call back", ann.DefaultPageContent = "2";
    ann.DelayTime = "7", ann.PinDelayTime = "3", ann.Groups = {"Sales", "North", "East"};
    ann.MaximumPageLength = 1, ann.PagerID = "P77", ann.PagerType = "1", ann.PhoneNumber = "555-0100";
    ann.SystemPassword = "pw", ann.Separator = "#", ann.VoiceOne = "555-0101", ann.VoiceTwo = "5550102";
    ann.WaitForConnection = "45", ann.BaudRate = "2400";
    PagerRecord bea = Shared(-8, "Bea");
    bea.Groups = {"Sales", " North"};
    PagerRecord cy = Shared(-9, "Cy");
    cy.Groups = {"a", "", "b"}, cy.MaximumPageLength = 32767;
    PagerRecord di = Shared(-10, "Di");
    di.MaximumPageLength = 1, di.PagerType = "0";
    PagerRecord blank = Shared(-11, "");  // NULL everywhere else: the new-pager defaults
    PagerRecord cut = Shared(-12, std::string(255, 'x'));
    cut.CustomMessage = std::string(255, 'm'), cut.CustomData = acute.substr(0, 254);
    for (const PagerRecord* expected : {&plain, &ann, &bea, &cy, &di, &blank, &cut}) {
        SCOPED_TRACE(expected->Code);
        const PagerRecord* loaded = list.FindByCode(expected->Code);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(test::Describe(*loaded), test::Describe(*expected));
    }
    // Read-only shared pagers never reach the local file.
    ASSERT_TRUE(list.Save(m_files));
    CPagerList local;
    local.LoadLocal(m_files);
    EXPECT_EQ(CodesOf(local), Codes{1});
}

TEST_F(SharedOdbc, SqliteTableOfAThousandRowsWithTheEdgeCases)
{
    ExpectTheEdgeCaseTable("Corvane SQLite");
}

TEST_F(SharedOdbc, PostgresTableOfAThousandRowsWithTheEdgeCases)
{
    int port = 0;
    CORVANE_REQUIRE_SERVER("pg", port);
    ExpectTheEdgeCaseTable("Corvane PostgreSQL");
}

TEST_F(SharedOdbc, AnUnknownDataSourceAsksRetryOrCancelAndKeepsTheLocalPagers)
{
    const std::string unknown = "Unable to access shared pager data file.  [unixODBC][Driver Manager]Data source name "
                                "not found and no default driver specified.  " + kCheck;
    // No data source chosen at all is the same to the driver manager.
    for (const std::string& dataSource : {std::string("No Such Source"), std::string()}) {
        SCOPED_TRACE(dataSource);
        Use(dataSource);
        m_box.shown.clear();
        m_box.onRetry = {[] {}};  // Retry once without mending anything, then Cancel
        CPagerList list;
        list.Reload(m_files);
        ASSERT_EQ(m_box.shown.size(), 2u);
        for (const test::ShownBox& box : m_box.shown) {
            EXPECT_EQ(box.text, unknown);
            EXPECT_EQ(box.caption, "ODBC Error");
            EXPECT_EQ(box.icon, MbIcon::Warning);
            EXPECT_EQ(box.buttons, MbButtons::RetryCancel);
        }
        EXPECT_EQ(CodesOf(list), Codes{1});
        EXPECT_EQ(list.GroupNames(), std::vector<std::string>{"Local"});
    }
}

// Read on the calling thread, and on a thread of its own while the caller waits through the
// pump (the box and its Retry on the caller's thread, the same connection read again).
TEST_F(SharedOdbc, AMissingTableAsksRetryAndIsReadOnceItIsThere)
{
    CPollPump pump;
    for (IEventPump* waitThrough : {static_cast<IEventPump*>(nullptr), static_cast<IEventPump*>(&pump)}) {
        SCOPED_TRACE(waitThrough ? "through the pump" : "on the calling thread");
        ExecSql(SqliteConnect(), {R"(DROP TABLE IF EXISTS "Pager_List")"});
        // The connect string alone names the data source too, with the "ODBC;" prefix it is stored with.
        Use("", "ODBC;DSN=Corvane SQLite");
        m_box.shown.clear();
        m_box.onRetry = {[&] { NewTable(SqliteConnect(), {test::GeneratedRows(1, 3)}); }};
        m_files.pump = waitThrough;
        CPagerList list;
        list.Reload(m_files);
        ASSERT_EQ(m_box.shown.size(), 1u);
        EXPECT_EQ(m_box.shown[0].text,
                  "Unable to read shared pager data file.  [SQLite]no such table: Pager_List (1).  " + kCheck);
        EXPECT_EQ(m_box.shown[0].buttons, MbButtons::RetryCancel);
        EXPECT_EQ(CodesOf(list), (Codes{1, -1, -2, -3}));
    }
}

TEST(OdbcFailureTexts, TheDriversWordsBecomeASentenceOfTheBox)
{
    struct Case {
        OdbcError error;
        const char* cause;
    } cases[] = {
        {{"", SQL_ERROR}, "Error code -1 was returned.  "},
        {{"Connection refused\n\tIs the server running?\r\n", SQL_ERROR}, "Connection refused\n\tIs the server running?.  "},
        {{"Timeout expired.", SQL_ERROR}, "Timeout expired.  "},
        {{"\n", SQL_ERROR}, "Error code -1 was returned.  "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OdbcReadFailureText(c.error),
                  "Unable to read shared pager data file.  " + std::string(c.cause) + kCheck);
        std::string cause = c.error.text.find_first_not_of("\r\n") == std::string::npos ? "" : c.cause;
        EXPECT_EQ(OdbcConnectionFailureText(c.error), "Unable to access shared pager data file.  " + cause + kCheck);
    }
    EXPECT_EQ(OdbcConnectString("Corvane Pager List", "ODBC;"), "DSN=Corvane Pager List");
    EXPECT_EQ(OdbcConnectString("Pagers", "odbc;UID=pager;PWD=x"), "DSN=Pagers;UID=pager;PWD=x");
    EXPECT_EQ(OdbcConnectString("", "Driver=SQLite3;Database=/tmp/p.db"), "Driver=SQLite3;Database=/tmp/p.db");
}

// A PostgreSQL of the test's own, down when the program first asks and started while the
// connection error is up: Retry then reads its pagers.
TEST_F(SharedOdbc, PostgresServerThatIsDownIsReadOnRetryOnceItIsUp)
{
    int fixturePort = 0;
    CORVANE_REQUIRE_SERVER("pg", fixturePort);
    test::COwnPostgres server;
    ASSERT_TRUE(server.Made());
    Use("", "ODBC;" + server.ConnectString());
    bool started = false;
    m_box.onRetry = {[&] {
        started = server.Start();
        NewTable(server.ConnectString(), {test::GeneratedRows(20, 24)});
    }};
    CPagerList list;
    list.Reload(m_files);
    ASSERT_TRUE(started);
    ASSERT_EQ(m_box.shown.size(), 1u);
    EXPECT_EQ(m_box.shown[0].text, "Unable to access shared pager data file.  connection to server at \"127.0.0.1\", port " +
                                       std::to_string(server.Port()) +
                                       " failed: Connection refused\n\tIs the server running on that host and accepting "
                                       "TCP/IP connections?.  " + kCheck);
    EXPECT_EQ(CodesOf(list), (Codes{1, -20, -21, -22, -23, -24}));
}

// More rows than there are codes: every one a pager (codes repeat: no more than 32,767
// are distinct).
TEST_F(SharedOdbc, RowsBeyondTheLastCodeAreAllRead)
{
    NewTable(SqliteConnect(),
             {R"(INSERT INTO "Pager_List" ("Code", "UserName", "GroupName")
                 WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 39999)
                 SELECT i % 32767 + 1, 'Pager ' || i, 'Group ' || (i % 50) FROM n)"});
    Use("Corvane SQLite");
    CPagerList list;
    list.Reload(m_files);
    EXPECT_EQ(list.size(), 40001u);
    EXPECT_EQ(list.GroupNames().size(), 51u);
    EXPECT_EQ(list.at(40000).UserName, "Pager 39999");
}

TEST_F(SharedOdbc, TheDataSourceListHoldsTheMachinesDataSources)
{
    std::vector<std::string> names = ListOdbcDataSources();
    EXPECT_NE(std::find(names.begin(), names.end(), "Corvane SQLite"), names.end());
    if (test::ServerPort("pg")) {
        EXPECT_NE(std::find(names.begin(), names.end(), "Corvane PostgreSQL"), names.end());
    }
}

}  // namespace
}  // namespace corvane
