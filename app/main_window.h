// The MDI frame: menus, tool bar, status bar, the measure-count spinner, the
// row buttons and the row windows. Commands go to the Shell; the Shell tells
// the window what changed through ShellView.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "ko_comm.h"
#include "ko_copy.h"
#include "project_list.h"
#include "score_window.h"
#include "shell.h"

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QRadioButton;
class QScrollBar;
class QTimer;
class QToolBar;
class QUrl;

namespace lw {

class DocumentWindow;
class KoRepMark;
class RepMarkHost;
class KoSetFlet;
class Ko3renOption;
class KoChord;
class KoPiano;
class ProjectListWindow;
class RowSubWindow;
class ToolWindowKeeper;

class MainWindow : public QMainWindow, public ShellView, public KoCopyHost {
    Q_OBJECT
public:
    MainWindow(UiPort& ui, UserStore& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    Shell& shell() { return *shell_; }
    QMdiArea* mdiArea() const { return mdi_; }
    RowSubWindow* SubWindowOf(int rowId) const;
    ProjectListWindow* projectList() const { return projectList_; }
    QAction* action(const QString& objectName) const;

    // The load handler: geometry from the store, settings, menus.
    void LoadMainForm();
    // Shutdown: rows asked to save, geometry and the marker stored. False
    // when a row refused to close.
    bool Shutdown();

    // ShellView
    bool CreateRowWindow(RowDoc& row, int leftTwips, int topTwips) override;
    void PrepareRowPicture(RowDoc& row, bool sizeWindow) override;
    void ShowRowWindow(RowDoc& row) override;
    void DestroyRowWindow(RowDoc& row) override;
    void BringRowToFront(RowDoc& row) override;
    void RowContentChanged(RowDoc& row) override;
    void StateChanged() override;
    void SetBusy(bool busy, const std::string& statusText) override;
    void Refused(const std::string& why) override;
    void RefreshProjectList() override;
    void CloseCompanions() override;
    void OpenInTextEditor(const std::string& path) override;
    void DoEvents() override;
    void ShowFramePopup() override;
    void ShowRepMarkPopup(RowDoc& row, int markIndex) override;
    void HideCompanions() override;
    void ToolsReleased() override;
    void ReleaseKoComm() override;
    void ShowNotePopup() override;
    void ShowNoteEntry(bool show) override;
    void PlaceNoteEntry(int measure, int cellIndex, bool force) override;
    void ShowTripletOptions(bool show) override;
    KoSetFlet* koSetFlet() const { return koSetFlet_; }
    KoCopy* koCopy() const { return koCopy_; }

    // ---- document settings dialogs (settings_dialogs.cpp) ----
    void ShowTextDialog(RowDoc& row, int textIndex) override;
    void SetMousePointer(int pointer) override;
    void ShowRepMarkPalette() override;
    KoRepMark* koRepMark() const { return koRepMark_; }
    // Tests answer modal dialogs here: called with the dialog instead of
    // exec(), returns its result.
    std::function<int(QDialog&)> DialogHook;
    int ExecDialog(QDialog& dlg);
    // The instrument menu and the settings dialogs of the "設定(&S)" menu.
    std::array<QAction*, 7> mnuSeteiGakki{};
    void mnuSeteiTuning();
    void mnuSeteiSyosetsu() { mnuSeteiSyosetsu(nullptr); }
    // The chord-name dialog over parent (null: this window).
    void mnuSeteiSyosetsu(QWidget* parent);
    void mnuSeteiKyotsu();
    bool RunWizard(int startAction) override;
    // The string under the last mouse-down point of the active row (0: none).
    int StringUnderMouse() const;

    // The clsKoComm object the main window holds while a component dialog or
    // playback needs it; its events go to the shell. Null when the library
    // could not be loaded.
    void SetKoCommFactory(KoCommCreateFn create) { koCommCreate_ = create; }
    clsKoComm* KoCommObject();
    bool HasKoCommObject() const { return koComm_ != nullptr; }
    // "MIDIで再生(&M)" and "TAB領域設定(&A)...": the KoComm commands.
    void mnuMidi();
    void mnuExportMidi();
    // The status bar names the file an export wrote.
    void ShowWritten();
    void mnuTabArea();

    // "ｺﾋﾟｰ(&C)": the measure-copy window, when a row is open.
    void ShowKoCopy();
    // "移調(&M)": the key dialog for transposition, then a refresh.
    void mnuEditItyou();
    // Measure-deletion items of the Edit menu (index = measure).
    QAction* mnuEditDeleteSyosetsu[8] = {};

    // KoCopyHost
    std::vector<KoCopyHost::Row> OpenRows() override;
    void BringRowToFront(int slot) override;
    void CopySyosetsu(int srcSlot, int srcMeasure, int dstSlot, int dstMeasure) override;
    int ActiveSlot() override { return shell_->ActiveRow() ? shell_->ActiveRow()->Slot() : -1; }

    // Tests look at pop-up menus here instead of running them.
    std::function<void(QMenu&)> PopupHook;
    void ExecPopup(QMenu& menu);

    QTimer* Timer1 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QLabel* lblSyou = nullptr;
    QLabel* labMeter = nullptr;
    std::array<QRadioButton*, kSlotCount> optDanNo{};
    QToolBar* tbToolBar = nullptr;
    QLabel* labFilePath = nullptr;   // status bar: the active row's file
    std::array<QAction*, 9> mnuSeteiMeter{};
    std::array<QAction*, 5> mnuSeteiPosRhythm{};
    std::array<QAction*, 4> mnuFileMRU{};

    // "楽譜作成(&G)" (tag "0") and the staff-only command (tag "1"): the
    // score is composed by Timer1 once the events of the command have run.
    void mnuEditGakufu(const QString& tag);
    void Timer1Timer();
    // "ﾌﾟﾛｼﾞｪｸﾄから楽譜作成(&G)" of the set-up wizard: a project chosen in the
    // open dialog is loaded and its score composed once loading is done.
    void DoProjectToGakufu();
    // "名前を付けて楽譜を保存(&A)...": the score picture as a Windows bitmap.
    bool SaveImgFile();
    // "印刷(&P)..." and "印刷ﾌﾟﾚﾋﾞｭｰ(&V)": the score on the printer's pages.
    void PrintScore(bool preview);
    void ShowGakufu() override;
    ScoreWindow* gakufuWindow() const { return gakufu_; }
    // Places tool windows and dialogs on the screen, off the active row.
    ToolWindowKeeper* toolKeeper() const { return toolKeeper_; }
    // "調号(&Y)...": the key dialog for the active row's key.
    void mnuSeteiKey();
    // "ﾏﾆｭｱﾙ(&M)" and "目次(&C)": the user manual (at the anchor) in the
    // desktop's browser. Tests see the address here instead.
    void OpenManual(const std::string& anchor);
    std::function<void(const QUrl&)> OpenUrlHook;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QPointer<ScoreWindow> gakufu_;
    void BuildMenus();
    void BuildToolBar();
    void BuildWindowMenu();
    void BuildSettingsMenu(QMenu* setei);
    void SyncSettingsMenu();
    void ToolButton(int mode, bool checked, QAction* a);
    void ShowProjectList();
    // A tool window's place moved just enough to lie on the screen.
    QPoint OnScreen(QPoint at, QSize size) const;
    // Sizes a row window so that it shows its whole row.
    void SizeToRow(RowSubWindow* sub);
    // "重ねて表示(&C)": cascaded, each at the size of its row.
    void CascadeRows();
    void FirstStartGeometry();
    void About();
    int Tpp() const;

    UiPort& ui_;
    UserStore& store_;
    std::unique_ptr<Shell> shell_;
    QMdiArea* mdi_ = nullptr;
    QMap<int, QPointer<RowSubWindow>> subs_;
    QPointer<ProjectListWindow> projectList_;
    QMenu* windowMenu_ = nullptr;
    QActionGroup* toolGroup_ = nullptr;
    KoCommCreateFn koCommCreate_ = nullptr;
    class KoCommRelay;
    std::unique_ptr<KoCommEvents> koCommEvents_;
    bool KoCommAvailable();
    std::unique_ptr<clsKoComm> koComm_;
    std::vector<std::unique_ptr<clsKoComm>> released_;
    bool groundWarned_ = false;
    KoSetFlet* koSetFlet_ = nullptr;
    QPointer<KoCopy> koCopy_;
    // The measure-copy window directly below the note-entry window.
    void PlaceKoCopy();
    Ko3renOption* ko3ren_ = nullptr;
    KoChord* koChord_ = nullptr;
    KoPiano* koPiano_ = nullptr;
    void NoteEntryChanged();
    bool updating_ = false;
    class RepMarkRelay;
    std::unique_ptr<RepMarkHost> repHost_;
    KoRepMark* koRepMark_ = nullptr;
    ToolWindowKeeper* toolKeeper_ = nullptr;
};

}  // namespace lw
