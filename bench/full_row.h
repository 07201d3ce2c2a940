// A full row for the benchmarks: 8 measures of 24 positions on six strings,
// laid out with the default geometry, its bar lines and chord names placed.
#pragma once

#include <memory>

#include "row_editor.h"

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

}  // namespace lwbench
