// Loading and saving a full row: 8 measures of 24 positions on six strings.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "tab_file.h"

using namespace lw;
namespace fs = std::filesystem;

namespace {

Session FullRow() {
    Session s;
    s.MaxStringIx = 5;
    s.CurSyosetsuCnt = 8;
    s.DanBuf[0].SyosetsuCnt = 8;
    s.KeyName[0] = "G";
    for (int m = 0; m <= 8; ++m) s.DanLayout[0].SyosetsuLeft[m] = static_cast<int16_t>(540 + 1920 * m);
    for (int m = 0; m < 8; ++m) {
        SyosetsuData& ms = s.DanBuf[0].Syosetsu[m];
        ms.Chord1 = "G";
        ms.Chord2 = "D7";
        ms.BarFlag[kBarPlain] = ms.BarFlag[kBarPlain2] = kTrue;
        ms.OnpuCnt = 24;
        for (int p = 1; p <= 24; ++p) {
            OnpuData& o = ms.Onpu[p];
            for (int k = 1; k <= 6; ++k) {
                StoreNote(o, k, (p + k) % 13, 6);
                o.Pitch[k] = static_cast<uint8_t>(1 + (p + k) % 31);
                o.StaffPos[k] = static_cast<int16_t>(p - k);
            }
        }
    }
    return s;
}

RowItems SomeItems() {
    RowItems items;
    items.Texts.push_back({60, 600, 300, 2400, "タイトル", 12});
    items.Texts.push_back({400, 12000.5, 240, 1200, "Allegro, ♩=120", 9.75});
    items.RepMarks.push_back({100, 3000, 240, 240, "1", true});
    return items;
}

std::string TempPath(const char* name) {
    return (fs::temp_directory_path() / (std::string("lw_bench_") + std::to_string(getpid()) + "_" + name)).string();
}

void BM_SerializeFullRow(benchmark::State& state) {
    const Session s = FullRow();
    const RowItems items = SomeItems();
    size_t bytes = 0;
    for (auto _ : state) {
        std::string out = SerializeTab(s, items);
        bytes = out.size();
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_SerializeFullRow);

void BM_ParseFullRow(benchmark::State& state) {
    const std::string bytes = SerializeTab(FullRow(), SomeItems());
    Session s;  // an open editor loads into its existing state
    s.MaxStringIx = 5;
    RowItems items;
    for (auto _ : state) {
        LoadTabResult r = LoadTabFromBytes(s, items, bytes, "row.tab");
        if (!r.ok) state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(s);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseFullRow);

// The save a user waits for: temporary file, sync, rename.
void BM_SaveTabFullRow(benchmark::State& state) {
    const Session s = FullRow();
    const RowItems items = SomeItems();
    const std::string path = TempPath("save.tab");
    for (auto _ : state) {
        std::string err;
        if (!SaveTab(s, items, path, &err)) state.SkipWithError(err.c_str());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveTabFullRow)->Unit(benchmark::kMicrosecond);

void BM_LoadTabFullRow(benchmark::State& state) {
    const std::string path = TempPath("load.tab");
    if (!SaveTab(FullRow(), SomeItems(), path)) state.SkipWithError("cannot write the row");
    Session s;
    s.MaxStringIx = 5;
    RowItems items;
    for (auto _ : state) {
        LoadTabResult r = LoadTab(s, items, path);
        if (!r.ok) state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(s);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadTabFullRow)->Unit(benchmark::kMicrosecond);

}  // namespace
