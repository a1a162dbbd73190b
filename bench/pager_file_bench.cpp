// PAGERS.DAT and MONITOR.DAT at their largest: 32,000 local pagers with three groups each,
// saved to and loaded from a data directory in a temporary folder.
//
// Counters: file_kb is the size of PAGERS.DAT; list_mb the heap a loaded list holds
// (mallinfo2 before and after); peak_rss_mb the process's peak resident size so far.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <string>
#include <sys/resource.h>

#include "common/file_io.h"
#include "common/message_box.h"
#include "directory/pager_file.h"
#include "settings/memory_settings.h"

namespace corvane {
namespace {

constexpr int kPagers = 32000;

class CSilentMessageBox : public IMessageBox {
public:
    MbAnswer Show(const std::string&, const std::string&, MbIcon, MbButtons) override { return MbAnswer::Cancel; }
};

// A data directory under the temporary folder, removed at the end.
class CBenchDir {
public:
    CBenchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern + "/";
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

// 32,000 pagers filled the way users fill them; `groupNames` distinct names, three a pager.
void Fill(CPagerList& list, int groupNames)
{
    for (int i = 0; i < kPagers; ++i) {
        PagerRecord& r = *list.NewPager();
        r.UserName = "Pager user number " + std::to_string(i);
        r.PhoneNumber = "1-800-555-" + std::to_string(1000 + i % 9000);
        r.PagerID = std::to_string(4000000 + i);
        r.PagerType = i % 2 ? "1" : "0";
        r.VoiceOne = "555-01" + std::to_string(i % 100);
        r.CustomData = "Building " + std::to_string(i % 40);
        r.ServiceName = "Metro Paging";
        r.SystemPassword = "000000";
        for (int g = 0; g < 3; ++g) r.Groups.push_back("Group " + std::to_string((i * 3 + g) % groupNames));
        if (i % 10 == 0) r.AutoPageFlags = kAutoCallMonitor | kAutoMail;
    }
}

double PeakRssMb()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double HeapMb()
{
    return static_cast<double>(::mallinfo2().uordblks) / (1024.0 * 1024.0);
}

struct BenchFiles {
    CBenchDir dir;
    CMemorySettings settings;
    CSilentMessageBox box;
    DataFiles files{dir.path(), settings, box};
};

std::unique_ptr<BenchFiles> SavedDirectory(int groupNames)
{
    auto bench = std::make_unique<BenchFiles>();
    CPagerList list;
    Fill(list, groupNames);
    list.Save(bench->files);
    return bench;
}

void FileCounters(benchmark::State& state, const BenchFiles& bench)
{
    std::string bytes;
    ReadWholeFile(bench.files.Path(kPagerFileName), bytes);
    state.counters["file_kb"] = static_cast<double>(bytes.size()) / 1024.0;
    state.counters["peak_rss_mb"] = PeakRssMb();
}

// Both files written whole, each through a temporary file, fsync and rename.
void BM_SavePagers(benchmark::State& state)
{
    BenchFiles bench;
    CPagerList list;
    Fill(list, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!list.Save(bench.files)) state.SkipWithError("save failed");
    }
    FileCounters(state, bench);
}
BENCHMARK(BM_SavePagers)->Arg(200)->Unit(benchmark::kMillisecond);

// The local part: PAGERS.DAT read and parsed, MONITOR.DAT applied.
void BM_LoadLocal(benchmark::State& state)
{
    auto bench = SavedDirectory(static_cast<int>(state.range(0)));
    double listMb = 0;
    for (auto _ : state) {
        double before = HeapMb();
        CPagerList list;
        list.LoadLocal(bench->files);
        listMb = HeapMb() - before;
        if (list.size() != kPagers) state.SkipWithError("pagers missing");
    }
    state.counters["list_mb"] = listMb;
    FileCounters(state, *bench);
}
BENCHMARK(BM_LoadLocal)->Arg(200)->Unit(benchmark::kMillisecond);

// What the start-up and every re-scan do: the load and the group names, with 200 names
// shared by all pagers and with three names of its own for every pager.
void BM_Reload(benchmark::State& state)
{
    auto bench = SavedDirectory(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CPagerList list;
        list.Reload(bench->files);
        benchmark::DoNotOptimize(list.GroupNames().size());
    }
    FileCounters(state, *bench);
}
BENCHMARK(BM_Reload)->Arg(200)->Arg(3 * kPagers)->Unit(benchmark::kMillisecond);

// Parsing alone, from bytes in memory.
void BM_ReadPagerRecords(benchmark::State& state)
{
    CPagerList source;
    Fill(source, 200);
    const std::string bytes = WritePagerRecords(source);
    for (auto _ : state) {
        CPagerList list;
        benchmark::DoNotOptimize(ReadPagerRecords(bytes, list).records);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadPagerRecords)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
