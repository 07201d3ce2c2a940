#include "midi_file.h"

#include <algorithm>
#include <cmath>

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

bool IsCompound(int meterId) { return meterId == 1 || meterId == 11 || meterId == 21; }

// Time signature event body: numerator, denominator as a power of two, MIDI
// clocks per beat (24 a quarter; a dotted quarter in the compound meters),
// 32nds per quarter.
std::string TimeSignature(int meterId) {
    const std::string caption = MeterCaption(meterId);
    int beats = 4, unit = 4;
    if (const size_t slash = caption.find('/'); slash != std::string::npos) {
        beats = std::stoi(caption.substr(0, slash));
        unit = std::stoi(caption.substr(slash + 1));
    }
    int power = 0;
    while ((1 << power) < unit) ++power;
    std::string e = "\xFF\x58\x04";
    e += static_cast<char>(beats);
    e += static_cast<char>(power);
    e += static_cast<char>(IsCompound(meterId) ? 36 : 96 / unit);
    e += static_cast<char>(8);
    return e;
}

}  // namespace

int QuarterMsOf(int beatMs, int meterId) {
    return IsCompound(meterId) ? 2 * static_cast<int>(RoundHalfEven(beatMs / 3.0)) : beatMs;
}

std::string SmfBytes(const MidiRecorder& rec, int beatMs) {
    beatMs = std::clamp(beatMs, 1, kMaxSmfQuarterMs);
    std::vector<MidiRecorder::Meter> meters = rec.meters;
    if (meters.empty() || meters.front().ms > 0) meters.insert(meters.begin(), {0, 22, 0});

    std::string track;
    long long lastTick = 0;
    // The segment of one time signature: where it starts and its quarter.
    long long segMs = 0, segTick = 0;
    int quarterMs = beatMs, meter = -1, tempoMs = -1;
    auto tickAt = [&](long long ms) {
        return segTick + static_cast<long long>(std::llround(double(ms - segMs) * kSmfDivision / quarterMs));
    };
    auto put = [&](long long tick, const std::string& bytes) {
        tick = std::max(tick, lastTick);
        PutVarLen(track, static_cast<unsigned long long>(tick - lastTick));
        lastTick = tick;
        track += bytes;
    };
    size_t nextMeter = 0;
    // Changes noted before event `index`, in the order the player made them.
    auto meterUpTo = [&](size_t index) {
        for (; nextMeter < meters.size() && meters[nextMeter].before <= index; ++nextMeter) {
            const MidiRecorder::Meter& mc = meters[nextMeter];
            if (mc.meterId == meter) continue;
            segTick = tickAt(mc.ms);
            segMs = mc.ms;
            meter = mc.meterId;
            quarterMs = QuarterMsOf(beatMs, meter);
            put(segTick, TimeSignature(meter));
            if (quarterMs != tempoMs) {
                tempoMs = quarterMs;
                std::string tempo = "\xFF\x51\x03";
                PutBigEndian(tempo, static_cast<uint32_t>(quarterMs) * 1000u, 3);
                put(segTick, tempo);
            }
        }
    };
    for (size_t i = 0; i < rec.events.size(); ++i) {
        const MidiRecorder::Event& e = rec.events[i];
        meterUpTo(i);
        const int status = e.packed & 0xFF;
        std::string msg(1, static_cast<char>(status));
        msg += static_cast<char>((e.packed >> 8) & 0x7F);
        if (DataBytes(status) == 2) msg += static_cast<char>((e.packed >> 16) & 0x7F);
        put(tickAt(e.ms), msg);
    }
    meterUpTo(rec.events.size());
    put(tickAt(rec.now), std::string("\xFF\x2F\x00", 3));

    std::string out = "MThd";
    PutBigEndian(out, 6, 4);
    PutBigEndian(out, 0, 2);  // format 0
    PutBigEndian(out, 1, 2);  // one track
    PutBigEndian(out, kSmfDivision, 2);
    out += "MTrk";
    PutBigEndian(out, static_cast<uint32_t>(track.size()), 4);
    return out + track;
}

}  // namespace lw
