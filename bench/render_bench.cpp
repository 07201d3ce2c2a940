// Redrawing a full row window: the ground picture and a laid-out row of
// 8 measures x 24 positions x 6 strings painted over it, as the row window
// does after every edit.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>

#include "full_row.h"
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
    QImage ground(1100, 280, QImage::Format_RGB32);
    ground.fill(Qt::white);
    QImage target(ground.size(), QImage::Format_RGB32);
    lw::SceneFonts fonts;
    for (auto _ : state) {
        QPainter p(&target);
        p.drawImage(0, 0, ground);
        lw::PaintScene(p, row.scene, row.items, fonts, 15);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PaintFullRow)->Unit(benchmark::kMicrosecond);

// One note edit: the row laid out again and repainted.
void BM_EditRelayoutAndPaint(benchmark::State& state) {
    App();
    lwbench::FullRow row;
    QImage target(1100, 280, QImage::Format_RGB32);
    lw::SceneFonts fonts;
    int fret = 0;
    for (auto _ : state) {
        auto& pos = row.s.CurDan().Syosetsu[3].Onpu[12];
        lw::StoreNote(pos, 2, fret++ % 20, 5);
        row.ed->ReLayoutTAB("0");
        target.fill(Qt::white);
        QPainter p(&target);
        lw::PaintScene(p, row.scene, row.items, fonts, 15);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_EditRelayoutAndPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
