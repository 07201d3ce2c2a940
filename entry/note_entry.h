// The note-entry dialog (KoSetFlet) without its window: the state of its
// controls, the current note CurOnpu built from them, and every command that
// reads or writes a position of the active row. The Qt window shows this
// state and forwards its clicks here; the row windows reach it through the
// shell's RowPort. Plain C++ over the session, so tests drive it directly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "dan_data.h"
#include "row_editor.h"
#include "session.h"

namespace lw {

// What the dialog needs from the rest of the program.
class NoteEntryHost {
public:
    virtual ~NoteEntryHost() = default;
    // The active row window's editor; null while no row is open.
    virtual RowEditor* ActiveEditor() = 0;
    // A position of the active row was changed: the row is marked changed,
    // its recovery copy written and an undo step recorded.
    virtual void NoteRowEdited() = 0;
    // Undo of the active row's last change ("戻す(&Z)").
    virtual void NoteUndo() {}
    // Redraws the measure's rhythm (RedrawDan); false ends the command.
    virtual bool RedrawMeasure() { return true; }
    // True while the five-line staff is shown; then StaffLine gives the place
    // of a string and fret on the staff in half steps below the top line (0
    // on the top line, 1 in the space below it, 4 on the middle line).
    virtual bool StaffShown() const { return false; }
    virtual int StaffLine(int string, int fret) { return 0; }
    // The triplet options window beside the dialog.
    virtual void Show3renOption(bool show) {}
    // The dialog beside measure m's cell (nKyousei: even when the setting
    // does not ask for it).
    virtual void MoveKoSetForm(int measure, int cellIndex, bool force) {}
    // The column highlight of the active row goes transparent.
    virtual void AsistoTransparent() {}
    // A key or choice was refused: a beep and the reason in the status bar.
    virtual void Refuse(const std::string& why) {}
};

// Rest choice of the rest tab (optKyufu index) and its rhythm id.
int RestIdOfKyufuTag(int tag);
int KyufuTagOfRestId(int restId);

class NoteEntry {
public:
    static constexpr int kFretItems = 17;   // item 0 = silent, 1..16 the fret window
    static constexpr int kMaxFretStart = 10;  // HScroll1: windows start 1..10 (frets 0..24)
    static constexpr int kMaxTypedFret = 24;  // highest fret typed on the keyboard

    NoteEntry(Session& s, EditorGlobals& g, NoteEntryHost& host);

    // Called after any state change so the window can show it.
    std::function<void()> Changed;

    // ---- controls ----
    int Tab = 0;                               // tabOnpu: 0 notes, 1 rests, 2 chords
    // The fret chosen per string (index = string 1..6) as fret + 1, 0 when
    // the string is silent. The option buttons show the frets inside the
    // window; a chosen fret outside it (a chord wider than the window) is
    // kept all the same.
    std::array<int, 7> FletChoice{};
    int HScroll1 = 1;                          // start of the fret window
    int LenOption = 2;                         // optLen 0..5 (5 = triplet)
    bool chkSlar = false, chkSlar2 = false, chkFuten = false, chkRenhaku = false, chkDownUp = false;
    // The user ticked or cleared "符尾は下" for the note being made: a new
    // note keeps it; otherwise a new note's stems follow its pitch.
    bool StemChosen = false;
    std::array<int, 7> EffectItem{};           // optEfect1..6: 0 none, 1 Ho, 2 Po, 3 S
    int KyufuTag = 0;                          // frmKyufu.Tag: optKyufu index
    std::string UpdateTag;                     // cmdUpdate.Tag ("01/03/0")
    bool UpdateEnabled = false;                // cmdUpdate
    bool RestButtonsEnabled = false;           // cmdUpdate_kyf, cmdDelete_kyf
    bool Live = false;                         // after the first fret choice
    OnpuData Clipboard{};                      // the note clipboard of the pop-up menu

    OnpuData& CurOnpu() { return g_.Entry.CurOnpu; }
    int16_t CurNoteLengthID() const { return g_.Entry.CurNoteLengthID; }
    int16_t CurSanrenOpt() const { return g_.Entry.CurSanrenOpt; }
    // "前回のx" / "前回のＹ": the last point a note was entered at (twips).
    const std::string& BeforeX() const { return g_.Entry.BeforeX; }
    const std::string& BeforeY() const { return g_.Entry.BeforeY; }
    bool StaffShown() const { return host_.StaffShown(); }
    // After the row was read back (undo, redo): the controls show the
    // selected position as the row now holds it, or nothing when it is gone.
    void ReloadSelected();
    void SetCurSanrenOpt(int opt);

    // Fret shown by item i (1..16) of the window, and the fret of a string's
    // choice + 1 (0 = silent).
    int FretOfItem(int item) const { return HScroll1 - 2 + item; }
    int GetPosNo(int string) const;
    // optFlet item showing a string's choice: 0 when silent, -1 when the
    // chosen fret lies outside the window.
    int FletItemOf(int string) const;
    // Chooses fret nFlet - 1 on a string (0 = silent), moving the fret
    // window when the fret lies outside it.
    void SetFletPosNo(int string, int nFlet);
    void SetFletCaption(int start);
    void SetRyhthm(int rhythmId);
    int Strings() const { return s_.MaxStringIx + 1; }

    // ---- building CurOnpu ----
    void SetNoteData();
    void SetNoteData_kyf();
    // ---- loading a position into the controls ----
    void SetNowData(int m, int p);
    void SetNowData2();
    void SetNowData_kyf(int m, int p);
    void ClearFlet();
    void ClearFlet2();
    // Fits the fret window to the used frets of a position.
    void FitFretWindow(const OnpuData& pos);

    // ---- writing positions ----
    // Writes the controls into position p of measure m; chk: something
    // sounds or a tie or slur carries the length.
    bool UpdateNoteData(int m, int p, bool& chk);
    void UpdateNoteData3ren(int m, int q);
    bool UpdateKyufuData(int m, int p, bool& chk);
    void DeleteNote(int m, int p);
    void RenumberPosNo();
    // The selected position from UpdateTag; false when there is none.
    bool SelectedPosition(int& m, int& p) const;
    void SelectPosition(int m, int p, bool rest);

    // ---- commands of the dialog ----
    void UpdateProc();                 // "更新"
    void QuickUpdate();
    // A fret option chosen (item 0 "×": the string silent).
    void OptFletClick(int string, int item);
    // What choosing a fret does to the other controls: CurOnpu built, tie,
    // slur, beam and effects cleared, the stem direction found; the dialog
    // is live from then on.
    void FletPosClick();
    void HScrollChange(int value);
    void LenClick(int option);         // optLen
    void CheckClick(int box, bool on); // 0 tie, 1 slur, 2 dot, 3 beam, 4 stem down
    void EffectClick(int string, int item);
    void KyufuClick(int tag);          // optKyufu
    void TabClick(int tab);
    void CmdAdd();                     // "同じ小節に追加"
    void CmdInsert(int after);         // "前挿入" (0), "後挿入" (1)
    void CmdClear();                   // "クリア"
    void CmdUndo();                    // "戻す(&Z)"
    void CmdUpdateKyf();               // rest "更新"
    void CmdDeleteKyf();               // rest "削除"
    // Applies a chord shape (KoChord); false when the type has no shape there.
    bool SetNoteChordData(const std::string& chord, int index);
    // Triplet options window: optBunNote (0..2 → ids 6..8) and optType.
    void BunNoteClick(int item);
    void TypeClick(int item);

    // ---- commands of the note pop-up menu (string = under the mouse) ----
    void SetBityoseiNote(int string, char sign);   // "半音上げる" '+', "半音下げる" '-'
    void FlatSharpToggle(int string);               // "♭⇔#"
    void ChgNote2Kyufu();                           // "休符に変更する"
    void PopupFret(int string, int item);           // "フレット" item 0 "開放", i fret i-1
    void PopupRhythm(int item);                     // "リズム"
    void PopupToggle(int box);                      // the check boxes, 0..4 as CheckClick
    void NoteCopy();                                // "音符コピー"
    void NotePaste();                               // "音符ペースト"

    // Automatic stem direction of CurOnpu: 1 down, 0 up.
    // Stems down when the note farthest from the middle line lies above it
    // (or on it): 1 down, 0 up.
    int AutoStemDown();

    // ---- keyboard entry over the active row ----
    enum Key { kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeyDelete, kKeyRest, kKeyLonger, kKeyShorter, kKeyDot };
    // A digit typed at time ms (milliseconds of any steady clock): a fret on
    // the cursor's string; a second digit soon after a 1 or 2 makes 10..24.
    void KeyDigit(int digit, long long ms);
    void KeyCommand(Key key);
    // The keyboard cursor: measure, position (OnpuCnt + 1 = after the last
    // note, where a typed fret adds one) and string.
    int CursorM = 0, CursorP = 1, CursorString = 1;
    // Puts the cursor on a position (a click selected it) and shows it.
    void SetCursor(int m, int p, int string);

    // Tells the window that the state changed.
    void Notify() { if (Changed) Changed(); }

private:
    void PlaceAtMarker();
    // CurOnpu placed where the string marker stands; false when refused.
    bool PutAtMarker(RowEditor& ed);
    void ShowCursor();
    int CursorCount() const;
    // Chooses the cursor's position in the dialog; false at the append place.
    bool SelectCursorPosition();
    void TypeFret(int fret);
    int pendingDigit_ = -1;
    long long pendingAt_ = 0;
    DanData& Dan() { return s_.DanBuf[s_.CurDanIx]; }
    bool ValidPosition(int m, int p) const;
    void WriteNoteFields(OnpuData& pos, bool forCurOnpu, bool& chk);
    void Relayout(const char* what);
    void Edited();

    Session& s_;
    EditorGlobals& g_;
    NoteEntryHost& host_;
};

}  // namespace lw
