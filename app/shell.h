// The application shell without widgets: row windows as records, the file
// commands, projects, the recent list and the recovery copies. The main
// window implements ShellView and forwards its commands here; tests drive the
// same object with a scripted UiPort.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ko_comm.h"
#include <QImage>

#include "note_entry.h"
#include "project_file.h"
#include "row_drawing.h"
#include "row_editor.h"
#include "row_port.h"
#include "row_scene.h"
#include "session.h"
#include "tab_file.h"
#include "ui_port.h"

namespace lw {

// The per-user settings store, section "Settings".
class UserStore {
public:
    virtual ~UserStore() = default;
    virtual std::string Get(const std::string& key, const std::string& def) = 0;
    virtual void Set(const std::string& key, const std::string& value) = 0;
};

class MemoryUserStore : public UserStore {
public:
    std::string Get(const std::string& key, const std::string& def) override {
        auto it = values.find(key);
        return it == values.end() ? def : it->second;
    }
    void Set(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

class Shell;

// The document side of one row window (frmDocument).
struct RowDoc {
    int Id = 0;                 // handle for the view
    std::string Caption;        // "3段目"
    std::string Tag;            // "02" + path or "none"
    int RecoverySeq = 0;        // labRecoverySeq
    RowItems Items;
    RowScene Scene;
    // The row picture (picTAB), painted from the row after every change (a
    // cache: painting it again gives the same pixels), and the clean ground
    // of the layout style with the staff table of staff clicks.
    QImage Picture;
    bool PictureStale = false;  // changed since Picture was painted
    RowRenderState Render;
    std::string GroundError;    // why the ground picture could not be read
    std::unique_ptr<RowEditor> Editor;
    bool Closing = false;       // a close is under way
    bool Moved = true;          // false when the window refused to be moved
    bool BoxesStale = false;    // measure boxes laid out for another count
    // The row as its file holds it (serialised), taken when it was created,
    // opened or saved; a restored row has none. The row is changed while
    // what it holds differs.
    std::string SavedImage;
    bool Modified = false;
    // Undo and redo: the row as it was before each change (newest last)
    // and what undoing took back; CurrentImage is the row now.
    std::vector<std::string> UndoImages, RedoImages;
    std::string CurrentImage;

    int Slot() const;
    int RowNumber() const;      // number in the caption
    std::string SlotText() const { return Tag.substr(0, 2); }
    // Tag from character 3 on; "none" counts as empty.
    std::string Path() const;
};

// What the shell asks of the windows.
class ShellView {
public:
    virtual ~ShellView() = default;
    // Creates the row window at (left, top) twips; false when it refused to
    // be moved (maximised child windows).
    virtual bool CreateRowWindow(RowDoc& row, int leftTwips, int topTwips) = 0;
    // Shows the row's picture after its ground was prepared; sizes the
    // window from the picture when sizeWindow.
    virtual void PrepareRowPicture(RowDoc& row, bool sizeWindow) = 0;
    virtual void ShowRowWindow(RowDoc& row) = 0;
    virtual void DestroyRowWindow(RowDoc& row) = 0;
    virtual void BringRowToFront(RowDoc& row) = 0;
    virtual void RowContentChanged(RowDoc& row) = 0;
    // Menus, row buttons, spinner, labels and the recent list changed.
    virtual void StateChanged() = 0;
    virtual void SetBusy(bool busy, const std::string& statusText) = 0;
    virtual void RefreshProjectList() = 0;
    // Closes the note-entry dialog, the project list and the repeat-mark dialog.
    virtual void CloseCompanions() = 0;
    virtual void OpenInTextEditor(const std::string& path) = 0;
    virtual void DoEvents() {}
    // Hides the note-entry, repeat-mark and project-list windows (before the
    // score is composed).
    virtual void HideCompanions() {}
    // The score window (frmGakufu) shows GakufuPages[0].
    virtual void ShowGakufu() {}
    // A refused key or choice: a beep and the reason in the status bar.
    virtual void Refused(const std::string& why) {}
    // The tool bar's tool buttons are released (EditMode went back to 0).
    virtual void ToolsReleased() {}
    // Drops the clsKoComm object the main window holds. It may be called from
    // inside one of the object's own events, so the object must outlive the call.
    virtual void ReleaseKoComm() {}
    // Pop-up menus of a row window, at the mouse pointer.
    virtual void ShowFramePopup() {}
    virtual void ShowRepMarkPopup(RowDoc& row, int markIndex) {}
    virtual void ShowNotePopup() {}
    // The note-entry dialog: shown or hidden, placed beside a measure, and
    // its triplet options window.
    virtual void ShowNoteEntry(bool show) {}
    virtual void PlaceNoteEntry(int measure, int cellIndex, bool force) {}
    virtual void ShowTripletOptions(bool show) {}
    // Document settings dialogs: the text dialog for text k of a row, the
    // row windows' mouse pointer (0 default; the sign while one is placed),
    // the repeat-mark palette.
    virtual void ShowTextDialog(RowDoc& row, int textIndex) {}
    virtual void SetMousePointer(int pointer) {}
    virtual void ShowRepMarkPalette() {}
    // Runs the set-up wizard for start action 0..4; false when there is none.
    virtual bool RunWizard(int startAction) { return false; }
};

// Row-dependent menu items (ChgMenuEnable).
struct MenuState {
    bool Save = false, SaveAll = false, SaveTab = false, Close = false, CloseAll = false;
    bool ProjectAdd = false, ProjectDel = false, ProjectEdit = false;
};

// Time-signature codes in menu order.
inline constexpr std::array<int, 9> kMeterCodes = {0, 1, 2, 10, 11, 12, 20, 21, 22};
// Layout styles (PosRhythm = index + 1).
extern const std::array<const char*, 5> kPosRhythmCaptions;

inline constexpr const char* kTabFilter = "TABﾌｧｲﾙ (*.tab)|*.tab";
inline constexpr const char* kProjectFilter = "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.tbp)|*.tbp";
inline constexpr const char* kMusicXmlFilter = "MusicXMLﾌｧｲﾙ (*.musicxml)|*.musicxml";
inline constexpr const char* kMidiFileFilter = "MIDIﾌｧｲﾙ (*.mid)|*.mid";
inline constexpr const char* kLoadingStatus = "TAB譜ﾌｧｲﾙをロード中です";
inline constexpr const char* kRecoveryTitle = "リカバリー";

// The program's version: "Version " text of the About window and the
// version text written into every row file (digits without separators).
std::string VersionCaption();
std::string VersionDigits();

class Shell : public RowPort, public KoCommEvents, public NoteEntryHost {
public:
    Shell(UiPort& ui, UserStore& store);
    ~Shell() override;

    void SetView(ShellView* view) { view_ = view; }

    Session s;
    EditorGlobals g;
    NoteEntry Entry{s, g, *this};   // the note-entry dialog's state and commands
    bool AskSave = true;
    std::string CurProject;
    bool ProjectLoading = false;
    std::string ProgramFolder;       // current folder at start-up
    std::string LastDir;             // last folder of a file dialog
    MenuState Menu;
    int VScroll1Value = 5;
    std::string lblSyou = "小節数:4";
    std::string labMeter = "4/4";
    std::vector<std::string> RecentCaptions;  // recent-files items shown
    bool DrawNote = false;                    // mnuViewDrawNote
    // Without row windows nothing shows a picture until the score is made:
    // a changed row is then only marked, and painted once when its picture
    // is read.
    bool PaintOnDemand = false;

    // ---- start-up and shutdown ----
    // The main window's load handler: settings, recent menu, menu enabling.
    void MainLoad();
    // Start routine steps 4 and 5.
    void InitStartValues();
    // Step 6: the recovery question and restore; stores the marker "1".
    void RestoreRecovery();
    // Shutdown step 2: marker "0", recovery copies deleted.
    void NormalEnd();
    std::string IniPath() const;

    // ---- rows ----
    const std::vector<std::unique_ptr<RowDoc>>& Rows() const { return rows_; }
    RowDoc* ActiveRow() const { return active_; }
    RowDoc* FindRow(int id) const;
    RowDoc* RowOfSlot(int slot) const;
    int OpenRowCount() const;

    RowDoc* LoadNewDoc();
    RowDoc* DoFileNew();
    void DoFileOpen(const std::string& path);
    // Loads path into the row; false when LoadTab reported an error (shown).
    bool OpenTabIntoWindow(RowDoc& row, const std::string& path, bool noRedraw);
    // Reads path as a row without touching any open row; false with the
    // reason when it cannot be opened. A file that fails here opens no row.
    bool TabReadable(const std::string& path, std::string& error) const;
    void ActivateProc(RowDoc& row);
    // Closes a row; a changed row is asked about first (Yes saves it, No
    // discards the changes, Cancel keeps it open). False when it stays open:
    // cancelled, or its save failed or its file dialog was cancelled.
    bool CloseRow(RowDoc& row);
    // Saves the active row; the file dialog when it has no file or AskSave
    // is set. addToProject: a row saved for the first time joins the open
    // project (not while the project's last row is being closed).
    bool SaveTabFile(bool addToProject = true);
    // True when the row holds something its file (or a new row) does not.
    bool IsRowChanged(RowDoc& row);
    // The one path every change to the active row takes: the row is marked
    // changed (or unchanged again) and its recovery copy follows it.
    void RowEdited();
    // "元に戻す(&U)" / "やり直し": the active row as before its last change, or
    // again as after it. False when there is nothing to undo or redo.
    bool Undo();
    bool Redo();
    // "フレット設定(&F)": the note-entry dialog, when a row is open.
    void menuWindowFlet();
    // "保存(&S)" and "TABﾌｧｲﾙに保存する(&T)".
    bool FileSave();
    bool FileSaveTab();
    void FileSaveAll();
    // false when a row refused to close.
    bool FileCloseAll();
    void FileClose();
    // Closes every row (program end / project open); false when one refused.
    bool CloseAllRows();
    void ChgMenuEnable(bool state);
    // "最新の情報に更新(&R)" and "リズム譜を書きなおす"; nothing without a row.
    void mnuViewRefresh();
    void mnuViewReDraw();
    // Before the score is composed: companions hidden, every row laid out anew.
    void HanelAll();
    // "楽譜作成(&G)" (mode "0": whole rows) and the staff-only command (mode
    // "1": the upper half of each row): every row painted anew and the rows
    // stacked in row order into the score picture (picGakufu). More rows
    // than one picture holds are told with "@0026"/"@0027" unless allPages,
    // which puts them on further pictures (GakufuPages). False without rows.
    bool CreateGakufu(const std::string& mode, bool allPages = false);
    std::vector<QImage> GakufuPages;   // picGakufu is the first
    int GakufuRowCount = 0;
    // The open rows in the order of their numbers.
    std::vector<RowDoc*> RowsInOrder() const;
    // The spinner moved by the user. Hiding measures that hold notes is asked
    // first; No leaves the count as it was.
    void VScroll1Change(int value);
    void SetmenuMeter(int code);
    // The time-signature menu: a change of the active row.
    void MeterMenu(int code);
    void SetPosRhythm(int style);
    // "音符を描画する": notes on the five-line staff in every open row.
    void SetDrawNote(bool on);

    // "新規作成(&N)" and "開く(&O)": with a project open a new row or a row
    // file at once; without one the set-up wizard, whose OK does that.
    void CmdNew();
    void CmdOpen();

    // ---- projects ----
    void NewProjectFile();
    void DoFileProjectOpen(const std::string& path, bool touchRecent = true);
    void AddProjectFile(const std::string& slotText, const std::string& filePath);
    void DoEditAddProject() { DoFileOpen(""); }
    void DoEditDelProject();
    // A row saved under another name: the project line naming its old file
    // names the new one.
    void RenameInProject(const std::string& oldPath, const std::string& newPath);
    void EditProjectFile();
    void RerekiUpdate(const std::string& path);
    void BuildRecentMenu();
    void OpenRecent(int i);
    struct ProjectListItem {
        std::string FileName, Caption, Path;
    };
    std::vector<ProjectListItem> ProjectListItems() const;

    // ---- recovery ----
    std::string RecoveryFolder() const;
    std::string RecoveryFileOf(int seq) const;
    bool SaveRecoveryTabFile();
    void ClearRecovery();
    int NextRecoverySeq() const { return recoveryCounter_; }

    // ---- measure commands of the Edit menu and the frame pop-up ----
    // "１小節目を削除する" ... "８小節目を削除する": clears measure m of the active row.
    void DeleteSyosetsuCmd(int measure);
    // "削除(&D)" of the repeat-mark pop-up.
    void DeleteRepMark(RowDoc& row, int markIndex);
    // Repaints a row whose scene or items changed.
    void RowChanged(RowDoc& row);

    // ---- events of the clsKoComm object the main window holds ----
    void ActiveteDocument(int16_t& Index) override;
    void KoTabAreaOK() override;
    void KoTabAreaRefresh() override;

    // ---- RowPort for the row editors ----
    void WriteRecovery() override { RowEdited(); }
    void RowModified() override { RowEdited(); }
    void NoteEntryShow() override;
    void NoteEntryHide() override {}
    void SetNowData(int measure, int position) override;
    void SetNowData_kyf(int measure, int position) override;
    void MoveKoSetForm(int measure, int cellIndex, double, double, int mode) override;
    void SetUpdateTag(const std::string& tag) override;
    void SetUpdateEnabled(bool enabled) override;
    bool IsUpdateEnabled() const override { return Entry.UpdateEnabled; }
    void SetRestButtons(const std::string& tag, bool enabled) override;
    void SetBefore(const std::string& x, const std::string& y) override;
    void SelectTab(int tab) override;
    void ClearFlet() override;
    void SetFletPosNo(int string, int item) override;
    void SelectStringFret(int string, int fret) override;
    void UpdateProc() override { Entry.UpdateProc(); }
    void FinishDropEntry() override;
    void ShowNotePopup() override;
    bool StaffPointToStringFret(double x, double y, int& string, int& fret) override;
    bool PutRhythm(const std::string& what) override;
    bool RedrawRow() override;
    void PutKeySignature() override;

    // ---- NoteEntryHost ----
    RowEditor* ActiveEditor() override;
    void NoteRowEdited() override { RowEdited(); }
    void NoteUndo() override { Undo(); }
    void Show3renOption(bool show) override;
    void MoveKoSetForm(int measure, int cellIndex, bool force) override;
    void AsistoTransparent() override;
    void Refuse(const std::string& why) override;
    void BringRowToFront(int slot) override;
    void ShowFramePopup() override;
    void ShowRepMarkPopup(int markIndex) override;
    bool StaffShown() const override;
    int StaffLine(int string, int fret) override;

    // ---- KoComm commands: MIDI playback and the row-area dialog ----
    // "MIDIで再生(&M)": with a row open, writes "Interface.tab" of every row
    // into the current folder and gives obj the active row's settings for
    // Show_KoMIDI. False (shown) when no row is open or the file fails.
    bool PreparePlayback(clsKoComm& obj);
    // "TAB領域設定(&A)...": with a row open, the row-area picking tool
    // (EditMode 1) and the object's settings for Show_KoTabArea.
    bool PrepareTabArea(clsKoComm& obj);
    // The object of the open row-area dialog, which receives the clicks of
    // the picking tool (null: none).
    std::function<clsKoComm*()> RowAreaObject;
    void RowAreaPick(double x, double y) override;
    // After the row-area dialog's OK: every open row laid out anew on the
    // new geometry; the active row stays active.
    void RelayoutRows();

    // ---- exports for other music programs ----
    // "MusicXMLで書き出す...": the open rows in row order as one MusicXML
    // score, to a file the user names. False when nothing was written (no
    // row, cancelled, or the write failed: shown).
    bool ExportMusicXml();
    // "MIDIファイルで書き出す...": what the Midi Player plays for the open
    // rows (its start values: tempo 100, instrument 1, base note 60),
    // recorded by obj into a Standard MIDI File the user names.
    bool ExportMidiFile(clsKoComm& obj);
    // The file the last export wrote.
    std::string LastWritten;
    // "MusicXMLを読み込む...": a MusicXML file the user picks made into rows
    // and a project where the user names it, then that project opened (the
    // instrument of the file's TAB tuning chosen first).
    bool ImportMusicXml();
    // ---- document settings dialogs ----
    int RepOption = -1;   // the repeat-mark palette's option (-1: none yet)
    void ShowTextDialog(int textIndex) override;
    // The sign of palette option 0..8 with its picture's size in twips.
    bool ChosenRepMark(std::string& tag, double& width, double& height) override;
    void SetMousePointer(int pointer) override;
    // The palette's option i: EditMode 4 for a sign, 9 for the move tool.
    void ChooseRepOption(int option);
    // After the repeat-mark dialog changed the bar flags: dots and bar lines
    // placed again, one undo step.
    void RepFlagsChanged();
    // Instrument menu item i: tuning code, strings, written at once. With
    // rows open a change of the string count is refused (shown): the open
    // rows hold and save that many strings.
    bool SetInstrument(int item);
    // The chord-name dialog: bar lines and chord names of the active row
    // again after its names were stored; and one chord entered as a note at
    // the end of measure m (found: the chord has a shape; false: the redraw
    // failed).
    void ChordsStored();
    bool EnterChord(int measure, const std::string& name, bool& found);
    // The settings file read again (common settings, wizard) keeping the
    // measure boxes of every open row, the active one too: bar lines moved
    // by hand stay while the row geometry is the same.
    void ReloadSettings() { ReadSettings(nullptr); }
    // After the common settings: the font sizes written to the settings
    // file and every row drawn again with them.
    void CommonSettingsStored();

private:
    void Notify();
    void DeleteRecoveryFileOf(const RowDoc& row);
    // The row serialised as its file would hold it, whether or not it is active.
    std::string ImageOf(RowDoc& row);
    // Closes a row without any question (a file that failed to load).
    void DiscardRow(RowDoc& row);
    // Loads a row from what load() reads into it; the file's measure count
    // and bar positions win over the current ones.
    bool LoadIntoRow(RowDoc& row, const std::string& name, bool noRedraw,
                     const std::function<LoadTabResult(const MeasureCountChanged&)>& load);
    // Every open row in the current layout style and note drawing.
    void RestyleRows();
    // Where the ground pictures are read: the program folder.
    std::string GroundFolder() const;
    // The row whose editor is working: the one of the active slot.
    RowDoc* EditingRow() const;
    // The row changed: its picture is painted anew and the view shows it.
    void Repaint(RowDoc& row);
    // Paints the row's picture, or only marks it stale while painting on
    // demand.
    void PaintOrMark(RowDoc& row);
    // Paints the picture of a row marked stale.
    void PaintIfStale(RowDoc& row);
    // The row as it is now is what its file holds: unchanged, no history.
    void ResetHistory(RowDoc& row);
    bool RestoreImage(bool undo);
    // The row's changed mark and recovery copy for what it holds now (image).
    void FollowSavedState(RowDoc& row, const std::string& image);
    bool WriteRecoveryCopy(const RowDoc& row, const std::string& image);
    // Every open row's mark, copy and history after a change that reached
    // them all (the row area).
    void FollowRowsSavedState();
    // An undo step when the row (image) differs from what it held.
    void RecordStep(RowDoc& row, const std::string& image);
    void AfterMeasureCountChange();
    void ResetAllSlots();
    void InitRecoveryCounter();

    UiPort& ui_;
    UserStore& store_;
    ShellView* view_ = nullptr;
    std::vector<std::unique_ptr<RowDoc>> rows_;   // creation order
    std::vector<int> zorder_;                     // ids, front last
    RowDoc* active_ = nullptr;
    int nextId_ = 1;
    int recoveryCounter_ = 0;
    bool recoveryCounterSet_ = false;
    void ResetEditMode();
    // ReadIniSettings; the measure boxes of open rows other than target are
    // kept (target null: every open row keeps its boxes).
    void ReadSettings(RowDoc* target);
    // The measure-count change; relayout is the row whose boxes are laid out
    // anew for the new count (null: none, the count follows an activation).
    void ApplyMeasureCount(int value, RowDoc* relayout);
};


}  // namespace lw
