// The shell's side of the document settings dialogs: the text dialog and
// the repeat-mark palette as the row editors see them.
#include <string>

#include "element_paint.h"
#include "ko_tuning.h"
#include "messages.h"
#include "row_pictures.h"
#include "settings.h"
#include "shell.h"
#include "stamps.h"

namespace lw {

void Shell::ShowTextDialog(int textIndex) {
    if (view_ && active_ && !active_->Closing) view_->ShowTextDialog(*active_, textIndex);
}

bool Shell::ChosenRepMark(std::string& tag, double& width, double& height) {
    if (RepOption < 0 || RepOption > 8) return false;
    tag = std::to_string(RepOption);
    const int tpp = s.TwipsPerPixelX > 0 ? s.TwipsPerPixelX : 15;
    const QImage& img = StampBook::ForLayout(s.CurLayout(), tpp).Get(RepMarkStamp(tag));
    width = std::max(img.width(), 8) * tpp;
    height = std::max(img.height(), 8) * tpp;
    return true;
}

void Shell::SetMousePointer(int pointer) {
    if (view_) view_->SetMousePointer(pointer);
}

void Shell::ChooseRepOption(int option) {
    if (option < 0 || option > 10) return;
    RepOption = option;
    // Option 9 chooses no sign: the ordinary tool again, so no stale sign
    // pointer promises a placement that cannot happen.
    const int mode = option == 10 ? kModeMove : option == 9 ? kModeNormal : kModeRepMark;
    if (active_ && active_->Editor)
        active_->Editor->SetEditMode(mode);
    else
        g.EditMode = static_cast<int16_t>(mode);
    if (view_ && mode != kModeNormal) view_->ToolsReleased();
}

void Shell::RepFlagsChanged() {
    if (!active_ || active_->Closing) return;
    active_->Editor->UnLoadRepten();
    active_->Editor->LoadKugiri();
    // A repeat at the row's start moves the clef and what follows it.
    PlaceRowKeySignature(s, *active_, DrawNote);
    active_->Editor->ReLayoutTAB("all");
    RowEdited();
    RowChanged(*active_);
}

bool Shell::SetInstrument(int item) {
    if (item < 0 || item > 6) return false;
    if (OpenRowCount() > 0 && MaxStringIxOfItem(item) != s.MaxStringIx) {
        ShowMsg(ui_, MessageText(TuningRefusalMessage(s.MaxStringIx)), "16");
        Notify();  // the menu shows the instrument of the rows again
        return false;
    }
    ChooseInstrument(s, item);
    WriteGakki(s, IniPath());
    Notify();
    mnuViewRefresh();
    return true;
}

void Shell::ChordsStored() {
    if (!active_ || active_->Closing) return;
    active_->Editor->LoadKugiri();
    active_->Editor->LoadChord();
    RowEdited();
    RowChanged(*active_);
}

bool Shell::EnterChord(int measure, const std::string& name, bool& found) {
    found = false;
    if (!active_ || active_->Closing || measure < 0 || measure >= kMaxMeasures) return false;
    found = Entry.SetNoteChordData(name, 0);
    if (!found) return true;
    const DanLayoutData& lay = s.CurLayout();
    // The right end of the measure: the new note goes after its last one.
    const double x = lay.SyosetsuLeft[measure] + lay.SyosetsuWidth[measure];
    const double y = lay.SyosetsuTop[measure];
    bool ok = true;
    if (active_->Editor->PutNoteAt(x, y)) ok = active_->Editor->ReLayoutTAB("0");
    RowChanged(*active_);
    return ok;
}

void Shell::CommonSettingsStored() {
    const std::string ini = IniPath();
    ProfileFile::Write(ini, "TAB", "FontSize", std::to_string(s.ChordFontSize));
    ProfileFile::Write(ini, "TAB", "FontSize2", std::to_string(s.FletFontSize));
    RelayoutRows();
}

}  // namespace lw
