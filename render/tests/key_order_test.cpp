// A click on the staff takes the key's accidentals in their order: sharps
// F C G D A E B, flats B E A D G C F. In a key of n signs the n-th letter is
// altered and the next one is not.
#include <gtest/gtest.h>

#include "staff_notation.h"

using namespace lw;

TEST(StaffNotation, TheKeysSignsComeInTheirOrder) {
    // Treble staff, top line (F, pitch 29) at 780, lines 120 apart: band b is
    // the natural b diatonic steps below F: F E D C B A G = 29 28 26 24 23 21 19.
    DanLayoutData l;
    l.StaffTop = 780;
    l.StaffInterval = 120;
    auto y = [](int band) { return 780 + 60 * band + 30 - 217.5; };
    enum { F, E, D, C, B, A, G };
    struct Case {
        const char* key;
        int band, pitch;
    } cases[] = {
        {"G", F, 30},  {"G", C, 24},  {"D", C, 25},  {"D", G, 19},  {"A", G, 20},   {"A", D, 26},
        {"E", D, 27},  {"E", A, 21},  {"B", A, 22},  {"B", E, 28},  {"F#", E, 29},  {"F#", B, 23},
        {"C#", B, 24}, {"F", B, 22},  {"F", E, 28},  {"B♭", E, 27}, {"B♭", A, 21},  {"E♭", A, 20},
        {"E♭", D, 26}, {"A♭", D, 25}, {"A♭", G, 19}, {"D♭", G, 18}, {"D♭", C, 24},  {"G♭", C, 23},
        {"G♭", F, 29}, {"C♭", F, 28}, {"Em", F, 30}, {"Gm", E, 27}, {"G#m", E, 28}, {"B♭m", C, 24},
    };
    for (const Case& c : cases) EXPECT_EQ(StaffClickPitch(y(c.band), l, false, c.key), c.pitch) << c.key << " band " << c.band;
}
