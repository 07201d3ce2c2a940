#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beam_layout.h"

namespace lw {
namespace {

// A measure written as notes "3" (eighth), "3." (dotted), "3b" (beam into
// the next beat), "3d" (stems down), "7/0" (triplet eighth, pattern 0),
// "24" (eighth rest).
SyosetsuData Measure(const std::vector<std::string>& notes) {
    SyosetsuData ms;
    ms.OnpuCnt = static_cast<int16_t>(notes.size());
    for (size_t i = 0; i < notes.size(); ++i) {
        OnpuData& p = ms.Onpu[i + 1];
        const std::string& t = notes[i];
        const int v = std::stoi(t);
        const auto slash = t.find('/');
        if (slash != std::string::npos) p.SanrenOpt = static_cast<uint8_t>(std::stoi(t.substr(slash + 1)));
        if (t.find('.') != std::string::npos) SetBit(p.NoteAttr, kAttrDot, true);
        if (t.find('b') != std::string::npos) SetBit(p.NoteAttr, kAttrBeam, true);
        if (t.find('d') != std::string::npos) SetBit(p.NoteAttr, kAttrStemDown, true);
        p.FletUse[1] = kSounding;
        p.NoteLengthID[1] = static_cast<uint8_t>(v);
    }
    return ms;
}

// Beamed runs as "first-last" and the stem values, after preparing.
struct Result {
    std::vector<std::string> runs, seconds;
    std::vector<int> stems;
};

Result Beam(const std::vector<std::string>& notes, int meter, BeamGroups* out = nullptr) {
    SyosetsuData ms = Measure(notes);
    PrepareMeasure(ms, meter);
    const BeamGroups g = GroupMeasure(ms, meter);
    Result r;
    for (const BeamRun& run : MainRuns(ms, g)) {
        r.runs.push_back(std::to_string(run.first) + "-" + std::to_string(run.last));
        const BeamRun s = SecondRun(g, run);
        if (s.first) r.seconds.push_back(std::to_string(s.first) + "-" + std::to_string(s.last));
    }
    for (int p = 1; p <= ms.OnpuCnt; ++p) r.stems.push_back(g.stem[p]);
    if (out) *out = g;
    return r;
}

using S = std::vector<std::string>;
using I = std::vector<int>;

TEST(BeamGrouping, BeatsTripletsAndDissolving) {
    struct Case {
        const char* what;
        S notes;
        int meter;
        S runs, seconds;
        I stems;
    } cases[] = {
        {"4/4 eighths in pairs", {"3", "3", "3", "3", "3", "3", "3", "3"}, 22,
         {"1-2", "3-4", "5-6", "7-8"}, {}, {2, 2, 2, 2, 2, 2, 2, 2}},
        {"bit 4 joins a pair to the next", {"3", "3b", "3", "3", "3", "3"}, 22,
         {"1-4", "5-6"}, {}, {2, 2, 2, 2, 2, 2}},
        {"6/8 groups of three", {"3", "3", "3", "3", "3", "3"}, 1, {"1-3", "4-6"}, {}, {2, 2, 2, 2, 2, 2}},
        {"6/8 quarter and eighth: dissolved", {"2", "3", "3", "3", "3"}, 1, {"3-5"}, {}, {2, 3, 2, 2, 2}},
        {"eighth then quarter overruns the beat", {"3", "2", "3", "3", "2"}, 22, {}, {}, {3, 2, 3, 3, 2}},
        {"a beat of one note is never beamed", {"2", "3", "24", "2", "2"}, 22, {}, {}, {2, 3, 24, 2, 2}},
        {"mixed stems dissolve the group", {"3", "3d", "3d", "3d"}, 22, {"3-4"}, {}, {3, 3, 2, 2}},
        {"four sixteenths: main and second beam", {"4", "4", "4", "4", "2", "2", "2"}, 22, {"1-4"}, {"1-4"},
         {2, 2, 2, 2, 2, 2, 2}},
        {"dotted eighth and sixteenth", {"3.", "4", "2", "2", "2"}, 22, {"1-2"}, {}, {2, 2, 2, 2, 2}},
        {"triplet タタタ: three beamed, none to the next", {"7/0", "7/0", "7/0", "7/0", "7/0", "7/0", "1"}, 22,
         {"1-3", "4-6"}, {}, {2, 2, 2, 2, 2, 2, 1}},
        // ♩♪ and ♪♩ under a "3": the place the quarter holds over draws nothing.
        {"triplet タータ: quarter, held, eighth", {"7/1", "7/1", "7/1", "2", "1"}, 22, {}, {}, {2, -1, 3, 2, 1}},
        {"triplet タター: eighth, quarter, held", {"7/2", "7/2", "7/2", "2", "1"}, 22, {}, {}, {3, 2, -1, 2, 1}},
        // A beat is a dotted quarter in 12/8 and 9/8: eighths go in threes.
        {"12/8 eighths in threes", S(12, "3"), 21, {"1-3", "4-6", "7-9", "10-12"}, {}, I(12, 2)},
        {"9/8 eighths in threes", S(9, "3"), 11, {"1-3", "4-6", "7-9"}, {}, I(9, 2)},
        {"thirty-seconds: a beat of eight", {"5", "5", "5", "5", "5", "5", "5", "5", "2", "1"}, 22, {"1-8"},
         {"1-8"}, {2, 2, 2, 2, 2, 2, 2, 2, 2, 1}},
        {"triplet sixteenths: six in a beat", {"6", "6", "6", "6", "6", "6", "2", "1"}, 22, {"1-6"}, {"1-6"},
         {2, 2, 2, 2, 2, 2, 2, 1}},
        {"triplet quarters: plain stems, no beam", {"8", "8", "8", "1"}, 22, {}, {}, {2, 2, 2, 1}},
    };
    for (const Case& c : cases) {
        const Result r = Beam(c.notes, c.meter);
        EXPECT_EQ(r.runs, c.runs) << c.what;
        EXPECT_EQ(r.seconds, c.seconds) << c.what;
        EXPECT_EQ(r.stems, c.stems) << c.what;
    }
}

TEST(BeamGrouping, PreparationMarksBeatsAndTripletPlaces) {
    SyosetsuData ms = Measure({"7/0", "7/0", "7/0", "3", "3", "2", "3", "3"});
    SetBit(ms.Onpu[5].NoteAttr, kAttrTripletMid, true);  // stale: cleared
    PrepareMeasure(ms, 22);
    std::string starts, mids, groups, places;
    for (int p = 1; p <= ms.OnpuCnt; ++p) {
        starts += GetBit(ms.Onpu[p].NoteAttr, kAttrBeatStart) ? '1' : '0';
        mids += GetBit(ms.Onpu[p].NoteAttr, kAttrTripletMid) ? '1' : '0';
        groups += char('0' + ms.Onpu[p].BeatGroupNo);
        places += char('0' + ms.Onpu[p].SanrenIx);
    }
    EXPECT_EQ(starts, "10010110");
    EXPECT_EQ(mids, "01000000");
    EXPECT_EQ(groups, "00011233");
    EXPECT_EQ(places, "12300000");
}

TEST(BeamGrouping, StubsAndNoteCounts) {
    BeamGroups g;
    Beam({"4", "3.", "3.", "4", "2", "2"}, 22, &g);
    EXPECT_EQ(g.stubA[1], -1) << "sixteenth before a dotted eighth";
    EXPECT_EQ(g.stubB[3], -1) << "dotted eighth before a sixteenth";
    EXPECT_EQ(g.stubA[3] | g.stubB[1], 0);
    Beam({"3", "24", "2", "2", "2"}, 22, &g);
    EXPECT_EQ(g.noteCount[0], 1) << "a rest is no note";
    EXPECT_EQ(g.main[1], 0) << "an eighth beside an eighth rest keeps its flag";
}

TEST(BeamGrouping, InnerBeamsAndStubsOfEveryLevel) {
    // "level:from-to" for beams, "level:at<" / "level:at>" for stubs.
    auto inner = [](const std::vector<std::string>& notes, int meter) {
        SyosetsuData ms = Measure(notes);
        PrepareMeasure(ms, meter);
        const BeamGroups g = GroupMeasure(ms, meter);
        S out;
        for (const BeamRun& r : MainRuns(ms, g))
            for (const BeamSegment& b : InnerBeams(ms, g, r))
                out.push_back(std::to_string(b.level) + ":" + std::to_string(b.from) +
                              (b.stub ? (b.stub < 0 ? "<" : ">") : "-" + std::to_string(b.to)));
        return out;
    };
    EXPECT_EQ(inner({"5", "5", "5", "5", "5", "5", "5", "5", "2", "1"}, 22), (S{"2:1-8", "3:1-8"}));
    EXPECT_EQ(inner({"6", "6", "6", "6", "6", "6", "2", "1"}, 22), (S{"2:1-6"}));
    // Sixteenth, two thirty-seconds, eighth: the thirty-seconds share a third beam.
    EXPECT_EQ(inner({"4", "5", "5", "3", "2", "1"}, 22), (S{"2:1-3", "3:2-3"}));
    // Dotted eighth and sixteenth: the stub points back to the dotted note;
    // sixteenth and dotted eighth: forward to it.
    EXPECT_EQ(inner({"3.", "4", "4", "3.", "1"}, 22), (S{"2:2<", "2:3>"}));
    // Eighth, sixteenth, sixteenth, eighth... in one beat of 6/8: one run.
    EXPECT_EQ(inner({"3", "4", "4", "3", "3", "3", "3"}, 1), (S{"2:2-3"}));
    // Dotted sixteenth and thirty-second: a third-level stub back to it.
    EXPECT_EQ(inner({"4.", "5", "3", "2", "1"}, 22), (S{"2:1-2", "3:2<"}));
}

TEST(BeamGrouping, FlagsOfUnbeamedStems) {
    const int flags[] = {0, 0, 0, 1, 2, 3, 2, 1, 0};  // values 0..8
    for (int v = 0; v <= 8; ++v) EXPECT_EQ(FlagsOfStem(v), flags[v]) << v;
    EXPECT_EQ(FlagsOfStem(kStemHeld), 0);
    // Triplet sixteenths are counted in threes for their marks, within beats.
    SyosetsuData ms = Measure({"6", "6", "6", "6", "6", "6", "2", "1"});
    PrepareMeasure(ms, 22);
    std::string places, mids;
    for (int p = 1; p <= ms.OnpuCnt; ++p) {
        places += char('0' + ms.Onpu[p].SanrenIx);
        mids += GetBit(ms.Onpu[p].NoteAttr, kAttrTripletMid) ? '1' : '0';
    }
    EXPECT_EQ(places, "12312300");
    EXPECT_EQ(mids, "01001000");
}

TEST(BeamSlopes, AverageOfRunningSlopesAndShift) {
    EXPECT_DOUBLE_EQ(BeamSlope({{100, 50}, {400, 50}}), 0);
    EXPECT_DOUBLE_EQ(BeamSlope({{100, 0}, {400, 300}, {700, 300}}), 225.0 / 300);
    EXPECT_DOUBLE_EQ(BeamSlope({{100, 0}}), 0);
    EXPECT_DOUBLE_EQ(BeamSlope({{100, 0}, {400, 300}, {0, 900}}), 1.0) << "the list ends at x = 0";
    // The first stem end is the lowest: no shift.
    EXPECT_DOUBLE_EQ(BeamShift({{100, 300}, {400, 0}}, -1), 0);
    // A dip in the middle: the line moves to pass it.
    const std::vector<StemEnd> v{{100, 0}, {400, 300}, {700, 0}};
    const double slope = BeamSlope(v);
    EXPECT_DOUBLE_EQ(slope, 150.0 / 300);
    EXPECT_DOUBLE_EQ(BeamShift(v, slope), -300 + 150);
}

}  // namespace
}  // namespace lw
