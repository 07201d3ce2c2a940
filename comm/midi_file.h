// Standard MIDI Files recorded from the Midi Player: a sink and clock that
// keep every message the player sends with the sum of the waits before it,
// and the format-0 file that holds the recording.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "midi_player.h"

namespace lw {

// Records what the player sends; time advances only by its waits.
class MidiRecorder : public MidiSink, public PlayClock {
public:
    struct Event {
        long long ms;      // milliseconds since the start of the recording
        uint32_t packed;   // status + data1 * 256 + data2 * 65536
    };
    void ShortMsg(uint32_t packed) override { events.push_back({now, packed}); }
    void Wait(int ms) override { now += ms > 0 ? ms : 0; }

    std::vector<Event> events;
    long long now = 0;     // the end of the recording after the last wait
};

// Milliseconds of a quarter note at beat time beatMs, as the player counts
// them: the beat itself, or two eighths of a dotted-quarter beat in 6/8,
// 9/8 and 12/8.
int QuarterMsOf(int beatMs, int meterId);

// The longest quarter note a file's tempo event can state (24-bit microseconds).
inline constexpr int kMaxSmfQuarterMs = 0xFFFFFF / 1000;

// The format-0 file of a recording: one tick is one millisecond (the
// division is the quarter note in milliseconds, the tempo event the same
// quarter in microseconds), so every event keeps its recorded time exactly
// and a sequencer shows the player's tempo and note values. Tempo and time
// signature (from meterId) at time 0, the messages in the order sent, the
// end of the track at recording end. quarterMs must be 1..kMaxSmfQuarterMs.
std::string SmfBytes(const MidiRecorder& rec, int quarterMs, int meterId);

}  // namespace lw
