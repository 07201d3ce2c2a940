#include "main_window.h"


#include <algorithm>

#include <QAction>
#include <QBuffer>
#include <QPainter>
#include <QActionGroup>
#include <QApplication>
#include <QCursor>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QStyle>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QScreen>
#include <QVBoxLayout>
#ifdef LW_HAVE_PRINTSUPPORT
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#endif

#include "document_window.h"
#include "safe_file.h"
#include "score_print.h"
#include "score_window.h"
#include "icons.h"
#include "ko_chord_piano.h"
#include "ko_set_flet.h"
#include "row_geometry.h"
#include "ko_key.h"
#include "ko_rep_mark.h"
#include "messages.h"
#include "paths.h"
#include "project_list.h"
#include "row_picture.h"
#include "tool_windows.h"

namespace lw {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
// Commands the program does not offer (printing, clipboard, options) answer with this.
const char* const kNotReady = "ただいま製作中につきしばらくお待ちください。m（_ _）m";
}  // namespace

// Events of the clsKoComm objects go to the shell; after the row-area
// dialog's OK every row is laid out again on the new geometry.
class MainWindow::KoCommRelay : public KoCommEvents {
public:
    explicit KoCommRelay(Shell& shell) : shell_(shell) {}
    void ActiveteDocument(int16_t& Index) override { shell_.ActiveteDocument(Index); }
    void KoTabAreaOK() override {
        shell_.KoTabAreaOK();
        shell_.RelayoutRows();
    }
    void KoTabAreaRefresh() override { shell_.KoTabAreaRefresh(); }

private:
    Shell& shell_;
};

MainWindow::MainWindow(UiPort& ui, UserStore& store, QWidget* parent)
    : QMainWindow(parent), ui_(ui), store_(store), shell_(std::make_unique<Shell>(ui, store)) {
    setObjectName("frmMain");
    setWindowTitle(kAppTitle);
    shell_->SetView(this);
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName("MDIForm");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setBackground(QColor(128, 128, 128));
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        auto* sub = qobject_cast<RowSubWindow*>(w);
        if (!sub || sub->destroying) return;
        if (RowDoc* row = shell_->FindRow(sub->RowId())) shell_->ActivateProc(*row);
    });
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    Timer1->setProperty("Tag", QString());
    connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1Timer);
    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    shell_->s.TwipsPerPixelX = 1440 / dpi;
    shell_->s.TwipsPerPixelY = 1440 / (logicalDpiY() > 0 ? logicalDpiY() : 96);
    shell_->Entry.Changed = [this] { NoteEntryChanged(); };
    BuildMenus();
    BuildToolBar();
    koCommEvents_ = std::make_unique<KoCommRelay>(*shell_);
    shell_->RowAreaObject = [this] { return koComm_.get(); };
    statusBar()->setObjectName("sbStatusBar");
    statusBar()->showMessage(QString());
    // Which file the active row holds.
    labFilePath = new QLabel;
    labFilePath->setObjectName("labFilePath");
    statusBar()->addPermanentWidget(labFilePath);
    toolKeeper_ = new ToolWindowKeeper(this, store_, [this] { return ActiveRowOnScreen(*this); });
    qApp->installEventFilter(toolKeeper_);
}

MainWindow::~MainWindow() {
    // The row windows go before the shell they point to.
    disconnect(mdi_, nullptr, this, nullptr);
    shell_->SetView(nullptr);
    delete mdi_;
    mdi_ = nullptr;
}

int MainWindow::Tpp() const { return shell_->s.TwipsPerPixelX > 0 ? shell_->s.TwipsPerPixelX : 15; }

QAction* MainWindow::action(const QString& objectName) const { return findChild<QAction*>(objectName); }

namespace {
const char* const kDeleteMeasureCaptions[8] = {"１小節目を削除する", "２小節目を削除する", "３小節目を削除する",
                                               "４小節目を削除する", "５小節目を削除する", "６小節目を削除する",
                                               "７小節目を削除する", "８小節目を削除する"};
}  // namespace

RowSubWindow* MainWindow::SubWindowOf(int rowId) const { return subs_.value(rowId); }

void MainWindow::BuildMenus() {
    auto add = [this](QMenu* menu, const char* name, const char* caption, auto fn) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, fn);
        return a;
    };
    Shell& sh = *shell_;

    QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName("mnuFile");
    add(file, "mnuFileNew", "新規作成(&N)", [&sh] { sh.CmdNew(); })->setShortcut(QKeySequence::New);
    add(file, "mnuFileOpen", "開く(&O)", [&sh] { sh.CmdOpen(); })->setShortcut(QKeySequence::Open);
    add(file, "mnuFileClose", "閉じる(&C)", [&sh] { sh.FileClose(); });
    file->addSeparator();
    // The project commands start with the set-up wizard, whose OK runs them.
    add(file, "mnuFileNewProject", "新規ﾌﾟﾛｼﾞｪｸﾄ(&R)", [this] { RunWizard(4); });
    add(file, "mnuFileOpenProject", "ﾌﾟﾛｼﾞｪｸﾄを開く(&J)", [this] { RunWizard(2); });
    add(file, "mnuFileProjectGakufu", "ﾌﾟﾛｼﾞｪｸﾄから楽譜作成(&G)", [this] { RunWizard(3); });
    file->addSeparator();
    add(file, "mnuFileCloseAll", "すべて閉じる(&E)", [&sh] { sh.FileCloseAll(); });
    add(file, "mnuFileSave", "保存(&S)", [this, &sh] {
        // With the score window in front, "保存(&S)" saves the score.
        if (gakufu_ && mdi_->activeSubWindow() == gakufu_) SaveImgFile();
        else sh.FileSave();
    })->setShortcut(QKeySequence::Save);
    add(file, "mnuFileSaveAll", "すべて保存(&L)", [&sh] { sh.FileSaveAll(); });
    add(file, "mnuFileSaveTab", "TABﾌｧｲﾙに保存する(&T)", [&sh] { sh.FileSaveTab(); });
    add(file, "mnuFileSaveGakufu", "名前を付けて楽譜を保存(&A)...", [this, &sh] {
        if (sh.OpenRowCount() > 0) SaveImgFile();
    });
    file->addSeparator();
    add(file, "mnuFileImportMusicXml", "MusicXMLを読み込む...", [&sh] { sh.ImportMusicXml(); });
    add(file, "mnuFileExportMusicXml", "MusicXMLで書き出す...", [this, &sh] {
        if (sh.ExportMusicXml()) ShowWritten();
    });
    add(file, "mnuFileExportMidi", "MIDIファイルで書き出す...", [this] { mnuExportMidi(); });
    file->addSeparator();
    add(file, "mnuFileProperties", "ﾌﾟﾛﾊﾟﾃｨ(&I)",
        [this] { ShowMsg(ui_, "ﾌﾟﾛﾊﾟﾃｨの表示処理をここに記述します !"); });
    file->addSeparator();
    add(file, "mnuFilePageSetup", "ﾍﾟｰｼﾞ設定(&U)...", [this] {
#ifdef LW_HAVE_PRINTSUPPORT
        // The choice is not used: nothing is printed yet.
        QPrinter printer;
        QPageSetupDialog dlg(&printer, this);
        dlg.exec();
#else
        ShowMsg(ui_, kNotReady);
#endif
    });
    add(file, "mnuFilePrintPreview", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", [this] { PrintScore(true); });
    add(file, "mnuFilePrint", "印刷(&P)...", [this] { PrintScore(false); })->setShortcut(QKeySequence::Print);
    QAction* mruSep = file->addSeparator();
    mruSep->setObjectName("mnuFileBar5");
    for (int i = 0; i < 4; ++i) {
        QAction* a = file->addAction(QString());
        a->setObjectName(QStringLiteral("mnuFileMRU%1").arg(i));
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, i] { shell_->OpenRecent(i); });
        mnuFileMRU[i] = a;
    }
    file->addSeparator();
    add(file, "mnuFileExit", "終了(&X)", [this] { close(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName("mnuEdit");
    add(edit, "mnuEditUndo", "元に戻す(&U)", [&sh] { sh.Undo(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    add(edit, "mnuEditRedo", "やり直し(&R)", [&sh] { sh.Redo(); })
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    add(edit, "mnuEditCut", "切り取り(&T)", [this] { ShowMsg(ui_, kNotReady); });
    add(edit, "mnuEditCopy", "ｺﾋﾟｰ(&C)", [this] { ShowKoCopy(); });
    add(edit, "mnuEditPaste", "貼り付け(&P)", [this] { ShowMsg(ui_, kNotReady); });
    add(edit, "mnuEditPasteSpecial", "形式を選択して貼り付け(&S)...", [this] { ShowMsg(ui_, kNotReady); });
    edit->addSeparator();
    QMenu* del = edit->addMenu(QStringLiteral("小節の内容を削除する..."));
    del->setObjectName("mnuEditDelete");
    for (int i = 0; i < 8; ++i) {
        QAction* a = del->addAction(QString::fromUtf8(kDeleteMeasureCaptions[i]));
        a->setObjectName(QStringLiteral("mnuEditDeleteSyosetsu%1").arg(i));
        connect(a, &QAction::triggered, this, [this, i] { shell_->DeleteSyosetsuCmd(i); });
        mnuEditDeleteSyosetsu[i] = a;
    }
    add(edit, "mnuEditItyou", "移調(&M)", [this] { mnuEditItyou(); });
    add(edit, "mnuEditGakufu", "楽譜作成(&G)", [this] { mnuEditGakufu("0"); });
    add(edit, "mnuEditGakufu2", "楽譜作成（五線譜のみ）（&F)", [this] { mnuEditGakufu("1"); });
    edit->addSeparator();
    add(edit, "mnuEditAddProject", "ﾌﾟﾛｼﾞｪｸﾄに追加する(&A)", [&sh] { sh.DoEditAddProject(); });
    add(edit, "mnuEditDelProject", "ﾌﾟﾛｼﾞｪｸﾄから削除する(&D)", [&sh] { sh.DoEditDelProject(); });
    add(edit, "mnuEditProject", "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを編集する。(&P)", [&sh] { sh.EditProjectFile(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    view->setObjectName("mnuView");
    QAction* vt = add(view, "mnuViewToolbar", "ﾂｰﾙ ﾊﾞｰ(&T)", [] {});
    vt->setCheckable(true);
    vt->setChecked(true);
    connect(vt, &QAction::toggled, this, [this](bool on) { tbToolBar->setVisible(on); });
    QAction* vs = add(view, "mnuViewStatusBar", "ｽﾃｰﾀｽ ﾊﾞｰ(&B)", [] {});
    vs->setCheckable(true);
    vs->setChecked(true);
    connect(vs, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    view->addSeparator();
    add(view, "mnuViewRefresh", "最新の情報に更新(&R)", [&sh] { sh.mnuViewRefresh(); })
        ->setShortcut(QKeySequence::Refresh);
    add(view, "mnuViewReDraw", "リズム譜を書きなおす", [&sh] { sh.mnuViewReDraw(); });
    QAction* dn = add(view, "mnuViewDrawNote", "音符を描画する", [] {});
    dn->setCheckable(true);
    connect(dn, &QAction::triggered, this, [&sh](bool on) { sh.SetDrawNote(on); });
    view->addSeparator();
    add(view, "mnuViewMidi", "MIDIで再生(&M)", [this] { mnuMidi(); });
    view->addSeparator();
    add(view, "mnuViewOptions", "ｵﾌﾟｼｮﾝ(&O)...", [this] { ShowMsg(ui_, kNotReady); });

    QMenu* setei = menuBar()->addMenu(QStringLiteral("設定(&S)"));
    setei->setObjectName("mnuSetei");
    auto* meterGroup = new QActionGroup(this);
    for (size_t i = 0; i < kMeterCodes.size(); ++i) {
        const int code = kMeterCodes[i];
        QAction* a = setei->addAction(QString::fromUtf8(MeterCaption(code)));
        a->setObjectName(QStringLiteral("mnuSeteiMeter%1").arg(code));
        a->setCheckable(true);
        a->setData(code);
        meterGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, code] { shell_->MeterMenu(code); });
        mnuSeteiMeter[i] = a;
    }
    setei->addSeparator();
    auto* posGroup = new QActionGroup(this);
    for (int i = 0; i < 5; ++i) {
        QAction* a = setei->addAction(QString::fromUtf8(kPosRhythmCaptions[i]));
        a->setObjectName(QStringLiteral("mnuSeteiPosRhythm%1").arg(i));
        a->setCheckable(true);
        posGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, i] { shell_->SetPosRhythm(i + 1); });
        mnuSeteiPosRhythm[i] = a;
    }
    add(setei, "mnuSeteiKey", "調号(&Y)...", [this] { mnuSeteiKey(); });
    setei->addSeparator();
    add(setei, "mnuSeteiTabArea", "TAB領域設定(&A)...", [this] { mnuTabArea(); });
    BuildSettingsMenu(setei);

    windowMenu_ = menuBar()->addMenu(QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    windowMenu_->setObjectName("mnuWindow");
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::BuildWindowMenu);
    BuildWindowMenu();

    QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName("mnuHelp");
    add(help, "mnuHelpManual", "ﾏﾆｭｱﾙ(&M)", [this] { OpenManual(""); });
    const char* noHelp = "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。";
    add(help, "mnuHelpContents", "目次(&C)", [this] { OpenManual("contents"); });
    add(help, "mnuHelpSearch", "ﾄﾋﾟｯｸの検索(&S)...", [this, noHelp] { ShowMsg(ui_, noHelp); });
    help->addSeparator();
    add(help, "mnuHelpAbout", "ﾊﾞｰｼﾞｮﾝ情報(&A)..", [this] { About(); });
}

void MainWindow::BuildWindowMenu() {
    windowMenu_->clear();
    auto add = [this](const char* name, const char* caption, auto fn) {
        QAction* a = windowMenu_->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, fn);
    };
    add("mnuWindowCascade", "重ねて表示(&C)", [this] { CascadeRows(); });
    add("mnuWindowTileHorizontal", "上下に並べて表示(&H)", [this] {
        // one above the other, full width
        const auto list = mdi_->subWindowList();
        if (list.isEmpty()) return;
        const int h = mdi_->viewport()->height() / list.size();
        int y = 0;
        for (auto* w : list) {
            w->showNormal();
            w->setGeometry(0, y, mdi_->viewport()->width(), h);
            y += h;
        }
    });
    add("mnuWindowTileVertical", "左右に並べて表示(&V)", [this] {
        const auto list = mdi_->subWindowList();
        if (list.isEmpty()) return;
        const int w = mdi_->viewport()->width() / list.size();
        int x = 0;
        for (auto* s : list) {
            s->showNormal();
            s->setGeometry(x, 0, w, mdi_->viewport()->height());
            x += w;
        }
    });
    add("mnuWindowArrange", "ｱｲｺﾝの整列(&A)", [this] {
        int x = 0;
        const int y = mdi_->viewport()->height();
        for (auto* s : mdi_->subWindowList())
            if (s->isMinimized()) {
                s->move(x, y - s->height());
                x += s->width();
            }
    });
    add("mnuWindowProjectList", "ﾌﾟﾛｼﾞｪｸﾄ一覧(&P)", [this] { ShowProjectList(); });
    add("menuWindowFlet", "フレット設定(&F)", [this] { shell_->menuWindowFlet(); });
    const auto list = mdi_->subWindowList();
    if (!list.isEmpty()) windowMenu_->addSeparator();
    int n = 0;
    for (auto* w : list) {
        QAction* a = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(++n).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] { mdi_->setActiveSubWindow(w); });
    }
}

void MainWindow::BuildToolBar() {
    tbToolBar = addToolBar(QStringLiteral("tbToolBar"));
    tbToolBar->setObjectName("tbToolBar");
    tbToolBar->setMovable(false);
    tbToolBar->setIconSize(QSize(24, 24));
    auto button = [this](const char* key, const char* tip, auto fn) {
        QAction* a = tbToolBar->addAction(ToolIcon(key), QString::fromUtf8(tip));
        a->setObjectName(QStringLiteral("tb%1").arg(key));
        a->setData(QString::fromUtf8(key));
        connect(a, &QAction::triggered, this, fn);
        return a;
    };
    button("New", "新規作成", [this] { shell_->CmdNew(); });
    button("Open", "開く", [this] { shell_->CmdOpen(); });
    button("Save", "保存", [this] { shell_->FileSave(); });
    tbToolBar->addSeparator();
    button("Print", "印刷", [this] { PrintScore(false); });
    tbToolBar->addSeparator();
    button("Cut", "切り取り", [this] { ShowMsg(ui_, kNotReady); });
    button("Copy", "ｺﾋﾟｰ", [this] { ShowKoCopy(); });
    button("Paste", "貼り付け", [this] { ShowMsg(ui_, kNotReady); });
    tbToolBar->addSeparator();
    toolGroup_ = new QActionGroup(this);
    toolGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const struct {
        const char* key;
        const char* tip;
        int mode;
    } tools[] = {{"Text", "テキスト", kModeText},
                 {"Pointer", "移動", kModeMove},
                 {"note", "５線譜に音符を置く", kModeStaffNote},
                 {"Erase", "消去", kModeErase},
                 {"Kugiri", "小節線の移動", kModeKugiri}};
    for (const auto& t : tools) {
        QAction* a = button(t.key, t.tip, [] {});
        a->setCheckable(true);
        toolGroup_->addAction(a);
        const int mode = t.mode;
        connect(a, &QAction::toggled, this, [this, mode, a](bool on) { ToolButton(mode, on, a); });
    }
    tbToolBar->addSeparator();
    QAction* midi = tbToolBar->addAction(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("MIDIで再生"));
    midi->setObjectName("tbMidi");
    midi->setData(QStringLiteral("Midi"));
    connect(midi, &QAction::triggered, this, [this] { mnuMidi(); });
    button("Gakufu", "楽譜作成", [this] { mnuEditGakufu("0"); });
    button("Key", "調号", [this] { mnuSeteiKey(); });
    // The text formatting buttons do nothing; they come last so that a
    // narrow window hides them before the tools.
    tbToolBar->addSeparator();
    for (const auto& [key, tip] : {std::pair{"Bold", "太字"}, std::pair{"Italic", "斜体"},
                                   std::pair{"Underline", "下線"}})
        button(key, tip, [] {});
    tbToolBar->addSeparator();
    for (const auto& [key, tip] : {std::pair{"Left", "左揃え"}, std::pair{"Center", "中央揃え"},
                                   std::pair{"Right", "右揃え"}})
        button(key, tip, [] {});

    // Measure count, time signature and the row buttons.
    auto* panel = new QWidget;
    auto* lay = new QHBoxLayout(panel);
    lay->setContentsMargins(6, 0, 6, 0);
    lblSyou = new QLabel(Q(shell_->lblSyou));
    lblSyou->setObjectName("lblSyou");
    VScroll1 = new QScrollBar(Qt::Vertical);
    VScroll1->setObjectName("VScroll1");
    VScroll1->setRange(1, 8);
    VScroll1->setValue(5);
    VScroll1->setPageStep(1);
    VScroll1->setFixedSize(16, 28);
    connect(VScroll1, &QScrollBar::valueChanged, this, [this](int v) {
        if (updating_) return;
        // The arrow held down repeats; a question about hidden measures
        // must not let it step on underneath (a disabled bar stops it).
        VScroll1->setEnabled(false);
        shell_->VScroll1Change(v);
        VScroll1->setEnabled(true);
    });
    labMeter = new QLabel(Q(shell_->labMeter));
    labMeter->setObjectName("labMeter");
    labMeter->setMinimumWidth(36);
    labMeter->setAlignment(Qt::AlignCenter);
    lay->addWidget(lblSyou);
    lay->addWidget(VScroll1);
    lay->addSpacing(8);
    lay->addWidget(labMeter);
    lay->addSpacing(8);
    for (int i = 0; i < kSlotCount; ++i) {
        auto* b = new QRadioButton;
        b->setObjectName(QStringLiteral("optDanNo%1").arg(i));
        b->setVisible(false);
        connect(b, &QRadioButton::clicked, this, [this, i] { shell_->BringRowToFront(i); });
        lay->addWidget(b);
        optDanNo[i] = b;
    }
    addToolBarBreak();
    QToolBar* rows = addToolBar(QStringLiteral("段"));
    rows->setObjectName("tbDan");
    rows->setMovable(false);
    rows->addWidget(panel);
}

void MainWindow::ToolButton(int mode, bool checked, QAction* a) {
    RowDoc* row = shell_->ActiveRow();
    if (mode == kModeKugiri && !row) {
        if (checked) {
            QSignalBlocker b(a);
            a->setChecked(false);
        }
        return;
    }
    const int m = checked ? mode : kModeNormal;
    if (!checked && shell_->g.EditMode != mode) return;  // another tool took over
    if (row)
        row->Editor->SetEditMode(m);
    else
        shell_->g.EditMode = static_cast<int16_t>(m);
    if (mode == kModeKugiri && row) {
        row->Editor->ShowKugiriHandles(checked);
        RowContentChanged(*row);
    }
}

void MainWindow::LoadMainForm() {
    const int tpp = Tpp();
    auto num = [this](const char* key, int def) {
        bool ok = false;
        int v = QString::fromStdString(store_.Get(key, std::to_string(def))).toInt(&ok);
        return ok ? v : def;
    };
    shell_->MainLoad();
    if (store_.Get("MainWidth", "").empty() || store_.Get("MainHeight", "").empty()) {
        FirstStartGeometry();
        StateChanged();
        return;
    }
    int left = num("MainLeft", 1000), top = num("MainTop", 1000);
    const int width = num("MainWidth", 6500), height = num("MainHeight", 6500);
    // A place stored on a screen that is no longer there would hide the window.
    const QRect stored(left / tpp, top / tpp, std::max(200, width / tpp), std::max(150, height / tpp));
    bool onScreen = QGuiApplication::screens().isEmpty();
    for (QScreen* sc : QGuiApplication::screens()) onScreen = onScreen || sc->availableGeometry().intersects(stored);
    if (!onScreen) left = top = 1000;
    move(left / tpp, top / tpp);
    resize(stored.size());
    StateChanged();
}

void MainWindow::FirstStartGeometry() {
    // Nothing stored yet: room for a whole row window (its ground picture
    // and title bar) below the menus and tool bars, within the screen.
    QSize row(1024, 240);
    const std::string ground = JoinPath(CurrentFolder(), GroundFileName(shell_->s.PosRhythm, shell_->DrawNote));
    const QSize pic = QImageReader(Q(ground)).size();
    if (pic.isValid()) row = pic;
    const int chrome = menuBar()->sizeHint().height() + 2 * tbToolBar->sizeHint().height() +
                       statusBar()->sizeHint().height();
    QSize want(row.width() + 60, row.height() + chrome + 140);
    QRect avail(0, 0, want.width(), want.height());
    if (QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen()) avail = sc->availableGeometry();
    // The frame needs a little room of its own on the screen.
    want = want.boundedTo(avail.size() - QSize(16, 40));
    resize(want);
    // At the top, so that the tool windows find room below the rows.
    move(avail.left() + (avail.width() - want.width()) / 2, avail.top());
}

bool MainWindow::Shutdown() {
    if (!shell_->CloseAllRows()) return false;
    toolKeeper_->RememberAll();
    if (!isMinimized()) {
        const int tpp = Tpp();
        // The same measures the load handler restores (frame position, inner
        // size), so the window does not creep by its frame on every start.
        store_.Set("MainLeft", std::to_string(pos().x() * tpp));
        store_.Set("MainTop", std::to_string(pos().y() * tpp));
        store_.Set("MainWidth", std::to_string(width() * tpp));
        store_.Set("MainHeight", std::to_string(height() * tpp));
    }
    shell_->NormalEnd();
    return true;
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (Shutdown()) {
        if (projectList_) projectList_->close();
        e->accept();
    } else {
        e->ignore();
    }
}

// ---------------------------------------------------------------- ShellView

bool MainWindow::CreateRowWindow(RowDoc& row, int leftTwips, int topTwips) {
    bool maximised = false;
    for (auto* w : mdi_->subWindowList()) maximised = maximised || w->isMaximized();
    auto* sub = new RowSubWindow(*shell_, row.Id);
    sub->setObjectName(QStringLiteral("frmDocument%1").arg(row.Id));
    sub->setWindowTitle(Q(row.Caption));
    mdi_->addSubWindow(sub);
    sub->setWindowTitle(Q(row.Caption));
    sub->widget()->setWindowTitle(Q(row.Caption));
    sub->setWindowIcon(ToolIcon("Kugiri"));
    subs_[row.Id] = sub;
    if (maximised) return false;
    sub->move(leftTwips / Tpp(), topTwips / Tpp());
    return true;
}

void MainWindow::PrepareRowPicture(RowDoc& row, bool sizeWindow) {
    RowSubWindow* sub = SubWindowOf(row.Id);
    if (!sub) return;
    if (!row.GroundError.empty() && !groundWarned_) {
        groundWarned_ = true;
        const std::string name = GroundFileName(shell_->s.PosRhythm, shell_->DrawNote);
        ShowMsg(ui_, "@0021" + std::string(kMsgBreak) + JoinPath(CurrentFolder(), name), "16");
    }
    sub->Document()->SetPicture(row.Picture);
    sub->setProperty("sizeFromPicture", sizeWindow);
    if (sizeWindow && sub->isVisible() && !sub->isMaximized()) SizeToRow(sub);
}

void MainWindow::SizeToRow(RowSubWindow* sub) {
    QWidget* content = sub->widget();
    const QSize extra = sub->size() - content->size();
    // No wider or taller than the frame shows from where it stands: its
    // title bar buttons stay in view and the row scrolls inside.
    const QSize room = mdi_->viewport()->size() - QSize(sub->x(), sub->y());
    QSize want = sub->Document()->size() + extra + QSize(2, 2);
    if (want.width() > room.width()) want.rheight() += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    sub->resize(want.boundedTo(room.expandedTo(QSize(160, 80))));
}

void MainWindow::ShowRowWindow(RowDoc& row) {
    RowSubWindow* sub = SubWindowOf(row.Id);
    if (!sub) return;
    sub->show();
    if (sub->property("sizeFromPicture").toBool() && !sub->isMaximized()) SizeToRow(sub);
    mdi_->setActiveSubWindow(sub);
}

void MainWindow::CascadeRows() {
    // Each window one title bar below and right of the one before, at the
    // size that shows its whole row (the area scrolls when they need more).
    const QList<QMdiSubWindow*> list = mdi_->subWindowList(QMdiArea::CreationOrder);
    QMdiSubWindow* active = mdi_->activeSubWindow();
    const int step = std::max(20, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    int i = 0;
    for (QMdiSubWindow* w : list) {
        if (w->isMinimized() || w->isMaximized()) w->showNormal();
        if (auto* sub = qobject_cast<RowSubWindow*>(w)) SizeToRow(sub);
        w->move(i * step, i * step);
        w->raise();
        ++i;
    }
    if (active) mdi_->setActiveSubWindow(active);
}

void MainWindow::DestroyRowWindow(RowDoc& row) {
    RowSubWindow* sub = SubWindowOf(row.Id);
    subs_.remove(row.Id);
    if (!sub) return;
    sub->destroying = true;
    sub->close();
    mdi_->removeSubWindow(sub);
    sub->deleteLater();
}

void MainWindow::BringRowToFront(RowDoc& row) {
    if (RowSubWindow* sub = SubWindowOf(row.Id)) {
        if (sub->isMinimized()) sub->showNormal();
        mdi_->setActiveSubWindow(sub);
    }
}

void MainWindow::RowContentChanged(RowDoc& row) {
    if (RowSubWindow* sub = SubWindowOf(row.Id)) {
        // A changed row carries a mark after its caption until it is saved.
        const QString title = Q(row.Caption) + (row.Modified ? QStringLiteral(" *") : QString());
        sub->setWindowTitle(title);
        sub->widget()->setWindowTitle(title);
        sub->Document()->update();
    }
    if (shell_->ActiveRow() == &row) StateChanged();
}

void MainWindow::StateChanged() {
    updating_ = true;
    const Shell& sh = *shell_;
    auto en = [this](const char* name, bool on) {
        if (QAction* a = action(name)) a->setEnabled(on);
    };
    if (QAction* dn = action("mnuViewDrawNote")) dn->setChecked(sh.DrawNote);
    en("mnuFileSave", sh.Menu.Save);
    en("mnuFileSaveAll", sh.Menu.SaveAll);
    en("mnuFileSaveTab", sh.Menu.SaveTab);
    en("mnuFileClose", sh.Menu.Close);
    en("mnuFileCloseAll", sh.Menu.CloseAll);
    en("mnuEditAddProject", sh.Menu.ProjectAdd);
    en("mnuEditDelProject", sh.Menu.ProjectDel);
    en("mnuEditProject", sh.Menu.ProjectEdit);
    en("tbSave", sh.Menu.Save);
    for (int i = 0; i < kSlotCount; ++i) {
        RowDoc* r = sh.RowOfSlot(i);
        optDanNo[i]->setVisible(r != nullptr);
        if (r) {
            optDanNo[i]->setText(Q(r->Caption));
            optDanNo[i]->setProperty("Tag", Q(r->Caption));
        }
        optDanNo[i]->setChecked(r && sh.ActiveRow() == r);
    }
    if (VScroll1->value() != sh.VScroll1Value) VScroll1->setValue(sh.VScroll1Value);
    lblSyou->setText(Q(sh.lblSyou));
    labMeter->setText(Q(sh.labMeter));
    for (auto* a : mnuSeteiMeter) a->setChecked(a->data().toInt() == sh.s.MeterID);
    for (int i = 0; i < 8; ++i) mnuEditDeleteSyosetsu[i]->setVisible(i < sh.s.CurSyosetsuCnt);
    for (int i = 0; i < 5; ++i) mnuSeteiPosRhythm[i]->setChecked(sh.s.PosRhythm == i + 1);
    SyncSettingsMenu();
    // The note-entry window follows the layout style ("符尾は下" only with a staff).
    if (koSetFlet_ && koSetFlet_->isVisible()) koSetFlet_->Refresh();
    if (!labFilePath) {
    } else if (RowDoc* r = sh.ActiveRow()) {
        const std::string path = r->Path();
        labFilePath->setText(Q(r->Caption) + QStringLiteral(": ") +
                             (path.empty() ? QStringLiteral("（未保存）") : QDir::toNativeSeparators(Q(path))) +
                             (r->Modified ? QStringLiteral(" （変更あり）") : QString()));
    } else {
        labFilePath->clear();
    }
    for (int i = 0; i < 4; ++i) {
        const bool on = i < static_cast<int>(sh.RecentCaptions.size());
        mnuFileMRU[i]->setVisible(on);
        if (on) mnuFileMRU[i]->setText(Q(sh.RecentCaptions[i]));
    }
    updating_ = false;
    // Another row may be active now: tool windows step off it.
    if (toolKeeper_) toolKeeper_->Refit();
}

void MainWindow::Refused(const std::string& why) {
    QApplication::beep();
    statusBar()->showMessage(Q(why), 5000);
}

void MainWindow::SetBusy(bool busy, const std::string& statusText) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        setEnabled(false);
        statusBar()->showMessage(Q(statusText));
    } else {
        if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
        setEnabled(true);
        statusBar()->clearMessage();
        // Row windows shown while the frame was disabled were never activated.
        if (gakufu_ && gakufu_->property("toFront").toBool()) {
            gakufu_->setProperty("toFront", false);
            gakufu_->raise();
            mdi_->setActiveSubWindow(gakufu_);
        } else if (RowDoc* r = shell_->ActiveRow()) {
            BringRowToFront(*r);
        }
    }
}

void MainWindow::RefreshProjectList() {
    if (projectList_) projectList_->RefreshProjectList();
}

void MainWindow::ShowProjectList() {
    if (!projectList_) {
        projectList_ = new ProjectListWindow(*shell_, this);
        connect(projectList_, &ProjectListWindow::rowChosen, this, [this](const QString& caption) {
            for (auto& r : shell_->Rows())
                if (Q(r->Caption) == caption) {
                    BringRowToFront(*r);
                    shell_->ActivateProc(*r);
                    break;
                }
        });
    }
    projectList_->RefreshProjectList();
    // Beside the main window, but never off the screen.
    const QRect g = frameGeometry();
    toolKeeper_->MoveTo(projectList_, QPoint(g.right() + 4, g.top()));
    projectList_->show();
    projectList_->raise();
}

QPoint MainWindow::OnScreen(QPoint at, QSize size) const { return toolKeeper_->Place(size, at); }

void MainWindow::CloseCompanions() {
    if (projectList_) projectList_->close();
    if (koSetFlet_) koSetFlet_->hide();
    if (ko3ren_) ko3ren_->hide();
    if (koRepMark_) koRepMark_->hide();
}

void MainWindow::NoteEntryChanged() {
    if (koSetFlet_ && koSetFlet_->isVisible()) koSetFlet_->Refresh();
    if (ko3ren_ && ko3ren_->isVisible()) ko3ren_->Refresh();
    if (RowDoc* r = shell_->ActiveRow())
        if (RowSubWindow* sub = SubWindowOf(r->Id)) sub->Document()->update();
}

void MainWindow::ShowNoteEntry(bool show) {
    if (!show) {
        if (koSetFlet_) koSetFlet_->hide();
        return;
    }
    if (!koSetFlet_) {
        koSetFlet_ = new KoSetFlet(shell_->Entry, this);
        koSetFlet_->OpenChord = [this] {
            // Beside the note-entry window, owned by it.
            if (!koChord_) koChord_ = new KoChord(shell_->Entry, koSetFlet_);
            const QRect g = koSetFlet_->frameGeometry();
            toolKeeper_->MoveTo(koChord_, QPoint(g.left() + g.width() * 2 / 3, g.top() + g.height() / 2));
            koChord_->show();
            koChord_->raise();
        };
        koSetFlet_->OpenPiano = [this] {
            if (!koPiano_) koPiano_ = new KoPiano(shell_->s, shell_->Entry, koSetFlet_);
            koPiano_->LoadFromNote();
            const QRect g = koSetFlet_->frameGeometry();
            toolKeeper_->MoveTo(koPiano_, QPoint(g.left(), g.bottom()));
            koPiano_->show();
            koPiano_->raise();
        };
        koSetFlet_->Activated = [this] { PlaceKoCopy(); };
        // First shown below the active row window, at the frame's left.
        int top = tbToolBar->geometry().top() + 2 * tbToolBar->height() + 12;
        if (RowDoc* r = shell_->ActiveRow())
            if (RowSubWindow* sub = SubWindowOf(r->Id)) top += sub->height();
        koSetFlet_->adjustSize();
        toolKeeper_->MoveTo(koSetFlet_, mapToGlobal(QPoint(2, top)));
    }
    koSetFlet_->Refresh();
    if (!koSetFlet_->isVisible()) koSetFlet_->show();
}

void MainWindow::PlaceNoteEntry(int measure, int cellIndex, bool force) {
    if (koSetFlet_) koSetFlet_->Refresh();
    if (!koSetFlet_ || !koSetFlet_->isVisible() || (!shell_->s.MoveFletForm && !force)) return;
    RowDoc* r = shell_->ActiveRow();
    RowSubWindow* sub = r ? SubWindowOf(r->Id) : nullptr;
    if (!sub) return;
    // Below the row window, starting at the measure.
    const DanLayoutData& lay = shell_->s.DanLayout[r->Slot()];
    const int mx = lay.SyosetsuLeft[std::clamp(measure, 0, 8)] / Tpp();
    toolKeeper_->MoveTo(koSetFlet_, sub->mapToGlobal(QPoint(mx, sub->height() + 4)));
}

void MainWindow::ShowTripletOptions(bool show) {
    if (!show) {
        if (ko3ren_) ko3ren_->hide();
        return;
    }
    if (!ko3ren_) ko3ren_ = new Ko3renOption(shell_->Entry, koSetFlet_ ? static_cast<QWidget*>(koSetFlet_) : this);
    ko3ren_->Refresh();
    if (koSetFlet_) {
        const QRect g = koSetFlet_->frameGeometry();
        toolKeeper_->MoveTo(ko3ren_, QPoint(g.left() + g.width() / 2, g.top() + g.height() / 2));
    }
    ko3ren_->show();
    ko3ren_->raise();
}

int MainWindow::StringUnderMouse() const {
    RowDoc* r = shell_->ActiveRow();
    if (!r || !r->Editor) return 0;
    return r->Editor->StringAt(shell_->g.MouseX, shell_->g.MouseY);
}

void MainWindow::ExecPopup(QMenu& menu) {
    if (PopupHook) {
        PopupHook(menu);
        return;
    }
    menu.exec(QCursor::pos());
}

void MainWindow::ShowNotePopup() {
    if (!shell_->ActiveRow()) return;
    NoteEntry& e = shell_->Entry;
    const int string = StringUnderMouse();
    QMenu menu(this);
    menu.setObjectName("PopUp2");
    QMenu* rhythm = menu.addMenu(QStringLiteral("リズム"));
    rhythm->setObjectName("menuPupRhythm_Item");
    const char* const rhythms[7] = {"全音符", "２分音符", "４分音符", "８分音符", "１６分音符", "３連符", "２拍３連符"};
    for (int i = 0; i < 7; ++i)
        rhythm->addAction(QString::fromUtf8(rhythms[i]), this, [&e, i] { e.PopupRhythm(i); });
    QMenu* fret = menu.addMenu(QStringLiteral("フレット"));
    fret->setObjectName("menuPupFlet_Item");
    fret->addAction(QStringLiteral("開放"), this, [&e, string] { e.PopupFret(string, 0); });
    for (int i = 1; i <= 23; ++i)
        fret->addAction(QString::number(i - 1), this, [&e, string, i] { e.PopupFret(string, i); });
    menu.addAction(QStringLiteral("半音上げる"), this, [&e, string] { e.SetBityoseiNote(string, '+'); });
    menu.addAction(QStringLiteral("半音下げる"), this, [&e, string] { e.SetBityoseiNote(string, '-'); });
    menu.addAction(QStringLiteral("♭⇔#"), this, [&e, string] { e.FlatSharpToggle(string); });
    menu.addAction(QStringLiteral("付点"), this, [&e] { e.PopupToggle(2); });
    menu.addAction(QStringLiteral("スラー"), this, [&e] { e.PopupToggle(0); });
    menu.addAction(QStringLiteral("スラー(H on,P off)"), this, [&e] { e.PopupToggle(1); });
    menu.addAction(QStringLiteral("符尾は↑⇔符尾は↓"), this, [&e] { e.PopupToggle(4); });
    menu.addAction(QStringLiteral("符尾の連結"), this, [&e] { e.PopupToggle(3); });
    menu.addAction(QStringLiteral("休符に変更する"), this, [&e] { e.ChgNote2Kyufu(); });
    menu.addAction(QStringLiteral("クリアー"), this, [&e, string] { e.PopupFret(string, 0); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("音符コピー"), this, [&e] { e.NoteCopy(); });
    menu.addAction(QStringLiteral("音符ペースト"), this, [&e] { e.NotePaste(); });
    ExecPopup(menu);
}

// ---------------------------------------------------------------- score

void MainWindow::mnuEditGakufu(const QString& tag) {
    if (shell_->OpenRowCount() == 0) return;
    if (tag != "0" && !shell_->DrawNote) {
        ShowMsg(ui_, "@0030", "16");
        return;
    }
    Timer1->setProperty("Tag", tag);
    Timer1->start();
}

void MainWindow::DoProjectToGakufu() {
    shell_->DoFileProjectOpen("", false);
    if (shell_->OpenRowCount() == 0) return;
    Timer1->setProperty("Tag", QStringLiteral("0"));
    Timer1->start();
}

void MainWindow::Timer1Timer() {
    Timer1->stop();
    const QString tag = Timer1->property("Tag").toString();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    shell_->CreateGakufu(tag.toStdString());
    QApplication::restoreOverrideCursor();
}

void MainWindow::ShowGakufu() {
    if (shell_->GakufuPages.empty()) return;
    if (!gakufu_) {
        gakufu_ = new ScoreWindow(Tpp());
        mdi_->addSubWindow(gakufu_);
        gakufu_->setWindowIcon(ToolIcon("Gakufu"));
    }
    gakufu_->SetPicture(shell_->GakufuPages[0]);
    // The whole frame, or as much as the score needs of its width.
    const QSize avail = mdi_->viewport()->size();
    gakufu_->setGeometry(0, 0, std::min(avail.width(), shell_->GakufuPages[0].width() + 40), avail.height());
    gakufu_->show();
    gakufu_->raise();
    mdi_->setActiveSubWindow(gakufu_);
    // The end of the busy state brings the active row forward; the score stays in front.
    gakufu_->setProperty("toFront", true);
}

bool MainWindow::SaveImgFile() {
    if (!gakufu_ || gakufu_->Picture().isNull()) return false;
    const QString keep = QDir::currentPath();
    const std::string path = ui_.SaveFileName(kScoreFilter, "");
    QDir::setCurrent(keep);
    if (path.empty()) return false;
    // The file is always in the format its name says.
    std::vector<std::pair<std::string, QByteArray>> files;
    std::string why;
    if (!EncodeScoreFiles(*shell_, path, files, &why)) {
        ShowMsg(ui_, why, "16");
        return false;
    }
    for (const auto& [name, bytes] : files) {
        if (!WriteFileReplacing(name, std::string_view(bytes.constData(), bytes.size()), &why)) {
            ShowMsg(ui_, name + kMsgBreak + why, "16");
            return false;
        }
    }
    return true;
}

void MainWindow::PrintScore(bool preview) {
    if (shell_->OpenRowCount() == 0) return;
#ifdef LW_HAVE_PRINTSUPPORT
    auto paint = [this](QPrinter* printer) {
        QPainter p(printer);
        PaintScorePages(*shell_, p, printer->pageLayout().paintRectPixels(printer->resolution()).translated(
                                        -printer->pageLayout().paintRectPixels(printer->resolution()).topLeft()),
                        [printer] { return printer->newPage(); });
    };
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("楽譜"));
    if (preview) {
        QPrintPreviewDialog dlg(&printer, this);
        dlg.setObjectName("PrintPreview");
        connect(&dlg, &QPrintPreviewDialog::paintRequested, this, paint);
        dlg.exec();
    } else {
        QPrintDialog dlg(&printer, this);
        if (dlg.exec() == QDialog::Accepted) paint(&printer);
    }
#else
    (void)preview;
    ShowMsg(ui_, kNotReady);
#endif
}

void MainWindow::HideCompanions() {
    if (projectList_) projectList_->hide();
}

void MainWindow::ToolsReleased() {
    if (!toolGroup_) return;
    for (QAction* a : toolGroup_->actions()) {
        QSignalBlocker b(a);
        a->setChecked(false);
    }
}

clsKoComm* MainWindow::KoCommObject() {
    if (!koComm_ && koCommCreate_) {
        koComm_.reset(koCommCreate_());
        if (koComm_) koComm_->SetEventSink(koCommEvents_.get());
    }
    return koComm_.get();
}

bool MainWindow::KoCommAvailable() {
    if (koCommCreate_) return true;
    ShowMsg(ui_, "KoComm ライブラリを読み込めなかったため、この機能は使用できません。", "16");
    return false;
}

void MainWindow::mnuMidi() {
    if (!shell_->ActiveRow() || !KoCommAvailable()) return;
    // A fresh object for this run. It is kept apart from the one an open
    // row-area dialog still needs, and released when the player closes.
    std::unique_ptr<clsKoComm> obj(koCommCreate_());
    if (!obj) return;
    obj->SetEventSink(koCommEvents_.get());
    if (shell_->PreparePlayback(*obj)) obj->Show_KoMIDI();
    obj->SetEventSink(nullptr);
}

void MainWindow::mnuExportMidi() {
    if (!shell_->ActiveRow() || !KoCommAvailable()) return;
    std::unique_ptr<clsKoComm> obj(koCommCreate_());
    if (!obj) return;
    if (shell_->ExportMidiFile(*obj)) ShowWritten();
}

void MainWindow::ShowWritten() {
    statusBar()->showMessage(QStringLiteral("書き出しました: ") + QDir::toNativeSeparators(Q(shell_->LastWritten)));
}

void MainWindow::mnuTabArea() {
    if (!shell_->ActiveRow() || !KoCommAvailable()) return;
    ReleaseKoComm();  // a new object replaces the old one
    clsKoComm* obj = KoCommObject();
    if (!obj) return;
    if (!shell_->PrepareTabArea(*obj)) {
        ReleaseKoComm();
        return;
    }
    obj->Show_KoTabArea(static_cast<uintptr_t>(winId()));
}

void MainWindow::ReleaseKoComm() {
    if (!koComm_) return;
    // The event that asks for the release is still running inside the object.
    koComm_->SetEventSink(nullptr);
    released_.push_back(std::move(koComm_));
    QTimer::singleShot(0, this, [this] { released_.clear(); });
}

void MainWindow::OpenInTextEditor(const std::string& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path))))
        ShowMsg(ui_, "ﾃｷｽﾄｴﾃﾞｨﾀを起動できません。" + std::string(kMsgBreak) + path, "64");
}

void MainWindow::DoEvents() { QCoreApplication::processEvents(); }

std::vector<KoCopyHost::Row> MainWindow::OpenRows() {
    std::vector<KoCopyHost::Row> rows;
    for (auto& r : shell_->Rows())
        if (!r->Closing) rows.push_back({r->Caption, r->Slot(), shell_->s.DanBuf[r->Slot()].SyosetsuCnt});
    return rows;
}

void MainWindow::BringRowToFront(int slot) { shell_->BringRowToFront(slot); }

void MainWindow::CopySyosetsu(int srcSlot, int srcMeasure, int dstSlot, int dstMeasure) {
    RowDoc* dst = shell_->RowOfSlot(dstSlot);
    if (!dst) return;
    shell_->BringRowToFront(dstSlot);
    dst->Editor->CopySyosetsu(srcSlot, srcMeasure, dstMeasure);
    RowContentChanged(*dst);
}

void MainWindow::ShowKoCopy() {
    if (!shell_->ActiveRow()) return;
    auto* dlg = new KoCopy(*this, this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->LoadRows();
    koCopy_ = dlg;
    PlaceKoCopy();
    dlg->show();
}

void MainWindow::PlaceKoCopy() {
    if (!koCopy_ || !koSetFlet_ || !koSetFlet_->isVisible()) return;
    const QRect g = koSetFlet_->frameGeometry();
    koCopy_->move(g.left(), g.bottom() + 1);
}

void MainWindow::mnuEditItyou() {
    if (!IsDanOpen(shell_->OpenRowCount(), 1)) return;
    KoKey dlg(shell_->s, ui_, *shell_, this);
    dlg.SetTag("1");
    dlg.exec();
    shell_->mnuViewRefresh();
    shell_->RowEdited();
}

void MainWindow::ShowFramePopup() {
    RowDoc* row = shell_->ActiveRow();
    if (!row) return;
    QMenu menu(this);
    menu.setObjectName("menuPup");
    menu.addAction(QStringLiteral("ｺﾋﾟｰ(&C)"), this, [this] { ShowKoCopy(); })->setObjectName("menuPupCopy");
    QMenu* del = menu.addMenu(QStringLiteral("小節の内容を削除する..."));
    for (int i = 0; i < shell_->s.CurSyosetsuCnt && i < 8; ++i)
        del->addAction(QString::fromUtf8(kDeleteMeasureCaptions[i]), this, [this, i] { shell_->DeleteSyosetsuCmd(i); })
            ->setObjectName(QStringLiteral("menuPupDeleteSyousetsu%1").arg(i));
    menu.addAction(QStringLiteral("最新の情報に更新(&R)"), this, [this] { shell_->mnuViewRefresh(); })
        ->setObjectName("menuPupRfresh");
    ExecPopup(menu);
}

void MainWindow::ShowRepMarkPopup(RowDoc& row, int markIndex) {
    const int id = row.Id;
    QMenu menu(this);
    menu.addAction(QStringLiteral("削除(&D)"), this, [this, id, markIndex] {
        if (RowDoc* r = shell_->FindRow(id)) shell_->DeleteRepMark(*r, markIndex);
    });
    ExecPopup(menu);
}

void MainWindow::About() {
    QDialog dlg(this);
    dlg.setObjectName("frmAbout");
    dlg.setWindowTitle(QStringLiteral("バージョン情報 ") + kAppTitle);
    auto* lay = new QVBoxLayout(&dlg);
    auto* title = new QLabel(kAppTitle);
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 6);
    f.setBold(true);
    title->setFont(f);
    lay->addWidget(title);
    auto* version = new QLabel(Q(VersionCaption()));
    version->setObjectName("lblVersion");
    lay->addWidget(version);
    lay->addWidget(new QLabel(QStringLiteral("TAB譜エディタ")));
    auto* box = new QDialogButtonBox;
    box->addButton(QDialogButtonBox::Ok);
    QPushButton* sys = box->addButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), QDialogButtonBox::ActionRole);
    connect(box, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    connect(sys, &QPushButton::clicked, this, [this] {
        for (const char* tool : {"hardinfo", "gnome-system-monitor", "ksysguard"}) {
            const QString exe = QStandardPaths::findExecutable(tool);
            if (!exe.isEmpty() && QProcess::startDetached(exe, {})) return;
        }
        ShowMsg(ui_, "現時点ではｼｽﾃﾑ情報を使用できません");
    });
    lay->addWidget(box);
    dlg.exec();
}

}  // namespace lw
