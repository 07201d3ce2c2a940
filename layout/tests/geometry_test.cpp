#include <gtest/gtest.h>

#include <cmath>

#include "layout_test_support.h"

using namespace lw;
using namespace lw::test;

// Positions of a measure in the given values ("2" quarter, "2." dotted,
// "2+1" a chord of a quarter and a half, "-" nothing sounds).
std::vector<double> Offsets(const std::vector<std::string>& notes, double available, int meter = 22) {
    SyosetsuData ms;
    for (const std::string& v : notes) {
        OnpuData o;
        if (v != "-") {
            StoreNote(o, 1, 0, std::stoi(v));
            if (v.find('+') != std::string::npos) StoreNote(o, 2, 0, std::stoi(v.substr(v.find('+') + 1)));
            if (v.find('.') != std::string::npos) SetBit(o.NoteAttr, kAttrDot, true);
            StoreNote(o, 1, 0, std::stoi(v));  // ticks after the dot
        }
        ms.Onpu[++ms.OnpuCnt] = o;
    }
    return NoteOffsets(ms, 6, available, meter);
}

TEST(NoteSpacing, NotesShareTheMeasureByTheSquareRootOfTheirLength) {
    using V = std::vector<double>;
    // Equal values share it equally, the last one reaching the bar line.
    EXPECT_EQ(Offsets({"2", "2", "2", "2"}, 2700), (V{0, 675, 1350, 2025, 2700}));
    EXPECT_EQ(Offsets({"3", "3", "3", "3", "3", "3"}, 2700, 1), (V{0, 450, 900, 1350, 1800, 2250, 2700}));
    // Twice as long, 1.41 times the room: a half and two quarters.
    V o = Offsets({"1", "2", "2"}, 2700);
    EXPECT_NEAR(o[1] / (o[2] - o[1]), std::sqrt(2.0), 1e-3);
    EXPECT_NEAR(o[3], 2700, 1e-3);
    // A dotted quarter and an eighth: sqrt(36) to sqrt(12).
    o = Offsets({"2.", "3", "1"}, 2700);
    EXPECT_NEAR(o[1] / (o[2] - o[1]), std::sqrt(3.0), 1e-3);
    // A measure being filled: the empty part counts as notes of the last
    // value, so the first quarter already stands where it will stay.
    EXPECT_EQ(Offsets({"2"}, 2700), (V{0, 675}));
    EXPECT_EQ(Offsets({"3", "3"}, 2700, 1), (V{0, 450, 900}));
    // A chord takes the room of its longest string; nothing sounding, none.
    EXPECT_EQ(Offsets({"2+1", "-", "1"}, 2700), (V{0, 1350, 1350, 2700}));
    EXPECT_EQ(Offsets({"2", "2"}, 2700, 99), (V{0, 0, 0}));  // unknown meter
}

TEST(NoteSpacing, ShortNotesKeepRoomForAnAccidentalWhileTheMeasureHasIt) {
    // A half, eight thirty-seconds and a quarter: by length the 32nds would get
    // 182 twips; they get the least room and the others share the rest.
    std::vector<std::string> v = {"1"};
    for (int i = 0; i < 8; ++i) v.push_back("5");
    v.push_back("2");
    const std::vector<double> o = Offsets(v, 2700);
    for (int p = 2; p <= 9; ++p) EXPECT_DOUBLE_EQ(o[p] - o[p - 1], kMinNoteAdvance) << p;
    EXPECT_NEAR(o[1] / (o[10] - o[9]), std::sqrt(2.0), 1e-3);
    EXPECT_NEAR(o[10], 2700, 1e-3);
    // Sixteen sixteenths in 2700 twips cannot all have it: equal shares.
    const std::vector<double> s = Offsets(std::vector<std::string>(16, "4"), 2700);
    EXPECT_DOUBLE_EQ(s[1], 2700.0 / 16);
}

TEST(NoteX, SumsTheWidestStringOfEachEarlierPosition) {
    Session s;
    SetUpRow(s, 0);
    EXPECT_EQ(GetNoteX(s, 0, 1), 600);  // left 300 + inset 300
    OnpuData chord = Note(1, 0, 2);
    StoreNote(chord, 2, 1, 1);  // a half note on string 2 makes the position half-wide
    Append(s, 0, chord);
    EXPECT_EQ(GetNoteX(s, 0, 2), 600 + 1350);  // a half of the measure
    OnpuData silent;  // no string sounds: advances nothing
    Append(s, 0, silent);
    EXPECT_EQ(GetNoteX(s, 0, 3), 600 + 1350);
    Append(s, 1, Note(1, 0, 3));
    EXPECT_EQ(GetNoteX(s, 1, 2), 3300 + 300 + 338);  // an eighth: 337.5, half to even
}

TEST(NoteX, StringsBeyondTheInstrumentDoNotCount) {
    Session s;
    SetUpRow(s, 0, 3);
    OnpuData p = Note(1, 0, 2);
    StoreNote(p, 5, 0, 0);  // string 5 on a four-string row is ignored
    Append(s, 0, p);
    EXPECT_EQ(GetNoteX(s, 0, 2), 600 + 675);
}

TEST(MeasureUnderPoint, BoundaryBelongsToThePreviousMeasure) {
    Session s;
    SetUpRow(s, 0);
    int m = -1;
    EXPECT_FALSE(GetSyosetsuNo(s, 300, m));
    EXPECT_FALSE(GetSyosetsuNo(s, 10, m));
    ASSERT_TRUE(GetSyosetsuNo(s, 301, m));
    EXPECT_EQ(m, 0);
    ASSERT_TRUE(GetSyosetsuNo(s, 3300, m));
    EXPECT_EQ(m, 0);
    ASSERT_TRUE(GetSyosetsuNo(s, 3301, m));
    EXPECT_EQ(m, 1);
    ASSERT_TRUE(GetSyosetsuNo(s, 20000, m));
    EXPECT_EQ(m, 3);  // beyond the right end: still the last measure
}

TEST(StringUnderPoint, BandsAndBoundaries) {
    Session s;
    SetUpRow(s, 0);
    EXPECT_EQ(GetLineNo(s, 541), 1);
    EXPECT_EQ(GetLineNo(s, 540), 0);
    EXPECT_EQ(GetLineNo(s, 539), 0);
    EXPECT_EQ(GetLineNo(s, 660), 0);
    EXPECT_EQ(GetLineNo(s, 661), 2);
    EXPECT_EQ(GetLineNo(s, 1259), 6);
    EXPECT_EQ(GetLineNo(s, 1261), 0);
}

TEST(StringUnderPoint, MarkerOnlyOnTheInstrumentsStrings) {
    RowFixture f(3);  // four strings
    f.g.MouseY = 600 + 4 * 120;  // band of string 5
    f.g.MouseX = 1000;
    EXPECT_EQ(f.ed->GetLineNo(), 5);
    EXPECT_FALSE(f.scene.labFletEdit.Visible);
    f.g.MouseY = 600 + 120;
    EXPECT_EQ(f.ed->GetLineNo(), 2);
    EXPECT_TRUE(f.scene.labFletEdit.Visible);
    EXPECT_DOUBLE_EQ(f.scene.labFletEdit.Top, 720 - f.scene.labFletEdit.Height / 2);
    EXPECT_DOUBLE_EQ(f.scene.labFletEdit.Left, 1000 - f.scene.labFletEdit.Width / 2);
}

TEST(StaffArea, StrictlyAboveTheMargin) {
    Session s;
    SetUpRow(s, 0);
    EXPECT_FALSE(Area5ScopeCheck(s, 0, 600 - 277.5));
    EXPECT_TRUE(Area5ScopeCheck(s, 0, 600 - 278.5));
    EXPECT_FALSE(Area5ScopeCheck(s, 0, 700));
}

TEST(LedgerGuide, AboveInsideAndBelowTheStaff) {
    RowFixture f;
    auto& g = f.scene.pic5Sen_Hosoku;
    // yy = y + 217.5 rounded; staff 100..420 (five lines 80 apart, limit 500).
    f.ed->Area5HosokuLine(1000, -200);   // yy = 18 (rounded half to even): above
    EXPECT_TRUE(g.Visible);
    EXPECT_DOUBLE_EQ(g.Top, 100 - g.Height);
    EXPECT_DOUBLE_EQ(g.Left, 1000 - g.Width / 2);
    f.ed->Area5HosokuLine(1000, 0);      // yy = 218: inside
    EXPECT_FALSE(g.Visible);
    f.ed->Area5HosokuLine(1000, 300);    // yy = 518: below
    EXPECT_TRUE(g.Visible);
    EXPECT_DOUBLE_EQ(g.Top, 100 + 4 * 80);
}

TEST(MeasureCapacity, ByMeter) {
    EXPECT_EQ(GetSyosetsuLength(22), 96);
    EXPECT_EQ(GetSyosetsuLength(12), 72);
    EXPECT_EQ(GetSyosetsuLength(1), 72);
    EXPECT_EQ(GetSyosetsuLength(21), 144);
    EXPECT_EQ(GetSyosetsuLength(20), 192);
    EXPECT_EQ(GetSyosetsuLength(5), 0);
}

TEST(MeasureCount, SetsSessionAndRowAndClamps) {
    Session s;
    SetUpRow(s, 2);
    EXPECT_EQ(ChangeMeasureCount(s, 6), 6);
    EXPECT_EQ(s.CurSyosetsuCnt, 6);
    EXPECT_EQ(s.DanBuf[2].SyosetsuCnt, 6);
    EXPECT_EQ(ChangeMeasureCount(s, 0), 1);
    EXPECT_EQ(ChangeMeasureCount(s, 12), 8);
}

// The index a click computes must name the control the layout placed for
// that position, whatever the number of strings.
class CtrlIndexNumbering : public ::testing::TestWithParam<int> {};

TEST_P(CtrlIndexNumbering, EqualsPlacement) {
    const int maxIx = GetParam();
    RowFixture f(maxIx);
    Append(f.s, 0, Note(1, 3, 2));
    Append(f.s, 0, Rest(23, maxIx));
    OnpuData high = Note(maxIx + 1, 7, 2);  // only the lowest string sounds
    Append(f.s, 0, high);
    Append(f.s, 0, OnpuData{});             // nothing sounds, not a rest
    Append(f.s, 1, Rest(24, maxIx));
    Append(f.s, 2, Note(2, 12, 3));
    ASSERT_TRUE(f.ed->ReLayoutTAB("all"));
    for (int m = 0; m < 3; ++m) {
        const auto& ms = f.s.CurDan().Syosetsu[m];
        for (int p = 1; p <= ms.OnpuCnt; ++p) {
            const SceneLabel& cell = f.scene.labInx[m][p];
            const lw::CellTag t = f.ed->ParseLabInxTag(cell);
            ASSERT_TRUE(t.ok);
            const int k = f.ed->GetCtrlIndex(t.measure, t.position, t.restFlag);
            if (t.restFlag) {
                ASSERT_LT(k, (int)f.scene.picKyufu.size());
                EXPECT_DOUBLE_EQ(f.scene.picKyufu[k].Left, cell.Left) << m << "/" << p;
            } else {
                ASSERT_LT(k, (int)f.scene.labPos.size());
                char want[32];
                std::snprintf(want, sizeof want, "%02d/%02d/0/%d", m, p, maxIx + 1);
                EXPECT_EQ(f.scene.labPos[k].Tag, want);
            }
        }
    }
    // The sounding fret of the third position is visible with its caption.
    const int k3 = f.ed->GetCtrlIndex(0, 3, 0);
    EXPECT_TRUE(f.scene.labPos[k3].Visible);
    EXPECT_EQ(f.scene.labPos[k3].Caption, "7");
}

INSTANTIATE_TEST_SUITE_P(FourFiveSixStrings, CtrlIndexNumbering, ::testing::Values(3, 4, 5));
