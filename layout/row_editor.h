// The editing engine of one row window: layout of the position controls,
// every mouse event in every tool mode, measure editing and bar lines.
// The widget forwards its events here and paints RowScene and RowItems;
// whatever the handlers need from other windows goes through RowPort.
#pragma once

#include <cstdint>
#include <string>

#include "note_entry_state.h"
#include "row_port.h"
#include "row_scene.h"
#include "session.h"
#include "ui_port.h"

namespace lw {

// Tool modes of the row windows.
enum EditModeCode : int16_t {
    kModeNormal = 0, kModeRowArea = 1, kModeText = 3, kModeRepMark = 4,
    kModeKugiri = 5, kModeErase = 8, kModeMove = 9, kModeStaffNote = 10
};

enum MouseButton : int { kLeftButton = 1, kRightButton = 2 };

// Mouse and tool state shared by every row window (one per program).
struct EditorGlobals {
    int16_t EditMode = kModeNormal;
    float MouseX = 0, MouseY = 0;          // last mouse-down point (twips)
    int16_t CurSyosetsuIx = 0;
    int16_t NewNoteFlag = 0;               // 1 after a click on an empty place
    int16_t HanonTool = 1;                 // accidental cursor 1..3
    bool DrawNote = false;                 // view option "音符を描画する"
    bool KeepNoteEntryHidden = false;      // global switch of the note-entry dialog
    NoteEntryState Entry;
};

// What is being dragged inside a row window.
enum class DragKind { None, Kugiri, Chord, Text, RepMark };
struct DragSource {
    DragKind kind = DragKind::None;
    int index = 0;
};

struct CellTag {
    int measure = 0, position = 0, restFlag = 0;
    bool ok = false;
};

class RowEditor {
public:
    // slot: the DanBuf index of this window; scene/items: its elements.
    RowEditor(Session& s, EditorGlobals& g, RowScene& scene, RowItems& items, UiPort& ui,
              RowPort& port, int slot);

    int Slot() const { return slot_; }
    RowScene& Scene() { return scene_; }
    RowItems& Items() { return items_; }
    double CellWidth() const { return cellWidth_; }
    int16_t LastButton() const { return lastButton_; }
    int16_t PopupOpen() const { return popupOpen_; }
    const DragSource& Drag() const { return drag_; }

    // ---- layout ----
    // Rebuilds labPos, picKyufu and the labInx cells from the row, then runs
    // the rhythm redraw hook with `what` ("all" or "0"). Returns false when the
    // redraw failed.
    bool ReLayoutTAB(const std::string& what);
    // mnuViewRefresh: re-layout, bar lines and chord names, show the dialog.
    void Refresh();
    // mnuViewReDraw: hide the dialog, redraw the rhythm, show it again.
    void ReDraw();
    // After ReadIniSettings (start, measure count, row area): bar lines, then Refresh.
    void AfterSettingsRead();
    void PutFletLabel(OnpuData& pos, int labelIndex, int string, double x);
    void PutKyufuPic(int measure, int picIndex, OnpuData& pos, double x);
    void LoadChord();
    void UnLoadChord();
    void InVisibleLabPos();
    void InVisibleLabInx();

    // ---- bar lines ----
    void LoadKugiri();
    void PutKugiriLine(int m, int b);
    void UnLoadRepten();
    void UnLoadKugiliLine();
    // Bar-line handles are shown in mode 5, one per measure.
    void ShowKugiriHandles(bool visible);

    // ---- cells and hit testing ----
    SceneLabel& GetLabInx(int measure, int index, int restFlag);
    void LoadInx(int measure, int restFlag);
    int GetLabInxLast(int measure) const;
    CellTag ParseLabInxTag(const SceneLabel& cell);   // sets CurSyosetsuIx
    int GetCtrlIndex(int measure, int position, int restFlag) const;
    int GetLineNo();                // string under MouseY; places labFletEdit
    bool Area5ScopeCheck(double x, double y) const;
    // The string under a point for the note pop-up menu's string commands:
    // on the five-line staff the string the pitch there is played on, else
    // the TAB line; 0 for none.
    int StringAt(double x, double y);
    int StaffStringAt(double x, double y);
    void Area5HosokuLine(double x, double y);
    void ClickLabInx(int measure, int index);
    void UnloadLabInx(int measure, bool oneMeasure);

    // ---- mouse events (x, y in window twips unless said otherwise) ----
    void SetEditMode(int mode);             // tool bar / dialogs
    void SetHanonTool(int item);            // menuHanon item 0..2
    void FrameMouseDown(int button, double x, double y);
    void FrameMouseMove(int button, double x, double y);
    void FrameMouseUp(int button, double x, double y);
    // Drop of the current drag source at (x, y).
    void FrameDragDrop(double x, double y);
    // Text dropped from the note-entry dialog's drag source.
    void FrameOleDragDrop(double x, double y);
    // Cell events: x, y relative to the cell.
    void CellMouseDown(int measure, int index, int button, double x, double y);
    void CellClick(int measure, int index);
    void CellMouseMove(int measure, int index);
    void CellMouseUp(int measure, int index, int button);
    void MarkerMouseMove(double x, double y);  // labFletEdit, labAsisto
    // The keyboard cursor: the column of position p of measure m highlighted
    // (after the last note for OnpuCnt + 1) and the marker on the string.
    void ShowKeyCursor(int m, int p, int string);
    void MarkerMouseUp(int button);
    // Ledger-line guide events: x, y relative to the guide.
    void HosokuMouseDown(int button, double x, double y);
    void HosokuClick();
    void HosokuMouseMove(double x, double y);
    void HosokuMouseUp(int button);
    void KyufuClick(int picIndex);
    void KyufuMouseMove(int picIndex);
    // Grab points relative to the element. Only the left button starts a drag.
    void KugiriMouseDown(int measure, double x, double y, int button = kLeftButton);
    void ChordMouseDown(int index, double x, double y, int button = kLeftButton);
    void TextMouseDown(int index, double x, double y, int button = kLeftButton);
    void TextClick(int index);
    void RepMarkMouseDown(int index, double x, double y, int button = kLeftButton);
    // Every drag ends with its mouse release: a release that drops nothing
    // (outside the row) cancels it, so the next click is an ordinary click.
    void EndDrag() { drag_ = DragSource{}; }
    void RepMarkMouseUp(int index, int button);
    void LoadTextBox(bool withDialog);
    void LoadRepMark();

    // ---- measure editing ----
    bool PutNoteAt(double x, double y);
    bool AddNotePos(double x, int& measure, int& noteX);
    bool CheckSyosetsuFull(int& measure);
    // Inserts CurOnpu after position q (0 = first) of measure m0 and re-packs
    // the following notes by the meter's capacity. Refused, unchanged, with a
    // message when a note would be pushed past the last measure.
    bool InsertNote(int m0, int q);
    void DeleteSyosetsu(int measure);
    // Copies measure sm of slot sr into measure dm of this window's slot
    // (the caller brings this window to the front first).
    void CopySyosetsu(int sr, int sm, int dm);

    // Moves measure boundary i+1 to x (bar-line drop), as far as the
    // neighbouring bar lines and the room of both measures' notes allow;
    // i = count-1 moves the row's right end. False + message when refused.
    bool MoveKugiri(int i, double x);

private:
    DanData& Dan();
    DanLayoutData& Lay();
    void LayoutPositions();
    void PlaceCrossHair(double x, double y);
    void ShowAsisto(double left, bool opaque);
    void StaffNoteAt(double x, double y);
    bool RefuseCoordinate();

    Session& s_;
    EditorGlobals& g_;
    RowScene& scene_;
    RowItems& items_;
    UiPort& ui_;
    RowPort& port_;
    int slot_;
    double cellWidth_;
    int16_t lastButton_ = 0;
    int16_t popupOpen_ = 0;
    DragSource drag_;
    bool batching_ = false;  // a measure copy places many notes: one change
    float grabX_ = 0, grabY_ = 0;
};

// Open row windows: captions of the form "<1 or 2 digits>段目".
bool IsRowCaption(const std::string& caption);
template <class Range>
bool IsDanOpen(const Range& captions, int n) {
    int c = 0;
    for (const auto& cap : captions) c += IsRowCaption(cap) ? 1 : 0;
    return c >= n;
}
inline bool IsDanOpen(int openRows, int n) { return openRows >= n; }

}  // namespace lw
