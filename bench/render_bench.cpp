// Redrawing a full row window: the ground picture and a laid-out row of
// 8 measures x 24 positions x 6 strings painted over it, as the row window
// does after every edit.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>

#include "row_editor.h"
#include "row_picture.h"

namespace {

struct SilentUi : lw::UiPort {
    int MessageBox(const std::string&, int, const std::string&) override { return lw::kIdOk; }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

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

struct FullRow {
    lw::Session s;
    lw::EditorGlobals g;
    lw::RowScene scene;
    lw::RowItems items;
    SilentUi ui;
    lw::RowPort port;
    std::unique_ptr<lw::RowEditor> ed;
    FullRow() {
        s.MaxStringIx = 5;
        s.CurSyosetsuCnt = 8;
        auto& l = s.CurLayout();
        l.TabTop = 2250;
        l.StringInterval = 195;
        l.TabHeight = 975;
        for (int m = 0; m <= 8; ++m) {
            l.SyosetsuLeft[m] = static_cast<int16_t>(540 + 1920 * m);
            l.SyosetsuWidth[m] = 1920;
            l.SyosetsuTop[m] = 2250;
            l.SyosetsuHeight[m] = 975;
        }
        for (int m = 0; m < 8; ++m) {
            auto& ms = s.CurDan().Syosetsu[m];
            ms.OnpuCnt = 24;
            ms.BarFlag[lw::kBarPlain] = ms.BarFlag[lw::kBarPlain2] = -1;
            ms.BarVisible = -1;
            ms.Chord1 = "Am7";
            for (int p = 1; p <= 24; ++p) {
                ms.Onpu[p].PosNo = static_cast<int16_t>(p);
                for (int k = 1; k <= 6; ++k) lw::StoreNote(ms.Onpu[p], k, (p + k) % 13, 5);
            }
        }
        ed = std::make_unique<lw::RowEditor>(s, g, scene, items, ui, port, 0);
        ed->LoadKugiri();
        ed->ReLayoutTAB("all");
        ed->LoadChord();
    }
};

void BM_PaintFullRow(benchmark::State& state) {
    App();
    FullRow row;
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
    FullRow row;
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
