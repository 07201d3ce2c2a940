// Which notes of a measure are joined by beams, worked out again every time
// the measure is drawn: beat starts and triplets (bits 6 and 3, BeatGroupNo,
// SanrenIx), the group arrays (stem value, main and second beams, stubs,
// note counts per beat group), the dissolving of groups that would look
// wrong, and the straight beam line of a group. No drawing here.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "dan_data.h"
#include "measure_beats.h"

namespace lw {

// Stem value of a position drawn as nothing: the held part of the note
// before or after it in the triplet patterns "タータ" and "タター".
inline constexpr int16_t kStemHeld = -1;

// True for the place of a triplet that the note before it holds over (the
// middle of "タータ", the last of "タター"): nothing is drawn there. Reads
// SanrenIx of a prepared measure.
bool IsHeldPlace(const OnpuData& prepared);

// Beams (or flags) a rhythm value asks for: 1 for eighths and triplet
// eighths, 2 for sixteenths and triplet sixteenths, 3 for thirty-seconds,
// 0 for longer values and rests.
int BeamLevel(int rhythmId);
// Flags at the end of an unbeamed stem of this stem value.
int FlagsOfStem(int stemValue);

struct BeamGroups {
    // Indexed by position 1..24; -1 = set.
    std::array<int16_t, kPositionSlots> stem{};    // rhythm value of the stem stamp (2: plain stem; kStemHeld)
    std::array<int16_t, kPositionSlots> main{};    // joined to the next by the main beam
    std::array<int16_t, kPositionSlots> second{};  // joined to the next by a second beam
    std::array<int16_t, kPositionSlots> third{};   // joined to the next by a third beam
    std::array<int16_t, kPositionSlots> stubA{};   // sixteenth followed by a dotted eighth
    std::array<int16_t, kPositionSlots> stubB{};   // dotted eighth followed by a sixteenth
    std::array<int16_t, 129> noteCount{};          // notes (not rests) per beat group
};

// Groups a prepared measure and dissolves the groups that mix stem
// directions (and, in compound meters, the groups holding a quarter).
BeamGroups GroupMeasure(const SyosetsuData& ms, int meterId);
void DissolveGroups(const SyosetsuData& ms, int meterId, BeamGroups& g);

// One beamed group [first, last] (positions), as the drawing walks them.
struct BeamRun {
    int first = 0, last = 0;
};
std::vector<BeamRun> MainRuns(const SyosetsuData& ms, const BeamGroups& g);
// The first run of second-beam flags inside [first, last]: its start and
// the position it ends at; {0, 0} when there is none.
BeamRun SecondRun(const BeamGroups& g, const BeamRun& r);

// The beams inside a group beyond its main beam: every run of second (level
// 2) and third (level 3) flags is a beam from the stem of `from` to the stem
// of `to`; a note that asks for the level but has no neighbour on it gets a
// stub (from == to) pointing to the neighbour it belongs with: left at the
// end of the group or after a dotted note, right otherwise.
struct BeamSegment {
    int level = 2;
    int from = 0, to = 0;
    int stub = 0;  // 0 a beam between two stems; -1 a stub to the left, +1 to the right
};
std::vector<BeamSegment> InnerBeams(const SyosetsuData& ms, const BeamGroups& g, const BeamRun& r);

// Slope of a beam over stem ends (x, y): the running average of the slopes
// between neighbours, averaged over the group (the list ends at the first
// x equal to 0). 0 for fewer than two points.
struct StemEnd {
    double x = 0, y = 0;
};
double BeamSlope(const std::vector<StemEnd>& ends);

// Shift of an upward beam: how far the beam line moves so that it passes
// the lowest stem end (largest y) of the group. Downward beams mirror it
// (use negated y values).
double BeamShift(const std::vector<StemEnd>& ends, double slope);

}  // namespace lw
