// What a row window's handlers ask of the other windows: the note-entry
// dialog, the staff mapping, pop-up menus, the text dialog, the row-area
// pick and the recovery copy. The application implements it; every method
// has a harmless default so a partial implementation links, and tests use a
// recording one.
#pragma once

#include <string>

namespace lw {

class RowPort {
public:
    virtual ~RowPort() = default;

    // --- note-entry dialog ---
    virtual void NoteEntryShow() {}
    virtual void NoteEntryHide() {}
    // Loads the note (or the rest) at (measure, position) into the dialog.
    virtual void SetNowData(int measure, int position) {}
    virtual void SetNowData_kyf(int measure, int position) {}
    // Moves the dialog next to a cell (its rectangle in window twips).
    virtual void MoveKoSetForm(int measure, int cellIndex, double cellLeft, double cellTop, int mode) {}
    virtual void SetUpdateTag(const std::string& tag) {}
    virtual void SetUpdateEnabled(bool enabled) {}
    virtual bool IsUpdateEnabled() const { return false; }
    // Rest-update and rest-delete buttons.
    virtual void SetRestButtons(const std::string& tag, bool enabled) {}
    virtual void SetBefore(const std::string& x, const std::string& y) {}
    virtual void SelectTab(int tab) {}              // 0 notes, 1 rests
    virtual void ClearFlet() {}                     // every fret choice empty
    virtual void SetFletPosNo(int string, int item) {}  // item 0 = empty
    virtual void SelectStringFret(int string, int fret) {}
    virtual void UpdateProc() {}                    // apply the dialog's note
    virtual void SetUnDoArea() {}                   // one-step undo snapshot
    // After a note was dropped from the dialog's drag source and entered.
    virtual void FinishDropEntry() {}

    // --- staff mapping: point (twips) to string and fret; false = none ---
    virtual bool StaffPointToStringFret(double x, double y, int& string, int& fret) { return false; }

    // --- pop-up menus and dialogs ---
    virtual void ShowNotePopup() {}
    virtual void ShowFramePopup() {}
    virtual void ShowRepMarkPopup(int markIndex) {}
    virtual void ShowTextDialog(int textIndex) {}   // KoTextIN, modal, Tag = index
    // The mark chosen in the repeat-mark dialog; false when none is chosen.
    virtual bool ChosenRepMark(std::string& tag, double& width, double& height) { return false; }
    virtual void RowAreaPick(double x, double y) {}  // EditMode 1
    virtual void SetMousePointer(int pointer) {}     // 0 default, 3 cell, 99 accidental icon

    // --- drawing done by the rendering ---
    virtual bool PutRhythm(const std::string& what) { return true; }
    virtual bool RedrawRow() { return true; }
    virtual void PutKeySignature() {}
    virtual void ClearAccidentalMemory() {}

    // --- windows ---
    virtual void BringRowToFront(int slot) {}
    virtual void WriteRecovery() {}
    // The row's document changed (bar lines, measures, texts, marks ...):
    // it is marked changed and its recovery copy written.
    virtual void RowModified() {}
};

}  // namespace lw
