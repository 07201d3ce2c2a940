// The measures of a row: the notes on the staff and the rhythm passes, the
// style a row is drawn in, and what a row window keeps of its drawing.
#pragma once

#include <QImage>
#include <string>

#include "burn_in.h"
#include "rhythm_drawing.h"
#include "staff_notation.h"

namespace lw {

// How a row is drawn: layout style, view option, instrument and key.
struct RowStyle {
    int posRhythm = 1;          // 1..5
    bool drawNote = false;      // "音符を描画する"
    bool bassClef = false;
    int maxStringIx = 5;
    int gakkiCode = 0;
    TuningTable tuning{};
    std::string keyName = "C";
    SceneFonts fonts;
    int tpp = 15;
    int meterId = 22;
    RowStartStyle Start() const { return {posRhythm, drawNote, bassClef, maxStringIx}; }
};

// The style of slot `slot` from the session (PosRhythm, strings, instrument,
// tuning, key, font sizes, twips per pixel); bass clef for the bass instruments.
RowStyle RowStyleOf(const Session& s, int slot, bool drawNote);

// What a row window keeps between paints: the clean ground of its style (a
// cache of the ground file) and the staff table its staff clicks use.
// Painting keeps nothing here: everything a paint works out lives in it.
struct RowRenderState {
    RowGround ground;
    StaffCache staff;
    OpenValues open{28, 23, 19, 14, 9, 4};
};

// Loads the ground picture of the style from `folder` ("TABn1.bmp" ...) and
// blanks the lines the instrument does not have. False with a reason when
// the file is missing (the ground is then white).
bool PrepareGround(RowRenderState& st, const std::string& folder, const RowStyle& style, const DanLayoutData& l,
                   std::string* error = nullptr);
// The same from a ground already in memory.
void SetGround(RowRenderState& st, const QImage& ground, const RowStyle& style, const DanLayoutData& l);

// What one paint of a row works out measure by measure: the staff table,
// the accidental memory of the measure being drawn, and where each
// measure's notes, stems and beams were drawn (the arcs that start in the
// measure before need them).
struct MeasurePass {
    StaffCache staff;
    AccidentalMemory memory;
    OpenValues open{28, 23, 19, 14, 9, 4};
    std::array<MeasureGeom, kMeasureSlots> geom{};
};

// Notes of measure m on the staff: heads, accidentals (after the accidental
// memory of the measure) and ledger lines. Rests and unsounded positions are
// skipped. `dan` is the paint's own copy of the row (staff data is cached in it).
void DrawStaffMeasure(Canvas& picTAB, MeasurePass& st, const RowScene& scene, DanData& dan, const DanLayoutData& l,
                      int m, const RowStyle& style, const BurnContext& c);

// The rhythm of measure m (RedrawDan): the staff pass (heads, stems,
// beams, marks, arcs) with "音符を描画する", otherwise the rhythm-row pass
// unless the style shows no rhythm.
void RedrawDan(Canvas& picTAB, MeasurePass& st, const RowScene& scene, DanData& dan, const DanLayoutData& l, int m,
               const RowStyle& style, const BurnContext& c);

// ---- a row window's staff services (RowPort) ----

// Key signature of slot `slot` placed into scene.picKey with the row's stamps
// (no signs when the row shows no staff).
void PutKeySignature(RowScene& scene, const Session& s, int slot, bool drawNote);

// Staff click at y (window twips) of slot `slot` to a string (1-based) and a
// fret of the current tuning; false when nothing can be entered.
bool StaffPointToStringFret(const Session& s, int slot, RowRenderState& st, double y, int& string, int& fret);

// Room (twips) kept free before the first note of the row for the row start
// (clef, "TAB", key signature): DanLayoutData::RowStartInset.
int16_t RowStartInsetOf(const DanLayoutData& l, const RowStyle& style);

// The context for painting a row of this style.
BurnContext BurnContextOf(const RowStyle& style, const DanLayoutData& l);

}  // namespace lw
