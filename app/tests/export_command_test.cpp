// --export-midi: the file read back with a small SMF reader and compared
// with what the rows sound as a musician plays them, worked out by hand:
// keys from the guitar's open strings (E2 A2 D3 G3 B3 E4 = 40 45 50 55 59 64),
// times from the tempo and each row's meter, measures in playing order.
// --export-musicxml: the command around the writer (the score itself is
// tested with the writer).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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

// A format-0 file read back: every header byte checked, the channel
// messages with their times in milliseconds through the tempo events, and
// the time signatures with the tick they stand at.
struct Smf {
    std::vector<std::pair<long, uint32_t>> msgs;  // (ms, packed)
    std::vector<std::string> meters;              // "tick n/d clocks"
    long endMs = 0;
};

Smf ReadSmf(const std::string& b) {
    Smf f;
    auto byte = [&](size_t at) { return static_cast<unsigned>(static_cast<uint8_t>(b.at(at))); };
    const std::string header = b.substr(0, 14);
    EXPECT_EQ(header, std::string("MThd\0\0\0\x06\0\0\0\x01\x03\xC0", 14)) << "format 0, one track, 960 a quarter";
    EXPECT_EQ(b.substr(14, 4), "MTrk");
    const size_t end = 22 + ((byte(18) << 24) | (byte(19) << 16) | (byte(20) << 8) | byte(21));
    EXPECT_EQ(end, b.size());
    long long tick = 0;
    double ms = 0, usPerQuarter = 500000;
    for (size_t i = 22; i < end;) {
        unsigned delta = 0, c;
        do {
            c = byte(i++);
            delta = (delta << 7) | (c & 0x7F);
        } while (c & 0x80);
        tick += delta;
        ms += delta * usPerQuarter / 960 / 1000;
        const unsigned status = byte(i);
        if (status == 0xFF) {
            const unsigned type = byte(i + 1), len = byte(i + 2);
            if (type == 0x51) usPerQuarter = (byte(i + 3) << 16) | (byte(i + 4) << 8) | byte(i + 5);
            if (type == 0x58)
                f.meters.push_back(std::to_string(tick) + " " + std::to_string(byte(i + 3)) + "/" +
                                   std::to_string(1 << byte(i + 4)) + " " + std::to_string(byte(i + 5)));
            if (type == 0x2F) f.endMs = std::lround(ms);
            i += 3 + len;
            continue;
        }
        EXPECT_TRUE(status & 0x80) << "every message carries its status";
        const bool two = (status & 0xF0) != 0xC0;
        f.msgs.push_back({std::lround(ms), PackShortMsg(status, byte(i + 1), two ? byte(i + 2) : 0)});
        i += two ? 3 : 2;
    }
    return f;
}

// Note-ons as "ms:key".
std::vector<std::string> NoteOns(const Smf& f) {
    std::vector<std::string> out;
    for (auto [ms, p] : f.msgs)
        if ((p & 0xF0) == 0x90) out.push_back(std::to_string(ms) + ":" + std::to_string((p >> 8) & 0x7F));
    return out;
}

// A guitar row: one position per entry, {measure, string, fret, rhythm id}.
struct Note {
    int m, string, fret, id;
};
void WriteRow(const std::string& path, int measures, int meter, const std::vector<Note>& notes,
              const RowItems& items = RowItems{}, std::function<void(Session&)> more = {}) {
    auto s = std::make_unique<Session>();
    s->MaxStringIx = 5;
    s->CurSyosetsuCnt = static_cast<int16_t>(measures);
    s->MeterID = s->DanBuf[0].MeterID = static_cast<int16_t>(meter);
    s->DanBuf[0].SyosetsuCnt = static_cast<int16_t>(measures);
    for (const Note& n : notes) {
        SyosetsuData& ms = s->DanBuf[0].Syosetsu[n.m];
        OnpuData& o = ms.Onpu[++ms.OnpuCnt];
        o.PosNo = ms.OnpuCnt;
        StoreNote(o, n.string, n.fret, n.id);
    }
    if (more) more(*s);
    ASSERT_TRUE(SaveTab(*s, items, path));
}

Smf Export(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    std::vector<std::string> all{"out.mid"};
    all.insert(all.end(), args.begin(), args.end());
    EXPECT_EQ(RunExportMidi(all, out, err, KOCOMM_LIBRARY), 0) << err.str();
    EXPECT_EQ(out.str(), "out.mid\n");
    return ReadSmf(ReadBytes("out.mid"));
}

using Ons = std::vector<std::string>;

}  // namespace

TEST(ExportMidi, AGuitarSoundsAtItsPitchOnAGuitar) {
    EnsureApp();
    WorkFolder work;
    // The six open strings from the lowest, in eighths, at tempo 100.
    WriteRow("open.tab", 1, 22, {{0, 6, 0, 3}, {0, 5, 0, 3}, {0, 4, 0, 3}, {0, 3, 0, 3}, {0, 2, 0, 3}, {0, 1, 0, 3}});
    const Smf f = Export({"open.tab"});
    ASSERT_FALSE(f.msgs.empty());
    EXPECT_EQ(f.msgs.front(), (std::pair<long, uint32_t>{0, PackShortMsg(0xC0, 24)})) << "GM 25, nylon guitar";
    EXPECT_EQ(NoteOns(f), (Ons{"0:40", "300:45", "600:50", "900:55", "1200:59", "1500:64"}));
    EXPECT_EQ(f.endMs, 1800);
    EXPECT_EQ(f.meters, (std::vector<std::string>{"0 4/4 24"}));

    // "--base" and "--instrument" still move the keys and choose the sound.
    const Smf g = Export({"open.tab", "--base", "48", "--instrument", "1"});
    EXPECT_EQ(g.msgs.front().second, PackShortMsg(0xC0, 0));
    EXPECT_EQ(NoteOns(g).front(), "0:52");
}

TEST(ExportMidi, EveryRowKeepsItsMeasuresAndItsTimeSignature) {
    EnsureApp();
    WorkFolder work;
    // 4/4: four quarters on the E string, frets 0..3.
    WriteRow("a.tab", 1, 22, {{0, 1, 0, 2}, {0, 1, 1, 2}, {0, 1, 2, 2}, {0, 1, 3, 2}});
    // 6/8: six eighths, frets 5..10: 200 ms each at a dotted-quarter beat of 600 ms.
    WriteRow("b.tab", 1, 1, {{0, 1, 5, 3}, {0, 1, 6, 3}, {0, 1, 7, 3}, {0, 1, 8, 3}, {0, 1, 9, 3}, {0, 1, 10, 3}});
    // 4/4 again: a half note at fret 12.
    WriteRow("c.tab", 1, 22, {{0, 1, 12, 1}});
    const Smf f = Export({"a.tab", "b.tab", "c.tab"});
    EXPECT_EQ(NoteOns(f), (Ons{"0:64", "600:65", "1200:66", "1800:67", "2400:69", "2600:70", "2800:71", "3000:72",
                               "3200:73", "3400:74", "3600:76"}));
    EXPECT_EQ(f.endMs, 4800);
    // 4/4 for 3840 ticks, 6/8 (clicks of a dotted quarter) for 2880, then 4/4.
    EXPECT_EQ(f.meters, (std::vector<std::string>{"0 4/4 24", "3840 6/8 36", "6720 4/4 24"}));

    // Eight measures and then two: all ten sound.
    std::vector<Note> eight;
    for (int m = 0; m < 8; ++m) eight.push_back({m, 1, m, 0});
    WriteRow("eight.tab", 8, 22, eight);
    WriteRow("two.tab", 2, 22, {{0, 1, 10, 0}, {1, 1, 11, 0}});
    EXPECT_EQ(NoteOns(Export({"eight.tab", "two.tab"})),
              (Ons{"0:64", "2400:65", "4800:66", "7200:67", "9600:68", "12000:69", "14400:70", "16800:71",
                   "19200:74", "21600:75"}));
}

// |: m1 |1. m2 :|2. m3 | m4 D.C. with Fine over the end of m1: the
// measures go 1 2 1 3 4 1.
TEST(ExportMidi, RepeatsEndingsAndDaCapoAlFinePlayAsWritten) {
    EnsureApp();
    WorkFolder work;
    RowItems items;
    auto sign = [&](double left, double width, const char* tag) {
        RepMarkItem r;
        r.Left = left, r.Width = width, r.Tag = tag, r.Visible = true;
        items.RepMarks.push_back(r);
    };
    sign(2600, 800, "7");  // Fine over the bar after measure 1
    sign(2980, 900, "5");  // first ending over measure 2
    sign(4980, 900, "6");  // second ending over measure 3
    sign(8000, 600, "4");  // D.C. at the end of measure 4
    WriteRow("dc.tab", 4, 22, {{0, 1, 0, 1}, {1, 1, 1, 1}, {2, 1, 2, 1}, {3, 1, 3, 1}}, items, [](Session& s) {
        for (int m = 0; m <= 4; ++m) s.DanLayout[0].SyosetsuLeft[m] = static_cast<int16_t>(1000 + 2000 * m);
        s.DanBuf[0].TopRepStart = kTrue;
        s.DanBuf[0].Syosetsu[1].BarFlag[kBarRepEnd] = kTrue;
    });
    EXPECT_EQ(NoteOns(Export({"dc.tab"})), (Ons{"0:64", "1200:65", "2400:64", "3600:66", "4800:67", "6000:64"}));
}

TEST(ExportMidi, RefusalsLeaveNoFile) {
    EnsureApp();
    WorkFolder work;
    fs::copy(fs::path(LUTEWISE_SOURCE_DIR) / "data" / "examples", work.path / "examples");
    WriteBytes("empty.tbp", "");
    WriteBytes("keep.mid", "old");
    struct Case {
        std::vector<std::string> args;
        int rc;  // 2: a wrong command line
        const char* err;
    } cases[] = {
        {{"bad.mid", "examples/none.tab"}, 1, "none.tab"},
        {{"bad.mid", "empty.tbp"}, 1, "書き出す段がありません"},
        {{"nodir/bad.mid", "examples/ode1.tab"}, 1, "nodir"},
        {{"bad.mid", "examples/ode1.tab", "--tempo", "0"}, 2, "1～999"},
        {{"bad.mid", "examples/ode1.tab", "--tempo", "2"}, 1, "テンポ"},
        {{"bad.mid", "examples/ode1.tab", "--base", "112"}, 2, "--base"},
        {{"keep.mid", "examples/ode1.tab", "--tempo", "x"}, 2, "1～999"},
        {{"bad.mid"}, 2, "usage"},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(RunExportMidi(c.args, out, err, KOCOMM_LIBRARY), c.rc) << c.args[0];
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
        int rc;  // 2: a wrong command line
        const char* err;
    } cases[] = {
        {{"bad.musicxml", "examples/none.tab"}, 1, "none.tab"},
        {{"bad.musicxml", "empty.tbp"}, 1, "書き出す段がありません"},
        {{"nodir/bad.musicxml", "examples/ode1.tab"}, 1, "nodir"},
        {{"keep.musicxml", "examples/ode1.tab", "examples/none.tab"}, 1, "none.tab"},
        {{"bad.musicxml"}, 2, "usage"},
        {{"bad.musicxml", "examples/ode1.tab", "--tempo", "90"}, 2, "usage"},
    };
    for (const Case& c : cases) {
        std::ostringstream o, e;
        EXPECT_EQ(RunExportMusicXml(c.args, o, e), c.rc) << c.args[0];
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
        EXPECT_EQ(NoteOns(f), (Ons{"0:69", "600:70"})) << "E string fret 5 (A4), then fret 6 in the next row";
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_NE(ui.shown[0].text.find("nodir"), std::string::npos) << ui.shown[0].text;
        sh.AskSave = false;
    }
}
