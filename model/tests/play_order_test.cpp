// The order in which a musician plays the measures, written out by hand for
// each way of marking a piece, and where the signs of a row land.
#include <gtest/gtest.h>

#include <sstream>

#include "play_order.h"

namespace {

using lw::WalkMeasure;

// One measure per entry, its marks as words: "|:" "  :|" "1." "2." "S" (sign)
// "C" (coda) "toC" "DS" "DC" "Fine".
std::vector<WalkMeasure> Piece(const std::vector<std::string>& measures) {
    std::vector<WalkMeasure> piece;
    for (size_t i = 0; i < measures.size(); ++i) {
        WalkMeasure w;
        w.Row = static_cast<int16_t>(i / 8);
        w.Measure = static_cast<int16_t>(i % 8);
        std::istringstream words(measures[i]);
        for (std::string word; words >> word;) {
            if (word == "|:") w.RepeatStart = true;
            else if (word == ":|") w.RepeatEnd = true;
            else if (word == "1.") w.Ending = 1;
            else if (word == "2.") w.Ending = 2;
            else if (word == "S") w.Segno = true;
            else if (word == "C") w.Coda = true;
            else if (word == "toC") w.ToCoda = true;
            else if (word == "DS") w.DalSegno = true;
            else if (word == "DC") w.DaCapo = true;
            else if (word == "Fine") w.Fine = true;
            else ADD_FAILURE() << "unknown mark " << word;
        }
        piece.push_back(w);
    }
    return piece;
}

std::vector<int> Played(const std::vector<WalkMeasure>& piece) {
    std::vector<int> out;
    for (const lw::PlayStep& st : lw::WalkRepeats(piece)) out.push_back(st.Row * 8 + st.Measure);
    return out;
}

TEST(PlayOrder, MeasuresAsAMusicianPlaysThem) {
    struct Case {
        const char* name;
        std::vector<std::string> piece;
        std::vector<int> played;
    } cases[] = {
        {"no marks", {"", "", "", ""}, {0, 1, 2, 3}},
        {"repeat from a start bar", {"", "|:", ":|", ""}, {0, 1, 2, 1, 2, 3}},
        {"repeat without a start bar goes to the beginning", {"", ":|", ""}, {0, 1, 0, 1, 2}},
        {"second repeat goes back to just after the first", {":|", ":|"}, {0, 0, 1, 1}},
        {"repeat with two endings", {"|:", "", "1. :|", "2.", ""}, {0, 1, 2, 0, 1, 3, 4}},
        {"first ending of two measures", {"", "1.", ":|", "2.", ""}, {0, 1, 2, 0, 3, 4}},
        {"D.S. al Coda", {"", "S", "toC", "DS", "C", ""}, {0, 1, 2, 3, 1, 2, 4, 5}},
        {"D.C. al Fine", {"", "Fine", "", "DC"}, {0, 1, 2, 3, 0, 1}},
        {"D.C. al Fine after a repeat: taken once", {"", ":|", "Fine", "DC"}, {0, 1, 0, 1, 2, 3, 0, 1, 2}},
        {"D.S. al Coda around a repeat with endings",
         {"|:", "S", "1. :|", "2. toC", "DS", "C", ""},
         {0, 1, 2, 0, 1, 3, 4, 1, 3, 5, 6}},
        {"Fine and to Coda before any jump play on", {"Fine", "toC", "C"}, {0, 1, 2}},
        {"D.S. without a sign goes to the beginning", {"", "DS", ""}, {0, 1, 0, 1, 2}},
        {"only the first D.S. or D.C. jumps", {"", "DC", "DS"}, {0, 1, 0, 1, 2}},
        {"repeat before D.S. on the same bar", {"S", ":| DS", ""}, {0, 1, 0, 1, 0, 1, 2}},
        {"across rows: sign in row 1, D.S. in row 2",
         {"", "", "", "", "", "", "", "", "", "S", "", "", "", "", "", "", "DS Fine"},
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 9, 10, 11, 12, 13, 14, 15, 16}},
    };
    for (const Case& c : cases) EXPECT_EQ(Played(Piece(c.piece)), c.played) << c.name;
}

TEST(PlayOrder, RowStepsNameRowAndMeasure) {
    const auto order = lw::WalkRepeats(Piece({"", "", "", "", "", "", "", "", "", ":|"}));
    ASSERT_EQ(order.size(), 20u);
    EXPECT_EQ(order[9], (lw::PlayStep{1, 1}));
    EXPECT_EQ(order[10], (lw::PlayStep{0, 0}));
}

// Two rows: the first of four measures 2000 twips wide from x = 1000, the
// second of two; signs placed inside measures and over bar lines.
TEST(PlayOrder, SignsAndBarsOfTheRowsLandOnTheirMeasures) {
    lw::Session s;
    s.DocCount = 2;
    s.CurDanIx = 0;
    s.CurSyosetsuCnt = 4;
    s.DanBuf[1].SyosetsuCnt = 2;
    for (int slot = 0; slot < 2; ++slot)
        for (int m = 0; m <= 4; ++m) s.DanLayout[slot].SyosetsuLeft[m] = static_cast<int16_t>(1000 + 2000 * m);
    s.DanBuf[0].TopRepStart = lw::kTrue;
    s.DanBuf[0].Syosetsu[3].BarFlag[lw::kBarRepStart] = lw::kTrue;  // after the row's last bar
    s.DanBuf[0].Syosetsu[2].BarFlag[lw::kBarRepEnd] = lw::kTrue;
    s.DanBuf[1].Syosetsu[0].BarFlag[lw::kBarRepStart] = lw::kTrue;  // before measure 1
    s.DanBuf[1].Syosetsu[1].BarFlag[lw::kBarEndMark] = lw::kTrue;
    auto mark = [](double left, double width, const char* tag, bool visible = true) {
        lw::RepMarkItem r;
        r.Left = left, r.Width = width, r.Tag = tag, r.Visible = visible;
        return r;
    };
    lw::RowItems row0, row1;
    row0.RepMarks.push_back(mark(2600, 800, "7"));   // Fine over the bar at 3000: ends measure 0
    row0.RepMarks.push_back(mark(4200, 600, "4"));   // D.C. inside measure 1
    row0.RepMarks.push_back(mark(4600, 800, "0"));   // sign over the bar at 5000: starts measure 2
    row0.RepMarks.push_back(mark(6950, 960, "5"));   // first ending hooked just before the bar at 7000
    row0.RepMarks.push_back(mark(1500, 600, "3", false));  // hidden: not part of the row
    row1.RepMarks.push_back(mark(2700, 900, "2"));   // coda over the bar at 3000: starts measure 1
    row1.RepMarks.push_back(mark(4700, 600, "1"));   // to Coda over the row's end
    row1.RepMarks.push_back(mark(1200, 500, "x"));   // not a sign
    const auto piece = lw::WalkMeasuresOf(s, {&row0, &row1});
    ASSERT_EQ(piece.size(), 6u);
    auto is = [&](int i, const char* what) {
        const WalkMeasure& w = piece[i];
        std::string got;
        if (w.RepeatStart) got += "|: ";
        if (w.RepeatEnd) got += ":| ";
        if (w.Ending) got += std::to_string(w.Ending) + ". ";
        if (w.Segno) got += "S ";
        if (w.Coda) got += "C ";
        if (w.ToCoda) got += "toC ";
        if (w.DalSegno) got += "DS ";
        if (w.DaCapo) got += "DC ";
        if (w.Fine) got += "Fine ";
        EXPECT_EQ(got, what) << "measure " << i;
    };
    is(0, "|: Fine ");
    is(1, "DC ");
    is(2, ":| S ");
    is(3, "1. ");
    is(4, "|: ");
    is(5, "|: C toC Fine ");
    EXPECT_EQ(piece[4].Row, 1);
    EXPECT_EQ(piece[5].Measure, 1);
}

}  // namespace
