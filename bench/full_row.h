// A full row for the benchmarks: 8 measures of 24 positions on six strings,
// laid out with the default geometry, its bar lines and chord names placed.
#pragma once

#include <memory>

#include <QImage>
#include <QPainter>

#include "row_editor.h"
#include "row_paint.h"

namespace lwbench {

struct SilentUi : lw::UiPort {
    int MessageBox(const std::string&, int, const std::string&) override { return lw::kIdOk; }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

struct FullRow {
    lw::Session s;
    lw::EditorGlobals g;
    lw::RowScene scene;
    lw::RowItems items;
    SilentUi ui;
    lw::RowPort port;  // no rhythm drawing: the rendering is measured on its own
    std::unique_ptr<lw::RowEditor> ed;

    FullRow() {
        s.MaxStringIx = 5;
        s.CurSyosetsuCnt = 8;
        s.MeterID = 22;
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

// Paints the row into target (the row window's picture) over a ground of
// the target's size with the default staff and TAB lines.
inline lw::RowGround BenchGround(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    for (int k = 0; k < 5; ++k) p.drawLine(36, 52 + 8 * k, 1060, 52 + 8 * k);
    for (int k = 0; k < 6; ++k) p.drawLine(36, 150 + 13 * k, 1060, 150 + 13 * k);
    p.end();
    return lw::GroundOf(img);
}

inline void PaintInto(QImage& target, FullRow& row, const lw::RowStyle& style, const lw::RowGround& ground) {
    QPainter p(&target);
    lw::PaintRow(p, {row.scene, row.items, row.s.CurDan(), row.s.CurLayout(), style, ground});
}

}  // namespace lwbench
