#include "ko_wizard.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "ko_kytsu_setei.h"
#include "ko_tuning.h"
#include "messages.h"

namespace lw {

namespace {
const char* const kInstruments[7] = {"ギター", "ウクレレ(Low-G)", "ウクレレ(High-G)", "ベース",
                                     "フラットマンドリン", "チャランゴ", "ベース（５弦）"};
const char* const kStyles[5] = {"リズム譜は５線譜の下", "リズム譜はTAB譜の下", "TAB譜のみ、リズム譜はTAB譜の下",
                                "TAB譜のみ、リズム譜はTAB譜の上", "TAB譜のみ、リズム譜なし"};
}  // namespace

KoWizard::KoWizard(WizardHost& host, UiPort& ui, int startAction, QWidget* parent)
    : QDialog(parent), host_(host), ui_(ui), action_(startAction) {
    setObjectName("KoWizard");
    setWindowTitle(startAction == kStartNewRow ? QStringLiteral("新規作成ウイザード")
                                               : QStringLiteral("オプション設定ウイザード"));
    host_.WizReloadSettings();
    Session& s = host_.WizSession();
    for (int i = 0; i < 4; ++i) {
        Frame[i] = new QGroupBox(QStringLiteral("Step%1").arg(i + 1), this);
        Frame[i]->setObjectName(QStringLiteral("Frame%1").arg(i + 1));
    }
    // Step 1: instrument and layout style.
    {
        auto* g = new QHBoxLayout(Frame[0]);
        auto* inst = new QGroupBox(QStringLiteral("楽器"), Frame[0]);
        auto* iv = new QVBoxLayout(inst);
        auto* ig = new QButtonGroup(this);
        for (int i = 0; i < 7; ++i) {
            Option1[i] = new QRadioButton(QString::fromUtf8(kInstruments[i]), inst);
            Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
            ig->addButton(Option1[i], i);
            iv->addWidget(Option1[i]);
        }
        auto* style = new QGroupBox(QStringLiteral("レイアウト"), Frame[0]);
        auto* sv = new QVBoxLayout(style);
        auto* sg = new QButtonGroup(this);
        for (int i = 0; i < 5; ++i) {
            Option2[i] = new QRadioButton(QString::fromUtf8(kStyles[i]), style);
            Option2[i]->setObjectName(QStringLiteral("Option2_%1").arg(i));
            sg->addButton(Option2[i], i);
            sv->addWidget(Option2[i]);
        }
        sv->addStretch(1);
        g->addWidget(inst);
        g->addWidget(style);
        connect(sg, &QButtonGroup::idClicked, this, [this](int i) { LayoutStyleClicked(i); });
    }
    // Step 2: font sizes and display options.
    {
        auto* v = new QVBoxLayout(Frame[1]);
        auto* form = new QFormLayout;
        txtFontSize = new QLineEdit(QString::number(s.ChordFontSize), Frame[1]);
        txtFontSize->setObjectName("txtFontSize");
        txtFontSize2 = new QLineEdit(QString::number(s.FletFontSize), Frame[1]);
        txtFontSize2->setObjectName("txtFontSize2");
        for (QLineEdit* e : {txtFontSize, txtFontSize2}) {
            e->setMaxLength(3);
            e->setMaximumWidth(80);
        }
        form->addRow(QStringLiteral("コード名のフォントサイズ"), txtFontSize);
        form->addRow(QStringLiteral("フレット番号のフォントサイズ"), txtFontSize2);
        v->addLayout(form);
        const char* checks[3] = {"フレット設定画面を移動させる", "リズム譜を毎回書きかえる", "音符を描画する"};
        for (int i = 0; i < 3; ++i) {
            Check1[i] = new QCheckBox(QString::fromUtf8(checks[i]), Frame[1]);
            Check1[i]->setObjectName(QStringLiteral("Check1_%1").arg(i));
            v->addWidget(Check1[i]);
        }
        v->addStretch(1);
    }
    // Step 3: time signature, applied at once.
    {
        auto* g = new QGridLayout(Frame[2]);
        auto* mg = new QButtonGroup(this);
        for (size_t k = 0; k < kWizardMeters.size(); ++k) {
            const int id = kWizardMeters[k];
            optMeter[id] = new QRadioButton(QString::fromUtf8(MeterCaption(id)), Frame[2]);
            optMeter[id]->setObjectName(QStringLiteral("optMeter%1").arg(id));
            mg->addButton(optMeter[id], id);
            g->addWidget(optMeter[id], static_cast<int>(k) % 3, static_cast<int>(k) / 3);
        }
        connect(mg, &QButtonGroup::idClicked, this, [this](int id) { host_.WizMeter(id); });
    }
    // Step 4: measure count, key and chord names.
    {
        auto* h = new QHBoxLayout(Frame[3]);
        VScroll1 = new QScrollBar(Qt::Vertical, Frame[3]);
        VScroll1->setObjectName("VScroll1");
        VScroll1->setRange(1, 8);
        VScroll1->setPageStep(1);
        VScroll1->setFixedHeight(60);
        lblSyou = new QLabel(Frame[3]);
        lblSyou->setObjectName("lblSyou");
        Command1 = new QPushButton(QStringLiteral("調号"), Frame[3]);
        Command1->setObjectName("Command1");
        Command2 = new QPushButton(QStringLiteral("コード"), Frame[3]);
        Command2->setObjectName("Command2");
        h->addWidget(VScroll1);
        h->addWidget(lblSyou);
        h->addStretch(1);
        h->addWidget(Command1);
        h->addWidget(Command2);
        connect(VScroll1, &QScrollBar::valueChanged, this, [this](int v) {
            lblSyou->setText(QStringLiteral("小節数:%1").arg(9 - v));
            host_.WizMeasureSpinner(v);
        });
        for (QPushButton* b : {Command1, Command2}) b->setCheckable(true);
        connect(Command1, &QPushButton::clicked, this, [this] { KeyOrChord(true); });
        connect(Command2, &QPushButton::clicked, this, [this] { KeyOrChord(false); });
    }
    cmdReturn = new QPushButton(QStringLiteral("戻る"), this);
    cmdReturn->setObjectName("cmdReturn");
    cmdNext = new QPushButton(QStringLiteral("次へ"), this);
    cmdNext->setObjectName("cmdNext");
    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setObjectName("OK");
    Cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Cancel->setObjectName("Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {cmdReturn, cmdNext, OK, Cancel}) buttons->addWidget(b);
    // One frame shown at a time in a page of the largest frame's size, so
    // the buttons stay where they are from step to step.
    auto* pages = new QStackedLayout;
    for (QGroupBox* f : Frame) pages->addWidget(f);
    pages_ = pages;
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(pages);
    lay->addLayout(buttons);
    lay->setSizeConstraint(QLayout::SetFixedSize);
    connect(cmdNext, &QPushButton::clicked, this, [this] { Next(); });
    connect(cmdReturn, &QPushButton::clicked, this, [this] { Return(); });
    connect(OK, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(Cancel, &QPushButton::clicked, this, [this] { OnCancel(); });

    // Current values.
    Option1[std::clamp<int>(s.GakkiMenuIx, 0, 6)]->setChecked(true);
    const int style = std::clamp<int>(s.PosRhythm, 1, 5) - 1;
    Option2[style]->setChecked(true);
    Check1[0]->setChecked(s.MoveFletForm);
    Check1[1]->setChecked(s.RhythmRewrite);
    Check1[2]->setChecked(host_.WizDrawNote());
    Check1[2]->setEnabled(style == 0);
    if (s.MeterID >= 0 && s.MeterID < static_cast<int>(optMeter.size()) && optMeter[s.MeterID])
        optMeter[s.MeterID]->setChecked(true);
    {
        const QSignalBlocker b(VScroll1);
        VScroll1->setValue(9 - std::clamp<int>(s.CurSyosetsuCnt, 1, 8));
    }
    lblSyou->setText(QStringLiteral("小節数:%1").arg(9 - VScroll1->value()));
    GoTo(1);
}

void KoWizard::LayoutStyleClicked(int i) {
    // Notes are drawn on the staff only in the first style.
    Check1[2]->setChecked(i == 0);
    Check1[2]->setEnabled(i == 0);
}

void KoWizard::GoTo(int step) {
    step_ = std::clamp(step, 1, 4);
    pages_->setCurrentIndex(step_ - 1);
    cmdReturn->setEnabled(step_ > 1);
    cmdNext->setEnabled(step_ < 4);
    (step_ < 4 ? cmdNext : OK)->setDefault(true);
}

WizardChoice KoWizard::Choice() const {
    WizardChoice c;
    for (int i = 0; i < 7; ++i)
        if (Option1[i]->isChecked()) c.instrument = i;
    for (int i = 0; i < 5; ++i)
        if (Option2[i]->isChecked()) c.posRhythm = i + 1;
    c.chordFontSize = ParseFontSize(txtFontSize->text());
    c.fletFontSize = ParseFontSize(txtFontSize2->text());
    c.moveFletForm = Check1[0]->isChecked();
    c.rhythmRewrite = Check1[1]->isChecked();
    c.drawNote = Check1[2]->isChecked();
    return c;
}

bool KoWizard::OnOk() {
    const WizardChoice c = Choice();
    if (!c.chordFontSize || !c.fletFontSize) {
        ShowMsg(ui_, "Step2: " + FontSizeMessage().toStdString(), "16");
        GoTo(2);
        (c.chordFontSize ? txtFontSize2 : txtFontSize)->setFocus();
        return false;
    }
    if (!host_.WizStore(c)) return false;
    hide();
    host_.WizStart(action_);
    if (pendingKey_) host_.WizKeyCommand(parentWidget());
    if (pendingChord_) host_.WizChordCommand(parentWidget());
    accept();
    return true;
}

void KoWizard::KeyOrChord(bool key) {
    QPushButton* b = key ? Command1 : Command2;
    bool& pending = key ? pendingKey_ : pendingChord_;
    if (key ? host_.WizKeyCommand(this) : host_.WizChordCommand(this)) {
        pending = false;
    } else {
        // No row yet: the dialog comes with the row the wizard opens; the
        // button stays pressed until then (a second press takes it back).
        pending = !pending;
    }
    b->setChecked(pending);
    b->setToolTip(pending ? QStringLiteral("OKで段を開いた後に開きます") : QString());
}

void KoWizard::OnCancel() { reject(); }

void KoWizard::reject() {
    host_.WizCancelled();
    QDialog::reject();
}

}  // namespace lw
