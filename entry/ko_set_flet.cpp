#include "ko_set_flet.h"

#include <QApplication>
#include <algorithm>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDrag>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lw {

namespace {
const char* const kStringCaptions[7] = {"", "１弦", "２弦", "３弦", "４弦", "５弦", "６弦"};
const char* const kLenCaptions[6] = {"全音符", "２分音符", "４分音符", "８分音符", "１６分音符", "３連符"};
const char* const kKyufuCaptions[5] = {"４分休符", "８分休符", "１６分休符", "２分休符", "全休符"};
const char* const kEffectCaptions[5] = {"", "Ho", "Po", "S", ""};

void Check(QButtonGroup* g, int id) {
    if (QAbstractButton* b = g->button(id)) {
        b->setChecked(true);
    } else if (QAbstractButton* c = g->checkedButton()) {
        g->setExclusive(false);
        c->setChecked(false);
        g->setExclusive(true);
    }
}
}  // namespace

KoSetFlet::KoSetFlet(NoteEntry& entry, QWidget* parent) : QDialog(parent), e_(entry) {
    setObjectName("KoSetFlet");
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    Build();
    Refresh();
}

QWidget* KoSetFlet::BuildNoteTab() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(4, 4, 4, 4);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(1);
    grid->setVerticalSpacing(1);
    for (int k = 1; k <= 6; ++k) {
        labLine[k] = new QLabel(QString::fromUtf8(kStringCaptions[k]));
        labLine[k]->setObjectName(QStringLiteral("labLine%1").arg(k - 1));
        grid->addWidget(labLine[k], k, 0);
        optFlet[k] = new QButtonGroup(this);
        optFlet[k]->setObjectName(QStringLiteral("optFlet%1").arg(k));
        for (int i = 0; i < NoteEntry::kFretItems; ++i) {
            auto* b = new QRadioButton;
            b->setObjectName(QStringLiteral("optFlet%1_%2").arg(k).arg(i));
            b->setToolTip(i == 0 ? QStringLiteral("鳴らさない") : QString());
            optFlet[k]->addButton(b, i);
            grid->addWidget(b, k, i + 1, Qt::AlignCenter);
        }
        const int string = k;
        connect(optFlet[k], &QButtonGroup::idClicked, this, [this, string](int id) {
            if (!refreshing_) e_.OptFletClick(string, id);
        });
        optEfect[k] = new QButtonGroup(this);
        for (int i = 0; i < 5; ++i) {
            auto* b = new QRadioButton(QString::fromUtf8(kEffectCaptions[i]));
            b->setObjectName(QStringLiteral("optEfect%1_%2").arg(k).arg(i));
            optEfect[k]->addButton(b, i);
            grid->addWidget(b, k, NoteEntry::kFretItems + 2 + i);
        }
        connect(optEfect[k], &QButtonGroup::idClicked, this, [this, string](int id) {
            if (!refreshing_) e_.EffectClick(string, id);
        });
    }
    // Fret numbers above the columns; they follow the fret window. The first
    // column silences the string; the playing effects stand apart.
    auto* silent = new QLabel(QStringLiteral("×"));
    silent->setToolTip(QStringLiteral("鳴らさない"));
    silent->setAlignment(Qt::AlignCenter);
    grid->addWidget(silent, 0, 1);
    grid->setColumnMinimumWidth(NoteEntry::kFretItems + 1, 12);
    auto* effects = new QLabel(QStringLiteral("なし　奏法"));
    grid->addWidget(effects, 0, NoteEntry::kFretItems + 2, 1, 5);
    for (int i = 1; i < NoteEntry::kFretItems; ++i) {
        auto* cap = new QLabel;
        cap->setObjectName(QStringLiteral("labFletCaption%1").arg(i));
        cap->setAlignment(Qt::AlignCenter);
        grid->addWidget(cap, 0, i + 1);
    }
    v->addLayout(grid);
    HScroll1 = new QScrollBar(Qt::Horizontal);
    HScroll1->setObjectName("HScroll1");
    HScroll1->setRange(1, NoteEntry::kMaxFretStart);
    HScroll1->setPageStep(1);
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int v) {
        if (!refreshing_) e_.HScrollChange(v);
    });
    v->addWidget(HScroll1);

    auto* lens = new QHBoxLayout;
    optLen = new QButtonGroup(this);
    for (int i = 0; i < 6; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(kLenCaptions[i]));
        b->setObjectName(QStringLiteral("optLen%1").arg(i));
        optLen->addButton(b, i);
        lens->addWidget(b);
    }
    connect(optLen, &QButtonGroup::idClicked, this, [this](int id) {
        if (!refreshing_) e_.LenClick(id);
    });
    v->addLayout(lens);

    auto* checks = new QHBoxLayout;
    const struct {
        QCheckBox** box;
        const char* name;
        const char* caption;
        int index;
    } boxes[] = {{&chkSlar, "chkSlar", "タイ", 0},
                 {&chkSlar2, "chkSlar2", "ｽﾗ－", 1},
                 {&chkFuten, "chkFuten", "付点", 2},
                 {&chkRenhaku, "chkRenhaku", "符尾の連結", 3},
                 {&chkDownUp, "chkDownUp", "符尾は下", 4}};
    for (const auto& b : boxes) {
        *b.box = new QCheckBox(QString::fromUtf8(b.caption));
        (*b.box)->setObjectName(b.name);
        const int index = b.index;
        connect(*b.box, &QCheckBox::clicked, this, [this, index](bool on) {
            if (!refreshing_) e_.CheckClick(index, on);
        });
        checks->addWidget(*b.box);
    }
    v->addLayout(checks);
    return page;
}

QWidget* KoSetFlet::BuildRestTab() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* frame = new QGroupBox(QStringLiteral("休符"));
    frame->setObjectName("frmKyufu");
    auto* h = new QHBoxLayout(frame);
    optKyufu = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(kKyufuCaptions[i]));
        b->setObjectName(QStringLiteral("optKyufu%1").arg(i));
        optKyufu->addButton(b, i);
        h->addWidget(b);
    }
    connect(optKyufu, &QButtonGroup::idClicked, this, [this](int id) {
        if (!refreshing_) e_.KyufuClick(id);
    });
    v->addWidget(frame);
    v->addStretch();
    return page;
}

QWidget* KoSetFlet::BuildChordTab() {
    auto* page = new QWidget;
    auto* h = new QHBoxLayout(page);
    cmdChord = new QPushButton(QStringLiteral("コード"));
    cmdChord->setObjectName("cmdChord");
    cmdChord->setToolTip(QStringLiteral("ローコードからハイコードまで順次検索します。"));
    cmdPiano = new QPushButton(QStringLiteral("Piano"));
    cmdPiano->setObjectName("cmdPiano");
    connect(cmdChord, &QPushButton::clicked, this, [this] {
        if (OpenChord) OpenChord();
    });
    connect(cmdPiano, &QPushButton::clicked, this, [this] {
        if (OpenPiano) OpenPiano();
    });
    h->addWidget(cmdChord);
    h->addWidget(cmdPiano);
    h->addStretch();
    return page;
}

void KoSetFlet::Build() {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(6, 6, 6, 6);
    tabOnpu = new QTabWidget;
    tabOnpu->setObjectName("tabOnpu");
    tabOnpu->addTab(BuildNoteTab(), QStringLiteral("音符"));
    tabOnpu->addTab(BuildRestTab(), QStringLiteral("休符"));
    tabOnpu->addTab(BuildChordTab(), QStringLiteral("コード"));
    connect(tabOnpu, &QTabWidget::currentChanged, this, [this](int i) {
        if (!refreshing_) e_.TabClick(i);
    });
    v->addWidget(tabOnpu);

    auto* bottom = new QHBoxLayout;
    auto* before = new QGridLayout;
    before->addWidget(new QLabel(QStringLiteral("前回のx")), 0, 0);
    before->addWidget(new QLabel(QStringLiteral("前回のＹ")), 1, 0);
    BeforeX = new QLabel("0");
    BeforeX->setObjectName("BeforeX");
    BeforeY = new QLabel("0");
    BeforeY->setObjectName("BeforeY");
    before->addWidget(BeforeX, 0, 1);
    before->addWidget(BeforeY, 1, 1);
    bottom->addLayout(before);
    auto* preview = new QVBoxLayout;
    preview->setSpacing(0);
    for (int k = 0; k < 6; ++k) {
        labPos[k] = new QLabel;
        labPos[k]->setObjectName(QStringLiteral("labPos%1").arg(k));
        labPos[k]->setFixedHeight(14);
        preview->addWidget(labPos[k]);
    }
    bottom->addLayout(preview);
    bottom->addStretch();
    cmdAdd = new QPushButton(QStringLiteral("同じ小節に追加"));
    cmdAdd->setObjectName("cmdAdd");
    cmdInsert[0] = new QPushButton(QStringLiteral("前挿入"));
    cmdInsert[0]->setObjectName("cmdInsert0");
    cmdInsert[0]->setToolTip(QStringLiteral("選択した音符の前に挿入"));
    cmdInsert[1] = new QPushButton(QStringLiteral("後挿入"));
    cmdInsert[1]->setObjectName("cmdInsert1");
    cmdInsert[1]->setToolTip(QStringLiteral("選択した音符の後ろに挿入"));
    cmdUpdate = new QPushButton(QStringLiteral("更新"));
    cmdUpdate->setObjectName("cmdUpdate");
    cmdClear = new QPushButton(QStringLiteral("クリア"));
    cmdClear->setObjectName("cmdClear");
    cmdUndo = new QPushButton(QStringLiteral("戻す(&Z)"));
    cmdUndo->setObjectName("cmdUndo");
    cmdUndo->setToolTip(QStringLiteral("元に戻す。"));
    // On the rest tab the rest's "更新" and "削除" stand in the places of
    // "更新" and "クリア".
    cmdUpdate_kyf = new QPushButton(QStringLiteral("更新"));
    cmdUpdate_kyf->setObjectName("cmdUpdate_kyf");
    cmdDelete_kyf = new QPushButton(QStringLiteral("削除"));
    cmdDelete_kyf->setObjectName("cmdDelete_kyf");
    connect(cmdUpdate_kyf, &QPushButton::clicked, this, [this] { e_.CmdUpdateKyf(); });
    connect(cmdDelete_kyf, &QPushButton::clicked, this, [this] { e_.CmdDeleteKyf(); });
    for (QPushButton* b : {cmdAdd, cmdInsert[0], cmdInsert[1], cmdUpdate, cmdUpdate_kyf, cmdClear, cmdDelete_kyf, cmdUndo}) {
        b->setAutoDefault(false);
        bottom->addWidget(b);
    }
    connect(cmdAdd, &QPushButton::clicked, this, [this] { e_.CmdAdd(); });
    connect(cmdInsert[0], &QPushButton::clicked, this, [this] { e_.CmdInsert(0); });
    connect(cmdInsert[1], &QPushButton::clicked, this, [this] { e_.CmdInsert(1); });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { e_.UpdateProc(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { e_.CmdClear(); });
    connect(cmdUndo, &QPushButton::clicked, this, [this] { e_.CmdUndo(); });
    v->addLayout(bottom);
    auto* hint = new QLabel(QStringLiteral("ここをドラッグして段に落とすと、音符が置かれます。"));
    hint->setObjectName("labDragHint");
    hint->setStyleSheet(QStringLiteral("color: gray"));
    v->addWidget(hint);
}

void KoSetFlet::ShowStrings(int strings) {
    for (int k = 1; k <= 6; ++k) {
        const bool on = k <= strings;
        labLine[k]->setVisible(on);
        for (QAbstractButton* b : optFlet[k]->buttons()) b->setVisible(on);
        for (QAbstractButton* b : optEfect[k]->buttons()) b->setVisible(on);
        labPos[k - 1]->setVisible(on);
    }
    // Chord shapes exist for four-string instruments.
    cmdChord->setEnabled(strings == 4);
}

void KoSetFlet::Refresh() {
    refreshing_ = true;
    const QSignalBlocker block(tabOnpu);
    setWindowTitle(QStringLiteral("フレット描画（%1小節目）").arg(e_.CursorM >= 0 ? e_.CursorM + 1 : 1));
    tabOnpu->setCurrentIndex(std::clamp(e_.Tab, 0, 2));
    {
        const QSignalBlocker b(HScroll1);
        HScroll1->setValue(e_.HScroll1);
    }
    for (int i = 1; i < NoteEntry::kFretItems; ++i)
        if (auto* cap = findChild<QLabel*>(QStringLiteral("labFletCaption%1").arg(i)))
            cap->setText(QString::number(e_.FretOfItem(i)));
    for (int k = 1; k <= 6; ++k) {
        Check(optFlet[k], e_.FletItemOf(k));
        Check(optEfect[k], e_.EffectItem[k]);
        const int p = e_.GetPosNo(k);
        labPos[k - 1]->setText(p > 0 ? QString::number(p - 1) : QString());
    }
    ShowStrings(e_.Strings());
    // The rest tab hides the preview of the note's frets.
    if (e_.Tab == 1)
        for (QLabel* l : labPos) l->setVisible(false);
    BeforeX->setText(QString::fromStdString(e_.BeforeX()));
    BeforeY->setText(QString::fromStdString(e_.BeforeY()));
    // The stem direction matters only where notes stand on the staff.
    chkDownUp->setVisible(e_.StaffShown());
    Check(optLen, e_.LenOption);
    chkSlar->setChecked(e_.chkSlar);
    chkSlar2->setChecked(e_.chkSlar2);
    chkFuten->setChecked(e_.chkFuten);
    chkRenhaku->setChecked(e_.chkRenhaku);
    chkDownUp->setChecked(e_.chkDownUp);
    Check(optKyufu, e_.KyufuTag);
    const bool rests = e_.Tab == 1;
    cmdUpdate->setVisible(!rests);
    cmdClear->setVisible(!rests);
    cmdUpdate_kyf->setVisible(rests);
    cmdDelete_kyf->setVisible(rests);
    cmdUpdate->setEnabled(e_.UpdateEnabled);
    cmdClear->setEnabled(e_.UpdateEnabled);
    cmdUpdate_kyf->setEnabled(e_.RestButtonsEnabled);
    cmdDelete_kyf->setEnabled(e_.RestButtonsEnabled);
    refreshing_ = false;
}

void KoSetFlet::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && Activated) Activated();
}

void KoSetFlet::mousePressEvent(QMouseEvent* e) {
    pressAt_ = e->position().toPoint();
    pressed_ = e->button() == Qt::LeftButton;
    QDialog::mousePressEvent(e);
}

void KoSetFlet::mouseMoveEvent(QMouseEvent* e) {
    if (pressed_ && (e->position().toPoint() - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
        pressed_ = false;
        StartDrag();
        return;
    }
    QDialog::mouseMoveEvent(e);
}

void KoSetFlet::StartDrag() {
    // The note (or the rest of the rest tab) as the controls show it is what
    // a drop onto a row enters.
    if (e_.Tab == 1)
        e_.SetNoteData_kyf();
    else
        e_.SetNoteData();
    e_.UpdateEnabled = false;
    Refresh();
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("aaaa"));
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
}

// ---------------------------------------------------------------- Ko3renOption

Ko3renOption::Ko3renOption(NoteEntry& entry, QWidget* parent) : QDialog(parent), e_(entry) {
    setObjectName("Ko3renOption");
    setWindowTitle(QStringLiteral("連符ｵﾌﾟｼｮﾝ"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* v = new QVBoxLayout(this);
    auto* notes = new QGroupBox(QStringLiteral("音符"));
    auto* nh = new QHBoxLayout(notes);
    optBunNote = new QButtonGroup(this);
    const char* const bun[3] = {"８分音符", "４分音符", "２分音符"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(bun[i]));
        b->setObjectName(QStringLiteral("optBunNote%1").arg(i));
        optBunNote->addButton(b, i);
        nh->addWidget(b);
    }
    auto* types = new QGroupBox(QStringLiteral("リズム"));
    auto* th = new QHBoxLayout(types);
    optType = new QButtonGroup(this);
    const char* const ty[4] = {"タタタ", "タータ", "タター", "標準"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(ty[i]));
        b->setObjectName(QStringLiteral("optType%1").arg(i));
        optType->addButton(b, i);
        th->addWidget(b);
    }
    v->addWidget(notes);
    v->addWidget(types);
    connect(optBunNote, &QButtonGroup::idClicked, this, [this](int id) {
        if (refreshing_) return;
        e_.BunNoteClick(id);
        Refresh();
    });
    connect(optType, &QButtonGroup::idClicked, this, [this](int id) {
        if (refreshing_) return;
        e_.TypeClick(id);
        Refresh();
    });
    Refresh();
}

void Ko3renOption::Refresh() {
    refreshing_ = true;
    int id = e_.CurNoteLengthID();
    if (id < 6 || id > 8) id = 7;
    Check(optBunNote, id - 6);
    optType->button(1)->setEnabled(id == 7);
    optType->button(2)->setEnabled(id == 7);
    Check(optType, e_.CurSanrenOpt());
    refreshing_ = false;
}

}  // namespace lw
