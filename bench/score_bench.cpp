// The score and the rhythm drawing: composing a ten-row score from finished
// row pictures, and one note edit of a full row laid out and drawn anew with
// stems, beams and heads on the staff.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "full_row.h"
#include "row_drawing.h"
#include "row_picture.h"
#include "score.h"

namespace {

void App() {
    static int argc = 1;
    static char name[] = "score_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QGuiApplication(argc, argv);
        lw::InstallFontSubstitutions();
        return a;
    }();
    (void)app;
}

void BM_ComposeTenRowScore(benchmark::State& state) {
    App();
    std::vector<QImage> rows(10, QImage(1100, 296, QImage::Format_RGB32));
    for (QImage& r : rows) r.fill(Qt::white);
    std::vector<const QImage*> ptrs;
    for (const QImage& r : rows) ptrs.push_back(&r);
    for (auto _ : state) {
        const lw::GakufuResult res = lw::ComposeGakufu(ptrs, 1, "0", true);
        benchmark::DoNotOptimize(res.pages.front().constBits());
    }
}
BENCHMARK(BM_ComposeTenRowScore)->Unit(benchmark::kMicrosecond);

// A full row of eighths (beamed in pairs) with notes on the staff.
void BM_NoteEditRelayoutAndRedraw(benchmark::State& state) {
    App();
    lwbench::FullRow row;
    auto& l = row.s.CurLayout();
    l.TabLeft = 540;
    l.StaffTop = 780;
    l.StaffInterval = 120;
    for (int m = 0; m < 8; ++m) {
        auto& ms = row.s.CurDan().Syosetsu[m];
        ms.OnpuCnt = 8;
        for (int p = 1; p <= 8; ++p)
            for (int k = 1; k <= 3; ++k) lw::StoreNote(ms.Onpu[p], k, (p + k) % 13, 3);
    }
    row.g.DrawNote = true;
    lw::RowStyle style = lw::RowStyleOf(row.s, 0, true);
    QImage picTAB(1100, 296, QImage::Format_RGB32);
    const lw::RowGround ground = lwbench::BenchGround(picTAB.size());
    int fret = 0;
    for (auto _ : state) {
        lw::StoreNote(row.s.CurDan().Syosetsu[3].Onpu[4], 2, fret++ % 12, 3);
        row.ed->ReLayoutTAB("all");
        lwbench::PaintInto(picTAB, row, style, ground);
        benchmark::DoNotOptimize(picTAB.constBits());
    }
}
BENCHMARK(BM_NoteEditRelayoutAndRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace
