// Laying out a full row: 8 measures of 24 positions on six strings.
#include <benchmark/benchmark.h>

#include "full_row.h"

namespace {

void BM_ReLayoutFullRow(benchmark::State& state) {
    lwbench::FullRow row;
    for (auto _ : state) {
        row.ed->ReLayoutTAB("all");
        benchmark::DoNotOptimize(row.scene.labPos.data());
    }
    state.counters["labels"] = static_cast<double>(row.scene.labPos.size() - 1);
}
BENCHMARK(BM_ReLayoutFullRow)->Unit(benchmark::kMicrosecond);

}  // namespace
