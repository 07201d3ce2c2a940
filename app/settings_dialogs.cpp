// The main window's side of the document settings dialogs: the text
// dialog, the repeat-mark palette and its dialog, the row pointer.
#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QMenu>
#include <QMdiArea>
#include <QTimer>
#include <QToolBar>
#include <QPixmap>
#include <map>

#include "document_window.h"
#include "ko_kytsu_setei.h"
#include "ko_rep_mark.h"
#include "ko_syousets.h"
#include "ko_key.h"
#include "ko_tuning.h"
#include "ko_wizard.h"
#include "row_editor.h"
#include "ko_text_in.h"
#include "main_window.h"
#include "tool_windows.h"

namespace lw {

class MainWindow::RepMarkRelay : public RepMarkHost {
public:
    explicit RepMarkRelay(MainWindow& w) : w_(w) {}
    Session& RepSession() override { return w_.shell().s; }
    bool RepRowOpen() override { return w_.shell().ActiveRow() != nullptr; }
    void RepOptionChosen(int option, const QImage& picture) override {
        w_.shell().ChooseRepOption(option);
        w_.SetMousePointer(0);
    }
    void RepFlagsChanged() override { w_.shell().RepFlagsChanged(); }

private:
    MainWindow& w_;
};

namespace {
class SyousetsRelay : public SyousetsHost {
public:
    explicit SyousetsRelay(Shell& sh) : sh_(sh) {}
    void ChordsStored() override { sh_.ChordsStored(); }
    bool EnterChord(int m, const std::string& name, bool& found) override { return sh_.EnterChord(m, name, found); }

private:
    Shell& sh_;
};
}  // namespace

void MainWindow::BuildSettingsMenu(QMenu* setei) {
    setei->addSeparator();
    QMenu* gakki = setei->addMenu(QStringLiteral("楽器(&G)"));
    gakki->setObjectName("mnuSeteiGakkiMenu");
    auto* group = new QActionGroup(this);
    for (int i = 0; i < 7; ++i) {
        QAction* a = gakki->addAction(QString::fromUtf8(kGakkiMenuCaptions[i]));
        a->setObjectName(QStringLiteral("mnuSeteiGakki%1").arg(i));
        a->setCheckable(true);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, i] { shell_->SetInstrument(i); });
        mnuSeteiGakki[i] = a;
    }
    auto add = [this, setei](const char* name, const char* caption, void (MainWindow::*fn)()) {
        QAction* a = setei->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, fn);
    };
    add("mnuSeteiTuning", "チューニング変更(&T)...", &MainWindow::mnuSeteiTuning);
    setei->addSeparator();
    add("mnuSeteiSyosetsu", "コード名称入力(&S)", static_cast<void (MainWindow::*)()>(&MainWindow::mnuSeteiSyosetsu));
    add("mnuSeteiKyotsu", "共通設定(&K)...", &MainWindow::mnuSeteiKyotsu);
}

void MainWindow::SyncSettingsMenu() {
    for (int i = 0; i < 7; ++i)
        if (mnuSeteiGakki[i]) mnuSeteiGakki[i]->setChecked(shell_->s.GakkiMenuIx == i);
}

void MainWindow::mnuSeteiTuning() {
    if (!IsDanOpen(shell_->OpenRowCount(), 1)) return;
    const int before = shell_->s.GakkiCode;
    KoTuning dlg(shell_->s, ui_, shell_->IniPath(), this);
    ExecDialog(dlg);
    SyncSettingsMenu();
    shell_->mnuViewRefresh();
    // Every row's staff follows the new tuning.
    if (shell_->s.GakkiCode != before) shell_->RelayoutRows();
}

void MainWindow::mnuSeteiSyosetsu(QWidget* parent) {
    if (!IsDanOpen(shell_->OpenRowCount(), 1)) return;
    SyousetsRelay relay(*shell_);
    KoSyousets dlg(shell_->s, ui_, relay, parent ? parent : this);
    ExecDialog(dlg);
}

void MainWindow::mnuSeteiKyotsu() {
    // The settings file is read again; the two options are not in it and
    // keep what the user chose before.
    KoKytsuSetei dlg(shell_->s, ui_, [this] { shell_->ReloadSettings(); }, this);
    if (ExecDialog(dlg) == QDialog::Accepted) shell_->CommonSettingsStored();
}

namespace {
class WizardRelay : public WizardHost {
public:
    WizardRelay(MainWindow& w, UiPort& ui) : w_(w), ui_(ui) {}
    Shell& sh() { return w_.shell(); }
    Session& WizSession() override { return sh().s; }
    void WizReloadSettings() override { sh().ReloadSettings(); }
    bool WizDrawNote() override { return sh().DrawNote; }
    void WizMeter(int id) override { sh().MeterMenu(id); }
    void WizMeasureSpinner(int v) override { sh().VScroll1Change(v); }
    bool WizKeyCommand(QWidget* parent) override {
        if (!IsDanOpen(sh().OpenRowCount(), 1)) return false;
        KoKey dlg(sh().s, ui_, sh(), parent ? parent : &w_);
        dlg.SetTag("0");
        w_.ExecDialog(dlg);
        sh().mnuViewRefresh();
        sh().RowEdited();
        return true;
    }
    bool WizChordCommand(QWidget* parent) override {
        if (!IsDanOpen(sh().OpenRowCount(), 1)) return false;
        w_.mnuSeteiSyosetsu(parent);
        return true;
    }
    bool WizStore(const WizardChoice& c) override {
        Shell& s = sh();
        // The instrument shown as it was keeps its tuning (an open tuning
        // is a tuning of the guitar item).
        if (c.instrument != s.s.GakkiMenuIx && !s.SetInstrument(c.instrument)) return false;
        s.s.ChordFontSize = static_cast<int16_t>(c.chordFontSize);
        s.s.FletFontSize = static_cast<int16_t>(c.fletFontSize);
        s.s.MoveFletForm = c.moveFletForm;
        s.s.RhythmRewrite = c.rhythmRewrite;
        // The View menu's "音符を描画する" follows the choice.
        s.DrawNote = s.g.DrawNote = c.drawNote;
        s.SetPosRhythm(c.posRhythm);
        w_.StateChanged();
        s.CommonSettingsStored();
        return true;
    }
    void WizStart(int action) override {
        Shell& s = sh();
        switch (action) {
            case kStartNewRow: s.DoFileNew(); break;
            case kStartOpenRow: s.DoFileOpen(""); break;
            case kStartOpenProject: s.DoFileProjectOpen(""); break;
            case kStartNewProject:
                s.NewProjectFile();
                // The new project opens with its first row.
                if (!s.CurProject.empty() && s.OpenRowCount() == 0) s.DoFileNew();
                break;
            case kStartScore: w_.DoProjectToGakufu(); break;
            default: break;
        }
        if (s.OpenRowCount() > 0) {
            w_.activateWindow();
            s.NoteEntryShow();
            // Ready for the first note: keys go to the active row.
            if (RowDoc* r = s.ActiveRow())
                if (RowSubWindow* sub = w_.SubWindowOf(r->Id)) sub->Document()->setFocus(Qt::OtherFocusReason);
        }
    }
    void WizCancelled() override {
        if (sh().OpenRowCount() > 0) sh().NoteEntryShow();
    }

private:
    MainWindow& w_;
    UiPort& ui_;
};
}  // namespace

bool MainWindow::RunWizard(int startAction) {
    WizardRelay relay(*this, ui_);
    KoWizard dlg(relay, ui_, startAction, this);
    ExecDialog(dlg);
    return true;
}

int MainWindow::ExecDialog(QDialog& dlg) { return DialogHook ? DialogHook(dlg) : dlg.exec(); }

void MainWindow::ShowTextDialog(RowDoc& row, int k) {
    if (k < 1 || k >= static_cast<int>(row.Items.Texts.size())) return;
    const int id = row.Id;
    KoTextIN dlg(ui_, this);
    dlg.SetTag(k);
    dlg.Activate(row.Items.Texts[k]);
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    RowDoc* r = shell_->FindRow(id);
    if (!r || k >= static_cast<int>(r->Items.Texts.size())) return;
    dlg.Store(r->Items.Texts[k], Tpp());
    shell_->RowEdited();
    RowContentChanged(*r);
}

namespace {
// The pointer of palette option 0..8: its sign, hot spot at the top left
// where the sign will be placed.
const QCursor& SignCursor(int option) {
    static std::map<int, QCursor> cache;
    auto it = cache.find(option);
    if (it == cache.end())
        it = cache.emplace(option, QCursor(QPixmap::fromImage(RepOptionPicture(option)), 0, 0)).first;
    return it->second;
}
}  // namespace

void MainWindow::SetMousePointer(int pointer) {
    // Only the default pointer is handled here: while a sign waits to be
    // placed it is the sign itself.
    if (pointer != 0) return;
    // A tool that acted once (a text or sign placed) went back to the
    // ordinary tool: its tool bar button comes up again. Deferred, since
    // this also runs while the tool bar itself switches tools.
    if (shell_->g.EditMode == kModeNormal && toolGroup_ && toolGroup_->checkedAction())
        QTimer::singleShot(0, this, [this] {
            if (shell_->g.EditMode == kModeNormal) ToolsReleased();
        });
    const bool sign = shell_->g.EditMode == kModeRepMark && shell_->RepOption >= 0 && shell_->RepOption <= 8;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* r = qobject_cast<RowSubWindow*>(sub)) {
            if (sign)
                r->Document()->setCursor(SignCursor(shell_->RepOption));
            else
                r->Document()->unsetCursor();
        }
}

void MainWindow::ShowRepMarkPalette() {
    if (!koRepMark_) {
        repHost_ = std::make_unique<RepMarkRelay>(*this);
        koRepMark_ = new KoRepMark(*repHost_, this);
        koRepMark_->adjustSize();
        // First shown at the right edge of the main window, below the tool bar.
        const QPoint at = mapToGlobal(QPoint(width() - koRepMark_->width() - 24, tbToolBar->geometry().bottom() + 40));
        toolKeeper_->MoveTo(koRepMark_, at);
    }
    koRepMark_->show();
    koRepMark_->raise();
}

}  // namespace lw
