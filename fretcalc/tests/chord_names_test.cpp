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

TEST(SplitChordName, CasesOfPart31) {
    Split s = SplitOf("B\u266Dm7");  // B♭m7
    EXPECT_EQ(s.rootValue, 22);
    EXPECT_EQ(s.type, "m7");
    s = SplitOf("C\u266F7");  // C♯7 with the sharp sign
    EXPECT_EQ(s.rootValue, 13);
    EXPECT_EQ(s.type, "7");
    s = SplitOf("D");
    EXPECT_EQ(s.rootValue, 14);
    EXPECT_EQ(s.type, "Major");
    s = SplitOf("C#m7");
    EXPECT_EQ(s.rootValue, 13);
    EXPECT_EQ(s.type, "m7");
    s = SplitOf("B\u266D7sus4");
    EXPECT_EQ(s.rootValue, 22);
    EXPECT_EQ(s.type, "7sus4");
    s = SplitOf("G");
    EXPECT_EQ(s.rootValue, 19);
    EXPECT_EQ(s.type, "Major");
}

TEST(SplitChordName, SharpFlatAndNaturalRoots) {
    EXPECT_EQ(SplitOf("C").rootValue, 12);
    EXPECT_EQ(SplitOf("C#").rootValue, 13);
    EXPECT_EQ(SplitOf("C\u266F").rootValue, 13);
    EXPECT_EQ(SplitOf("D\u266D").rootValue, 13);
    EXPECT_EQ(SplitOf("E\u266D").rootValue, 15);
    EXPECT_EQ(SplitOf("F\u266D").rootValue, 16);
    EXPECT_EQ(SplitOf("A#").rootValue, 22);
    EXPECT_EQ(SplitOf("G\u266F").rootValue, 20);
    EXPECT_EQ(SplitOf("B").rootValue, 23);
    EXPECT_EQ(SplitOf("C\u266D").rootValue, 23);
    EXPECT_EQ(SplitOf("F#").type, "Major");
    EXPECT_EQ(SplitOf("F\u266F").type, "Major");
    EXPECT_EQ(SplitOf("A\u266D").type, "Major");
}

TEST(SplitChordName, TypesWithNonAsciiCharactersStayUtf8) {
    Split s = SplitOf("E\u266D\u25B37");  // E♭△7
    EXPECT_EQ(s.rootValue, 15);
    EXPECT_EQ(s.type, "\u25B37");
    s = SplitOf("C13(\u266D9)");
    EXPECT_EQ(s.rootValue, 12);
    EXPECT_EQ(s.type, "13(\u266D9)");
    s = SplitOf("F#7(#9)");
    EXPECT_EQ(s.rootValue, 18);
    EXPECT_EQ(s.type, "7(#9)");
    s = SplitOf("A(#5)");
    EXPECT_EQ(s.rootValue, 21);
    EXPECT_EQ(s.type, "(#5)");
    s = SplitOf("C\u25B3");  // second character △ is part of the type
    EXPECT_EQ(s.rootValue, 12);
    EXPECT_EQ(s.type, "\u25B3");
}

TEST(SplitChordName, UnknownRootsGiveRootValue11) {
    Split s = SplitOf("H7");
    EXPECT_EQ(s.rootValue, 11);
    EXPECT_EQ(s.type, "7");
    s = SplitOf("Bb7");  // "b" is not a flat sign: root "B", type "b7"
    EXPECT_EQ(s.rootValue, 23);
    EXPECT_EQ(s.type, "b7");
    s = SplitOf("cm");
    EXPECT_EQ(s.rootValue, 11);
    EXPECT_EQ(s.type, "m");
    s = SplitOf("");
    EXPECT_EQ(s.rootValue, 11);
    EXPECT_EQ(s.type, "Major");
    s = SplitOf("\u266D7");  // a flat sign as first character
    EXPECT_EQ(s.rootValue, 11);
    EXPECT_EQ(s.type, "7");
}

TEST(TransposeChordName, CasesOfPart31) {
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
