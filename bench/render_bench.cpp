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

// Burning in a full row from a fresh ground with notes drawn on the staff:
// row start, 1152 heads with their signs and ledger lines, fret numbers,
// chord names and bar lines, as after an edit with "音符を描画する".
void BM_BurnInFullRow(benchmark::State& state) {
    App();
    lwbench::FullRow row;
    auto& l = row.s.CurLayout();
    l.TabLeft = 540;
    l.StaffTop = 780;
    l.StaffInterval = 120;
    row.g.DrawNote = true;
    row.ed->ReLayoutTAB("all");
    row.s.KeyName[0] = "G";
    lw::RowStyle style = lw::RowStyleOf(row.s, 0, true);
    lw::RowRenderState st;
    QImage ground(1100, 280, QImage::Format_RGB32);
    ground.fill(Qt::white);
    lw::SetGround(st, ground, style, l);
    lw::PlaceKeySignature(row.scene, l, style.keyName, style.bassClef, true, style.tpp);
    std::vector<char> shown;
    for (const auto& lab : row.scene.labPos) shown.push_back(lab.Visible);
    QImage picTAB;
    for (auto _ : state) {
        // What the re-layout of an edit shows again.
        for (size_t i = 0; i < shown.size(); ++i) row.scene.labPos[i].Visible = shown[i];
        lw::PutRhythm(picTAB, st, row.scene, row.items, row.s.CurDan(), l, style, "all", 0, nullptr);
        benchmark::DoNotOptimize(picTAB.constBits());
    }
}
BENCHMARK(BM_BurnInFullRow)->Unit(benchmark::kMicrosecond);

}  // namespace
