// The Standard MIDI File of a recording, byte by byte: expected bytes worked
// out from the SMF format (header, variable-length deltas, meta events).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi_file.h"

namespace {

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Events of a format-0 track after checking every header byte: "tick: bytes".
std::vector<std::string> TrackEvents(const std::string& file) {
    EXPECT_EQ(Hex(file.substr(0, 18)), "4D 54 68 64 00 00 00 06 00 00 00 01 03 C0 4D 54 72 6B")
        << "MThd, length 6, format 0, one track, 960 ticks a quarter, MTrk";
    const size_t length = (static_cast<unsigned char>(file[18]) << 24) | (static_cast<unsigned char>(file[19]) << 16) |
                          (static_cast<unsigned char>(file[20]) << 8) | static_cast<unsigned char>(file[21]);
    EXPECT_EQ(22 + length, file.size());
    std::vector<std::string> events;
    long long tick = 0;
    for (size_t i = 22; i < file.size();) {
        unsigned char c;
        long long delta = 0;
        do {
            c = static_cast<unsigned char>(file.at(i++));
            delta = (delta << 7) | (c & 0x7F);
        } while (c & 0x80);
        tick += delta;
        const unsigned char status = static_cast<unsigned char>(file.at(i));
        size_t n = status == 0xFF ? 3 + static_cast<unsigned char>(file.at(i + 2))
                   : (status & 0xF0) == 0xC0 ? 2 : 3;
        events.push_back(std::to_string(tick) + ": " + Hex(file.substr(i, n)));
        i += n;
    }
    return events;
}

using Events = std::vector<std::string>;

TEST(MidiFile, EveryByteOfAOneNoteFile) {
    lw::MidiRecorder rec;
    rec.ShortMsg(lw::PackShortMsg(0xC0, 24));       // nylon guitar
    rec.MeterChange(22);                            // 4/4
    rec.ShortMsg(lw::PackShortMsg(0x90, 40, 127));  // low E
    rec.Wait(600);                                  // a quarter at tempo 100
    rec.ShortMsg(lw::PackShortMsg(0x80, 40));
    const std::string file = lw::SmfBytes(rec, 600);
    EXPECT_EQ(Hex(file),
              "4D 54 68 64 00 00 00 06 00 00 00 01 03 C0 "  // header: format 0, 1 track, 960 a quarter
              "4D 54 72 6B 00 00 00 1F "                    // track of 31 bytes
              "00 C0 18 "                                   // program 24
              "00 FF 58 04 04 02 18 08 "                    // 4/4, click every 24 clocks, 8 32nds a quarter
              "00 FF 51 03 09 27 C0 "                       // 600000 microseconds a quarter
              "00 90 28 7F "
              "87 40 80 28 00 "                             // 960 ticks later
              "00 FF 2F 00");
}

// Time signatures: numerator, power of two of the denominator, MIDI clocks
// per click (24 a quarter: a half 48, an eighth 12, a dotted quarter 36),
// and the quarter's tempo at beat 600 ms (a dotted-quarter beat of 600 ms
// makes a quarter of 400 ms).
TEST(MidiFile, TimeSignatureAndTempoOfEachMeter) {
    struct Case {
        int meter;
        const char* signature;
        const char* tempo;
    } cases[] = {
        {0, "FF 58 04 02 01 30 08", "FF 51 03 09 27 C0"},   // 2/2
        {2, "FF 58 04 02 02 18 08", "FF 51 03 09 27 C0"},   // 2/4
        {12, "FF 58 04 03 02 18 08", "FF 51 03 09 27 C0"},  // 3/4
        {22, "FF 58 04 04 02 18 08", "FF 51 03 09 27 C0"},  // 4/4
        {10, "FF 58 04 03 01 30 08", "FF 51 03 09 27 C0"},  // 3/2
        {20, "FF 58 04 04 01 30 08", "FF 51 03 09 27 C0"},  // 4/2
        {1, "FF 58 04 06 03 24 08", "FF 51 03 06 1A 80"},   // 6/8
        {11, "FF 58 04 09 03 24 08", "FF 51 03 06 1A 80"},  // 9/8
        {21, "FF 58 04 0C 03 24 08", "FF 51 03 06 1A 80"},  // 12/8
    };
    for (const Case& c : cases) {
        lw::MidiRecorder rec;
        rec.MeterChange(c.meter);
        rec.ShortMsg(lw::PackShortMsg(0x90, 64, 100));
        rec.Wait(200);  // an eighth in 6/8, a triplet eighth in 4/4
        rec.ShortMsg(lw::PackShortMsg(0x80, 64));
        const bool compound = c.meter == 1 || c.meter == 11 || c.meter == 21;
        const std::string off = compound ? "480" : "320";
        EXPECT_EQ(TrackEvents(lw::SmfBytes(rec, 600)),
                  (Events{std::string("0: ") + c.signature, std::string("0: ") + c.tempo, "0: 90 40 64",
                          off + ": 80 40 00", off + ": FF 2F 00"}))
            << c.meter;
    }
}

// 4/4, then a row in 6/8, then 4/4 again at tempo 100: the file changes
// signature and tempo where the rows do; every note keeps its place.
TEST(MidiFile, AMeterChangeBetweenRows) {
    lw::MidiRecorder rec;
    rec.MeterChange(22);
    rec.ShortMsg(lw::PackShortMsg(0x90, 64, 127));
    rec.Wait(2400);  // a whole note
    rec.ShortMsg(lw::PackShortMsg(0x80, 64));
    rec.MeterChange(1);
    for (int k = 0; k < 2; ++k) {
        rec.ShortMsg(lw::PackShortMsg(0x90, 67 + k, 127));
        rec.Wait(600);  // dotted quarter: one beat
        rec.ShortMsg(lw::PackShortMsg(0x80, 67 + k));
    }
    rec.MeterChange(22);
    rec.ShortMsg(lw::PackShortMsg(0x90, 72, 127));
    rec.Wait(300);  // an eighth
    rec.ShortMsg(lw::PackShortMsg(0x80, 72));
    EXPECT_EQ(TrackEvents(lw::SmfBytes(rec, 600)),
              (Events{"0: FF 58 04 04 02 18 08", "0: FF 51 03 09 27 C0", "0: 90 40 7F", "3840: 80 40 00",
                      "3840: FF 58 04 06 03 24 08", "3840: FF 51 03 06 1A 80", "3840: 90 43 7F", "5280: 80 43 00",
                      "5280: 90 44 7F", "6720: 80 44 00", "6720: FF 58 04 04 02 18 08", "6720: FF 51 03 09 27 C0",
                      "6720: 90 48 7F", "7200: 80 48 00", "7200: FF 2F 00"}));
}

TEST(MidiFile, WithoutAMeterTheFileIsInFourFourAndLongDeltasTakeSeveralBytes) {
    lw::MidiRecorder rec;
    rec.ShortMsg(lw::PackShortMsg(0x90, 60, 1));
    rec.Wait(60000);  // a minute at beat 500 ms: 120 quarters = 115200 ticks
    rec.ShortMsg(lw::PackShortMsg(0x80, 60));
    const std::string file = lw::SmfBytes(rec, 500);
    EXPECT_EQ(TrackEvents(file), (Events{"0: FF 58 04 04 02 18 08", "0: FF 51 03 07 A1 20", "0: 90 3C 01",
                                         "115200: 80 3C 00", "115200: FF 2F 00"}));
    // 115200 = 7 * 16384 + 4 * 128 + 0: three bytes 87 84 00.
    EXPECT_NE(Hex(file).find("87 84 00 80 3C 00"), std::string::npos);
}

}  // namespace
