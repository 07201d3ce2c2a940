// The editor's UTF-8 wrapper (fretcalc_client): chord frets, chord types,
// key names and staff tables without any Shift-JIS or padding at the caller.
#include "fretcalc_client.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {
using Frets = std::array<int32_t, 4>;
constexpr Frets kUntouched = {-77, -77, -77, -77};
}  // namespace

TEST(ClientGetChordFrets, PadsTheTypeAndReturnsTheShape) {
    Frets frets = kUntouched;
    EXPECT_TRUE(lw::GetChordFrets(12, "Major", 1, frets));
    EXPECT_EQ(frets, (Frets{3, 3, 4, 5}));
    EXPECT_TRUE(lw::GetChordFrets(12, "13(\u266D9)", 0, frets));
    EXPECT_EQ(frets, (Frets{1, 0, 1, 2}));
    EXPECT_TRUE(lw::GetChordFrets(12, "\u25B37", 0, frets));
    EXPECT_EQ(frets, (Frets{2, 0, 0, 0}));
    EXPECT_TRUE(lw::GetChordFrets(12, "m9", 4, frets));
    EXPECT_EQ(frets, (Frets{13, 11, 14, 12}));
}

TEST(ClientGetChordFrets, EmptyPositionsAndUnknownTypesLeaveTheFrets) {
    Frets frets = kUntouched;
    EXPECT_FALSE(lw::GetChordFrets(12, "m9", 3, frets));
    EXPECT_FALSE(lw::GetChordFrets(21, "m", 4, frets));
    EXPECT_FALSE(lw::GetChordFrets(12, "maj7", 0, frets));
    EXPECT_FALSE(lw::GetChordFrets(12, "", 0, frets));
    EXPECT_FALSE(lw::GetChordFrets(12, "Major", 5, frets));
    EXPECT_FALSE(lw::GetChordFrets(12, "Major", -1, frets));
    EXPECT_EQ(frets, kUntouched);
}

TEST(ClientGetChordFrets, SplitThenGetChordAsTheNoteEntryDoes) {
    int32_t root = 0;
    std::string type;
    lw::SplitChordName("Am", root, type);
    Frets frets = kUntouched;
    EXPECT_TRUE(lw::GetChordFrets(root, type, 0, frets));
    EXPECT_EQ(frets, (Frets{0, 0, 0, 2}));
    lw::SplitChordName("C", root, type);
    EXPECT_TRUE(lw::GetChordFrets(root, type, 4, frets));
    EXPECT_EQ(frets, (Frets{10, 12, 12, 12}));
    lw::SplitChordName("B\u266D\u25B37", root, type);  // B♭△7
    EXPECT_TRUE(lw::GetChordFrets(root, type, 0, frets));
    // △7 shapes at B♭ (22): C 2000 +10 -> 12 10 10 10; A 0011 +1 -> 1 1 2 2;
    // G 2220 +3 -> 5 5 5 3; E 2031 +6 -> 8 6 9 7. Lowest string-1 fret: 1 1 2 2.
    EXPECT_EQ(frets, (Frets{1, 1, 2, 2}));
}

TEST(ClientEnumChordTypes, TheTwentySixTypesInUtf8) {
    const auto types = lw::EnumChordTypes();
    ASSERT_EQ(types.size(), 26u);
    EXPECT_EQ(types[0].name, "Major");
    EXPECT_EQ(types[2].name, "(#5)");
    EXPECT_EQ(types[8].name, "13(\u266D9)");
    EXPECT_EQ(types[16].name, "7(\u266D9)");
    EXPECT_EQ(types[18].name, "\u25B311");
    EXPECT_EQ(types[21].name, "\u25B39");
    EXPECT_EQ(types[25].name, "m9");
    const auto& m9 = types[25].tones;
    ASSERT_EQ(m9.size(), 5u);
    EXPECT_EQ(m9[0].semitones, 0);
    EXPECT_EQ(m9[0].label, "P1");
    EXPECT_FALSE(m9[0].sounded);
    EXPECT_EQ(m9[4].semitones, 10);
    EXPECT_EQ(m9[4].label, "m7");
    EXPECT_TRUE(m9[4].sounded);
    EXPECT_EQ(types[6].tones.size(), 6u);  // "11"
    EXPECT_EQ(types[6].tones[3].label, "P11");
    // Each type name works with GetChordFrets unchanged.
    for (const auto& t : types) {
        Frets frets = kUntouched;
        EXPECT_TRUE(lw::GetChordFrets(12, t.name, 0, frets)) << t.name;
    }
}

TEST(ClientEnumChordTypes, PaddedNamesAreTenCharacters) {
    EXPECT_EQ(lw::PaddedChordTypeName("m7"), "m7        ");
    EXPECT_EQ(lw::PaddedChordTypeName("\u25B37"), "\u25B37        ");  // 2 characters + 8 blanks
    EXPECT_EQ(lw::PaddedChordTypeName("13(\u266D9)"), "13(\u266D9)    ");
}

TEST(ClientKeys, KeyIndexOfAndKeyNameOf) {
    EXPECT_EQ(lw::KeyIndexOf("C"), 0);
    EXPECT_EQ(lw::KeyIndexOf("E\u266D"), 3);
    EXPECT_EQ(lw::KeyIndexOf("F\u266D"), 4);
    EXPECT_EQ(lw::KeyIndexOf("C\u266D"), 11);
    EXPECT_EQ(lw::KeyIndexOf("F#"), 6);
    EXPECT_EQ(lw::KeyIndexOf("D\u266Dm"), 1);  // "D♭" fills the three bytes
}

TEST(ClientKeys, UnknownNames) {
    EXPECT_EQ(lw::KeyIndexOf("Cm"), -1);
    EXPECT_EQ(lw::KeyIndexOf("F#m"), -1);  // "F#m" is not "F# ": a minor "m" must be removed first
    EXPECT_EQ(lw::KeyIndexOf("H"), -1);
    EXPECT_EQ(lw::KeyIndexOf(""), -1);
    EXPECT_EQ(lw::KeyIndexOf("C\u266F"), -1);  // the library knows "#" only
}

TEST(ClientKeys, KeyNameOfTrimsAndConverts) {
    const char* expected[12] = {"C", "C#", "D", "E\u266D", "E", "F", "F#", "G", "G#", "A", "B\u266D", "B"};
    for (int s = 0; s < 12; ++s) {
        EXPECT_EQ(lw::KeyNameOf(s), expected[s]);
        EXPECT_EQ(lw::KeyIndexOf(lw::KeyNameOf(s)), s);
    }
    EXPECT_EQ(lw::KeyNameOf(-1), "");
    EXPECT_EQ(lw::KeyNameOf(12), "");
}

TEST(ClientStaffTable, KnownAndUnknownKeys) {
    lw::StaffPosTable table{};
    ASSERT_TRUE(lw::FivelinePosTable("C", false, table));
    EXPECT_EQ(table[12].line, 5);
    EXPECT_EQ(table[12].half, 1);
    ASSERT_TRUE(lw::FivelinePosTable("C", true, table));
    EXPECT_EQ(table[24].line, -1);
    EXPECT_EQ(table[24].half, 1);
    ASSERT_TRUE(lw::FivelinePosTable("G\u266D", false, table));
    EXPECT_EQ(table[0].raise, 1);
    EXPECT_EQ(table[11].line, 5);
    EXPECT_EQ(table[11].half, 1);
    ASSERT_TRUE(lw::FivelinePosTable("F#m", false, table));
    EXPECT_EQ(table[5].lower, 1);  // F natural in A major's signature

    lw::StaffPosTable before = table;
    EXPECT_FALSE(lw::FivelinePosTable("H", false, table));
    EXPECT_FALSE(lw::FivelinePosTable("Bb", true, table));
    EXPECT_FALSE(lw::FivelinePosTable("", true, table));
    for (int s = 0; s < lw::kStaffEntries; ++s) EXPECT_EQ(table[s].line, before[s].line);

    const lw::StaffPosTable unknown = lw::FivelinePosTable("H", false);
    for (const auto& e : unknown) EXPECT_EQ(e.line + e.half + e.raise + e.lower, 0);
    const lw::StaffPosTable viaValue = lw::FivelinePosTable("E\u266Dm", true);
    ASSERT_TRUE(lw::FivelinePosTable("G\u266D", true, table));
    for (int s = 0; s < lw::kStaffEntries; ++s) {
        EXPECT_EQ(viaValue[s].line, table[s].line);
        EXPECT_EQ(viaValue[s].raise, table[s].raise);
    }
}
