// Strings and frets for pitches: each sounding position (a note or a chord)
// gets one string per note, chords on distinct strings, frets 0..24. The hand
// is thought of as a position (the fret under the first finger, covering
// four frets); a dynamic program over all positions of all notes finds the
// fingering with the fewest and shortest position changes, so the hand stays
// where it is as long as the notes allow. Open strings fit every position.
#pragma once

#include <vector>

namespace lw {

inline constexpr int kMaxFret = 24;

struct FingerNote {
    int midi = 0;
    // A fingering the file gave: kept as it is (string 1 = highest).
    int string = 0, fret = -1;
    // The note continues one of the previous position's notes (a tie, a
    // hammer-on, pull-off or slide): it belongs on the same string. For a
    // tie linkMidi is the pitch continued; -1 for any of its notes.
    bool linked = false;
    int linkMidi = -1;
};

struct FingerEvent {
    std::vector<FingerNote> notes;
};

struct FingerResult {
    bool ok = false;
    // When !ok: the position and note that no string can take (note -1: the
    // chord as a whole has no fingering on distinct strings).
    int failEvent = -1, failNote = -1;
    // Per event, per note: string (1-based) and fret.
    std::vector<std::vector<std::pair<int, int>>> placed;
    // Positions whose chord needs a stretch wider than five frets.
    std::vector<int> wide;
};

// open: sounding key numbers of the open strings, string 1 first.
FingerResult FingerEvents(const std::vector<FingerEvent>& events, const std::vector<int>& open);

}  // namespace lw
