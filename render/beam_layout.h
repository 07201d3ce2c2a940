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

struct BeamGroups {
    // Indexed by position 1..24; -1 = set.
    std::array<int16_t, kPositionSlots> stem{};    // rhythm value of the stem stamp (2: plain stem)
    std::array<int16_t, kPositionSlots> main{};    // joined to the next by the main beam
    std::array<int16_t, kPositionSlots> second{};  // joined to the next by a second beam
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
