// The order in which a musician plays the measures of the rows: repeats
// taken once, first and second endings in turn, D.S. and D.C. back to the
// sign or the start, "to Coda" on to the coda once the piece has gone back,
// Fine (or an end bar) closing it then. Plain functions over the rows.
#pragma once

#include <cstdint>
#include <vector>

#include "session.h"

namespace lw {

// One measure played: row slot and measure index.
struct PlayStep {
    int16_t Row = 0;
    int16_t Measure = 0;
    bool operator==(const PlayStep&) const = default;
};

// What the walk needs to know of one measure of the piece, in reading order.
struct WalkMeasure {
    int16_t Row = 0, Measure = 0;
    bool RepeatStart = false;  // |: before the measure
    bool RepeatEnd = false;    // :| after it
    int8_t Ending = 0;         // 1 or 2: a first or second ending starts here
    bool Segno = false;        // the sign, at its start
    bool Coda = false;         // the coda, at its start
    bool ToCoda = false;       // "to Coda", at its end
    bool DalSegno = false;     // D.S., at its end
    bool DaCapo = false;       // D.C., at its end
    bool Fine = false;         // Fine or an end bar, at its end
};

// The measures in playing order. A repeat end goes back once to the nearest
// repeat start before it (or to just after the previous repeat end, or to the
// start of the piece). On the way back a first ending is left out for the
// measures after it. The first D.S. or D.C. goes back once, to the sign (the
// last one before it, else the first one; without a sign to the start) or to
// the start; repeats already taken are not taken again. After that jump
// "to Coda" goes on to the next coda (else the first one) and Fine ends the
// piece. Without marks: every measure once, in order.
std::vector<PlayStep> WalkRepeats(const std::vector<WalkMeasure>& piece);

// The measures of rows 0..DocCount-1 (each with PlayMeasureCount measures)
// with their bar flags and the signs of items[slot] (null: none). A sign
// belongs to the measure under its middle; one centred on a bar line belongs
// to the measure that bar starts (sign, coda, ending) or ends (D.S., D.C.,
// Fine, to Coda). The repeat start written after a row's last measure starts
// the next row's first.
std::vector<WalkMeasure> WalkMeasuresOf(const Session& s, const std::vector<const RowItems*>& items);

// Sign codes of the row windows' marks.
enum RepMarkCode : int {
    kMarkSegno = 0, kMarkToCoda = 1, kMarkCoda = 2, kMarkDalSegno = 3, kMarkDaCapo = 4,
    kMarkEnding1 = 5, kMarkEnding2 = 6, kMarkFine = 7, kMarkSwing = 8
};

}  // namespace lw
