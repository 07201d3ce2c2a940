#include "shell.h"

#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "messages.h"
#include "musicxml_writer.h"
#include "new_row_settings.h"
#include "paths.h"
#include "play_command.h"
#include "row_pictures.h"
#include "row_restyle.h"
#include "score.h"
#include "stamps.h"
#include "safe_file.h"
#include "settings.h"
#include "tab_file.h"
#include "text_codec.h"

namespace fs = std::filesystem;

namespace lw {

namespace {
constexpr size_t kUndoSteps = 200;  // per row
}

const std::array<const char*, 5> kPosRhythmCaptions = {
    "リズム譜は５線譜の下", "リズム譜はTAB譜の下", "TAB譜のみ、リズム譜はTAB譜の下",
    "TAB譜のみ、リズム譜はTAB譜の上", "TAB譜のみ、リズム譜なし"};

namespace {

// Two paths name the same file (the project's lines may be relative or
// spelt otherwise than the row's own path).
bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

std::string TwoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

// Leading number of a caption such as "10段目"; 0 when there is none.
int LeadingNumber(const std::string& text) {
    int n = 0;
    size_t i = 0;
    while (i < text.size() && i < 4 && text[i] >= '0' && text[i] <= '9') n = n * 10 + (text[i++] - '0');
    return n;
}

std::string AbsolutePath(const std::string& p) {
    if (p.empty()) return p;
    std::error_code ec;
    fs::path a = fs::absolute(fs::path(p), ec);
    return ec ? p : a.lexically_normal().string();
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    std::string why;
    if (ReadRegularFile(path, kMaxProjectFileBytes, bytes, why)) return true;
    if (error) *error = why;
    return false;
}

}  // namespace

// ---------------------------------------------------------------- version

#ifndef LW_VERSION_MAJOR
#define LW_VERSION_MAJOR 0
#define LW_VERSION_MINOR 0
#define LW_VERSION_PATCH 0
#endif

std::string VersionCaption() {
    return "Version " + std::to_string(LW_VERSION_MAJOR) + "." + std::to_string(LW_VERSION_MINOR) + "." +
           std::to_string(LW_VERSION_PATCH);
}

std::string VersionDigits() {
    return std::to_string(LW_VERSION_MAJOR) + std::to_string(LW_VERSION_MINOR) + std::to_string(LW_VERSION_PATCH);
}

// ---------------------------------------------------------------- RowDoc

int RowDoc::Slot() const { return Tag.size() >= 2 ? LeadingNumber(Tag.substr(0, 2)) : 0; }
int RowDoc::RowNumber() const { return LeadingNumber(Caption); }
std::string RowDoc::Path() const {
    std::string p = Tag.size() > 2 ? Tag.substr(2) : std::string();
    return p == "none" ? std::string() : p;
}

// ---------------------------------------------------------------- Shell

Shell::Shell(UiPort& ui, UserStore& store) : ui_(ui), store_(store) {
    ProgramFolder = CurrentFolder();
    LastDir = ProgramFolder;
    for (auto& k : s.KeyName) k = "C";
}

Shell::~Shell() = default;

void Shell::Notify() {
    if (view_) view_->StateChanged();
}

std::string Shell::IniPath() const { return JoinPath(ProgramFolder, "Lutewise.ini"); }

RowDoc* Shell::FindRow(int id) const {
    for (auto& r : rows_)
        if (r->Id == id) return r.get();
    return nullptr;
}

RowDoc* Shell::RowOfSlot(int slot) const {
    for (auto& r : rows_)
        if (!r->Closing && r->Slot() == slot) return r.get();
    return nullptr;
}

int Shell::OpenRowCount() const { return static_cast<int>(rows_.size()); }

// ---------------------------------------------------------------- start-up

void Shell::MainLoad() {
    s.MaxStringIx = 3;
    g.Entry.CurNoteLengthID = 2;
    ReadIniSettings(s, ui_, IniPath());
    BuildRecentMenu();
    ChgMenuEnable(false);
}

void Shell::InitStartValues() {
    s.VersionText = VersionDigits();
    s.CurSyosetsuCnt = 4;
    s.MeterID = 22;
    labMeter = MeterCaption(22);
    ProgramFolder = CurrentFolder();
    Notify();
}

void Shell::InitRecoveryCounter() {
    if (recoveryCounterSet_) return;
    recoveryCounterSet_ = true;
    // Copies left by an earlier run keep their names: a new row never
    // overwrites one of them, whether or not they are restored.
    int next = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator(RecoveryFolder(), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.rfind("#rec", 0) != 0) continue;
        int n = LeadingNumber(name.substr(4));
        if (name.size() > 4 && name[4] >= '0' && name[4] <= '9') next = std::max(next, n + 1);
    }
    recoveryCounter_ = next;
}

void Shell::RestoreRecovery() {
    InitRecoveryCounter();
    const std::string marker = store_.Get("Recovery", "0");
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::directory_iterator(RecoveryFolder(), ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        if (it->is_regular_file()) files.push_back(it->path());
    // Without a copy there is nothing to offer: the question and the
    // "restored" notice would both be untrue.
    if (!marker.empty() && marker != "0" && !files.empty()) {
        const std::string q = std::string("@0006") + kMsgBreak + "@0007";
        if (ShowMsg(ui_, q, "36", kRecoveryTitle) == kIdYes) {
            std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
                std::string x = a.filename().string(), y = b.filename().string();
                int nx = x.size() > 4 ? LeadingNumber(x.substr(4)) : 0;
                int ny = y.size() > 4 ? LeadingNumber(y.substr(4)) : 0;
                return nx != ny ? nx < ny : x < y;
            });
            for (auto& f : files) {
                // A copy that cannot be read is named and left in the folder;
                // it opens no row.
                std::string err;
                if (!TabReadable(f.string(), err)) {
                    ShowMsg(ui_, f.string() + kMsgBreak + err, "16");
                    continue;
                }
                RowDoc* row = DoFileNew();
                if (!row) continue;
                // A restored copy keeps its name: the row's next copies replace
                // it and closing the row removes it, so a later restore never
                // brings back a stale or discarded duplicate.
                const std::string name = f.filename().string();
                if (name.size() > 4 && name.rfind("#rec", 0) == 0 && name[4] >= '0' && name[4] <= '9') {
                    const int seq = LeadingNumber(name.substr(4));
                    if (RecoveryFileOf(seq) == f.string()) {
                        // The number just drawn was never used: give it back.
                        if (row->RecoverySeq == recoveryCounter_ - 1) --recoveryCounter_;
                        row->RecoverySeq = seq;
                    }
                }
                OpenTabIntoWindow(*row, f.string(), false);
                // What the copy holds was never saved to a file.
                row->SavedImage.clear();
                row->Modified = true;
                RowChanged(*row);
            }
            ShowMsg(ui_, std::string("@0008") + kMsgBreak + "@0009", "0", kRecoveryTitle);
        }
    }
    store_.Set("Recovery", "1");
}

void Shell::NormalEnd() {
    store_.Set("Recovery", "0");
    ClearRecovery();
}

// ---------------------------------------------------------------- rows

RowDoc* Shell::LoadNewDoc() {
    int highest = 0;
    for (auto& r : rows_) highest = std::max(highest, r->RowNumber());
    s.DocCount = highest + 1;
    if (s.DocCount > 10) {
        ShowMsg(ui_, "@0029");
        return nullptr;
    }
    InitRecoveryCounter();
    auto row = std::make_unique<RowDoc>();
    RowDoc& r = *row;
    r.Id = nextId_++;
    r.Caption = std::to_string(s.DocCount) + "段目";
    const int slot = s.DocCount - 1;
    r.Tag = TwoDigits(slot) + "none";
    rows_.push_back(std::move(row));
    const int offset = (s.DocCount - 1) * 400;
    r.Moved = view_ ? view_->CreateRowWindow(r, offset, offset) : true;
    // The window's load handler.
    ChgMenuEnable(true);

    // The piece goes on as the row before it: its key, and in a project its
    // time signature and measure count.
    const NewRowSettings start = SettingsForNewRow(s, highest - 1, !CurProject.empty() && !ProjectLoading);
    s.CurDanIx = static_cast<int16_t>(slot);
    s.CurSyosetsuCnt = static_cast<int16_t>(start.measures);
    if (start.meter != s.MeterID && IsValidMeterId(start.meter)) SetmenuMeter(start.meter);
    s.DanBuf[slot].SyosetsuCnt = s.CurSyosetsuCnt;
    // A new row starts in the time signature chosen above; a file read into
    // it brings its own.
    s.DanBuf[slot].MeterID = s.MeterID;
    for (auto& m : s.DanBuf[slot].Syosetsu) ResetMeasure(m);
    // A new row starts without the repeat sign a closed row left in its slot.
    s.DanBuf[slot].TopRepStart = 0;
    s.DanLayout[slot].RowStartLead = 0;
    r.Closing = false;
    r.RecoverySeq = recoveryCounter_++;
    ReadSettings(&r);
    s.KeyName[slot] = start.key;
    r.Editor = std::make_unique<RowEditor>(s, g, r.Scene, r.Items, ui_, *this, slot);
    g.DrawNote = DrawNote;
    PrepareRowGround(s, r, DrawNote, GroundFolder());
    PlaceRowKeySignature(s, r, DrawNote);
    if (view_) {
        view_->PrepareRowPicture(r, r.Moved);
        view_->ShowRowWindow(r);
    }
    ActivateProc(r);
    return &r;
}

RowDoc* Shell::DoFileNew() {
    RowDoc* row = LoadNewDoc();
    if (!row) return nullptr;
    row->Editor->LoadKugiri();
    ResetHistory(*row);
    if (!ProjectLoading) {
        NoteEntryShow();
        if (view_) view_->ShowRepMarkPalette();
    }
    Repaint(*row);
    return row;
}

void Shell::CmdNew() {
    if (!CurProject.empty() || !view_ || !view_->RunWizard(0)) DoFileNew();
}
void Shell::CmdOpen() {
    if (!CurProject.empty() || !view_ || !view_->RunWizard(1)) DoFileOpen("");
}

void Shell::DoFileOpen(const std::string& given) {
    std::string path = given;
    if (path.empty()) {
        path = ui_.OpenFileName(kTabFilter, LastDir);
        if (path.empty()) return;
        LastDir = FolderOf(AbsolutePath(path));
    }
    path = AbsolutePath(path);
    // A file that cannot be read opens no row: a row bound to a fragment of
    // it would overwrite the file with the fragment on the next save.
    std::string err;
    if (!TabReadable(path, err)) {
        ShowMsg(ui_, path + kMsgBreak + err, "16");
        return;
    }
    RowDoc* row = DoFileNew();
    if (!row) return;
    row->Tag = row->SlotText() + path;
    if (!OpenTabIntoWindow(*row, path, false)) {
        DiscardRow(*row);
        return;
    }
    if (!CurProject.empty()) AddProjectFile(row->SlotText(), path);
    Notify();
}

bool Shell::TabReadable(const std::string& path, std::string& error) const {
    // The whole session is copied, so the reader sees the settings an open
    // row would be read with and nothing open is touched.
    auto scratch = std::make_unique<Session>(s);
    RowItems items;
    const LoadTabResult res = LoadTab(*scratch, items, path);
    if (res.ok) return true;
    error = res.error.empty() ? "読み込めませんでした。" : res.error;
    return false;
}

void Shell::DiscardRow(RowDoc& row) {
    const bool ask = AskSave;
    AskSave = false;
    CloseRow(row);
    AskSave = ask;
}

bool Shell::OpenTabIntoWindow(RowDoc& row, const std::string& path, bool noRedraw) {
    const bool ok = LoadIntoRow(row, path, noRedraw, [this, &row, &path](const MeasureCountChanged& onCount) {
        return LoadTab(s, row.Items, path, onCount);
    });
    ResetHistory(row);
    Repaint(row);
    Notify();
    return ok;
}

void Shell::ResetHistory(RowDoc& row) {
    row.UndoImages.clear();
    row.RedoImages.clear();
    row.CurrentImage = row.SavedImage = ImageOf(row);
    row.Modified = false;
}

bool Shell::LoadIntoRow(RowDoc& row, const std::string& path, bool noRedraw,
                        const std::function<LoadTabResult(const MeasureCountChanged&)>& load) {
    const int slot = row.Slot();
    s.CurDanIx = static_cast<int16_t>(slot);
    row.Editor->InVisibleLabPos();
    row.Editor->InVisibleLabInx();
    row.Items.Clear();
    // A header with another measure count lays the boxes out for it before
    // the measure records are read; the positions stored in the file then
    // replace them, whatever they are.
    auto countChanged = [this, &row](Session&) {
        s.CurSyosetsuCnt = static_cast<int16_t>(std::clamp<int>(s.CurSyosetsuCnt, 1, kMaxMeasures));
        VScroll1Value = 9 - s.CurSyosetsuCnt;
        lblSyou = "小節数:" + std::to_string(s.CurSyosetsuCnt);
        ReadSettings(&row);
    };
    LoadTabResult res = load(countChanged);
    if (!res.ok) {
        std::string msg = path + kMsgBreak + (res.error.empty() ? "読み込めませんでした。" : res.error);
        ShowMsg(ui_, msg, "16");
    }
    s.CurDanIx = static_cast<int16_t>(slot);
    s.CurSyosetsuCnt = static_cast<int16_t>(std::clamp<int>(s.CurSyosetsuCnt, 1, kMaxMeasures));
    s.DanBuf[slot].SyosetsuCnt = s.CurSyosetsuCnt;
    if (IsValidMeterId(s.MeterID)) SetmenuMeter(s.MeterID);
    if (9 - s.CurSyosetsuCnt != VScroll1Value) {
        VScroll1Value = 9 - s.CurSyosetsuCnt;
        lblSyou = "小節数:" + std::to_string(s.CurSyosetsuCnt);
    }
    row.Editor->UnLoadRepten();
    row.Editor->UnLoadKugiliLine();
    row.Editor->LoadKugiri();
    UpdateRowStart(s, row, DrawNote);
    if (!noRedraw) row.Editor->ReLayoutTAB("all");
    row.Editor->LoadChord();
    PlaceRowKeySignature(s, row, DrawNote);
    return res.ok;
}

void Shell::ActivateProc(RowDoc& row) {
    if (row.Closing) return;
    if (row.Tag.empty()) {
        CloseRow(row);
        return;
    }
    if (active_ != &row) {
        // The keyboard cursor starts at the beginning of another row.
        Entry.CursorM = 0;
        Entry.CursorP = 1;
        Entry.UpdateEnabled = Entry.RestButtonsEnabled = false;
    }
    active_ = &row;
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), row.Id), zorder_.end());
    zorder_.push_back(row.Id);
    s.CurDanIx = static_cast<int16_t>(row.Slot());
    // The time signature shown is the active row's own.
    s.MeterID = s.CurDan().MeterID;
    if (IsValidMeterId(s.MeterID)) labMeter = MeterCaption(s.MeterID);
    const int cnt = std::clamp<int>(s.DanBuf[s.CurDanIx].SyosetsuCnt, 1, kMaxMeasures);
    // The row's measure boxes already fit its own count; they are laid out
    // anew only when a change of the row geometry left them stale.
    const bool stale = row.BoxesStale;
    if (9 - cnt != VScroll1Value || stale) ApplyMeasureCount(9 - cnt, stale ? &row : nullptr);
    // Laid out anew for another geometry, the row holds what its file does not.
    if (stale) FollowSavedState(row, ImageOf(row));
    Notify();
}

void Shell::BringRowToFront(int slot) {
    if (RowDoc* r = RowOfSlot(slot)) {
        if (view_) view_->BringRowToFront(*r);
        ActivateProc(*r);
    }
}

void Shell::DeleteSyosetsuCmd(int measure) {
    if (!IsDanOpen(OpenRowCount(), 1) || !active_ || !active_->Editor) return;
    if (measure < 0 || measure >= s.CurSyosetsuCnt) return;
    active_->Editor->DeleteSyosetsu(measure);
    RowChanged(*active_);
}

std::string Shell::ImageOf(RowDoc& row) {
    const int16_t dan = s.CurDanIx, cnt = s.CurSyosetsuCnt;
    s.CurDanIx = static_cast<int16_t>(row.Slot());
    if (&row != active_) s.CurSyosetsuCnt = s.DanBuf[s.CurDanIx].SyosetsuCnt;
    std::string image = SerializeTab(s, row.Items);
    s.CurDanIx = dan;
    s.CurSyosetsuCnt = cnt;
    return image;
}

bool Shell::IsRowChanged(RowDoc& row) {
    // A row is changed exactly when its saved form would differ from its
    // file; a change that came another way than RowEdited is found here and
    // the mark and the recovery copy follow it.
    const std::string image = ImageOf(row);
    if ((image != row.SavedImage) != row.Modified) {
        FollowSavedState(row, image);
        Notify();
    }
    return row.Modified;
}

void Shell::FollowRowsSavedState() {
    for (auto& r : rows_) {
        if (r->Closing) continue;
        RowDoc& row = *r;
        const std::string image = ImageOf(row);
        RecordStep(row, image);
        FollowSavedState(row, image);
    }
    Notify();
}

void Shell::RecordStep(RowDoc& row, const std::string& image) {
    if (image == row.CurrentImage) return;
    // One undo step per change; a new change ends what could be redone.
    row.UndoImages.push_back(std::move(row.CurrentImage));
    if (row.UndoImages.size() > kUndoSteps) row.UndoImages.erase(row.UndoImages.begin());
    row.RedoImages.clear();
    row.CurrentImage = image;
}

void Shell::RowEdited() {
    if (!active_ || active_->Closing) return;
    RowDoc& row = *active_;
    s.CurDanIx = static_cast<int16_t>(row.Slot());
    const bool was = row.Modified;
    const std::string image = ImageOf(row);
    RecordStep(row, image);
    FollowSavedState(row, image);
    // The picture follows the row.
    Repaint(row);
    if (was != row.Modified) Notify();
}

void Shell::FollowSavedState(RowDoc& row, const std::string& image) {
    const bool was = row.Modified;
    row.Modified = image != row.SavedImage;
    // The window's caption mark follows.
    if (was != row.Modified && view_) view_->RowContentChanged(row);
    // A copy is kept exactly while the row holds what no file does.
    if (row.Modified)
        WriteRecoveryCopy(row, image);
    else
        DeleteRecoveryFileOf(row);
}

bool Shell::WriteRecoveryCopy(const RowDoc& row, const std::string& image) {
    std::error_code ec;
    fs::create_directories(RecoveryFolder(), ec);
    std::string err;
    const std::string path = RecoveryFileOf(row.RecoverySeq);
    if (!WriteFileReplacing(path, image, &err)) {
        ShowMsg(ui_, "リカバリー情報を書き込めませんでした。" + std::string(kMsgBreak) + path + kMsgBreak + err, "16");
        return false;
    }
    return true;
}

bool Shell::Undo() { return RestoreImage(true); }
bool Shell::Redo() { return RestoreImage(false); }

bool Shell::RestoreImage(bool undo) {
    if (!active_ || active_->Closing) return false;
    RowDoc& row = *active_;
    auto& from = undo ? row.UndoImages : row.RedoImages;
    auto& to = undo ? row.RedoImages : row.UndoImages;
    if (from.empty()) return false;
    std::string image = std::move(from.back());
    from.pop_back();
    to.push_back(row.CurrentImage);
    // The row is read back whole, as into a new window: nothing of what it
    // holds now may stay behind, except what no file holds: which closing
    // bar lines are placed.
    std::array<int16_t, kMeasureSlots> barVisible{};
    for (int m = 0; m < kMeasureSlots; ++m) barVisible[m] = s.DanBuf[row.Slot()].Syosetsu[m].BarVisible;
    ResetRow(s.DanBuf[row.Slot()]);
    for (int m = 0; m < kMeasureSlots; ++m) s.DanBuf[row.Slot()].Syosetsu[m].BarVisible = barVisible[m];
    LoadIntoRow(row, row.Caption, false, [this, &row, &image](const MeasureCountChanged& onCount) {
        return LoadTabFromBytes(s, row.Items, image, row.Caption, onCount);
    });
    row.CurrentImage = ImageOf(row);
    // Undone or redone, the row is changed (or back as saved) and its copy follows.
    const bool was = row.Modified;
    FollowSavedState(row, row.CurrentImage);
    Entry.ReloadSelected();
    Entry.SetCursor(Entry.CursorM, Entry.CursorP, Entry.CursorString);
    if (was != row.Modified) Notify();
    RowChanged(row);
    return true;
}

void Shell::menuWindowFlet() {
    if (OpenRowCount() > 0) NoteEntryShow();
}

void Shell::NoteEntryShow() {
    if (view_ && !g.KeepNoteEntryHidden) view_->ShowNoteEntry(true);
}

void Shell::SetNowData(int measure, int position) {
    Entry.SetNowData(measure, position);
    // A click on a position puts the keyboard cursor there too.
    Entry.CursorM = measure;
    Entry.CursorP = position;
}

void Shell::SetNowData_kyf(int measure, int position) {
    Entry.SetNowData_kyf(measure, position);
    Entry.CursorM = measure;
    Entry.CursorP = position;
}

void Shell::MoveKoSetForm(int measure, int cellIndex, double, double, int mode) {
    MoveKoSetForm(measure, cellIndex, mode != 0);
}

void Shell::MoveKoSetForm(int measure, int cellIndex, bool force) {
    if (view_) view_->PlaceNoteEntry(measure, cellIndex, force);
}

void Shell::SetUpdateTag(const std::string& tag) { Entry.UpdateTag = tag; }

void Shell::SetUpdateEnabled(bool enabled) {
    Entry.UpdateEnabled = enabled;
    if (enabled) Entry.Live = true;
    Entry.Notify();
}

void Shell::SetRestButtons(const std::string& tag, bool enabled) {
    Entry.UpdateTag = tag;
    Entry.RestButtonsEnabled = enabled;
    Entry.Notify();
}

void Shell::SetBefore(const std::string& x, const std::string& y) {
    g.Entry.BeforeX = x;
    g.Entry.BeforeY = y;
}

void Shell::SelectTab(int tab) {
    Entry.Tab = tab;
    Entry.Notify();
}

void Shell::ClearFlet() {
    // A click on an empty place clears the fret choice only; the rhythm and
    // the check boxes stay for the note that follows.
    Entry.ClearFlet2();
    Entry.Notify();
}

void Shell::SetFletPosNo(int string, int item) {
    Entry.SetFletPosNo(string, item);
    Entry.SetNoteData();
    Entry.Notify();
}

void Shell::SelectStringFret(int string, int fret) {
    Entry.ClearFlet2();
    Entry.SetFletPosNo(string, fret + 1);
    Entry.SetNoteData();
    Entry.Notify();
}

void Shell::FinishDropEntry() {
    Entry.UpdateEnabled = false;
    Entry.Notify();
}

void Shell::ShowNotePopup() {
    if (view_) view_->ShowNotePopup();
}

RowEditor* Shell::ActiveEditor() {
    if (!active_ || active_->Closing) return nullptr;
    s.CurDanIx = static_cast<int16_t>(active_->Slot());
    return active_->Editor.get();
}

void Shell::Show3renOption(bool show) {
    if (view_) view_->ShowTripletOptions(show);
}

void Shell::Refuse(const std::string& why) {
    if (view_) view_->Refused(why);
}

void Shell::AsistoTransparent() {
    if (!active_) return;
    active_->Scene.labAsisto.BackStyle = 0;
    RowChanged(*active_);
}

void Shell::DeleteRepMark(RowDoc& row, int markIndex) {
    if (markIndex < 1 || markIndex >= static_cast<int>(row.Items.RepMarks.size())) return;
    // Only visible marks belong to the row; a hidden one is not saved.
    row.Items.RepMarks[markIndex].Visible = false;
    if (&row == active_) RowEdited();
    RowChanged(row);
}

void Shell::RowChanged(RowDoc& row) {
    Repaint(row);
}

void Shell::ShowFramePopup() {
    if (view_) view_->ShowFramePopup();
}

void Shell::ShowRepMarkPopup(int markIndex) {
    if (view_ && active_) view_->ShowRepMarkPopup(*active_, markIndex);
}

bool Shell::CloseRow(RowDoc& row) {
    if (row.Closing) return true;
    // The save question comes first, and only for a row that holds changes:
    // a row whose save fails or is cancelled stays open and nothing else
    // changes.
    if (AskSave && row.Caption != "frmDocument" && IsRowChanged(row)) {
        const std::string path = row.Path();
        const std::string q = row.Caption + "をTABﾌｧｲﾙに保存しますか？" + kMsgBreak +
                              (path.empty() ? std::string("（まだﾌｧｲﾙに保存されていません）") : path);
        const int answer = ShowMsg(ui_, q, "35");
        if (answer == kIdCancel) return false;
        if (answer == kIdYes) {
            if (view_) view_->BringRowToFront(row);
            ActivateProc(row);
            // A row with a file is saved to it; the dialog only for a row
            // without one. The project's last row is closing the project, so
            // it is saved without joining it.
            const bool last = OpenRowCount() < 2;
            AskSave = false;
            const bool saved = SaveTabFile(!last);
            AskSave = true;
            if (!saved) return false;
        }
    }
    row.Closing = true;
    Notify();  // its optDanNo button goes
    ChgMenuEnable(false);
    if (OpenRowCount() < 2) {
        if (view_) view_->CloseCompanions();
        CurProject.clear();
    }
    DeleteRecoveryFileOf(row);
    const int id = row.Id;
    const bool wasActive = active_ == &row;
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), id), zorder_.end());
    // The row used just before this one comes back to the front; chosen now,
    // because the window system may activate a window of its own choice
    // while this one goes.
    const int nextId = zorder_.empty() ? 0 : zorder_.back();
    if (view_) view_->DestroyRowWindow(row);
    if (active_ == &row) active_ = nullptr;
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), id), zorder_.end());
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [id](auto& r) { return r->Id == id; }), rows_.end());
    if (wasActive || !active_) {
        if (RowDoc* next = FindRow(nextId)) {
            if (view_) view_->BringRowToFront(*next);
            ActivateProc(*next);
        }
    }
    Notify();
    if (view_) view_->RefreshProjectList();
    return true;
}

bool Shell::SaveTabFile(bool addToProject) {
    if (!active_) return false;
    RowDoc& row = *active_;
    s.CurDanIx = static_cast<int16_t>(row.Slot());
    std::string path = row.Path();
    const std::string oldPath = path;
    const bool hadFile = !path.empty();
    if (path.empty() || AskSave) {
        std::string chosen = ui_.SaveFileName(kTabFilter, path.empty() ? LastDir : path);
        if (chosen.empty()) return false;
        path = AbsolutePath(chosen);
        LastDir = FolderOf(path);
    }
    std::string err;
    if (!SaveTab(s, row.Items, path, &err)) {
        ShowMsg(ui_,
                row.Caption + "を保存できませんでした。" + kMsgBreak + path + kMsgBreak +
                    (err.empty() ? std::string("書き込みエラー") : err),
                "16");
        return false;
    }
    // The row now holds the file it was saved to, also when it was saved
    // under another name: the next save goes there.
    row.Tag = row.SlotText() + path;
    row.SavedImage = ImageOf(row);
    row.Modified = false;
    DeleteRecoveryFileOf(row);
    if (!hadFile) {
        if (!CurProject.empty() && addToProject) AddProjectFile(row.SlotText(), path);
    } else if (oldPath != path && !CurProject.empty()) {
        RenameInProject(oldPath, path);
    }
    RowChanged(row);
    Notify();
    if (view_) view_->RefreshProjectList();
    return true;
}

bool Shell::FileSave() {
    if (!active_) return false;
    AskSave = false;
    bool ok = SaveTabFile();
    AskSave = true;
    return ok;
}

bool Shell::FileSaveTab() {
    if (!active_) return false;
    return SaveTabFile();
}

void Shell::FileClose() {
    if (active_) CloseRow(*active_);
}

bool Shell::CloseAllRows() {
    const size_t n = rows_.size();
    for (size_t i = 0; i < n && !rows_.empty(); ++i) {
        RowDoc* r = active_ ? active_ : (zorder_.empty() ? rows_.back().get() : FindRow(zorder_.back()));
        if (!r) r = rows_.back().get();
        if (!CloseRow(*r)) return false;
    }
    return rows_.empty();
}

void Shell::FileSaveAll() {
    if (ShowMsg(ui_, "@0034", "36") != kIdYes) return;
    CloseAllRows();
}

bool Shell::FileCloseAll() {
    // Without a changed row there is nothing to confirm.
    bool anyChanged = false;
    for (auto& r : rows_)
        if (!r->Closing && IsRowChanged(*r)) anyChanged = true;
    if (!anyChanged) return CloseAllRows();
    if (ShowMsg(ui_, "@0031", "36") != kIdYes) {
        if (ShowMsg(ui_, "@0032", "36") == kIdYes) AskSave = false;
    }
    bool ok = CloseAllRows();
    AskSave = true;
    return ok;
}

void Shell::ChgMenuEnable(bool state) {
    if (state || OpenRowCount() <= 1) {
        Menu.Save = Menu.SaveAll = Menu.SaveTab = Menu.Close = Menu.CloseAll = state;
        if (!CurProject.empty()) Menu.ProjectAdd = Menu.ProjectDel = Menu.ProjectEdit = state;
    }
    Notify();
}

void Shell::mnuViewRefresh() {
    if (!active_ || active_->Closing) return;
    // The key may have changed: its signature and the room it takes.
    PutKeySignature();
    active_->Editor->Refresh();
    RowChanged(*active_);
}

void Shell::mnuViewReDraw() {
    if (!active_ || active_->Closing) return;
    active_->Editor->ReDraw();
    RowChanged(*active_);
}

void Shell::HanelAll() {
    if (view_) view_->HideCompanions();
    std::vector<int> ids;
    for (auto& r : rows_)
        if (!r->Closing) ids.push_back(r->Id);
    for (int id : ids) {
        RowDoc* r = FindRow(id);
        if (!r) continue;
        if (view_) view_->BringRowToFront(*r);
        ActivateProc(*r);
        r->Editor->ReLayoutTAB("all");
        RowChanged(*r);
        // Painted while the row is the active one, as the editor paints it.
        PaintIfStale(*r);
    }
}

std::vector<RowDoc*> Shell::RowsInOrder() const {
    // 1段目, 2段目, ... 10段目.
    std::vector<RowDoc*> rows;
    for (auto& r : rows_)
        if (!r->Closing && r->RowNumber() >= 1 && r->RowNumber() <= 10) rows.push_back(r.get());
    std::stable_sort(rows.begin(), rows.end(), [](RowDoc* a, RowDoc* b) { return a->RowNumber() < b->RowNumber(); });
    return rows;
}

bool Shell::CreateGakufu(const std::string& mode, bool allPages) {
    if (view_) view_->SetBusy(true, "各段をビットマップに反映中");
    HanelAll();
    if (view_) view_->SetBusy(true, "各段を統合して楽譜を作成中");
    std::vector<const QImage*> pictures;
    for (RowDoc* r : RowsInOrder()) {
        PaintIfStale(*r);
        pictures.push_back(&r->Picture);
    }
    const GakufuResult res = ComposeGakufu(pictures, s.PosRhythm, mode, allPages);
    GakufuPages = res.pages;
    GakufuRowCount = res.rowCount;
    if (view_) {
        view_->ShowNoteEntry(false);
        view_->ShowGakufu();
        view_->SetBusy(false, "");
    }
    if (res.overflow && !allPages)
        ShowMsg(ui_, "@0026" + std::string(kMsgBreak) + kMsgBreak + "@0027", "64");
    return res.rowCount > 0;
}

void Shell::ResetEditMode() {
    if (active_ && active_->Editor)
        active_->Editor->SetEditMode(kModeNormal);
    else
        g.EditMode = kModeNormal;
    if (view_) view_->ToolsReleased();
}

void Shell::ActiveteDocument(int16_t& Index) {
    int n = 0;
    for (auto& r : rows_) {
        if (r->Closing || !IsRowCaption(r->Caption)) continue;
        if (n++ == Index) {
            RowDoc& row = *r;
            if (view_) view_->BringRowToFront(row);
            ActivateProc(row);
            return;
        }
    }
}

void Shell::KoTabAreaOK() {
    ReadSettings(active_);
    if (active_ && !active_->Closing) {
        s.CurDanIx = static_cast<int16_t>(active_->Slot());
        active_->Editor->UnLoadRepten();
        active_->Editor->UnLoadKugiliLine();
        active_->Editor->LoadKugiri();
        RowChanged(*active_);
    }
    // The new geometry goes into the rows' files: they are changed.
    FollowRowsSavedState();
    ResetEditMode();
    if (view_) view_->ReleaseKoComm();
}

void Shell::KoTabAreaRefresh() {
    ResetEditMode();
    if (view_) view_->ReleaseKoComm();
}

void Shell::VScroll1Change(int value) {
    value = std::clamp(value, 1, 8);
    if (active_ && !active_->Closing && value != VScroll1Value) {
        const int newCount = 9 - value;
        const DanData& dan = s.DanBuf[active_->Slot()];
        int first = -1;
        for (int m = newCount; m < std::min<int>(s.CurSyosetsuCnt, kMaxMeasures) && first < 0; ++m)
            if (dan.Syosetsu[m].OnpuCnt > 0 || !dan.Syosetsu[m].Chord1.empty() || !dan.Syosetsu[m].Chord2.empty())
                first = m;
        if (first >= 0) {
            const std::string q = "小節数を" + std::to_string(newCount) + "にすると、" + std::to_string(first + 1) +
                                  "小節目から後の音符とコード名が表示されなくなり、保存もされません。" + kMsgBreak +
                                  "小節数を変更しますか？";
            if (ShowMsg(ui_, q, "36") != kIdYes) {
                Notify();  // the spinner goes back to the row's count
                return;
            }
        }
    }
    ApplyMeasureCount(value, active_);
    RowEdited();
}

void Shell::MeterMenu(int code) {
    if (!IsValidMeterId(code)) return;
    // Only the active row takes it; the others keep theirs.
    if (active_ && !active_->Closing) s.DanBuf[active_->Slot()].MeterID = static_cast<int16_t>(code);
    SetmenuMeter(code);
    // The notes stand where the new meter spaces them, as when the row is opened.
    if (active_ && !active_->Closing && active_->Editor) active_->Editor->ReLayoutTAB("all");
    RowEdited();
}

void Shell::ReadSettings(RowDoc* target) {
    // Reading the settings lays out the measure boxes of every slot evenly
    // for the active count. Other open rows keep theirs (their own count,
    // bar lines moved by hand, boundaries read from their files) as long as
    // the row geometry itself stayed the same.
    struct Kept {
        int id;
        DanLayoutData boxes;
    };
    std::vector<Kept> kept;
    for (auto& r : rows_)
        if (r.get() != target && !r->Closing && !r->BoxesStale) kept.push_back({r->Id, s.DanLayout[r->Slot()]});
    const DanLayoutData before = s.DanLayout[s.CurDanIx];
    ReadIniSettings(s, ui_, IniPath());
    const DanLayoutData& now = s.DanLayout[s.CurDanIx];
    const bool sameGeometry = before.TabLeft == now.TabLeft && before.TabWidth == now.TabWidth &&
                              before.TabTop == now.TabTop && before.TabHeight == now.TabHeight;
    if (target) target->BoxesStale = false;
    for (const Kept& k : kept) {
        RowDoc* r = FindRow(k.id);
        if (!r) continue;
        DanLayoutData& lay = s.DanLayout[r->Slot()];
        if (sameGeometry) {
            for (int m = 0; m < kMeasureSlots; ++m) {
                lay.SyosetsuTop[m] = k.boxes.SyosetsuTop[m];
                lay.SyosetsuLeft[m] = k.boxes.SyosetsuLeft[m];
                lay.SyosetsuHeight[m] = k.boxes.SyosetsuHeight[m];
                lay.SyosetsuWidth[m] = k.boxes.SyosetsuWidth[m];
            }
        } else if (s.DanBuf[r->Slot()].SyosetsuCnt != s.CurSyosetsuCnt) {
            // Laid out for another count: redone when the row is activated.
            r->BoxesStale = true;
        }
    }
}

void Shell::ApplyMeasureCount(int value, RowDoc* relayout) {
    value = std::clamp(value, 1, 8);
    VScroll1Value = value;
    lblSyou = "小節数:" + std::to_string(9 - value);
    s.CurSyosetsuCnt = static_cast<int16_t>(9 - value);
    s.DanBuf[s.CurDanIx].SyosetsuCnt = s.CurSyosetsuCnt;
    if (active_ && !active_->Closing) {
        ReadSettings(relayout);
        active_->Editor->UnLoadRepten();
        active_->Editor->UnLoadKugiliLine();
        active_->Editor->AfterSettingsRead();
        if (view_) view_->RowContentChanged(*active_);
    }
    Notify();
}

void Shell::SetmenuMeter(int code) {
    if (!IsValidMeterId(code)) return;
    s.MeterID = static_cast<int16_t>(code);
    labMeter = MeterCaption(code);
    Notify();
}

void Shell::SetPosRhythm(int style) {
    if (style < 1 || style > 5) return;
    s.PosRhythm = static_cast<int16_t>(style);
    RestyleRows();
}

void Shell::SetDrawNote(bool on) {
    DrawNote = on;
    RestyleRows();
}

void Shell::RestyleRows() {
    // Each row reads the geometry of the new style as the active row (the
    // settings give the active slot its own measures), gets the ground of
    // the style, is laid out anew and painted; its window follows the new
    // picture size.
    RowDoc* keep = active_;
    g.DrawNote = DrawNote;
    std::vector<int> ids;
    for (auto& r : rows_)
        if (!r->Closing && r->Editor) ids.push_back(r->Id);
    for (int id : ids) {
        RowDoc* r = FindRow(id);
        if (!r || r->Closing) continue;
        active_ = r;
        s.CurDanIx = static_cast<int16_t>(r->Slot());
        // Bar lines the row holds stay where they are while the geometry
        // of the new style is the same.
        ReadSettings(nullptr);
        g.DrawNote = DrawNote;
        UpdateRowStart(s, *r, DrawNote);
        RestyleRow(r->Render, *r->Editor, s, DrawNote, GroundFolder(), &r->GroundError);
        PaintOrMark(*r);
        if (view_) {
            view_->PrepareRowPicture(*r, true);
            view_->RowContentChanged(*r);
        }
    }
    if (keep && FindRow(keep->Id) == keep && !keep->Closing) {
        active_ = keep;
        s.CurDanIx = static_cast<int16_t>(keep->Slot());
    } else if (ids.empty()) {
        ReadSettings(nullptr);
    }
    Notify();
}

// ---------------------------------------------------------------- row pictures

std::string Shell::GroundFolder() const { return ProgramFolder.empty() ? CurrentFolder() : ProgramFolder; }

void Shell::Repaint(RowDoc& row) {
    PaintOrMark(row);
    if (view_) view_->RowContentChanged(row);
}

void Shell::PaintOrMark(RowDoc& row) {
    if (PaintOnDemand) {
        row.PictureStale = true;
        return;
    }
    row.PictureStale = false;
    PaintRowPicture(s, row, DrawNote);
}

void Shell::PaintIfStale(RowDoc& row) {
    if (!row.PictureStale) return;
    row.PictureStale = false;
    PaintRowPicture(s, row, DrawNote);
}

RowDoc* Shell::EditingRow() const {
    if (RowDoc* r = RowOfSlot(s.CurDanIx)) return r;
    return active_;
}

// The row is painted whole after every change: there is no part of a
// picture to keep or to erase.
bool Shell::PutRhythm(const std::string&) {
    RowDoc* r = EditingRow();
    if (!r) return true;
    PaintOrMark(*r);
    if (view_) view_->RowContentChanged(*r);
    return true;
}

bool Shell::RedrawRow() { return PutRhythm("all"); }

void Shell::PutKeySignature() {
    if (RowDoc* r = EditingRow()) PlaceRowKeySignature(s, *r, DrawNote);
}

bool Shell::StaffPointToStringFret(double, double y, int& string, int& fret) {
    RowDoc* r = EditingRow();
    if (!r || !StaffShown()) return false;
    return lw::StaffPointToStringFret(s, r->Slot(), r->Render, y, string, fret);
}

bool Shell::StaffShown() const { return lw::StaffShown(s.PosRhythm, DrawNote); }

int Shell::StaffLine(int string, int fret) {
    RowDoc* r = EditingRow();
    return r ? StaffLineOf(s, *r, DrawNote, string, fret) : 0;
}

// ---------------------------------------------------------------- projects

void Shell::ResetAllSlots() {
    for (auto& d : s.DanBuf) ResetRow(d);
}

void Shell::NewProjectFile() {
    std::string path = ui_.SaveFileName(kProjectFilter, LastDir);
    if (path.empty()) return;
    path = AbsolutePath(path);
    std::string err;
    if (!WriteFileReplacing(path, "", &err)) {
        ShowMsg(ui_, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを作成できませんでした。" + std::string(kMsgBreak) + path + kMsgBreak + err, "16");
        return;
    }
    LastDir = FolderOf(path);
    CurProject = path;
    Notify();
    if (view_) view_->RefreshProjectList();
}

void Shell::DoFileProjectOpen(const std::string& given, bool touchRecent) {
    if (view_) view_->SetBusy(true, kLoadingStatus);
    ProjectLoading = true;
    auto finish = [this] {
        ProjectLoading = false;
        if (view_) {
            view_->SetBusy(false, "");
            view_->RefreshProjectList();
        }
        Notify();
    };
    if (!CloseAllRows()) {  // a row whose save failed stays open
        finish();
        return;
    }
    ResetAllSlots();
    s.DocCount = 0;
    std::string path = given;
    if (path.empty()) {
        path = ui_.OpenFileName(kProjectFilter, LastDir);
        if (path.empty()) {
            finish();
            return;
        }
    }
    path = AbsolutePath(path);
    const std::string folder = FolderOf(path);
    LastDir = folder;
    CurProject = path;
    if (touchRecent) RerekiUpdate(path);
    std::vector<std::string> lines;
    std::string err;
    if (!ReadProjectLines(path, lines, &err)) {
        ShowMsg(ui_, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを読み込めません。" + std::string(kMsgBreak) + path + kMsgBreak + err, "16");
        CurProject.clear();
        finish();
        return;
    }
    bool failed = false;
    for (const auto& line : lines) {
        // Blank lines of a hand-edited file name no row.
        if (TrimLineEnd(line).size() <= 3) continue;
        const std::string file = ProjectLinePath(line, folder);
        std::string why;
        if (!TabReadable(file, why)) {
            ShowMsg(ui_, file + kMsgBreak + why, "16");
            failed = true;
            break;
        }
        RowDoc* row = DoFileNew();
        if (!row) break;  // the row limit: one message, the rest not loaded
        row->Tag = row->SlotText() + file;
        if (!OpenTabIntoWindow(*row, file, false)) {
            DiscardRow(*row);
            failed = true;
            break;
        }
    }
    // A project that did not load whole is not open: the rows read before
    // the failing line stay open as rows of their own.
    if (failed) CurProject.clear();
    finish();
}

void Shell::AddProjectFile(const std::string& slotText, const std::string& filePath) {
    if (filePath.empty() || filePath == "none") {
        ShowMsg(ui_, "@0022", "64");
        return;
    }
    if (CurProject.empty()) return;
    if (ShowMsg(ui_, "@0023", "36") != kIdYes) return;
    std::string bytes, err;
    std::error_code ec;
    if (fs::exists(CurProject, ec) && !ReadWholeFile(CurProject, bytes, &err)) {
        ShowMsg(ui_, CurProject + kMsgBreak + err, "16");
        return;
    }
    if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
    // Lines are read one by one, so a path CP932 cannot hold goes in as UTF-8.
    bytes += EncodeFileText(slotText + ":" + AbsolutePath(filePath)) + "\r\n";
    if (!WriteFileReplacing(CurProject, bytes, &err)) {
        ShowMsg(ui_, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙに追加できませんでした。" + std::string(kMsgBreak) + CurProject + kMsgBreak + err,
                "16");
        return;
    }
    if (view_) view_->RefreshProjectList();
}

void Shell::DoEditDelProject() {
    if (!active_ || CurProject.empty()) return;
    if (ShowMsg(ui_, "@0028", "36") != kIdYes) return;
    std::string bytes, err;
    if (!ReadWholeFile(CurProject, bytes, &err)) {
        ShowMsg(ui_, CurProject + kMsgBreak + err, "16");
        return;
    }
    // Only the line of the row's own file goes; a file of the same name in
    // another folder is another row.
    const std::string own = active_->Path();
    const std::string folder = FolderOf(CurProject);
    std::string out;
    for (const auto& raw : SplitRawLines(bytes)) {
        if (raw.size() > 3 && SameFile(ProjectLinePath(TrimLineEnd(DecodeFileText(raw)), folder), own)) continue;
        out += raw + "\r\n";
    }
    if (!WriteFileReplacing(CurProject, out, &err)) {
        ShowMsg(ui_, CurProject + kMsgBreak + err, "16");
        return;
    }
    if (view_) view_->DoEvents();
    ui_.DoEvents();
    if (active_) CloseRow(*active_);
    if (view_) view_->RefreshProjectList();
}

void Shell::RenameInProject(const std::string& oldPath, const std::string& newPath) {
    std::string bytes, err;
    if (CurProject.empty() || !ReadWholeFile(CurProject, bytes, &err)) return;
    const std::string folder = FolderOf(CurProject);
    std::string out;
    bool found = false;
    for (const auto& raw : SplitRawLines(bytes)) {
        if (raw.size() > 3 && ProjectLinePath(DecodeFileText(raw), folder) == oldPath) {
            out += raw.substr(0, 3) + EncodeFileText(newPath) + "\r\n";
            found = true;
        } else {
            out += raw + "\r\n";
        }
    }
    if (found && !WriteFileReplacing(CurProject, out, &err))
        ShowMsg(ui_, CurProject + kMsgBreak + err, "16");
}

void Shell::EditProjectFile() {
    if (!CurProject.empty() && view_) view_->OpenInTextEditor(CurProject);
}

void Shell::BuildRecentMenu() {
    RecentCaptions.clear();
    int n = 0;
    for (const auto& p : s.MruFiles)
        if (!p.empty()) RecentCaptions.push_back(std::to_string(++n) + "." + p);
    Notify();
}

void Shell::RerekiUpdate(const std::string& path) {
    if (!path.empty()) {
        // Each project once: opened again, it moves to the head.
        std::vector<std::string> rest;
        for (const auto& p : s.MruFiles)
            if (!p.empty() && p != path) rest.push_back(p);
        s.MruFiles[0] = path;
        for (int i = 1; i < 4; ++i) s.MruFiles[i] = i - 1 < static_cast<int>(rest.size()) ? rest[i - 1] : std::string();
    }
    BuildRecentMenu();
    WriteMru(s, IniPath());
}

void Shell::OpenRecent(int i) {
    if (i < 0 || i >= static_cast<int>(RecentCaptions.size())) return;
    const std::string path = RecentCaptions[i].substr(2);
    DoFileProjectOpen(path);
}

std::vector<Shell::ProjectListItem> Shell::ProjectListItems() const {
    std::vector<ProjectListItem> items;
    if (CurProject.empty()) return items;
    std::vector<std::string> lines;
    if (!ReadProjectLines(CurProject, lines, nullptr)) return items;
    for (const auto& line : lines) {
        std::string t = TrimLineEnd(line);
        if (t.size() <= 3) continue;
        ProjectListItem it;
        it.Path = ProjectLinePath(t, FolderOf(CurProject));
        it.FileName = FileNameOf(it.Path);
        // The row window holding that very file, not merely one of that name.
        for (auto& r : rows_)
            if (!r->Closing && SameFile(r->Path(), it.Path)) it.Caption = r->Caption;
        items.push_back(it);
    }
    // Files of the same name in different folders are told apart by folder.
    std::vector<std::string> names;
    for (const auto& it : items) names.push_back(it.FileName);
    for (auto& it : items)
        if (std::count(names.begin(), names.end(), it.FileName) > 1)
            it.FileName += "（" + FileNameOf(FolderOf(it.Path)) + "）";
    return items;
}

// ---------------------------------------------------------------- recovery

std::string Shell::RecoveryFolder() const { return JoinPath(ProgramFolder, "Recovery"); }

std::string Shell::RecoveryFileOf(int seq) const {
    return JoinPath(RecoveryFolder(), "#rec" + TwoDigits(seq) + ".tab");
}

bool Shell::SaveRecoveryTabFile() {
    if (!active_) return false;
    s.CurDanIx = static_cast<int16_t>(active_->Slot());
    return WriteRecoveryCopy(*active_, ImageOf(*active_));
}

void Shell::DeleteRecoveryFileOf(const RowDoc& row) {
    std::error_code ec;
    fs::remove(RecoveryFileOf(row.RecoverySeq), ec);
}

void Shell::ClearRecovery() {
    std::error_code ec;
    std::vector<fs::path> files;
    for (auto it = fs::directory_iterator(RecoveryFolder(), ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        if (it->is_regular_file()) files.push_back(it->path());
    for (auto& f : files) fs::remove(f, ec);
}

// ---------------------------------------------------------------- KoComm commands

bool Shell::PreparePlayback(clsKoComm& obj) {
    if (!active_ || OpenRowCount() == 0) return false;
    // Written from a copy: the file walks every slot, and the slot of a row
    // closed since the numbers were given holds that row's notes still;
    // it plays as an empty row.
    auto rows = std::make_unique<Session>(s);
    std::vector<const RowItems*> items(kSlotCount, nullptr);
    for (int i = 0; i < kSlotCount; ++i)
        if (RowDoc* r = RowOfSlot(i)) items[i] = &r->Items;
        else ResetRow(rows->DanBuf[i]);
    TellPlayback(obj, *rows, items);
    std::string err;
    if (!WritePlayFile(*rows, CurrentFolder(), &err)) {
        ShowMsg(ui_, std::string(kPlayFileName) + " を書き込めません。" + kMsgBreak + err, "16");
        return false;
    }
    return true;
}

bool Shell::PrepareTabArea(clsKoComm& obj) {
    if (!active_ || OpenRowCount() == 0) return false;
    if (active_->Editor) active_->Editor->SetEditMode(kModeRowArea);
    g.EditMode = kModeRowArea;
    if (view_) view_->ToolsReleased();
    obj.let_p_FormatType(s.PosRhythm);
    obj.let_p_SyosetsuSu(s.CurSyosetsuCnt);
    return true;
}

void Shell::RowAreaPick(double x, double y) {
    clsKoComm* obj = RowAreaObject ? RowAreaObject() : nullptr;
    if (!obj || g.EditMode != kModeRowArea) return;
    const int16_t flag = obj->get_p_OnMouseFlag();
    obj->let_p_X(static_cast<int32_t>(RoundHalfEven(x)));
    if (flag == 1) obj->let_p_TabAreaPos(y);
    else obj->let_p_TabAreaPos2(y);
}

void Shell::RelayoutRows() {
    RowDoc* keep = active_;
    std::vector<int> ids;
    for (auto& r : rows_)
        if (!r->Closing && r->Editor) ids.push_back(r->Id);
    for (int id : ids) {
        RowDoc* r = FindRow(id);
        if (!r || r->Closing) continue;
        ActivateProc(*r);
        // As the refresh command, without showing the note-entry dialog.
        r->Editor->ReLayoutTAB("all");
        r->Editor->LoadKugiri();
        r->Editor->LoadChord();
        RowChanged(*r);
    }
    if (keep && FindRow(keep->Id) == keep && !keep->Closing) {
        if (view_) view_->BringRowToFront(*keep);
        ActivateProc(*keep);
    }
}

// ---------------------------------------------------------------- exports for other music programs

bool Shell::ExportMusicXml() {
    if (!active_ || OpenRowCount() == 0) return false;
    const std::string path = ui_.SaveFileName(kMusicXmlFilter, LastDir);
    if (path.empty()) return false;
    LastDir = FolderOf(AbsolutePath(path));
    std::vector<ScoreRow> score;
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (RowDoc* r = RowOfSlot(slot)) score.push_back({slot, &r->Items});
    const std::string named = !CurProject.empty() ? CurProject : active_->Path();
    const std::string title = named.empty() ? std::string() : fs::path(named).stem().string();
    std::string err;
    if (!WriteMusicXml(s, score, title, path, &err)) {
        ShowMsg(ui_, err, "16");
        return false;
    }
    LastWritten = AbsolutePath(path);
    return true;
}

bool Shell::ExportMidiFile(clsKoComm& obj) {
    if (!active_ || OpenRowCount() == 0) return false;
    const std::string path = ui_.SaveFileName(kMidiFileFilter, LastDir);
    if (path.empty()) return false;
    LastDir = FolderOf(AbsolutePath(path));
    if (!PreparePlayback(obj)) return false;
    std::string err;
    if (!obj.Play_ToMidiFile(JoinPath(CurrentFolder(), kPlayFileName), path, clsKoComm::PlayOptions{}, err)) {
        ShowMsg(ui_, err, "16");
        return false;
    }
    LastWritten = AbsolutePath(path);
    return true;
}

}  // namespace lw
