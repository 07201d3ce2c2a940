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
    struct Meter {
        long long ms;
        int meterId;
        size_t before;     // index of the first event after the change
    };
    void ShortMsg(uint32_t packed) override { events.push_back({now, packed}); }
    void MeterChange(int meterId) override { meters.push_back({now, meterId, events.size()}); }
    void Wait(int ms) override { now += ms > 0 ? ms : 0; }

    std::vector<Event> events;
    std::vector<Meter> meters;
    long long now = 0;     // the end of the recording after the last wait
};

// Milliseconds of a quarter note at beat time beatMs, as the player counts
// them: the beat itself, or two eighths of a dotted-quarter beat in 6/8,
// 9/8 and 12/8.
int QuarterMsOf(int beatMs, int meterId);

// The longest quarter note a file's tempo event can state (24-bit microseconds).
inline constexpr int kMaxSmfQuarterMs = 0xFFFFFF / 1000;

// Ticks of a quarter note in the written file.
inline constexpr int kSmfDivision = 960;

// The format-0 file of a recording at beat time beatMs (1..kMaxSmfQuarterMs).
// Where the recording's time signature changes (and at time 0, 4/4 when it
// names none) the track holds the time signature and the tempo of a quarter
// note in it, so a sequencer shows every row's meter and the player's beat;
// the recorded milliseconds become ticks at that tempo, counted from the
// change. Then the messages in the order sent, the end of the track at the
// recording's end.
std::string SmfBytes(const MidiRecorder& rec, int beatMs);

}  // namespace lw
