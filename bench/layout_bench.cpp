// Laying out a full row: 8 measures of 24 positions on six strings.
#include <benchmark/benchmark.h>

#include "row_editor.h"

namespace {

struct SilentUi : lw::UiPort {
    int MessageBox(const std::string&, int, const std::string&) override { return lw::kIdOk; }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

void BM_ReLayoutFullRow(benchmark::State& state) {
    lw::Session s;
    s.MaxStringIx = 5;
    s.CurSyosetsuCnt = 8;
    s.MeterID = 22;
    s.RhythmRewrite = false;  // the rhythm drawing is measured by the rendering
    auto& l = s.CurLayout();
    l.TabTop = 600;
    l.StringInterval = 120;
    l.StaffTop = 100;
    l.StaffInterval = 80;
    for (int m = 0; m <= 8; ++m) {
        l.SyosetsuLeft[m] = static_cast<int16_t>(300 + 1800 * m);
        l.SyosetsuWidth[m] = 1800;
        l.SyosetsuTop[m] = 600;
        l.SyosetsuHeight[m] = 600;
    }
    for (int m = 0; m < 8; ++m) {
        auto& ms = s.CurDan().Syosetsu[m];
        ms.OnpuCnt = 24;
        for (int p = 1; p <= 24; ++p) {
            ms.Onpu[p].PosNo = static_cast<int16_t>(p);
            for (int k = 1; k <= 6; ++k) lw::StoreNote(ms.Onpu[p], k, (p + k) % 13, 5);
        }
    }
    lw::EditorGlobals g;
    lw::RowScene scene;
    lw::RowItems items;
    SilentUi ui;
    lw::RowPort port;
    lw::RowEditor ed(s, g, scene, items, ui, port, 0);
    for (auto _ : state) {
        ed.ReLayoutTAB("all");
        benchmark::DoNotOptimize(scene.labPos.data());
    }
    state.counters["labels"] = static_cast<double>(scene.labPos.size() - 1);
}
BENCHMARK(BM_ReLayoutFullRow)->Unit(benchmark::kMicrosecond);

}  // namespace
