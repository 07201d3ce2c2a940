// Rhythm notation of a measure: the glyph choice of notes, stems, rests,
// triplet marks and repeat signs; stems, flags and beams on the staff or in
// the rhythm row; triplet marks; ties, slurs and technique arcs with their
// "H", "P", "S" letters, painted on the row's canvas.
#pragma once

#include <QImage>
#include <QPointF>
#include <array>

#include "beam_layout.h"
#include "burn_in.h"
#include "dan_data.h"
#include "row_scene.h"

namespace lw {

// ---- glyph choice ----
Stamp CopyPictureNote(int rhythmId, uint8_t noteAttr);     // head on the staff
Stamp CopyPictureRhythm(int rhythmId, uint8_t noteAttr);   // rhythm-row glyph of a stem value
Stamp CopyPictureTate(int rhythmId, uint8_t noteAttr);     // stem stamp of a stem value
Stamp CopyPicture3ren(int formFlag);                       // 0 above the notes, 1 below
Stamp CopyPictureKyufu(int restId);
Stamp CopyPictureRepMark(int markCode);
// Copies a stamp with its size (twips) into an element and shows it.
void CopyPicture(ScenePicture& e, Stamp s, const StampBook& book, int tpp);


// What the drawing of a note keeps for its stem, beam and arcs (pixels).
struct NoteGeom {
    bool placed = false;
    bool down = false;                 // stems down
    double left = 0, right = 0;        // head (staff) or glyph (rhythm row) box
    double top = 0, bottom = 0;        // centres of the highest and lowest head; glyph box in the rhythm row
    double stemX = 0, stemW = 1;       // left edge and width of the stem
    double stemEnd = 0;                // far end of the stem (the beam's inner edge when beamed)
    QPointF primary, alternate;        // note-level arc anchors
    std::array<QPointF, kStringSlots> strPrimary{};
    std::array<bool, kStringSlots> hasString{};
};
using MeasureGeom = std::array<NoteGeom, kPositionSlots>;

// ---- the arc rule ----
struct ArcShape {
    QRectF box;                // the ellipse's box (pixels)
    QPointF start, end;        // radial points, as the Windows Arc call takes them
    bool above = false;
};
// From the start (x1, y1) at the earlier note to the end at the later one;
// h = the slur stamp's height; staffForm: the staff adjustments apply.
ArcShape ArcRule(QPointF start, QPointF end, double h, bool above, bool staffForm);
// Draws the arc counter-clockwise from start to end (below) or from end to
// start (above), as the Windows Arc call does.
void DrawArc(Canvas& dest, const ArcShape& a);

// Beam thickness and the distance of the second beam (pixels).
inline constexpr double kBeamThickness = 6;

struct RhythmContext {
    int meterId = 22;
    int posRhythm = 1;
    bool drawNote = false;
    int maxStringIx = 5;
};

// Staff pass after the heads were placed (geom filled by the head drawing):
// stems, flags, beams, triplet marks, ties, slurs and technique arcs.
// prev: the previous measure's geometry (null for the row's first measure).
void DrawStaffRhythm(Canvas& picTAB, const SyosetsuData& ms, const DanLayoutData& l, MeasureGeom& geom,
                     const MeasureGeom* prev, const SyosetsuData* prevMs, const RhythmContext& rc,
                     const BurnContext& c);

// Fret numbers stand this far (twips) left of their cells when notes are drawn.
inline constexpr double kDrawNoteShift = 60;

// Only the tablature's technique arcs and their letters, for the layout
// without rhythm ("TAB譜のみ、リズム譜なし").
void DrawTabTechniques(Canvas& picTAB, const SyosetsuData& ms, const SyosetsuData* prevMs, const RhythmContext& rc,
                       const BurnContext& c);

// Rhythm-row pass: glyphs, beams, triplet marks, ties, slurs and technique arcs.
void DrawRhythmRow(Canvas& picTAB, const SyosetsuData& ms, const DanLayoutData& l, MeasureGeom& geom,
                   const MeasureGeom* prev, const SyosetsuData* prevMs, const RhythmContext& rc,
                   const BurnContext& c);

}  // namespace lw
