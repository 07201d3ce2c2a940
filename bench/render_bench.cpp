// Redrawing a full row window: the ground picture and a laid-out row of
// 8 measures x 24 positions x 6 strings painted over it, as the row window
// does after every edit.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>

#include "full_row.h"
#include "row_drawing.h"
#include "row_picture.h"

namespace {

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "render_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QGuiApplication(argc, argv);
        lw::InstallFontSubstitutions();
        return a;
    }();
    return *app;
}

void BM_PaintFullRow(benchmark::State& state) {
    App();
    lwbench::FullRow row;
    QImage target(1100, 280, QImage::Format_RGB32);
    const lw::RowGround ground = lwbench::BenchGround(target.size());
    const lw::RowStyle style = lw::RowStyleOf(row.s, 0, false);
    for (auto _ : state) {
        lwbench::PaintInto(target, row, style, ground);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PaintFullRow)->Unit(benchmark::kMicrosecond);

// One note edit: the row laid out again and painted whole.
void BM_EditRelayoutAndPaint(benchmark::State& state) {
    App();
    lwbench::FullRow row;
    QImage target(1100, 280, QImage::Format_RGB32);
    const lw::RowGround ground = lwbench::BenchGround(target.size());
    const lw::RowStyle style = lw::RowStyleOf(row.s, 0, false);
    int fret = 0;
    for (auto _ : state) {
        auto& pos = row.s.CurDan().Syosetsu[3].Onpu[12];
        lw::StoreNote(pos, 2, fret++ % 20, 5);
        row.ed->ReLayoutTAB("0");
        lwbench::PaintInto(target, row, style, ground);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_EditRelayoutAndPaint)->Unit(benchmark::kMicrosecond);

// A full row with notes drawn on the staff: row start, 1152 heads with their
// signs and ledger lines, fret numbers, chord names and bar lines.
void BM_PaintFullRowWithNotes(benchmark::State& state) {
    App();
    lwbench::FullRow row;
    auto& l = row.s.CurLayout();
    l.TabLeft = 540;
    l.StaffTop = 780;
    l.StaffInterval = 120;
    row.g.DrawNote = true;
    row.ed->ReLayoutTAB("all");
    row.s.KeyName[0] = "G";
    const lw::RowStyle style = lw::RowStyleOf(row.s, 0, true);
    lw::PlaceKeySignature(row.scene, l, style.keyName, style.bassClef, true, style.tpp);
    QImage target(1100, 280, QImage::Format_RGB32);
    const lw::RowGround ground = lwbench::BenchGround(target.size());
    for (auto _ : state) {
        lwbench::PaintInto(target, row, style, ground);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PaintFullRowWithNotes)->Unit(benchmark::kMicrosecond);

}  // namespace
