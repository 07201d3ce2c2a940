// The chord window's hand positions and the piano keyboard, against chord
// shapes and fingerings worked out by hand.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <array>
#include <memory>

#include "../../dialogs/tests/dialogs_test_support.h"
#include "../../layout/tests/layout_test_support.h"
#include "ko_chord_piano.h"

using namespace lw;
using namespace lw::test;

namespace {

struct Host : NoteEntryHost {
    RowEditor* ActiveEditor() override { return nullptr; }
    void NoteRowEdited() override {}
};

struct Entry : RowFixture {
    Host host;
    std::unique_ptr<NoteEntry> e;
    Entry(int gakki, int maxStringIx) : RowFixture(maxStringIx) {
        lwtest::EnsureApp();
        s.GakkiCode = static_cast<int16_t>(gakki);
        e = std::make_unique<NoteEntry>(s, g, host);
    }
    // Frets of strings 1..n of the entry window, -1 for a silent string.
    std::vector<int> Frets(int n) const {
        std::vector<int> f;
        for (int k = 1; k <= n; ++k) f.push_back(e->GetPosNo(k) - 1);
        return f;
    }
};

using F = std::vector<int>;

}  // namespace

// Shapes for A4 E4 C4 G4 (strings 1..4) moved to the root and ordered by the
// fret on string 1. "Set" applies position 0, each "Next" the next, up to 4.
TEST(KoChordWindow, SetAndNextStepThroughTheHandPositions) {
    struct Case {
        int root, type;   // combo indexes: root C=0 .. B=11; type index in the list
        std::vector<F> positions;
    } cases[] = {
        {0, 0, {{3, 0, 0, 0}, {3, 3, 4, 5}, {7, 8, 7, 5}, {7, 8, 7, 9}, {10, 12, 12, 12}}},  // C
        {9, 1, {{0, 0, 0, 2}, {3, 5, 4, 2}, {7, 8, 9, 9}}},                                // Am
        {7, 3, {{2, 1, 2, 0}, {5, 3, 5, 4}, {8, 7, 7, 7}, {10, 10, 11, 10}}},              // G7
    };
    for (const Case& c : cases) {
        Entry f(2, 3);  // ukulele, high G
        KoChord chord(*f.e);
        chord.cmbChord->setCurrentIndex(c.root);
        emit chord.cmbChord->activated(c.root);
        chord.cmbChordType->setCurrentIndex(c.type);
        emit chord.cmbChordType->activated(c.type);
        const std::string name = (chord.cmbChord->currentText() + chord.cmbChordType->currentText().trimmed()).toStdString();
        SCOPED_TRACE(name);
        EXPECT_EQ(chord.cmdChordSet->text(), "Set");
        for (size_t p = 0; p < c.positions.size(); ++p) {
            chord.cmdChordSet->click();
            EXPECT_EQ(f.Frets(4), c.positions[p]) << "position " << p;
            EXPECT_EQ(chord.cmdChordSet->text(), "Next");
        }
        // A new choice starts again at the first position.
        emit chord.cmbChord->activated(c.root);
        EXPECT_EQ(chord.cmdChordSet->text(), "Set");
        chord.cmdChordSet->click();
        EXPECT_EQ(f.Frets(4), c.positions[0]);
    }
    // Past the fifth position "Next" stays on it; an empty slot changes nothing.
    Entry f(2, 3);
    KoChord chord(*f.e);
    chord.cmbChord->setCurrentIndex(9);
    chord.cmbChordType->setCurrentIndex(1);  // Am: three positions
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(chord.ChordSetClick()) << i;
    EXPECT_FALSE(chord.ChordSetClick());
    EXPECT_EQ(f.Frets(4), (F{7, 8, 9, 9}));
}

// Guitar in standard tuning (open values 28 23 19 14 9 4, key 0 = the
// tables' base C): a key per sounding string, and keys fingered onto the
// first free string at or below the pitch, counting from string 1.
TEST(KoPianoKeyboard, KeysOfTheNoteAndStringsOfThePressedKeys) {
    struct Case {
        int gakki, maxStringIx;
        F note;          // frets of strings 1..n of the current note, -1 silent
        std::vector<int> keys;
        F back;          // frets after pressing exactly these keys again
    } cases[] = {
        {0, 5, {0, 1, 0, 2, 3, -1}, {12, 16, 19, 24, 28}, {0, 1, 0, 2, 3, -1}},  // C major x32010
        {0, 5, {-1, -1, -1, 0, 2, 3}, {7, 11, 14}, {-1, -1, -1, 0, 2, 3}},       // G B D low
        {0, 5, {1, 5, -1, -1, -1, -1}, {28, 29}, {1, 5, -1, -1, -1, -1}},        // E and F: second pass
        {0, 5, {4, 8, -1, -1, -1, -1}, {31, 32}, {4, 8, -1, -1, -1, -1}},        // G on string 2, fret 8 (4 or more)
        // Ukulele C 3000: the high G string lies above C and E, which close
        // it, so G is left out when the keys are fingered again.
        {2, 3, {3, 0, 0, 0}, {12, 16, 19, 24}, {3, 0, 0, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.gakki) + " keys " + std::to_string(c.keys.front()) + "..");
        Entry f(c.gakki, c.maxStringIx);
        for (size_t k = 0; k < c.note.size(); ++k)
            f.e->SetFletPosNo(static_cast<int>(k) + 1, c.note[k] + 1);
        f.e->SetNoteData();
        KoPiano piano(f.s, *f.e);
        EXPECT_EQ(piano.Pressed(), c.keys);
        for (int key : c.keys) EXPECT_TRUE(piano.key[key]->isChecked()) << key;
        // Released and pressed again one by one, in ascending order.
        piano.findChild<QPushButton*>("cmdClear")->click();
        EXPECT_TRUE(piano.Pressed().empty());
        EXPECT_EQ(f.Frets(c.maxStringIx + 1), F(c.maxStringIx + 1, -1));
        for (int key : c.keys) piano.key[key]->click();
        EXPECT_EQ(f.Frets(c.maxStringIx + 1), c.back);
        EXPECT_EQ(f.e->CurOnpu().FletUse[1], c.back[0] >= 0 ? 255 : 0);
    }
}

// The treble staff's range is 7..35: a key outside it fingers nothing.
TEST(KoPianoKeyboard, AKeyOutOfTheStaffsRangeFingersNothing) {
    struct Case {
        int key;
        F frets;
    } cases[] = {
        {6, F(6, -1)}, {7, {-1, -1, -1, -1, -1, 3}}, {35, {7, -1, -1, -1, -1, -1}}, {36, F(6, -1)}, {40, F(6, -1)},
    };
    for (const Case& c : cases) {
        Entry f(0, 5);
        KoPiano piano(f.s, *f.e);
        piano.key[c.key]->click();
        EXPECT_EQ(f.Frets(6), c.frets) << c.key;
    }
    // Added to a fingered key, it clears the note; released, the key comes back.
    Entry f(0, 5);
    KoPiano piano(f.s, *f.e);
    piano.key[24]->click();
    EXPECT_EQ(f.Frets(6), (F{-1, 1, -1, -1, -1, -1}));
    piano.key[40]->click();
    EXPECT_EQ(f.Frets(6), F(6, -1));
    piano.key[40]->click();
    EXPECT_EQ(f.Frets(6), (F{-1, 1, -1, -1, -1, -1}));
}
