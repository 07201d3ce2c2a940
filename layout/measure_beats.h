// The beats of a measure as the row is drawn and edited: beat starts and
// beat groups, and the place of each note in its triplet (SanrenIx). Both
// the drawing and the note-entry commands work the triplet groups out here,
// so an edit finds the group the row shows.
#pragma once

#include <array>
#include <cstdint>

#include "dan_data.h"

namespace lw {

// Beat length in ticks: a dotted quarter (36) in 6/8, 9/8 and 12/8, a
// quarter (24) otherwise.
int BeatLength(int meterId);
bool IsCompoundMeter(int meterId);

// The first sounded string of a position (1-based), 0 when none sounds.
int FirstSoundedString(const OnpuData& pos);
// Rhythm value of a position: that of its first sounded string, or of
// string 1 when none sounds.
int RhythmValueOf(const OnpuData& pos);

// Beat starts (bit 6), beat groups, triplet places (SanrenIx) and the
// triplet-mark position (bit 3) of the measure's positions.
void PrepareMeasure(SyosetsuData& ms, int meterId);

// The triplet place (1..3, 0 outside a triplet) of every position 1..24 of
// the measure as it stands, without changing it.
std::array<uint8_t, kPositionSlots> TripletPlaces(const SyosetsuData& ms, int meterId);

}  // namespace lw
