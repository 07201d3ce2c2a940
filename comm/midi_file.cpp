#include "midi_file.h"

#include <algorithm>

#include "dan_data.h"

namespace lw {

namespace {

void PutVarLen(std::string& out, unsigned long long v) {
    char buf[10];
    int n = 0;
    buf[n++] = static_cast<char>(v & 0x7F);
    while ((v >>= 7) != 0) buf[n++] = static_cast<char>(0x80 | (v & 0x7F));
    while (n > 0) out += buf[--n];
}

void PutBigEndian(std::string& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Number of data bytes after a channel status byte.
int DataBytes(int status) { return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2; }

}  // namespace

int QuarterMsOf(int beatMs, int meterId) {
    const bool compound = meterId == 1 || meterId == 11 || meterId == 21;
    return compound ? 2 * static_cast<int>(RoundHalfEven(beatMs / 3.0)) : beatMs;
}

std::string SmfBytes(const MidiRecorder& rec, int quarterMs, int meterId) {
    quarterMs = std::clamp(quarterMs, 1, kMaxSmfQuarterMs);
    std::string track;
    // Tempo: microseconds per quarter note.
    track += '\0';
    track += "\xFF\x51\x03";
    PutBigEndian(track, static_cast<uint32_t>(quarterMs) * 1000u, 3);
    // Time signature: numerator, denominator as a power of two, MIDI clocks
    // per beat (a dotted quarter in compound meters), 32nds per quarter.
    const std::string caption = MeterCaption(meterId);
    int beats = 4, unit = 4;
    if (const size_t slash = caption.find('/'); slash != std::string::npos) {
        beats = std::stoi(caption.substr(0, slash));
        unit = std::stoi(caption.substr(slash + 1));
    }
    int power = 0;
    while ((1 << power) < unit) ++power;
    const bool compound = meterId == 1 || meterId == 11 || meterId == 21;
    track += '\0';
    track += "\xFF\x58\x04";
    track += static_cast<char>(beats);
    track += static_cast<char>(power);
    track += static_cast<char>(compound ? 36 : 96 / unit);
    track += static_cast<char>(8);

    long long last = 0;
    for (const MidiRecorder::Event& e : rec.events) {
        const long long at = std::max(e.ms, last);
        PutVarLen(track, static_cast<unsigned long long>(at - last));
        last = at;
        const int status = e.packed & 0xFF;
        track += static_cast<char>(status);
        track += static_cast<char>((e.packed >> 8) & 0x7F);
        if (DataBytes(status) == 2) track += static_cast<char>((e.packed >> 16) & 0x7F);
    }
    PutVarLen(track, static_cast<unsigned long long>(std::max(rec.now, last) - last));
    track += "\xFF\x2F";
    track += '\0';

    std::string out = "MThd";
    PutBigEndian(out, 6, 4);
    PutBigEndian(out, 0, 2);  // format 0
    PutBigEndian(out, 1, 2);  // one track
    PutBigEndian(out, static_cast<uint32_t>(quarterMs), 2);
    out += "MTrk";
    PutBigEndian(out, static_cast<uint32_t>(track.size()), 4);
    return out + track;
}

}  // namespace lw
