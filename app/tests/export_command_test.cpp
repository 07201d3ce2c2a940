// --export-midi: the file read back with a small SMF reader and compared,
// message by message, with what the Midi Player's engine sends into a
// recording sink for the same rows and settings. --export-musicxml: the
// command around the writer (the score itself is tested with the writer).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <QAction>

#include "app_test_support.h"
#include "command_rows.h"
#include "export_command.h"
#include "midi_player.h"
#include "startup.h"
#include "tab_file.h"

using namespace lw;
using namespace lwtest;
namespace fs = std::filesystem;

namespace {

struct TimedMsg {
    double ms;
    uint32_t packed;
};

// A format-0 file: its division, tempo, time signature and channel messages
// with their times in milliseconds.
struct Smf {
    int format = -1, tracks = 0, division = 0;
    long tempoUs = 500000;
    int beats = 0, unitPower = 0;
    std::vector<TimedMsg> msgs;
    double endMs = 0;
};

Smf ReadSmf(const std::string& b) {
    Smf f;
    auto u = [&](size_t at, int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = (v << 8) | static_cast<uint8_t>(b.at(at + i));
        return v;
    };
    EXPECT_EQ(b.substr(0, 4), "MThd");
    f.format = static_cast<int>(u(8, 2));
    f.tracks = static_cast<int>(u(10, 2));
    f.division = static_cast<int>(u(12, 2));
    EXPECT_EQ(b.substr(14, 4), "MTrk");
    const size_t end = 22 + u(18, 4);
    EXPECT_EQ(end, b.size());
    size_t i = 22;
    long long ticks = 0;
    double ms = 0;
    int running = 0;
    while (i < end) {
        uint32_t delta = 0;
        uint8_t c;
        do {
            c = static_cast<uint8_t>(b.at(i++));
            delta = (delta << 7) | (c & 0x7F);
        } while (c & 0x80);
        ticks += delta;
        ms += double(delta) * f.tempoUs / f.division / 1000.0;
        int status = static_cast<uint8_t>(b.at(i));
        if (status == 0xFF) {
            const int type = static_cast<uint8_t>(b.at(i + 1));
            const int len = static_cast<uint8_t>(b.at(i + 2));
            if (type == 0x51) f.tempoUs = static_cast<long>(u(i + 3, 3));
            if (type == 0x58) {
                f.beats = static_cast<uint8_t>(b.at(i + 3));
                f.unitPower = static_cast<uint8_t>(b.at(i + 4));
            }
            if (type == 0x2F) f.endMs = ms;
            i += 3 + len;
            continue;
        }
        if (status & 0x80) ++i, running = status;
        else status = running;
        const int d1 = static_cast<uint8_t>(b.at(i++));
        const int d2 = ((status & 0xF0) == 0xC0) ? 0 : static_cast<uint8_t>(b.at(i++));
        f.msgs.push_back({ms, PackShortMsg(status, d1, d2)});
    }
    return f;
}

// The engine's own run: a sink that records and a clock that adds up waits.
struct Recording : MidiSink, PlayClock, PlayerHost {
    std::vector<TimedMsg> msgs;
    long long now = 0;
    void ShortMsg(uint32_t p) override { msgs.push_back({double(now), p}); }
    void Wait(int ms) override { now += ms; }
};

Recording PlayerRecording(const std::vector<std::string>& inputs, const clsKoComm::PlayOptions& opt) {
    Recording r;
    CommandRows rows;
    std::ostringstream err;
    EXPECT_TRUE(ReadCommandRows(inputs, rows, err, "")) << err.str();
    Session& s = *rows.s;
    EXPECT_TRUE(WritePlayFile(s, "."));
    MidiPlayer p(r, r, r);
    std::string error;
    EXPECT_TRUE(LoadPlayFile(kPlayFileName, s.MaxStringIx, r, p.Rows, error)) << error;
    fs::remove(kPlayFileName);
    p.SyosetsuSu = s.CurSyosetsuCnt;
    p.DocumentCount = s.DocCount;
    p.LineCnt = s.MaxStringIx;
    p.MeterID = s.MeterID;
    p.Tuning = TuningOf(s.GakkiCode, s.TuningTbl);
    p.TempoText = opt.tempo;
    p.BaseNote = static_cast<int16_t>(opt.baseNote);
    p.SetInstrument(opt.instrument);
    p.MIDISaisei();
    return r;
}

// Two measures of 6/8 on the guitar: triplets of eighths and sixteenths,
// rests, a dotted chord, a dotted thirty-second, a fret above the fold and
// a position where nothing sounds.
void WriteSixEightRow(const std::string& path) {
    auto s = std::make_unique<Session>();
    s->MaxStringIx = 5;
    s->CurSyosetsuCnt = 2;
    s->MeterID = s->DanBuf[0].MeterID = 1;
    s->KeyName[0] = "G";
    DanData& d = s->DanBuf[0];
    auto put = [&](int m, std::vector<std::pair<int, int>> strings, int id, bool dot = false) {
        SyosetsuData& ms = d.Syosetsu[m];
        OnpuData& o = ms.Onpu[++ms.OnpuCnt];
        o.PosNo = ms.OnpuCnt;
        if (dot) SetBit(o.NoteAttr, kAttrDot, true);
        if (id > 20) StoreRest(o, id, 5);
        for (auto [k, fret] : strings) StoreNote(o, k, fret, id);
    };
    put(0, {{1, 0}}, 7);
    put(0, {{2, 1}}, 7);
    put(0, {{3, 2}}, 7);
    put(0, {}, 24);
    put(0, {{5, 3}, {4, 2}}, 2, true);
    put(1, {{1, 9}}, 6);
    put(1, {{1, 7}}, 6);
    put(1, {{1, 5}}, 6);
    put(1, {{2, 3}}, 5, true);
    put(1, {}, 3);  // nothing sounds: no message, no wait
    put(1, {}, 23);
    put(1, {{6, 0}, {1, 3}}, 8);
    RowItems items;
    ASSERT_TRUE(SaveTab(*s, items, path));
}

}  // namespace

TEST(ExportMidi, RecordsWhatThePlayerSendsAtItsTimes) {
    EnsureApp();
    WorkFolder work;
    fs::copy(fs::path(LUTEWISE_SOURCE_DIR) / "data" / "examples", work.path / "examples");
    WriteSixEightRow("six8.tab");
    struct Case {
        std::vector<std::string> inputs;
        clsKoComm::PlayOptions opt;
        int division;   // the quarter note in milliseconds
        int beats, unitPower;
    } cases[] = {
        {{"examples/example.tbp"}, {}, 600, 4, 2},
        {{"six8.tab"}, {"90", 25, 48}, 2 * 222, 6, 3},
        {{"six8.tab", "examples/ode1.tab"}, {"133", 106, 40}, 451, 4, 2},  // the meter of the last row
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"out.mid"};
        args.insert(args.end(), c.inputs.begin(), c.inputs.end());
        for (const std::string& a : {std::string("--tempo"), c.opt.tempo, std::string("--instrument"),
                                     std::to_string(c.opt.instrument), std::string("--base"),
                                     std::to_string(c.opt.baseNote)})
            args.push_back(a);
        std::ostringstream out, err;
        ASSERT_EQ(RunExportMidi(args, out, err, KOCOMM_LIBRARY), 0) << err.str();
        EXPECT_EQ(out.str(), "out.mid\n");
        const Smf f = ReadSmf(ReadBytes("out.mid"));
        const Recording r = PlayerRecording(c.inputs, c.opt);
        SCOPED_TRACE(c.inputs.front());
        EXPECT_EQ(f.format, 0);
        EXPECT_EQ(f.tracks, 1);
        EXPECT_EQ(f.beats, c.beats);
        EXPECT_EQ(f.unitPower, c.unitPower);
        EXPECT_EQ(f.division, c.division);
        EXPECT_EQ(f.tempoUs, c.division * 1000L);
        ASSERT_GT(r.msgs.size(), 10u);
        ASSERT_EQ(f.msgs.size(), r.msgs.size());
        EXPECT_EQ(f.msgs.front().packed, PackShortMsg(0xC0, c.opt.instrument - 1));
        for (size_t i = 0; i < r.msgs.size(); ++i) {
            EXPECT_EQ(f.msgs[i].packed, r.msgs[i].packed) << i;
            EXPECT_NEAR(f.msgs[i].ms, r.msgs[i].ms, 1.0) << i;
        }
        EXPECT_NEAR(f.endMs, double(r.now), 1.0) << "the track ends after the last wait";
    }
    // Four rows of four 4/4 measures at tempo 100.
    const Recording example = PlayerRecording({"examples/example.tbp"}, {});
    EXPECT_EQ(example.now, 4 * 4 * 2400);
}

TEST(ExportMidi, RefusalsLeaveNoFile) {
    EnsureApp();
    WorkFolder work;
    fs::copy(fs::path(LUTEWISE_SOURCE_DIR) / "data" / "examples", work.path / "examples");
    WriteBytes("empty.tbp", "");
    WriteBytes("keep.mid", "old");
    struct Case {
        std::vector<std::string> args;
        const char* err;
    } cases[] = {
        {{"bad.mid", "examples/none.tab"}, "none.tab"},
        {{"bad.mid", "empty.tbp"}, "書き出す段がありません"},
        {{"nodir/bad.mid", "examples/ode1.tab"}, "nodir"},
        {{"bad.mid", "examples/ode1.tab", "--tempo", "0"}, "1～999"},
        {{"bad.mid", "examples/ode1.tab", "--tempo", "2"}, "テンポ"},
        {{"bad.mid", "examples/ode1.tab", "--base", "112"}, "--base"},
        {{"keep.mid", "examples/ode1.tab", "--tempo", "x"}, "1～999"},
        {{"bad.mid"}, "usage"},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(RunExportMidi(c.args, out, err, KOCOMM_LIBRARY), 1) << c.args[1];
        EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(ReadBytes("keep.mid"), "old");
    for (const auto& e : fs::directory_iterator(work.path))
        EXPECT_EQ(e.path().filename().string().find("bad"), std::string::npos) << e.path();
}

TEST(ExportMusicXml, WritesTheRowsOfProjectsAndRowsInOrder) {
    EnsureApp();
    WorkFolder work;
    fs::copy(fs::path(LUTEWISE_SOURCE_DIR) / "data" / "examples", work.path / "examples");
    WriteBytes("empty.tbp", "");
    WriteBytes("keep.musicxml", "old");
    auto count = [](const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
        return n;
    };
    std::ostringstream out, err;
    ASSERT_EQ(RunExportMusicXml({"out.musicxml", "examples/example.tbp", "examples/ode1.tab"}, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "out.musicxml\n");
    const std::string xml = ReadBytes("out.musicxml");
    EXPECT_EQ(count(xml, "<measure "), 20u);
    EXPECT_EQ(count(xml, "<print new-system=\"yes\"/>"), 4u);
    EXPECT_EQ(count(xml, "<repeat direction=\"forward\"/>"), 2u);
    EXPECT_NE(xml.find("<work-title>example</work-title>"), std::string::npos);
    EXPECT_NE(xml.find("きらきら星"), std::string::npos);

    struct Case {
        std::vector<std::string> args;
        const char* err;
    } cases[] = {
        {{"bad.musicxml", "examples/none.tab"}, "none.tab"},
        {{"bad.musicxml", "empty.tbp"}, "書き出す段がありません"},
        {{"nodir/bad.musicxml", "examples/ode1.tab"}, "nodir"},
        {{"keep.musicxml", "examples/ode1.tab", "examples/none.tab"}, "none.tab"},
        {{"bad.musicxml"}, "usage"},
        {{"bad.musicxml", "examples/ode1.tab", "--tempo", "90"}, "usage"},
    };
    for (const Case& c : cases) {
        std::ostringstream o, e;
        EXPECT_EQ(RunExportMusicXml(c.args, o, e), 1) << c.args[0];
        EXPECT_NE(e.str().find(c.err), std::string::npos) << e.str();
    }
    EXPECT_EQ(ReadBytes("keep.musicxml"), "old");
    for (const auto& e : fs::directory_iterator(work.path))
        EXPECT_EQ(e.path().filename().string().find("bad"), std::string::npos) << e.path();
}

TEST(ExportMenus, WriteTheOpenRowsToTheNamedFiles) {
    EnsureApp();
    WorkFolder work;
    ScriptedUi ui;
    MemoryUserStore store;
    {
        MainWindow mw(ui, store);
        std::string why;
        mw.SetKoCommFactory(LoadKoCommFactory(KOCOMM_LIBRARY, &why));
        mw.LoadMainForm();
        Shell& sh = mw.shell();
        sh.InitStartValues();
        auto trigger = [&mw](const char* name) { mw.findChild<QAction*>(name)->trigger(); };
        trigger("mnuFileExportMusicXml");
        EXPECT_EQ(ui.saveAsked, 0) << "no row open: no question";
        for (int i = 0; i < 2; ++i) {
            RowDoc* r = sh.DoFileNew();
            auto& m = sh.s.DanBuf[r->Slot()].Syosetsu[0];
            m.OnpuCnt = 1;
            StoreNote(m.Onpu[1], 1, i + 5, 2);
        }
        ui.saveAnswers = {work.File("menu.musicxml"), "", work.File("menu.mid"), work.File("nodir/x.mid")};
        trigger("mnuFileExportMusicXml");
        trigger("mnuFileExportMidi");   // cancelled
        trigger("mnuFileExportMidi");
        trigger("mnuFileExportMidi");   // refused: shown
        EXPECT_EQ(ui.saveAsked, 4);
        const std::string xml = ReadBytes(work.File("menu.musicxml"));
        EXPECT_EQ(xml.find("<measure number=\"8\">") != std::string::npos, true) << "two rows of four measures";
        EXPECT_NE(xml.find("<fret>5</fret>"), std::string::npos);
        EXPECT_NE(xml.find("<fret>6</fret>"), std::string::npos);
        const Smf f = ReadSmf(ReadBytes(work.File("menu.mid")));
        ASSERT_EQ(f.msgs.size(), 5u);
        EXPECT_EQ(f.msgs[1].packed, PackShortMsg(0x90, 28 + 5 + 60, 127));
        EXPECT_NEAR(f.msgs[2].ms, 600, 1.0);
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_NE(ui.shown[0].text.find("nodir"), std::string::npos) << ui.shown[0].text;
        sh.AskSave = false;
    }
}
