// The editor's side of the KoComm commands: the playback file and the
// object's settings, the row-area picking tool, and headless --play.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "app_test_support.h"
#include "play_command.h"
#include "tab_file.h"

using namespace lw;
using namespace lwtest;
namespace fs = std::filesystem;

namespace {

// Records every assignment as "name=value".
struct RecordingKoComm : clsKoComm {
    std::vector<std::string> set;
    int16_t flag = 1;
    void SetEventSink(KoCommEvents*) override {}
    int32_t get_p_X() const override { return 0; }
    void let_p_X(int32_t v) override { set.push_back("X=" + std::to_string(v)); }
    void let_p_SyosetsuSu(int16_t v) override { set.push_back("SyosetsuSu=" + std::to_string(v)); }
    void let_p_DocumentCount(int32_t v) override { set.push_back("DocumentCount=" + std::to_string(v)); }
    void let_p_Gakki(int16_t v) override { set.push_back("Gakki=" + std::to_string(v)); }
    void let_p_TabAreaPos(double v) override { set.push_back("TabAreaPos=" + FormatNumber(v)); }
    void let_p_TabAreaPos2(double v) override { set.push_back("TabAreaPos2=" + FormatNumber(v)); }
    void let_p_FormatType(int16_t v) override { set.push_back("FormatType=" + std::to_string(v)); }
    void let_p_LineCnt(int16_t v) override { set.push_back("LineCnt=" + std::to_string(v)); }
    void let_p_MeterID(int16_t v) override { set.push_back("MeterID=" + std::to_string(v)); }
    void let_p_RowSyosetsuSu(int16_t row, int16_t v) override {
        if (v > 0) set.push_back("Row" + std::to_string(row) + "Measures=" + std::to_string(v));
    }
    void let_p_RowMeterID(int16_t row, int16_t v) override {
        if (v >= 0) set.push_back("Row" + std::to_string(row) + "Meter=" + std::to_string(v));
    }
    void Put_PlayOrder(const std::vector<PlayStep>& steps) override {
        set.push_back("Steps=" + std::to_string(steps.size()));
    }
    std::optional<double> get_p_SyosetsuSu() const override { return std::nullopt; }
    std::optional<double> get_p_TabAreaPos() const override { return std::nullopt; }
    int16_t get_p_OnMouseFlag() const override { return flag; }
    void let_p_OnMouseFlag(int16_t) override {}
    void Put_ActiveteDocumentEvent(int16_t&) override {}
    void Put_KoTabAreaOKEvent() override {}
    void Put_KoTabAreaRefreshEvent() override {}
};

class KoCommCommandTest : public EditorTest {
protected:
    KoCommCommandTest() : EditorTest(false) {}
};

}  // namespace

TEST_F(KoCommCommandTest, PlaybackWritesEveryRowAndKeepsTheActiveRow) {
    RecordingKoComm obj;
    EXPECT_FALSE(sh().PreparePlayback(obj)) << "no row open";
    EXPECT_FALSE(fs::exists(work->File(kPlayFileName)));
    for (int i = 0; i < 3; ++i) {
        RowDoc* r = sh().DoFileNew();
        auto& m = sh().s.DanBuf[r->Slot()].Syosetsu[0];
        m.OnpuCnt = 1;
        StoreNote(m.Onpu[1], 1, i + 5, 2);
    }
    sh().BringRowToFront(1);
    sh().MeterMenu(1);  // 6/8
    ASSERT_TRUE(sh().PreparePlayback(obj));
    EXPECT_EQ(sh().s.CurDanIx, 1) << "the active row stays the active slot";
    // Every row with its own measures and meter (the active one in 6/8), and
    // its measures in playing order: no marks, so 3 x 4 in turn.
    EXPECT_EQ(obj.set, (std::vector<std::string>{"SyosetsuSu=4", "DocumentCount=3", "Gakki=0", "LineCnt=5", "MeterID=1",
                                                 "Row0Measures=4", "Row0Meter=22", "Row1Measures=4", "Row1Meter=1",
                                                 "Row2Measures=4", "Row2Meter=22", "Steps=12"}));
    auto recordOf = [](int slot) {
        return "0," + std::to_string(slot) + ",1,1,0,0,0,0,0,0,255," + std::to_string(slot + 5) + ",";
    };
    std::string file = ReadBytes(work->File(kPlayFileName));
    for (int slot = 0; slot < 3; ++slot) EXPECT_NE(file.find(recordOf(slot)), std::string::npos) << file;

    // A row closed since: its slot still holds its notes, which do not play.
    ui.answers = {kIdNo};
    ASSERT_TRUE(sh().CloseRow(*sh().RowOfSlot(1)));
    ASSERT_TRUE(sh().PreparePlayback(obj));
    file = ReadBytes(work->File(kPlayFileName));
    EXPECT_NE(file.find(recordOf(0)), std::string::npos);
    EXPECT_EQ(file.find("\n0,1,"), std::string::npos) << file;
    EXPECT_NE(file.find(recordOf(2)), std::string::npos);
}

TEST_F(KoCommCommandTest, RowAreaPickingHandsClicksToTheObject) {
    RecordingKoComm obj;
    sh().RowAreaObject = [&obj]() -> clsKoComm* { return &obj; };
    EXPECT_FALSE(sh().PrepareTabArea(obj)) << "no row open";
    sh().DoFileNew();
    sh().RowAreaPick(10, 20);  // not picking: nothing
    EXPECT_TRUE(obj.set.empty());
    ASSERT_TRUE(sh().PrepareTabArea(obj));
    EXPECT_EQ(sh().g.EditMode, kModeRowArea);
    sh().RowAreaPick(100.5, 1440.25);
    obj.flag = 2;
    sh().RowAreaPick(101.5, 900);
    EXPECT_EQ(obj.set, (std::vector<std::string>{"FormatType=1", "SyosetsuSu=4", "X=100", "TabAreaPos=1440.25", "X=102",
                                                 "TabAreaPos2=900"}));
}

TEST_F(KoCommCommandTest, HeadlessPlayReadsRowsAndProjectsIntoAWav) {
    const fs::path examples = fs::path(LUTEWISE_SOURCE_DIR) / "data" / "examples";
    fs::copy(examples, work->path / "examples");
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* err;   // part of the message
        const char* wav;   // written on success
        long musicMs;      // its length before the release tail
    } cases[] = {
        // Four rows of four 4/4 measures at tempo 100; the third is repeated.
        {{"examples/example.tbp", "--wav", "out.wav"}, 0, "", "out.wav", 5 * 4 * 2400},
        {{"examples/ode1.tab", "examples/ode2.tab", "--wav", "two.wav", "--tempo", "120", "--base", "48"}, 0, "",
         "two.wav", 3 * 4 * 2000},
        {{"examples/ode1.tab", "--wav", "bad.wav", "--tempo", "abc"}, 2, "1～999", nullptr, 0},
        {{"examples/none.tab", "--wav", "bad.wav"}, 1, "none.tab", nullptr, 0},
        {{"examples/ode1.tab", "--wav", "bad.wav", "--instrument", "0"}, 2, "--instrument", nullptr, 0},
        {{"examples/ode1.tab"}, 2, "usage", nullptr, 0},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(RunPlay(c.args, out, err, KOCOMM_LIBRARY), c.rc) << err.str();
        EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
        if (!c.wav) continue;
        EXPECT_EQ(out.str(), std::string(c.wav) + "\n");
        const auto frames = static_cast<long>((fs::file_size(work->path / c.wav) - 44) / 4);
        EXPECT_GE(frames, c.musicMs * 441 / 10) << c.wav;
        EXPECT_LT(frames, (c.musicMs + 4100) * 441 / 10) << c.wav;
    }
    EXPECT_FALSE(fs::exists(work->path / "bad.wav"));
    EXPECT_FALSE(fs::exists(work->File(kPlayFileName))) << "the interchange file stays private";
}
