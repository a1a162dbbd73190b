// The log viewer on a page log of 200,000 entries (about 20 MB): opening it (the list of
// entries) and reading one message on demand.
//
// Counters: file_mb is the size of the log; entries the number listed.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/core/log_reader.h"

namespace corvane {
namespace {

constexpr int kEntries = 200000;

// The log in a temporary folder, removed at the end: delivered pages and failed ones,
// one message in ten over two lines, as the send run writes them.
class CBenchLog {
public:
    CBenchLog()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return;
        m_dir = pattern;
        m_path = m_dir + "/log.txt";
        std::ofstream out(m_path, std::ios::binary);
        for (int i = 0; i < kEntries; ++i) {
            out << "03/07/01 09:05AM ";
            if (i % 7 == 0) out << "Error 13 To ";
            out << "Pager user number " << i % 5000 << ": The server in rack " << i % 40
                << " stopped answering; call the operations desk on 555-0100 at once";
            if (i % 10 == 0) out << "\nand tell the duty manager";
            out << "\n";
        }
    }
    ~CBenchLog()
    {
        std::error_code ignored;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_dir;
    std::string m_path;
};

const CBenchLog& Log()
{
    static CBenchLog log;
    return log;
}

void BM_OpenLog(benchmark::State& state)
{
    const std::string& path = Log().path();
    std::size_t entries = 0;
    for (auto _ : state) {
        CLogReader reader;
        reader.Open(path);
        entries = reader.size();
        benchmark::DoNotOptimize(entries);
    }
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["file_mb"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
}
BENCHMARK(BM_OpenLog)->Unit(benchmark::kMillisecond);

void BM_ReadOneMessage(benchmark::State& state)
{
    CLogReader reader;
    reader.Open(Log().path());
    std::size_t index = reader.size() / 2;
    for (auto _ : state) {
        std::string message = reader.ReadMessage(index);
        benchmark::DoNotOptimize(message);
    }
}
BENCHMARK(BM_ReadOneMessage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
