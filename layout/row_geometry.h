// Geometry of a row: note advance and x, the measure/string under a point,
// the staff area, measure capacity and the label numbering. Pure functions
// over the session (active row = s.CurDanIx).
#pragma once

#include <cstdint>
#include <vector>

#include "session.h"

namespace lw {

inline constexpr double kStaffAreaMargin = 277.5;   // 555 / 2 twips above the first string
inline constexpr double kNoteAreaInset = 300;       // twips kept free at a measure's left

// Twips kept free at the left of measure m: the usual inset, or in the first
// measure the room the row start needs.
inline double NoteAreaInset(const DanLayoutData& lay, int m) {
    return m == 0 && lay.RowStartInset > kNoteAreaInset ? double(lay.RowStartInset) : kNoteAreaInset;
}

// True when v can be stored as a 16-bit coordinate.
bool FitsI16(double v);

// Least room (twips) of a note while the measure has that much for each.
inline constexpr double kMinNoteAdvance = 240;

// Where positions 1..n+1 of a measure stand, in twips from the start of its
// note area `available` wide (element p-1 for position p; the last element is
// where the empty part of the measure begins). The notes share the measure by
// the square root of their durations (twice as long, 1.41 times the room), as
// engravers space them; the part not yet filled counts as notes of the last
// value; every note keeps kMinNoteAdvance when the measure has room for that,
// so an accidental never lands on the head before it. The longest sounding
// string of a position counts, an unknown value as a whole note, a position
// where nothing sounds takes no room. All 0 for an unknown meter.
std::vector<double> NoteOffsets(const SyosetsuData& ms, int strings, double available, int meterId);

// x of position `count` of measure m (positions 1..count-1 come before it).
// Computed in double; the caller checks the 16-bit range with FitsI16.
double GetNoteXExact(const Session& s, int m, int count);
int GetNoteX(const Session& s, int m, int count);

// Measure capacity in ticks for the meter; 0 for an unknown meter.
int GetSyosetsuLength(int meterId);

// Sum of the durations of positions 1..OnpuCnt of measure m of the active row.
int MeasureTicks(const Session& s, int m);

// Measure under x: the last m < CurSyosetsuCnt with SyosetsuLeft(m) < x.
bool GetSyosetsuNo(const Session& s, double x, int& measure);

// String band 1..6 under y, 0 on a boundary or outside.
int GetLineNo(const Session& s, double y);

// True when y is more than 277.5 twips above the first string line.
bool Area5ScopeCheck(const Session& s, double x, double y);

// A position counts as a rest when string 1 sounds with a rest id.
bool IsRestPosition(const OnpuData& p);

// Index of the control that belongs to position p of measure m: for a rest
// (restFlag 1) its picKyufu index, otherwise the labPos index of its last
// string. Every non-rest position owns MaxStringIx+1 labels, used strings or
// not, exactly as the layout places them.
int GetCtrlIndex(const Session& s, int m, int p, int restFlag);

// Narrowest width (twips) measure m of the active row can be dragged to: its
// fret columns stay a cell and a little air apart, the last one stays inside the
// measure and its chord names do not overlap. An empty measure keeps room
// for one note.
double MinSyosetsuWidth(const Session& s, int m, double cellWidth, double chordLabelWidth);

// Measure count change: CurSyosetsuCnt and the row's SyosetsuCnt (clamped to
// 1..8). The caller then re-reads the settings and calls
// RowEditor::AfterSettingsRead. Returns the count now in effect.
int ChangeMeasureCount(Session& s, int count);

}  // namespace lw
