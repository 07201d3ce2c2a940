// The note-entry dialog's logic over a row with known geometry: building the
// current note, writing, inserting and deleting positions, the pop-up
// commands and keyboard entry.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "../../layout/tests/layout_test_support.h"
#include "fretcalc_client.h"
#include "note_entry.h"

using namespace lw;
using namespace lw::test;

namespace {

struct Host : NoteEntryHost {
    RowEditor* ed = nullptr;
    int edits = 0, undos = 0;
    RowEditor* ActiveEditor() override { return ed; }
    void NoteRowEdited() override { ++edits; }
    void NoteUndo() override { ++undos; }
    std::vector<std::string> refused;
    void Refuse(const std::string& why) override { refused.push_back(why); }
};

// A four-measure six-string row in 4/4 and the dialog over it.
struct Entry : RowFixture {
    Host host;
    std::unique_ptr<NoteEntry> e;
    explicit Entry(int maxStringIx = 5) : RowFixture(maxStringIx) {
        host.ed = ed.get();
        e = std::make_unique<NoteEntry>(s, g, host);
    }
    SyosetsuData& M(int m) { return s.CurDan().Syosetsu[m]; }
    void Select(int m, int p) {
        e->SelectPosition(m, p, false);
        e->SetNowData(m, p);
        e->Live = true;
    }
};

TEST(NoteEntryBuild, CurOnpuFollowsTheControls) {
    Entry f;
    f.e->OptFletClick(1, 1);          // fret 0 on string 1 (window starts at 1)
    f.e->SetFletPosNo(3, 6);          // fret 5 on string 3
    f.e->LenClick(3);                 // eighth
    f.e->CheckClick(2, true);         // dot
    f.e->CheckClick(3, true);         // beam
    f.e->EffectClick(3, 2);           // pull-off on string 3 sets the slur too
    f.e->SetNoteData();
    const OnpuData& c = f.e->CurOnpu();
    EXPECT_EQ(c.FletUse[1], 255);
    EXPECT_EQ(c.Flet[1], 0);
    EXPECT_EQ(c.FletUse[2], 0);
    EXPECT_EQ(c.Flet[3], 5);
    EXPECT_EQ(c.NoteLengthID[3], 3);
    EXPECT_EQ(c.NoteTick[3], 18) << "a dotted eighth";
    EXPECT_EQ(c.LoadMark, 255);
    EXPECT_TRUE(GetBit(c.NoteAttr, kAttrDot));
    EXPECT_TRUE(GetBit(c.NoteAttr, kAttrBeam));
    EXPECT_TRUE(GetBit(c.NoteAttr, kAttrSlur));
    EXPECT_TRUE(GetBit(c.Effect[3], kEffectPull));
    // a dotted triplet quarter doubles
    f.e->SetRyhthm(7);
    f.e->SetNoteData();
    EXPECT_EQ(f.e->CurOnpu().NoteTick[1], 16);
    // the rest tab builds rests of the chosen kind
    const int tags[] = {0, 1, 2, 3, 4}, ids[] = {23, 24, 25, 22, 21}, ticks[] = {24, 12, 6, 48, 96};
    for (int i = 0; i < 5; ++i) {
        f.e->KyufuClick(tags[i]);
        f.e->SetNoteData_kyf();
        EXPECT_TRUE(f.e->CurOnpu().IsRest());
        EXPECT_EQ(f.e->CurOnpu().NoteLengthID[1], ids[i]);
        EXPECT_EQ(f.e->CurOnpu().NoteTick[1], ticks[i]);
        EXPECT_EQ(f.e->CurOnpu().FletUse[2], 0);
        EXPECT_FALSE(GetBit(f.e->CurOnpu().NoteAttr, kAttrDot));
    }
}

TEST(NoteEntryBuild, TheFretWindowFollowsTheFrets) {
    Entry f;
    EXPECT_EQ(f.e->FretOfItem(1), 0);
    EXPECT_EQ(f.e->FretOfItem(16), 15);
    Append(f.s, 0, Note(1, 3, 2));
    f.M(0).Onpu[1].FletUse[4] = 255;
    f.M(0).Onpu[1].Flet[4] = 20;
    f.e->SetNowData(0, 1);
    EXPECT_EQ(f.e->HScroll1, 6) << "frets 3 and 20 move the window to start 6";
    EXPECT_EQ(f.e->GetPosNo(1), 4) << "a fret outside the window is kept";
    EXPECT_EQ(f.e->FletItemOf(1), -1);
    EXPECT_EQ(f.e->GetPosNo(4), 21);
    EXPECT_EQ(f.e->FletItemOf(4), 16);
    // a fret outside the window moves it; the other strings keep their frets
    f.e->SetFletPosNo(2, 1);  // open string
    EXPECT_EQ(f.e->GetPosNo(2), 1);
    EXPECT_EQ(f.e->GetPosNo(1), 4);
    // moving the window by hand clears the choice
    f.e->HScrollChange(3);
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(f.e->GetPosNo(k), 0);
}

TEST(NoteEntryWrite, UpdatingDeletingAndTies) {
    Entry f;
    for (int i = 0; i < 3; ++i) Append(f.s, 0, Note(1, i, 2));
    f.Select(0, 2);
    f.e->OptFletClick(2, 8);  // fret 7 on string 2 joins the chord at once
    EXPECT_EQ(f.M(0).Onpu[2].FletUse[2], 255);
    EXPECT_EQ(f.M(0).Onpu[2].Flet[2], 7);
    EXPECT_TRUE(f.e->UpdateEnabled) << "the position stays selected";
    EXPECT_GE(f.host.edits, 1);
    // a tie keeps a position whose strings are all silent
    f.e->CheckClick(0, true);
    f.e->ClearFlet2();
    f.e->UpdateProc();
    EXPECT_EQ(f.M(0).OnpuCnt, 3);
    EXPECT_EQ(f.M(0).Onpu[2].NoteLengthID[1], 2);
}

// "クリア" is "更新" with the controls as they stand: the position takes
// them and goes only when nothing sounds and no tie or slur keeps it.
TEST(NoteEntryWrite, ClearWritesTheControlsAsTheyStand) {
    struct Case {
        const char* what;
        uint8_t attr;        // NoteAttr of the selected note (0x80 tie, 0x40 slur)
        int choice;          // fret + 1 chosen on string 1 before "クリア" (0 silent)
        int count;           // positions left of 3
        int fretAt2;         // fret on string 1 of position 2 afterwards
    } cases[] = {
        {"all silent: removed", 0x00, 0, 2, 2},
        {"a tie keeps it", 0x80, 0, 3, 1},
        {"a slur keeps it", 0x40, 0, 3, 1},
        {"a fret chosen: written", 0x00, 8, 3, 7},
    };
    for (const Case& c : cases) {
        Entry f;
        Append(f.s, 0, Note(1, 0, 2));
        Append(f.s, 0, Note(1, 1, 2, c.attr));
        Append(f.s, 0, Note(1, 2, 2));
        f.e->SelectPosition(0, 2, false);
        f.e->SetNowData(0, 2);  // loaded, not live: nothing is written on the way
        f.e->SetFletPosNo(1, c.choice);
        f.e->CmdClear();
        EXPECT_EQ(f.M(0).OnpuCnt, c.count) << c.what;
        EXPECT_EQ(f.M(0).Onpu[2].Flet[1], c.fretAt2) << c.what;
        EXPECT_EQ(f.M(0).Onpu[c.count].PosNo, c.count) << c.what;
        EXPECT_FALSE(f.e->UpdateEnabled) << c.what;
    }
}

// "×" silences a string and nothing else: a tie or slur of the position
// stays, so a position held by a tie alone is kept.
TEST(NoteEntryWrite, SilencingAStringKeepsTieAndSlur) {
    for (uint8_t attr : {uint8_t{0x80}, uint8_t{0x40}}) {
        Entry f;
        OnpuData chord = Note(1, 3, 2, attr);
        chord.FletUse[2] = 255;
        chord.Flet[2] = 5;
        chord.NoteLengthID[2] = 2;
        chord.NoteTick[2] = 24;
        Append(f.s, 0, chord);
        f.Select(0, 1);
        f.e->OptFletClick(2, 0);
        EXPECT_EQ(f.M(0).Onpu[1].FletUse[2], 0);
        EXPECT_EQ(f.M(0).Onpu[1].NoteAttr & 0xC0, attr);
        f.Select(0, 1);
        f.e->OptFletClick(1, 0);  // the last sounding string
        ASSERT_EQ(f.M(0).OnpuCnt, 1) << "the tie or slur keeps the position";
        EXPECT_EQ(f.M(0).Onpu[1].NoteAttr & 0xC0, attr);
        EXPECT_EQ(f.M(0).Onpu[1].NoteLengthID[1], 2);
    }
    // a fret chosen (not "×") clears tie and slur, as choosing a fret does
    Entry f;
    Append(f.s, 0, Note(1, 3, 2, 0x80));
    f.Select(0, 1);
    f.e->OptFletClick(1, 6);
    EXPECT_FALSE(f.e->chkSlar);
    EXPECT_EQ(f.M(0).Onpu[1].NoteAttr & 0xC0, 0);
}

// Loading a position shows its tie (NoteAttr mask 0x80) in "タイ" and its
// slur (mask 0x40) in "ｽﾗ－", and building the note gives them back.
TEST(NoteEntryLoad, TieAndSlurAreLoadedIntoTheirOwnBoxes) {
    struct Case {
        uint8_t attr;
        bool tie, slur, dot, beam, down;
    } cases[] = {{0x80, true, false, false, false, false}, {0x40, false, true, false, false, false},
                 {0xC0, true, true, false, false, false}, {0x20, false, false, true, false, false},
                 {0x08, false, false, false, true, false}, {0x04, false, false, false, false, true}};
    for (const Case& c : cases) {
        Entry f;
        Append(f.s, 0, Note(2, 4, 3, c.attr));
        f.e->SetNowData(0, 1);
        EXPECT_EQ(f.e->chkSlar, c.tie) << int(c.attr);
        EXPECT_EQ(f.e->chkSlar2, c.slur) << int(c.attr);
        EXPECT_EQ(f.e->chkFuten, c.dot) << int(c.attr);
        EXPECT_EQ(f.e->chkRenhaku, c.beam) << int(c.attr);
        EXPECT_EQ(f.e->chkDownUp, c.down) << int(c.attr);
        EXPECT_EQ(f.e->CurOnpu().NoteAttr & 0xEC, c.attr) << int(c.attr);
    }
}

// A triplet is edited as the group the row shows. Measure in 4/4: two
// quarters, a group of three triplet eighths (id 7, 8 ticks each, on strings
// 1, 2 and 3), a quarter. Whichever note of the group is changed to a
// triplet quarter (id 8, 16 ticks), the three notes change and the
// quarters stay.
TEST(NoteEntryTriplets, AGroupIsRewrittenWhicheverNoteIsEdited) {
    for (int edited : {3, 4, 5}) {
        Entry f;
        Append(f.s, 0, Note(1, 0, 2));
        Append(f.s, 0, Note(1, 2, 2));
        Append(f.s, 0, Note(1, 3, 7));
        Append(f.s, 0, Note(2, 1, 7));
        Append(f.s, 0, Note(3, 0, 7));
        Append(f.s, 0, Note(1, 5, 2));
        f.Select(0, edited);
        f.e->BunNoteClick(2);  // "２分音符": triplet quarters
        const int strings[] = {0, 1, 1, 1, 2, 3, 1};
        const int ids[] = {0, 2, 2, 8, 8, 8, 2}, ticks[] = {0, 24, 24, 16, 16, 16, 24};
        ASSERT_EQ(f.M(0).OnpuCnt, 6);
        for (int p = 1; p <= 6; ++p) {
            EXPECT_EQ(f.M(0).Onpu[p].NoteLengthID[strings[p]], ids[p]) << "edited " << edited << ", position " << p;
            EXPECT_EQ(f.M(0).Onpu[p].NoteTick[strings[p]], ticks[p]) << "edited " << edited << ", position " << p;
        }
    }
}

// Three plain eighths made a triplet from the third note: the two before it
// join (none is left a plain eighth); a rest before the group stays a rest.
TEST(NoteEntryTriplets, EighthsBecomeATripletFromTheirThirdNote) {
    struct Case {
        bool restFirst;
        int ids[5];  // rhythm id of positions 1..4 (index 0 unused) afterwards
    } cases[] = {{false, {0, 7, 7, 7, 2}}, {true, {0, 24, 7, 7, 2}}};
    for (const Case& c : cases) {
        Entry f;
        if (c.restFirst)
            Append(f.s, 0, Rest(24));
        else
            Append(f.s, 0, Note(1, 0, 3));
        Append(f.s, 0, Note(2, 1, 3));
        Append(f.s, 0, Note(3, 2, 3));
        Append(f.s, 0, Note(1, 3, 2));
        f.Select(0, 3);
        f.e->LenClick(5);  // "３連符"
        EXPECT_EQ(f.e->CurNoteLengthID(), 7);
        const int strings[] = {0, 1, 2, 3, 1};
        for (int p = 1; p <= 4; ++p)
            EXPECT_EQ(f.M(0).Onpu[p].NoteLengthID[strings[p]], c.ids[p]) << "position " << p;
        EXPECT_EQ(f.M(0).Onpu[3].NoteTick[3], 8);
        EXPECT_EQ(f.M(0).Onpu[2].NoteTick[2], 8);
        if (!c.restFirst) EXPECT_EQ(f.M(0).Onpu[1].NoteTick[1], 8);
        EXPECT_EQ(f.M(0).Onpu[1].IsRest(), c.restFirst);
    }
}

TEST(NoteEntryWrite, AddAndInsertBeforeAndAfter) {
    Entry f;
    f.e->CmdAdd();
    EXPECT_EQ(f.M(0).OnpuCnt, 0) << "nothing chosen: the row is only laid out again";
    f.e->SetFletPosNo(1, 1);
    f.e->CmdAdd();
    f.e->SetFletPosNo(1, 3);
    f.e->CmdAdd();
    ASSERT_EQ(f.M(0).OnpuCnt, 2);
    f.Select(0, 2);
    f.e->SetFletPosNo(1, 2);
    f.e->CmdInsert(0);  // before position 2
    f.Select(0, 1);
    f.e->SetFletPosNo(1, 10);
    f.e->CmdInsert(1);  // after position 1
    ASSERT_EQ(f.M(0).OnpuCnt, 4);
    const int frets[] = {0, 9, 1, 2};
    for (int p = 1; p <= 4; ++p) {
        EXPECT_EQ(f.M(0).Onpu[p].Flet[1], frets[p - 1]) << p;
        EXPECT_EQ(f.M(0).Onpu[p].PosNo, p);
    }
}

TEST(NotePopup, SemitonesSpellingRestsAndTheClipboard) {
    Entry f;
    Append(f.s, 0, Note(1, 22, 2));
    Append(f.s, 0, Note(2, 0, 2));
    Append(f.s, 0, Note(1, 5, 7));
    f.Select(0, 1);
    f.e->SetBityoseiNote(1, '+');
    EXPECT_EQ(f.M(0).Onpu[1].Flet[1], 22) << "22 is the highest";
    f.e->SetBityoseiNote(1, '-');
    EXPECT_EQ(f.M(0).Onpu[1].Flet[1], 21);
    f.Select(0, 2);
    f.e->SetBityoseiNote(2, '-');
    EXPECT_EQ(f.M(0).Onpu[2].Flet[2], 0) << "0 is the lowest";
    // "♭⇔#" twice returns to the start
    OnpuData& n = f.M(0).Onpu[2];
    n.Accidental[2] = 0x20;  // b5
    n.StaffPos[2] = 7;
    f.e->FlatSharpToggle(2);
    EXPECT_EQ(n.Accidental[2], 0x40 | 0x80);
    EXPECT_EQ(n.StaffPos[2], 8);
    f.e->FlatSharpToggle(2);
    EXPECT_EQ(n.Accidental[2], 0x20);
    EXPECT_EQ(n.StaffPos[2], 7);
    // change to rest: a quarter becomes a quarter rest, a triplet stays
    f.Select(0, 2);
    f.e->ChgNote2Kyufu();
    EXPECT_TRUE(f.M(0).Onpu[2].IsRest());
    EXPECT_EQ(f.M(0).Onpu[2].NoteLengthID[1], 23);
    f.Select(0, 3);
    f.e->ChgNote2Kyufu();
    EXPECT_FALSE(f.M(0).Onpu[3].IsRest());
    // paste with an empty clipboard adds a position where nothing sounds;
    // copy then paste adds the copied note
    f.scene.labFletEdit.Left = 400;
    f.scene.labFletEdit.Top = 600;
    f.e->NotePaste();
    ASSERT_EQ(f.M(0).OnpuCnt, 4);
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(f.M(0).Onpu[4].FletUse[k], 0);
    f.Select(0, 1);
    f.e->NoteCopy();
    f.e->NotePaste();
    ASSERT_EQ(f.M(0).OnpuCnt, 5);
    EXPECT_EQ(f.M(0).Onpu[5].Flet[1], 21);
}

TEST(NotePopup, AFretOnAnEmptyPlaceStartsANewPosition) {
    Entry f;
    f.g.MouseX = 700;
    f.g.MouseY = 600 + 2 * 120;
    f.ed->FrameMouseDown(kLeftButton, 700, 600 + 2 * 120);  // string 3 marked
    ASSERT_EQ(f.g.NewNoteFlag, 1);
    f.e->PopupFret(3, 6);  // fret 5
    ASSERT_EQ(f.M(0).OnpuCnt, 1);
    EXPECT_EQ(f.M(0).Onpu[1].Flet[3], 5);
    EXPECT_EQ(f.g.NewNoteFlag, 0);
    // the next string's fret goes into the same position
    f.e->PopupFret(2, 4);
    ASSERT_EQ(f.M(0).OnpuCnt, 1);
    EXPECT_EQ(f.M(0).Onpu[1].Flet[2], 3);
    EXPECT_EQ(f.M(0).Onpu[1].Flet[3], 5);
}

TEST(NoteEntryChord, AShapeFillsTheFourStrings) {
    Entry f(3);
    const int frets[4] = {3, 0, 0, 0};  // C on A E C G
    f.e->CheckClick(0, true);
    f.e->SetNoteData();
    ASSERT_TRUE(f.e->SetNoteChordData("C", 0));
    f.e->SetNowData2();
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(f.e->GetPosNo(k), frets[k - 1] + 1) << k;
    EXPECT_FALSE(f.e->chkSlar);
    EXPECT_FALSE(f.e->SetNoteChordData("Cxyz", 0)) << "a type without a shape changes nothing";
}

TEST(KeyboardEntry, DigitsArrowsRestsAndRhythm) {
    Entry f;
    f.e->SetCursor(0, 1, 1);
    long long t = 0;
    auto type = [&](const char* keys) {
        for (const char* c = keys; *c; ++c) {
            t += *c == ' ' ? 2000 : 100;  // a blank is a pause
            if (*c >= '0' && *c <= '9') f.e->KeyDigit(*c - '0', t);
        }
    };
    type("3");
    f.e->KeyCommand(NoteEntry::kKeyRight);
    type("12");  // one note at fret 12
    f.e->KeyCommand(NoteEntry::kKeyRight);
    type("1 ");
    f.e->KeyCommand(NoteEntry::kKeyDown);
    type("5");   // the same position, string 2
    ASSERT_EQ(f.M(0).OnpuCnt, 3);
    EXPECT_EQ(f.M(0).Onpu[1].Flet[1], 3);
    EXPECT_EQ(f.M(0).Onpu[2].Flet[1], 12);
    EXPECT_EQ(f.M(0).Onpu[3].Flet[1], 1);
    EXPECT_EQ(f.M(0).Onpu[3].FletUse[2], 255);
    EXPECT_EQ(f.M(0).Onpu[3].Flet[2], 5);
    // shorter, dotted; a rest after it; delete a string
    f.e->KeyCommand(NoteEntry::kKeyShorter);
    EXPECT_EQ(f.M(0).Onpu[3].NoteLengthID[2], 3);
    f.e->KeyCommand(NoteEntry::kKeyDot);
    EXPECT_EQ(f.M(0).Onpu[3].NoteTick[2], 18);
    f.e->KeyCommand(NoteEntry::kKeyRight);
    f.e->KeyCommand(NoteEntry::kKeyRest);
    ASSERT_EQ(f.M(0).OnpuCnt, 4);
    EXPECT_TRUE(f.M(0).Onpu[4].IsRest());
    EXPECT_EQ(f.e->CursorP, 4) << "the cursor stands on the new rest";
    f.e->KeyCommand(NoteEntry::kKeyLeft);
    f.e->KeyCommand(NoteEntry::kKeyDelete);  // string 2 of position 3
    EXPECT_EQ(f.M(0).Onpu[3].FletUse[2], 0);
    EXPECT_EQ(f.M(0).Onpu[3].FletUse[1], 255);
    // across the bar line and back
    f.e->SetCursor(0, 4, 1);
    f.e->KeyCommand(NoteEntry::kKeyRight);
    f.e->KeyCommand(NoteEntry::kKeyRight);
    EXPECT_EQ(f.e->CursorM, 1);
    EXPECT_EQ(f.e->CursorP, 1);
    f.e->KeyCommand(NoteEntry::kKeyLeft);
    EXPECT_EQ(f.e->CursorM, 0);
    EXPECT_EQ(f.e->CursorP, 4);
    EXPECT_TRUE(f.scene.labAsisto.BackStyle == 1 && f.scene.labFletEdit.Visible) << "the cursor is shown";
}

TEST(KeyboardEntry, ANewNoteTakesItsStemsFromItsPitchUnlessTheUserChose) {
    // Half steps below the top line of the guitar's open strings 1-3 (E5, B4,
    // G4) and of A4: the middle line is 4.
    struct StaffHost : Host {
        bool StaffShown() const override { return true; }
        int StaffLine(int string, int fret) override {
            const int pitch = std::array<int, 3>{28, 23, 19}[string - 1] + fret;
            return pitch == 28 ? 1 : pitch == 23 ? 4 : pitch == 21 ? 5 : 6;
        }
    };
    Entry f;
    StaffHost host;
    host.ed = f.ed.get();
    NoteEntry e(f.s, f.g, host);
    auto down = [&](int p) { return GetBit(f.M(0).Onpu[p].NoteAttr, kAttrStemDown); };
    e.SetCursor(0, 1, 2);
    e.KeyDigit(0, 0);  // B4 on the middle line: stems down
    e.KeyCommand(NoteEntry::kKeyRight);
    e.KeyCommand(NoteEntry::kKeyDown);
    e.KeyDigit(0, 5000);  // G4 after it: up, not down as the note before
    e.KeyCommand(NoteEntry::kKeyRight);
    e.KeyDigit(2, 10000);  // A4
    ASSERT_EQ(f.M(0).OnpuCnt, 3);
    EXPECT_TRUE(down(1));
    EXPECT_FALSE(down(2));
    EXPECT_FALSE(down(3));
    // "符尾は下" ticked for the next note: it keeps it.
    e.KeyCommand(NoteEntry::kKeyRight);
    e.CheckClick(4, true);
    e.KeyDigit(0, 15000);
    ASSERT_EQ(f.M(0).OnpuCnt, 4);
    EXPECT_TRUE(down(4));
}

// A fret above 24 cannot be typed: "2" then "5" is refused with a reason,
// the note keeps fret 2, and a "4" typed next still makes 24.
TEST(KeyboardEntry, ATwoDigitFretAbove24IsRefusedAndTheFirstDigitStays) {
    Entry f;
    f.e->SetCursor(0, 1, 1);
    f.e->KeyDigit(2, 1000);
    f.e->KeyDigit(5, 1300);
    ASSERT_EQ(f.M(0).OnpuCnt, 1);
    EXPECT_EQ(f.M(0).Onpu[1].Flet[1], 2);
    ASSERT_EQ(f.host.refused.size(), 1u);
    EXPECT_NE(f.host.refused[0].find("24"), std::string::npos);
    f.e->KeyDigit(4, 1600);
    ASSERT_EQ(f.M(0).OnpuCnt, 1);
    EXPECT_EQ(f.M(0).Onpu[1].Flet[1], 24);
    EXPECT_EQ(f.host.refused.size(), 1u);
}

// Back from the rest tab, the fret-click routine runs: tie, slur, beam and
// effects cleared and the dialog live; going to the rest tab changes none.
TEST(NoteEntryTabs, LeavingTheRestTabRunsTheFretRoutine) {
    Entry f;
    f.e->chkSlar = f.e->chkSlar2 = f.e->chkRenhaku = true;
    f.e->EffectItem[2] = 1;
    f.e->TabClick(1);
    EXPECT_TRUE(f.e->chkSlar);
    EXPECT_FALSE(f.e->Live);
    f.e->TabClick(0);
    EXPECT_FALSE(f.e->chkSlar || f.e->chkSlar2 || f.e->chkRenhaku);
    EXPECT_EQ(f.e->EffectItem[2], 0);
    EXPECT_TRUE(f.e->Live);
}

// After the row was read back (undo) the controls show what the selected
// position holds now, or nothing once it is gone.
TEST(NoteEntryLoad, ReloadShowsTheSelectedPositionAsTheRowHoldsIt) {
    Entry f;
    Append(f.s, 0, Note(1, 3, 2));
    f.Select(0, 1);
    f.e->OptFletClick(1, 9);  // fret 8, written at once
    EXPECT_EQ(f.M(0).Onpu[1].Flet[1], 8);
    f.M(0).Onpu[1].Flet[1] = 3;  // as an undo reads the row back
    f.e->ReloadSelected();
    EXPECT_EQ(f.e->GetPosNo(1), 4);
    EXPECT_FALSE(f.e->UpdateEnabled);
    f.M(0).OnpuCnt = 0;
    f.e->ReloadSelected();
    EXPECT_EQ(f.e->GetPosNo(1), 0);
}

}  // namespace
