// Editor side: SplitChordName and TransposeChordName on UTF-8 names
// (♯ U+266F, ♭ U+266D, △ U+25B3).
#include "fretcalc_client.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Split {
    int32_t rootValue = -99;
    std::string type = "unset";
};
Split SplitOf(const std::string& name) {
    Split s;
    lw::SplitChordName(name, s.rootValue, s.type);
    return s;
}

}  // namespace

// Roots are C = 12 .. B = 23, with ♯/# and ♭ signs; everything after the
// root is the type ("Major" when nothing follows). A root the editor does not
// know gives 11.
TEST(SplitChordName, RootValueAndTypeOfEveryKindOfName) {
    const struct {
        const char* name;
        int32_t root;
        const char* type;
    } cases[] = {
        {"B\u266Dm7", 22, "m7"}, {"C\u266F7", 13, "7"}, {"D", 14, "Major"}, {"C#m7", 13, "m7"},
        {"B\u266D7sus4", 22, "7sus4"}, {"G", 19, "Major"},
        // sharp, flat and natural roots
        {"C", 12, "Major"}, {"C#", 13, "Major"}, {"C\u266F", 13, "Major"}, {"D\u266D", 13, "Major"},
        {"E\u266D", 15, "Major"}, {"F\u266D", 16, "Major"}, {"A#", 22, "Major"}, {"G\u266F", 20, "Major"},
        {"B", 23, "Major"}, {"C\u266D", 23, "Major"}, {"F#", 18, "Major"}, {"F\u266F", 18, "Major"},
        {"A\u266D", 20, "Major"},
        // types with non-ASCII characters stay UTF-8
        {"E\u266D\u25B37", 15, "\u25B37"}, {"C13(\u266D9)", 12, "13(\u266D9)"}, {"F#7(#9)", 18, "7(#9)"},
        {"A(#5)", 21, "(#5)"},
        {"C\u25B3", 12, "\u25B3"},  // second character △ is part of the type
        // unknown roots
        {"H7", 11, "7"},
        {"Bb7", 23, "b7"},  // "b" is not a flat sign: root "B", type "b7"
        {"cm", 11, "m"}, {"", 11, "Major"},
        {"\u266D7", 11, "7"},  // a flat sign as first character
    };
    for (const auto& c : cases) {
        const Split s = SplitOf(c.name);
        EXPECT_EQ(s.rootValue, c.root) << c.name;
        EXPECT_EQ(s.type, c.type) << c.name;
    }
}

TEST(TransposeChordName, WorkedExamples) {
    EXPECT_EQ(lw::TransposeChordName("Am7", 3), "Cm7");
    EXPECT_EQ(lw::TransposeChordName("B7", 2), "C#7");
    EXPECT_EQ(lw::TransposeChordName("D\u266D7", 0), "C#7");
    EXPECT_EQ(lw::TransposeChordName("A#", 0), "B\u266D");  // preferred spelling, no "Major" added
    EXPECT_EQ(lw::TransposeChordName("D\u266D", 0), "C#");
}

TEST(TransposeChordName, SharpAndFlatSpellings) {
    EXPECT_EQ(lw::TransposeChordName("C\u266Fm", 2), "E\u266Dm");  // C♯m + 2 = E♭m
    EXPECT_EQ(lw::TransposeChordName("C#m", 2), "E\u266Dm");
    EXPECT_EQ(lw::TransposeChordName("B\u266D13(\u266D9)", 1), "B13(\u266D9)");
    EXPECT_EQ(lw::TransposeChordName("E\u266D\u25B37", 11), "D\u25B37");
    EXPECT_EQ(lw::TransposeChordName("G\u266Dm7(-5)", 1), "Gm7(-5)");
    EXPECT_EQ(lw::TransposeChordName("F\u266D", 0), "E");
    EXPECT_EQ(lw::TransposeChordName("C\u266D7", 1), "C7");
    EXPECT_EQ(lw::TransposeChordName("G", 5), "C");
    EXPECT_EQ(lw::TransposeChordName("F#7(#9)", 4), "B\u266D7(#9)");
}

TEST(TransposeChordName, EveryRootAndDistance) {
    const char* preferred[12] = {"C", "C#", "D", "E\u266D", "E", "F", "F#", "G", "G#", "A", "B\u266D", "B"};
    for (int r = 0; r < 12; ++r)
        for (int n = 0; n < 12; ++n) {
            const std::string name = std::string(preferred[r]) + "m7";
            EXPECT_EQ(lw::TransposeChordName(name, n), std::string(preferred[(r + n) % 12]) + "m7")
                << name << " + " << n;
        }
}

TEST(TransposeChordName, UnknownRoots) {
    // r = GetKeyIndex + n = -1 + n: defined for n >= 1, so the algorithm gives
    // a root; with n = 0 it is undefined and the name stays as it is.
    EXPECT_EQ(lw::TransposeChordName("H7", 2), "C#7");
    EXPECT_EQ(lw::TransposeChordName("H7", 0), "H7");
    EXPECT_EQ(lw::TransposeChordName("", 0), "");
    // n outside 0..11 (undefined): only one 12 is taken off.
    EXPECT_EQ(lw::TransposeChordName("C7", 12), "C7");
    EXPECT_EQ(lw::TransposeChordName("B7", 13), "B7");
    EXPECT_EQ(lw::TransposeChordName("C7", -1), "C7");
}
