// --import-musicxml and "MusicXMLを読み込む...": the example project exported
// and imported again through the commands, the files written (all or none),
// the projects of a long piece, and the menu that opens what it made.
#include <gtest/gtest.h>

#include <QAction>
#include <filesystem>
#include <set>
#include <sstream>

#include "app_test_support.h"
#include "command_rows.h"
#include "export_command.h"
#include "import_command.h"
#include "startup.h"

using namespace lw;
using namespace lwtest;
namespace fs = std::filesystem;

namespace {

std::string Data(const char* name) {
    return (fs::path(LUTEWISE_SOURCE_DIR) / "interchange" / "tests" / "data" / name).string();
}

// Every file of the folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file()) out[e.path().filename().string()] = ReadBytes(e.path().string());
    return out;
}

// A score of n measures holding one whole E4 each.
std::string Measures(int n) {
    std::string x = "<score-partwise><part-list><score-part id=\"P\"/></part-list><part id=\"P\">";
    for (int m = 1; m <= n; ++m) {
        x += "<measure number=\"" + std::to_string(m) + "\">";
        if (m == 1) x += "<attributes><divisions>1</divisions></attributes>";
        x += "<note><pitch><step>E</step><octave>4</octave></pitch><duration>4</duration><type>whole</type></note></measure>";
    }
    return x + "</part></score-partwise>";
}

int Import(const std::vector<std::string>& args, std::string* out = nullptr, std::string* err = nullptr) {
    std::ostringstream o, e;
    const int rc = RunImportMusicXml(args, o, e);
    if (out) *out = o.str();
    if (err) *err = e.str();
    return rc;
}

}  // namespace

TEST(ImportMusicXml, TheExampleProjectComesBackThroughBothCommands) {
    EnsureApp();
    WorkFolder work;
    fs::copy(fs::path(LUTEWISE_SOURCE_DIR) / "data" / "examples", work.path / "examples");
    std::ostringstream o, e;
    ASSERT_EQ(RunExportMusicXml({"ex.musicxml", "examples/example.tbp"}, o, e), 0) << e.str();
    std::string out, err;
    ASSERT_EQ(Import({"ex.musicxml", "back.tbp"}, &out, &err), 0) << err;
    EXPECT_EQ(err, "");
    const std::string dir = work.path.string() + "/";
    EXPECT_EQ(out, dir + "back-01.tab\n" + dir + "back-02.tab\n" + dir + "back-03.tab\n" + dir + "back-04.tab\n" + dir +
                       "back.tbp\n");
    EXPECT_EQ(ReadBytes("back.tbp"), "00:" + dir + "back-01.tab\r\n01:" + dir + "back-02.tab\r\n02:" + dir +
                                         "back-03.tab\r\n03:" + dir + "back-04.tab\r\n");

    CommandRows before, after;
    std::ostringstream why;
    ASSERT_TRUE(ReadCommandRows({"examples/example.tbp"}, before, why, "-")) << why.str();
    ASSERT_TRUE(ReadCommandRows({"back.tbp"}, after, why, "-")) << why.str();
    ASSERT_EQ(after.s->DocCount, 4);
    for (int slot = 0; slot < 4; ++slot) {
        SCOPED_TRACE(slot);
        const DanData &a = before.s->DanBuf[slot], &b = after.s->DanBuf[slot];
        EXPECT_EQ(b.SyosetsuCnt, a.SyosetsuCnt);
        EXPECT_EQ(b.TopRepStart, a.TopRepStart);
        EXPECT_EQ(after.s->KeyName[slot], before.s->KeyName[slot]);
        for (int m = 0; m < a.SyosetsuCnt; ++m) {
            const SyosetsuData &x = a.Syosetsu[m], &y = b.Syosetsu[m];
            EXPECT_EQ(y.Chord1, x.Chord1);
            EXPECT_EQ(y.Chord2, x.Chord2);
            EXPECT_EQ(y.BarFlag, x.BarFlag);
            ASSERT_EQ(y.OnpuCnt, x.OnpuCnt);
            for (int p = 1; p <= x.OnpuCnt; ++p) {
                const OnpuData &u = x.Onpu[p], &v = y.Onpu[p];
                // Beam connection is drawing only and not in the score.
                EXPECT_EQ(v.NoteAttr & 0xE4, u.NoteAttr & 0xE4);
                EXPECT_EQ(v.FletUse, u.FletUse);
                for (int k = 1; k <= 6; ++k)
                    if (u.FletUse[k]) {
                        EXPECT_EQ(v.Flet[k], u.Flet[k]);
                        EXPECT_EQ(v.NoteLengthID[k], u.NoteLengthID[k]);
                        EXPECT_EQ(v.Effect[k], u.Effect[k]);
                    }
            }
        }
        ASSERT_EQ(after.items[slot].Texts.size(), before.items[slot].Texts.size());
        for (size_t t = 1; t < before.items[slot].Texts.size(); ++t)
            EXPECT_EQ(after.items[slot].Texts[t].Caption, before.items[slot].Texts[t].Caption);
    }
}

TEST(ImportMusicXml, WritesAllFilesOrNoneAndNeverReplacesWhatIsNoRow) {
    EnsureApp();
    WorkFolder work;
    WriteBytes("bad.musicxml", "<score-partwise><part id=\"P\"><measure number=\"3\"><attributes><time><beats>5</beats>"
                               "<beat-type>4</beat-type></time></attributes></measure></part></score-partwise>");
    WriteBytes("long.musicxml", Measures(44));
    WriteBytes("score.tbp", Measures(1));
    WriteBytes("old.tbp", "00:/x/old-01.tab\r\n");
    WriteBytes("old-01.tab", "\"TAB\",1,0,\"C\",0,22,\"\",\"\",\"\",\"201\"\r\n");
    WriteBytes("text-01.tab", "a letter, not a row");
    WriteBytes("notes.tbp", "shopping list");
    fs::create_directory("dir.tbp");
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* err;
    } cases[] = {
        {{"bad.musicxml", "old.tbp"}, 1, "小節 3: 拍子 5/4"},
        {{"none.musicxml", "old.tbp"}, 1, "見つかりません"},
        {{"long.musicxml", "text.tbp", "--measures-per-row", "8"}, 1, "text-01.tab」に書き込みません: TAB譜ファイルではありません"},
        {{"long.musicxml", "notes.tbp", "--measures-per-row", "8"}, 1, "notes.tbp」に書き込みません: プロジェクトファイルではありません"},
        {{"long.musicxml", "dir.tbp", "--measures-per-row", "8"}, 1, "通常のファイルではありません"},
        {{"score.tbp", "score.tbp"}, 1, "score.tbp」に書き込みません: 読み込むファイルそのものです"},
        {{"long.musicxml", "out.tab"}, 1, ".tbp で終わります"},
        {{"long.musicxml", "nodir/out.tbp"}, 1, "nodir/out-1-01.tab」に保存できません"},
        {{"long.musicxml", "out.tbp", "--part", "2"}, 1, "パート 2 はありません"},
        {{"long.musicxml", "out.tbp", "--measures-per-row", "9"}, 2, "1～8"},
        {{"long.musicxml", "out.tbp", "--part", "0"}, 2, "1～999"},
        {{"long.musicxml", "out.tbp", "--part"}, 2, "usage"},
        {{"long.musicxml", "out.tbp", "--tempo", "3"}, 2, "usage"},
        {{"long.musicxml"}, 2, "usage"},
    };
    const auto before = Snapshot(work.path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        std::string out, err;
        EXPECT_EQ(Import(c.args, &out, &err), c.rc);
        EXPECT_NE(err.find(c.err), std::string::npos) << err;
        EXPECT_EQ(out, "");
        EXPECT_EQ(Snapshot(work.path), before) << "nothing written, nothing replaced, no temporary left";
    }
    // A row and a project of its own kind are replaced, by complete files.
    std::string out, err;
    ASSERT_EQ(Import({"long.musicxml", "old.tbp", "--measures-per-row", "8"}, &out, &err), 0) << err;
    EXPECT_NE(ReadBytes("old-01.tab"), before.at("old-01.tab"));
    EXPECT_EQ(ReadBytes("old-06.tab").substr(0, 8), "\"TAB\",4,");
    EXPECT_NE(ReadBytes("old.tbp").find("05:" + work.path.string() + "/old-06.tab\r\n"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 8), "old.tbp\n");
}

TEST(ImportMusicXml, ALongPieceBecomesProjectsOfTenRows) {
    EnsureApp();
    WorkFolder work;
    WriteBytes("long.musicxml", Measures(44));
    std::string out, err;
    ASSERT_EQ(Import({"long.musicxml", "song.tbp"}, &out, &err), 0) << err;
    const std::string dir = work.path.string() + "/";
    std::string want;
    for (int k = 1; k <= 10; ++k) want += dir + "song-1-" + (k < 10 ? "0" : "") + std::to_string(k) + ".tab\n";
    want += dir + "song-1.tbp\n" + dir + "song-2-01.tab\n" + dir + "song-2.tbp\n";
    EXPECT_EQ(out, want);
    EXPECT_EQ(ReadBytes("song-2.tbp"), "00:" + dir + "song-2-01.tab\r\n");
    CommandRows rows;
    std::ostringstream why;
    ASSERT_TRUE(ReadCommandRows({"song-1.tbp"}, rows, why, "-")) << why.str();
    EXPECT_EQ(rows.s->DocCount, 10);
    EXPECT_EQ(rows.s->DanBuf[9].SyosetsuCnt, 4);
    EXPECT_EQ(rows.s->DanBuf[9].Syosetsu[3].Onpu[1].Flet[1], 0) << "E4: the open first string";
    EXPECT_FALSE(fs::exists("song.tbp"));
}

TEST(ImportMusicXml, TheMenuImportsIntoTheNamedProjectAndOpensIt) {
    EnsureApp();
    WorkFolder work;
    ScriptedUi ui;
    MemoryUserStore store;
    WriteBytes("bass.musicxml",
               R"(<score-partwise><part-list><score-part id="P"/></part-list><part id="P"><measure number="1">
        <attributes><divisions>1</divisions><clef><sign>TAB</sign></clef><staff-details><staff-lines>4</staff-lines>
          <staff-tuning line="1"><tuning-step>E</tuning-step><tuning-octave>1</tuning-octave></staff-tuning>
          <staff-tuning line="2"><tuning-step>A</tuning-step><tuning-octave>1</tuning-octave></staff-tuning>
          <staff-tuning line="3"><tuning-step>D</tuning-step><tuning-octave>2</tuning-octave></staff-tuning>
          <staff-tuning line="4"><tuning-step>G</tuning-step><tuning-octave>2</tuning-octave></staff-tuning></staff-details></attributes>
        <note><pitch><step>A</step><octave>1</octave></pitch><duration>4</duration><type>whole</type></note></measure></part></score-partwise>)");
    {
        MainWindow mw(ui, store);
        mw.LoadMainForm();
        Shell& sh = mw.shell();
        sh.InitStartValues();
        auto trigger = [&mw](const char* name) { mw.findChild<QAction*>(name)->trigger(); };
        ui.openAnswers = {Data("plain-staff-musescore.musicxml"), work.File("bass.musicxml"), work.File("bass.musicxml")};
        ui.saveAnswers = {work.File("plain.tbp"), ""};
        trigger("mnuFileImportMusicXml");
        EXPECT_EQ(ui.saveProposals.back(), fs::path(Data("plain-staff-musescore.musicxml")).replace_extension(".tbp").string())
            << "named after the score, beside it";
        EXPECT_EQ(sh.CurProject, work.File("plain.tbp"));
        EXPECT_EQ(sh.OpenRowCount(), 2);
        EXPECT_EQ(sh.s.KeyName[0], "G");
        EXPECT_EQ(PositionTicks(sh.s.DanBuf[1].Syosetsu[3].Onpu[1]), 72) << "the closing dotted half note";
        trigger("mnuFileImportMusicXml");   // cancelled at the project's name
        EXPECT_EQ(sh.OpenRowCount(), 2);
        ui.saveAnswers = {work.File("bass.tbp")};
        ui.shown.clear();
        trigger("mnuFileImportMusicXml");
        // The bass rows need the bass: chosen, written to the settings, told.
        EXPECT_EQ(sh.s.GakkiCode, 3);
        EXPECT_EQ(sh.s.MaxStringIx, 3);
        EXPECT_NE(ReadBytes("Lutewise.ini").find("Gakki=3"), std::string::npos);
        ASSERT_FALSE(ui.shown.empty());
        EXPECT_NE(ui.shown.back().text.find("ベース"), std::string::npos) << ui.shown.back().text;
        EXPECT_EQ(sh.CurProject, work.File("bass.tbp"));
        EXPECT_EQ(sh.OpenRowCount(), 1);
        EXPECT_EQ(sh.s.DanBuf[0].Syosetsu[0].Onpu[1].Flet[3], 0) << "A1: the open third string";
        sh.AskSave = false;
    }
}
