// The playing engine against a recording MIDI sink and a fake clock: the
// exact messages and waits of a playback.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "instrument_sound.h"
#include "midi_player.h"
#include "record_io.h"

namespace {

using lw::MidiPlayer;
using lw::PlayOnpu;

// Messages and waits in one list: "on 88 127", "off 88", "pc 24", "wait 600".
struct Recorder : lw::MidiSink, lw::PlayClock, lw::PlayerHost {
    std::vector<std::string> log;
    std::vector<std::string> messages;
    std::function<void()> onEvents;
    int rowsBegun = 0;

    void ShortMsg(uint32_t m) override {
        const int status = m & 0xFF, d1 = (m >> 8) & 0xFF, d2 = (m >> 16) & 0xFF;
        const int ch = status & 0x0F;
        std::string s;
        switch (status & 0xF0) {
            case 0x90: s = "on " + std::to_string(d1) + " " + std::to_string(d2); break;
            case 0x80: s = "off " + std::to_string(d1); break;
            case 0xC0: s = "pc " + std::to_string(d1); break;
            default: s = "? " + std::to_string(m);
        }
        if (ch) s += " ch" + std::to_string(ch + 1);
        log.push_back(s);
    }
    void MeterChange(int meterId) override { log.push_back("meter " + std::to_string(meterId)); }
    void ShowProgress(const std::string& text) override { progress.push_back(text); }
    std::vector<std::string> progress;
    void BeginRow() override { ++rowsBegun; }
    void Wait(int ms) override { log.push_back("wait " + std::to_string(ms)); }
    void DoEvents() override {
        if (onEvents) onEvents();
    }
    void ActiveteDocument(int16_t i) override { log.push_back("row " + std::to_string(i)); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

struct Note {
    int string, fret, len;
};
PlayOnpu Pos(std::initializer_list<Note> notes, bool dotted = false) {
    PlayOnpu o;
    for (const Note& n : notes) {
        o.FletUse[n.string] = lw::kSounding;
        o.Flet[n.string] = static_cast<uint8_t>(n.fret);
        o.NoteLengthID[n.string] = static_cast<uint8_t>(n.len);
    }
    if (dotted) lw::SetBit(o.NoteAttr, lw::kAttrDot, true);
    return o;
}

struct Fixture {
    Recorder rec;
    MidiPlayer player{rec, rec, rec};
    Fixture() {
        player.SyosetsuSu = 1;
        player.DocumentCount = 1;
        player.LineCnt = 5;
        player.Tuning = lw::TuningOf(0, {});
    }
    void Put(int row, int measure, std::vector<PlayOnpu> positions) {
        auto& m = player.Rows[row].Syosetsu[measure];
        m.OnpuCnt = static_cast<int16_t>(positions.size());
        for (size_t p = 0; p < positions.size(); ++p) m.Onpu[p + 1] = positions[p];
    }
    std::vector<std::string> PlayRow() {
        player.CurrentRow = 0;
        player.PlayMidi();
        return rec.log;
    }
};

using Log = std::vector<std::string>;

TEST(MidiPlayer, DurationsFollowTempoMeterAndDot) {
    const int B = lw::BeatTimeOf(100);
    EXPECT_EQ(B, 600);
    struct Case {
        int len;
        bool dot;
        int meter;
        double ms;
    } cases[] = {
        {2, false, 22, 600},   // quarter, 4/4
        {3, false, 1, 200},    // eighth, 6/8
        {2, false, 1, 400},    // quarter, 6/8
        {3, true, 22, 450},    // dotted eighth
        {0, false, 22, 2400},  {4, false, 22, 150}, {5, false, 22, 75},
        {6, false, 22, 100},   {7, false, 22, 200}, {8, false, 22, 400},
        {23, false, 22, 600},  // quarter rest as a quarter
        {25, false, 21, 100},  // sixteenth rest, 12/8
        {9, false, 22, 0},     {26, false, 22, 0},
        {0, false, 11, 1600},  {8, false, 1, 800 / 3.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(lw::GetPlayTime(c.len, c.dot, B, c.meter), c.ms) << "id " << c.len << " meter " << c.meter;
    // The compound beat is rounded to whole milliseconds first: tempo 70 gives
    // B 857, e = 286.
    EXPECT_DOUBLE_EQ(lw::GetPlayTime(3, false, lw::BeatTimeOf(70), 1), 286);
}

TEST(MidiPlayer, TempoTextMustBeAWholeNumberFrom1To999) {
    for (const char* ok : {"1", "100", " 60 ", "999"}) EXPECT_GT(lw::ParseTempo(ok), 0) << ok;
    for (const char* bad : {"", "0", "1000", "-5", "12.5", "abc", "1e2", "100x"}) EXPECT_EQ(lw::ParseTempo(bad), -1) << bad;

    Fixture f;
    f.Put(0, 0, {Pos({{1, 0, 2}})});
    f.player.TempoText = "0";
    f.player.MIDISaisei();
    // Refused before any row is activated or sounds.
    EXPECT_EQ(f.rec.log, (Log{"row 0"}));
    ASSERT_EQ(f.rec.messages.size(), 1u);
    EXPECT_EQ(f.rec.messages[0], lw::kTempoRefused);
    EXPECT_TRUE(f.player.StopFlag);
}

// Open strings and frets of each tuning at its own pitch and instrument:
// keys worked out from the instruments (middle C = 60, A4 = 69).
TEST(MidiPlayer, EveryTuningSoundsAtItsPitchWithItsInstrument) {
    struct Case {
        const char* what;
        int gakki, string, fret, key, program;
    } cases[] = {
        {"guitar low E2", 0, 6, 0, 40, 25},        {"guitar A2", 0, 5, 0, 45, 25},
        {"guitar D3", 0, 4, 0, 50, 25},            {"guitar G3", 0, 3, 0, 55, 25},
        {"guitar B3", 0, 2, 0, 59, 25},            {"guitar high E4", 0, 1, 0, 64, 25},
        {"E string fret 8: C5", 0, 1, 8, 72, 25},  {"fret 9: C#5, not folded down", 0, 1, 9, 73, 25},
        {"fret 12: E5", 0, 1, 12, 76, 25},         {"fret 24: E6", 0, 1, 24, 88, 25},
        {"low E fret 12: E3", 0, 6, 12, 52, 25},   {"drop D: D2", 12, 6, 0, 38, 25},
        {"DADGAD top D4", 13, 1, 0, 62, 25},       {"ukulele low G3", 1, 4, 0, 55, 25},
        {"ukulele high G4", 2, 4, 0, 67, 25},      {"ukulele A4", 2, 1, 0, 69, 25},
        {"bass E1", 3, 4, 0, 28, 34},              {"bass G2", 3, 1, 0, 43, 34},
        {"bass fret 12 on G: G3", 3, 1, 12, 55, 34}, {"mandolin G3", 4, 4, 0, 55, 26},
        {"mandolin E5", 4, 1, 0, 76, 26},          {"charango G4", 21, 5, 0, 67, 25},
        {"charango E5", 21, 1, 0, 76, 25},         {"five-string bass E1", 22, 5, 0, 28, 34},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.player.Tuning = lw::TuningOf(c.gakki, {});
        f.player.BaseNote = static_cast<int16_t>(lw::SoundingBase(c.gakki));
        f.Put(0, 0, {Pos({{c.string, c.fret, 2}})});
        const std::string on = "on " + std::to_string(c.key) + " 127";
        EXPECT_EQ(f.PlayRow(), (Log{"meter 22", on, "wait 600", "off " + std::to_string(c.key)})) << c.what;
        EXPECT_EQ(lw::GmProgramOf(c.gakki), c.program) << c.what;
    }
    // "Base note" still moves everything: 60 puts the open E string at 88.
    Fixture f;
    f.player.BaseNote = 60;
    f.Put(0, 0, {Pos({{1, 0, 2}})});
    EXPECT_EQ(f.PlayRow(), (Log{"meter 22", "on 88 127", "wait 600", "off 88"}));
    EXPECT_EQ(f.rec.rowsBegun, 1);
}

TEST(MidiPlayer, ChannelVelocityAndProgramChange) {
    Fixture f;
    f.player.Channel = 2;
    f.player.Velocity = 90;
    f.player.SetInstrument(25);
    f.Put(0, 0, {Pos({{2, 1, 2}})});
    EXPECT_EQ(f.PlayRow(), (Log{"pc 24 ch3", "meter 22", "on 60 90 ch3", "wait 600", "off 60 ch3"}));
}

TEST(MidiPlayer, PositionsWithoutSoundRestsAndTheDecidingString) {
    Fixture f;
    PlayOnpu rest = Pos({{1, 1, 22}}, true);  // half rest; its dot is not applied
    PlayOnpu silent;                          // no string used, string 1 no rest
    PlayOnpu chord = Pos({{1, 0, 2}, {3, 0, 1}}, true);  // string 3 decides: dotted half
    PlayOnpu unusedRest;                      // rest id on an unused string 1 plays the others
    unusedRest.NoteLengthID[1] = 21;
    unusedRest.FletUse[2] = lw::kSounding;
    unusedRest.NoteLengthID[2] = 3;
    f.Put(0, 0, {rest, silent, chord, unusedRest});
    EXPECT_EQ(f.PlayRow(), (Log{"meter 22", "wait 1200", "on 64 127", "on 55 127", "wait 1800", "off 64", "off 55",
                               "on 59 127", "wait 300", "off 59"}));
}

TEST(MidiPlayer, KeysAboveTheDataRangeAreNotSentButKeepTheirTime) {
    Fixture f;
    f.player.BaseNote = 100;  // 28 + 100 > 127
    f.Put(0, 0, {Pos({{1, 0, 2}, {6, 0, 2}})});
    EXPECT_EQ(f.PlayRow(), (Log{"meter 22", "on 104 127", "wait 600", "off 104"}));
}

TEST(MidiPlayer, MeasuresBeyondTheCountAndStringsBeyondTheLineCountAreNotPlayed) {
    Fixture f;
    f.player.LineCnt = 3;  // four strings
    f.player.Tuning = lw::TuningOf(1, {});
    f.player.BaseNote = 48;
    f.Put(0, 0, {Pos({{4, 0, 2}, {5, 3, 2}})});
    f.Put(0, 1, {Pos({{1, 0, 2}})});
    EXPECT_EQ(f.PlayRow(), (Log{"meter 22", "on 55 127", "wait 600", "off 55"}));
}

TEST(MidiPlayer, LoopPlaysRowsInOrderUntilStopped) {
    Fixture f;
    f.player.DocumentCount = 3;
    f.player.LoopFlag = true;
    for (int r = 0; r < 3; ++r) f.Put(r, 0, {Pos({{1, r, 2}})});
    f.rec.onEvents = [&] {
        // Stop as row 0 starts its second round.
        if (std::count(f.rec.log.begin(), f.rec.log.end(), "row 0") == 2) f.player.StopFlag = true;
    };
    f.player.MIDISaisei();
    Log rowsPlayed;
    for (auto& s : f.rec.log)
        if (s.rfind("row", 0) == 0 || s.rfind("on", 0) == 0) rowsPlayed.push_back(s);
    EXPECT_EQ(rowsPlayed, (Log{"row 0", "on 64 127", "row 1", "on 65 127", "row 2", "on 66 127", "row 0"}));
}

TEST(MidiPlayer, StopTakesEffectAtTheNextPosition) {
    Fixture f;
    f.player.DocumentCount = 2;
    f.Put(0, 0, {Pos({{1, 0, 2}}), Pos({{1, 1, 2}}), Pos({{1, 2, 2}})});
    f.Put(1, 0, {Pos({{1, 3, 2}})});
    int positions = 0;
    f.rec.onEvents = [&] {
        // The stop button pressed while the first note sounds is seen when the second begins.
        if (!f.rec.log.empty() && f.rec.log.back() == "off 64") ++positions;
        if (positions == 1) f.player.StopFlag = true;
    };
    f.player.MIDISaisei();
    EXPECT_EQ(f.rec.log, (Log{"row 0", "meter 22", "on 64 127", "wait 600", "off 64"}));
}

// Each row with its own measures and time signature, in the given order.
TEST(MidiPlayer, RowsPlayTheirOwnMeasuresAndMetersInPlayingOrder) {
    Fixture f;
    f.player.DocumentCount = 2;
    f.player.SyosetsuSu = 2;  // the active row's count
    f.player.RowSyosetsuSu = {8, 2};
    f.player.RowMeterID = {22, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    for (int m = 0; m < 8; ++m) f.Put(0, m, {Pos({{1, m, 2}})});
    f.Put(1, 0, {Pos({{1, 10, 2}}), Pos({{1, 11, 3}})});
    f.Put(1, 1, {Pos({{1, 12, 3}})});
    f.player.MIDISaisei();
    Log ons;
    for (auto& s : f.rec.log)
        if (s.rfind("on", 0) == 0) ons.push_back(s.substr(3, 2));
    EXPECT_EQ(ons, (Log{"64", "65", "66", "67", "68", "69", "70", "71", "74", "75", "76"})) << "all 8 measures, then 2";
    // The 6/8 row: a quarter is two eighths of 200 ms.
    const auto sixEight = std::find(f.rec.log.begin(), f.rec.log.end(), "meter 1");
    ASSERT_NE(sixEight, f.rec.log.end());
    EXPECT_EQ(Log(sixEight - 1, f.rec.log.end()),
              (Log{"row 1", "meter 1", "on 74 127", "wait 400", "off 74", "on 75 127", "wait 200", "off 75",
                   "on 76 127", "wait 200", "off 76"}));

    // A playing order: measures repeated, a row activated again when it
    // comes back, steps outside the rows left out; the progress names
    // row and measure.
    Fixture g;
    g.player.DocumentCount = 2;
    g.player.SyosetsuSu = 2;
    g.Put(0, 0, {Pos({{1, 0, 4}})});
    g.Put(0, 1, {Pos({{1, 1, 4}})});
    g.Put(1, 0, {Pos({{1, 2, 4}})});
    g.player.Rows[0].Syosetsu[1].Chord1 = "Am";
    g.player.Order = {{0, 0}, {0, 1}, {0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 5}};
    g.player.MIDISaisei();
    Log shown;
    for (auto& s : g.rec.log)
        if (s.rfind("row", 0) == 0 || s.rfind("on", 0) == 0) shown.push_back(s);
    EXPECT_EQ(shown, (Log{"row 0", "on 64 127", "on 65 127", "on 64 127", "row 1", "on 66 127", "row 0", "on 65 127"}));
    EXPECT_EQ(g.rec.progress[1], "1段目 2小節  1 Am ");
    EXPECT_EQ(g.rec.progress[3], "2段目 1小節  1  ");
}

TEST(MidiPlayer, TuningTable) {
    std::array<std::array<int16_t, 4>, 7> user{};
    for (int k = 0; k < 6; ++k) {
        user[k][0] = static_cast<int16_t>(10 + k);  // four strings (98)
        user[k][1] = static_cast<int16_t>(20 + k);  // six strings (99)
        user[k][2] = static_cast<int16_t>(30 + k);  // five strings (97)
    }
    struct Case {
        int code;
        lw::TuningOffsets want;
    } cases[] = {
        {0, {0, 28, 23, 19, 14, 9, 4}},  {2, {0, 21, 16, 12, 19, 0, 0}}, {13, {0, 26, 21, 19, 14, 9, 2}},
        {21, {0, 28, 21, 16, 24, 19, 0}}, {22, {0, 23, 19, 14, 9, 4, 0}}, {5, {}},
        {98, {0, 10, 11, 12, 13, 14, 15}}, {99, {0, 20, 21, 22, 23, 24, 25}}, {97, {0, 30, 31, 32, 33, 34, 35}},
    };
    for (const Case& c : cases) EXPECT_EQ(lw::TuningOf(c.code, user), c.want) << c.code;
}

// ------------------------------------------------------------ interchange file

std::string Record(int measure, int slot, int count, int pos, int attr, std::vector<std::array<int, 3>> strings) {
    std::vector<int16_t> a(58, 0);
    a[0] = static_cast<int16_t>(measure), a[1] = static_cast<int16_t>(slot), a[2] = static_cast<int16_t>(count);
    a[3] = static_cast<int16_t>(pos), a[4] = static_cast<int16_t>(attr);
    for (auto [k, fret, len] : strings) {
        a[10 + 8 * (k - 1)] = 255;
        a[11 + 8 * (k - 1)] = static_cast<int16_t>(fret);
        a[17 + 8 * (k - 1)] = static_cast<int16_t>(len);
    }
    return lw::FormatPositionRecord(a, 5);
}

struct TempDir {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("lw-comm-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { std::filesystem::create_directories(path); }
    ~TempDir() { std::filesystem::remove_all(path); }
};

struct PauseClock : lw::PlayClock {
    std::vector<int> pauses;
    std::function<void()> onPause;
    void Wait(int ms) override {
        pauses.push_back(ms);
        if (onPause) onPause();
    }
};

TEST(PlayFile, RecordsGoIntoTheSlotTheyName) {
    lw::PlayRows rows{};
    rows[4].Syosetsu[0].OnpuCnt = 3;  // left over from an earlier run
    const std::string bytes = Record(0, 0, 2, 1, 32, {{1, 0, 3}}) + Record(0, 0, 2, 2, 0, {{2, 1, 2}, {6, 3, 2}}) +
                              Record(1, 2, 1, 1, 0, {{1, 0, 23}});
    TempDir dir;
    const std::string path = (dir.path / "Interface.tab").string();
    std::ofstream(path, std::ios::binary) << bytes;
    PauseClock clock;
    std::string error;
    ASSERT_TRUE(lw::LoadPlayFile(path, 5, clock, rows, error)) << error;
    EXPECT_TRUE(clock.pauses.empty());
    EXPECT_EQ(rows[0].Syosetsu[0].OnpuCnt, 2);
    EXPECT_EQ(rows[0].Syosetsu[0].Onpu[1].NoteAttr, 32);
    EXPECT_EQ(rows[0].Syosetsu[0].Onpu[2].Flet[6], 3);
    EXPECT_EQ(rows[0].Syosetsu[0].Onpu[2].FletUse[6], lw::kSounding);
    EXPECT_EQ(rows[0].Syosetsu[0].Onpu[2].FletUse[1], 0);
    EXPECT_EQ(rows[2].Syosetsu[1].Onpu[1].NoteLengthID[1], 23);
    EXPECT_EQ(rows[4].Syosetsu[0].OnpuCnt, 0);

    // A record naming a slot outside the rows stops the reading.
    EXPECT_FALSE(lw::ReadPlayRecords(Record(0, 11, 1, 1, 0, {}), 5, rows, error));
    EXPECT_NE(error.find("段の番号"), std::string::npos) << error;
    EXPECT_FALSE(lw::ReadPlayRecords("0,0,1,1,x", 5, rows, error));
}

TEST(PlayFile, TestedFiveTimesWithFourPauses) {
    TempDir dir;
    const std::string path = (dir.path / "Interface.tab").string();
    lw::PlayRows rows{};
    std::string error;
    PauseClock never;
    EXPECT_FALSE(lw::LoadPlayFile(path, 5, never, rows, error));
    EXPECT_EQ(never.pauses, (std::vector<int>{1000, 1000, 1000, 1000}));
    EXPECT_NE(error.find("Interface.tab"), std::string::npos);

    // The file appears during the second pause.
    PauseClock late;
    late.onPause = [&] {
        if (late.pauses.size() == 2) std::ofstream(path, std::ios::binary) << Record(0, 1, 1, 1, 0, {{1, 5, 2}});
    };
    ASSERT_TRUE(lw::LoadPlayFile(path, 5, late, rows, error)) << error;
    EXPECT_EQ(late.pauses.size(), 2u);
    EXPECT_EQ(rows[1].Syosetsu[0].Onpu[1].Flet[1], 5);
}

}  // namespace

namespace {

TEST(SteadyPlayClock, WaitsAddUpFromTheRowStartSoNoDriftBuildsUp) {
    long long now = 1000;
    std::vector<long long> sleptUntil;
    lw::SteadyPlayClock clock([&] { return now; },
                              [&](long long until) {
                                  sleptUntil.push_back(until);
                                  now = until + 3;  // timers wake a little late
                              });
    clock.BeginRow();
    for (int i = 0; i < 3; ++i) {
        now += 5;  // messages and repaints between the waits
        clock.Wait(600);
    }
    EXPECT_EQ(sleptUntil, (std::vector<long long>{1600, 2200, 2800}));

    // A wait far behind its time (a message box stood open) starts afresh.
    now += 2000;
    const long long resumed = now;
    clock.Wait(450);
    EXPECT_EQ(sleptUntil.back(), resumed + 450);
    // A wait already behind by less than that is shortened to catch up.
    now += 60;
    clock.Wait(200);
    EXPECT_EQ(sleptUntil.back(), resumed + 650);
    // Zero-length waits do not sleep.
    const size_t before = sleptUntil.size();
    clock.Wait(0);
    EXPECT_EQ(sleptUntil.size(), before);
}

}  // namespace
