// The shared pager table read through ODBC, and Export and Import Pager Data, at the size
// of the largest directory: 32,000 pagers.
//
// The SQLite table lives in a temporary folder. PostgreSQL is the server of
// CORVANE_PG_PORT (role pager/pagerpw, database pagerdb, as tests/servers/test_servers.sh
// starts it) when that is set; otherwise the benchmark starts a server of its own with that
// script and stops it at the end.
//
// Counters: items_per_second is pagers (table rows) per second; peak_rss_mb the process's
// peak resident size so far. The loads run once on the calling thread (/0) and once on the
// reading's own thread while the caller waits through an event pump (/1).
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/message_box.h"
#include "common/poll_pump.h"
#include "directory/odbc_connection.h"
#include "directory/pager_export.h"
#include "directory/pager_import.h"
#include "settings/memory_settings.h"

namespace corvane {
namespace {

constexpr int kPagers = 32000;

class CSilentMessageBox : public IMessageBox {
public:
    MbAnswer Show(const std::string&, const std::string&, MbIcon, MbButtons) override { return MbAnswer::Cancel; }
};

class CBenchDir {
public:
    CBenchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern + "/";
        ::chmod(m_path.c_str(), 0755);  // a server of our own runs as the postgres user
    }
    ~CBenchDir()
    {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

struct BenchFiles {
    CBenchDir dir;
    CMemorySettings settings;
    CSilentMessageBox box;
    DataFiles files{dir.path(), settings, box};
};

double PeakRssMb()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

bool Exec(const std::string& connect, const std::string& sql)
{
    COdbcHandle env = NewOdbcEnvironment();
    COdbcHandle dbc(SQL_HANDLE_DBC, env.get());
    std::string text = connect;
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS,
                                        nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
        return false;
    COdbcHandle stmt(SQL_HANDLE_STMT, dbc.get());
    std::string statement = sql;
    SQLRETURN rc = SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(statement.data()), SQL_NTS);
    stmt.Reset();
    SQLDisconnect(dbc.get());
    return SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
}

// 32,000 rows filled the way a shared directory is: every column given.
bool FillTable(const std::string& connect)
{
    return Exec(connect, R"(DROP TABLE IF EXISTS "Pager_List")") &&
           Exec(connect, R"(CREATE TABLE "Pager_List" ("Code" INTEGER, "CustomData" TEXT, "CustomMessage" TEXT,
                "DefaultPageContent" INTEGER, "DelayTime" INTEGER, "PinDelayTime" INTEGER, "GroupName" TEXT,
                "MaximumPageLength" INTEGER, "PagerID" TEXT, "PagerType" INTEGER, "PhoneNumber" TEXT,
                "SystemPassword" TEXT, "Separator" TEXT, "UserName" TEXT, "VoiceOne" TEXT, "VoiceTwo" TEXT,
                "WaitForConnection" INTEGER, "BaudRate" TEXT))") &&
           Exec(connect, R"(INSERT INTO "Pager_List"
                WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32000)
                SELECT i, 'Building ' || (i % 40), 'Please call the operations desk', 1, 8, 2,
                       'Group ' || (i % 200) || ',Group ' || ((i + 1) % 200) || '/Group ' || ((i + 2) % 200),
                       80, '' || (4000000 + i), i % 2, '1-800-555-' || (1000 + i % 9000), '000000', '*',
                       'Pager user number ' || i, '555-01' || (i % 100), '', 60, '<default>' FROM n)");
}

// Argument 1: on the reading's own thread while this one waits through an event pump, as
// the program reads it; 0: on this thread, as the tools do.
void LoadShared(benchmark::State& state, BenchFiles& bench, const std::string& connect)
{
    CPollPump pump;
    if (state.range(0)) bench.files.pump = &pump;
    bench.settings.Write(key::SharedType, "1");
    bench.settings.Write(key::ODBCConnectString, "ODBC;" + connect);
    for (auto _ : state) {
        CPagerList list;
        list.Reload(bench.files);
        if (list.size() != kPagers) state.SkipWithError("pagers missing");
    }
    state.SetItemsProcessed(state.iterations() * kPagers);
    state.counters["peak_rss_mb"] = PeakRssMb();
}

void BM_LoadSharedSqlite(benchmark::State& state)
{
    BenchFiles bench;
    const std::string connect = "Driver=SQLite3;Database=" + bench.dir.path() + "pagers.db";
    if (!FillTable(connect)) {
        state.SkipWithError("no SQLite table");
        return;
    }
    LoadShared(state, bench, connect);
}
BENCHMARK(BM_LoadSharedSqlite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A loopback port that nothing listens on at the moment.
int FreeLoopbackPort()
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

// A server of this process's own, when none is given.
class CPostgres {
public:
    CPostgres()
    {
        if (const char* port = std::getenv("CORVANE_PG_PORT")) {
            m_port = port;
            return;
        }
        m_port = std::to_string(FreeLoopbackPort());
        m_script = std::string(CORVANE_SOURCE_DIR) + "/tests/servers/test_servers.sh";
        if (std::system((m_script + " start pg " + m_dir.path() + " " + m_port + " >/dev/null").c_str()) != 0)
            m_port.clear();
    }
    ~CPostgres()
    {
        if (!m_script.empty()) std::system((m_script + " stop pg " + m_dir.path()).c_str());
    }
    std::string Connect() const
    {
        return m_port.empty() ? "" : "Driver=PostgreSQL Unicode;Servername=127.0.0.1;Port=" + m_port +
                                         ";Database=pagerdb;Username=pager;Password=pagerpw";
    }

private:
    CBenchDir m_dir;
    std::string m_port;
    std::string m_script;
};

void BM_LoadSharedPostgres(benchmark::State& state)
{
    static CPostgres server;
    BenchFiles bench;
    std::string connect = server.Connect();
    if (connect.empty() || !Exec(connect, "CREATE SCHEMA IF NOT EXISTS corvane_bench")) {
        state.SkipWithError("no PostgreSQL server");
        return;
    }
    connect += ";ConnSettings=SET search_path TO corvane_bench";
    if (!FillTable(connect)) {
        state.SkipWithError("no PostgreSQL table");
        return;
    }
    LoadShared(state, bench, connect);
}
BENCHMARK(BM_LoadSharedPostgres)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

CPagerList& Directory()
{
    static CPagerList list;
    if (list.empty()) {
        for (int i = 0; i < kPagers; ++i) {
            PagerRecord& r = *list.NewPager();
            r.UserName = "Pager user number " + std::to_string(i);
            r.PhoneNumber = "1-800-555-" + std::to_string(1000 + i % 9000);
            r.PagerID = std::to_string(4000000 + i);
            r.PagerType = i % 2 ? "1" : "0";
            r.VoiceOne = "555-01" + std::to_string(i % 100);
            r.CustomData = "Building \"" + std::to_string(i % 40) + "\", east";
            r.SystemPassword = "000000";
        }
    }
    return list;
}

void BM_ExportPagers(benchmark::State& state)
{
    BenchFiles bench;
    const CPagerList& list = Directory();
    const auto format = state.range(0) ? ExportFormat::Text : ExportFormat::CommaDelimited;
    for (auto _ : state)
        if (!ExportPagers(bench.files.Path("pagers.out"), format, list, bench.box)) state.SkipWithError("export failed");
    state.SetItemsProcessed(state.iterations() * kPagers);
}
BENCHMARK(BM_ExportPagers)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole command: the file read and checked, 32,000 new local pagers, the pager file saved.
void BM_ImportPagers(benchmark::State& state)
{
    BenchFiles bench;
    ExportPagers(bench.files.Path("pagers.cdf"), ExportFormat::CommaDelimited, Directory(), bench.box);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(bench.files.Path("PAGERS.DAT"));
        CPagerList list;
        state.ResumeTiming();
        ImportPagers(bench.files.Path("pagers.cdf"), list, bench.files);
        if (list.size() != kPagers) state.SkipWithError("pagers missing");
    }
    state.SetItemsProcessed(state.iterations() * kPagers);
}
BENCHMARK(BM_ImportPagers)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
