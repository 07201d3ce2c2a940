// The editor's document state: the eleven row slots and the settings of the
// active row, held in one object so that a test builds a fresh one in a line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dan_data.h"

namespace lw {

// A free text of a row window (labText). Element 0 of a list is the template.
struct TextItem {
    double Top = 0, Left = 0, Height = 0, Width = 0;
    std::string Caption;
    double FontSize = 0;
    bool Visible = true;
    // Face chosen in the text dialog; not in the row file, so a row read
    // from a file draws its texts in the row font.
    std::string FontName = {};
};

// A repeat/ending mark of a row window (picRepMark); Tag is the mark code 0..8.
struct RepMarkItem {
    double Top = 0, Left = 0, Height = 0, Width = 0;
    std::string Tag;
    bool Visible = false;
};

// The document objects that live in a row window rather than in DanData.
struct RowItems {
    std::vector<TextItem> Texts{TextItem{}};          // [0] = template
    std::vector<RepMarkItem> RepMarks{RepMarkItem{}}; // [0] = template
    void Clear() {
        Texts.assign(1, TextItem{});
        RepMarks.assign(1, RepMarkItem{});
    }
};

struct Session {
    std::array<DanData, kSlotCount> DanBuf{};
    std::array<DanLayoutData, kSlotCount> DanLayout{};
    std::array<std::string, kSlotCount> KeyName{};
    int16_t CurDanIx = 0;
    int32_t DocCount = 0;

    // Settings of the active row. MeterID mirrors the active row's
    // DanData::MeterID (each row keeps its own time signature).
    int16_t CurSyosetsuCnt = 4;
    int16_t MeterID = 22;
    int16_t MaxStringIx = 3;

    // From Lutewise.ini.
    int16_t ChordFontSize = 0;
    int16_t FletFontSize = 0;
    int16_t GakkiCode = 0;
    int16_t GakkiMenuIx = 0;
    std::array<std::array<int16_t, 4>, 7> TuningTbl{};  // [string][column]
    std::array<std::string, 4> MruFiles{};
    bool RhythmRewrite = false;
    bool MoveFletForm = true;
    // Set by the first reading of the settings file; later readings keep the
    // instrument and the options chosen in this run.
    bool IniRead = false;

    // Layout style 1..5 (0: no geometry is read) and the screen's twips per pixel.
    int16_t PosRhythm = 1;
    int TwipsPerPixelX = 15;
    int TwipsPerPixelY = 15;

    // Version text written into every .tab header: major, minor, revision.
    std::string VersionText = "201";

    DanData& CurDan() { return DanBuf[CurDanIx]; }
    const DanData& CurDan() const { return DanBuf[CurDanIx]; }
    DanLayoutData& CurLayout() { return DanLayout[CurDanIx]; }
    const DanLayoutData& CurLayout() const { return DanLayout[CurDanIx]; }
};

}  // namespace lw
