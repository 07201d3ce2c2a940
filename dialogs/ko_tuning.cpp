#include "ko_tuning.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "messages.h"
#include "settings.h"
#include "staff_notation.h"

namespace lw {

const std::array<const char*, 36> kPitchNames = {
    "C (-1oct)", "C#(-1oct)", "D (-1oct)", "D#(-1oct)", "E (-1oct)", "F (-1oct)", "F#(-1oct)", "G (-1oct)",
    "G#(-1oct)", "A (-1oct)", "B♭(-1oct)", "B (-1oct)", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A",
    "B♭", "B", "C (+1oct)", "C#(+1oct)", "D (+1oct)", "D#(+1oct)", "E (+1oct)", "F (+1oct)", "F#(+1oct)",
    "G (+1oct)", "G#(+1oct)", "A (+1oct)", "B♭(+1oct)", "B (+1oct)"};

const std::array<TuningChoice, 19> kTuningChoices = {{
    {0, "ギター"}, {1, "ウクレレ(Low-G)"}, {2, "ウクレレ(High-G)"}, {3, "ベース"}, {4, "フラットマンドリン"},
    {6, "Open-D (DADF#AD)"}, {7, "Open-G (DGDGBD)"}, {8, "Open-A (EAEAC#E)"}, {9, "Open-E (EBEG#BE)"},
    {10, "Open-D69 (DADF#BE)"}, {11, "Open-D6 (DADF#BD)"}, {12, "Dropped-D (DADGBE)"},
    {13, "Modal-D (DADGAD)"}, {14, "Unison-D (DADDAD)"}, {21, "チャランゴ"}, {22, "ベース（５弦）"},
    {97, "ユーザー設定（５弦）"}, {98, "ユーザー設定（４弦）"}, {99, "ユーザー設定（６弦）"},
}};

const std::array<const char*, 7> kGakkiMenuCaptions = {
    "Guiter", "Ukulele（Low-G）", "Ukulele(High-G)", "ベース", "フラットマンドリン", "チャランゴ", "ベース（５弦）"};

int StringCountOfCode(int code) {
    if ((code >= 1 && code <= 4) || code == 98) return 4;
    if (code == 21 || code == 22 || code == 97) return 5;
    return 6;
}

int TuningRefusalMessage(int maxStringIx) { return maxStringIx == 5 ? 1 : maxStringIx == 3 ? 2 : 38; }

int GakkiCodeOfItem(int item) { return item == 5 ? 21 : item == 6 ? 22 : item; }
int MaxStringIxOfItem(int item) { return item == 0 ? 5 : (item == 5 || item == 6) ? 4 : 3; }

void ChooseInstrument(Session& s, int item) {
    if (item < 0 || item > 6) return;
    s.GakkiMenuIx = static_cast<int16_t>(item);
    s.GakkiCode = static_cast<int16_t>(GakkiCodeOfItem(item));
    s.MaxStringIx = static_cast<int16_t>(MaxStringIxOfItem(item));
}

KoTuning::KoTuning(Session& s, UiPort& ui, std::string iniPath, QWidget* parent)
    : QDialog(parent), s_(s), ui_(ui), ini_(std::move(iniPath)) {
    setObjectName("KoTuning");
    setWindowTitle(QStringLiteral("チューニング変更"));
    auto* group = new QButtonGroup(this);
    auto* options = new QGridLayout;
    const int rows = (static_cast<int>(kTuningChoices.size()) + 1) / 2;
    for (size_t i = 0; i < kTuningChoices.size(); ++i) {
        const TuningChoice& t = kTuningChoices[i];
        auto* b = new QRadioButton(QString::fromUtf8(t.caption), this);
        b->setObjectName(QStringLiteral("Option1_%1").arg(t.code));
        group->addButton(b, t.code);
        options->addWidget(b, static_cast<int>(i) % rows, static_cast<int>(i) / rows);
        Option1[t.code] = b;
    }
    auto* strings = new QGridLayout;
    const char* lineNames[6] = {"１弦", "２弦", "３弦", "４弦", "５弦", "６弦"};
    // Sixth string at the top, as the strings lie on the instrument's neck.
    for (int i = 0; i < 6; ++i) {
        lbLine[i] = new QLabel(QString::fromUtf8(lineNames[i]), this);
        lbLine[i]->setObjectName(QStringLiteral("lbLine%1").arg(i));
        cmbLineBase[i] = new QComboBox(this);
        cmbLineBase[i]->setObjectName(QStringLiteral("cmbLineBase%1").arg(i));
        for (const char* p : kPitchNames) cmbLineBase[i]->addItem(QString::fromUtf8(p));
        lbLine[i]->setBuddy(cmbLineBase[i]);
        strings->addWidget(lbLine[i], 5 - i, 0);
        strings->addWidget(cmbLineBase[i], 5 - i, 1);
    }
    auto* frame = new QGroupBox(this);
    frame->setLayout(options);
    auto* box = new QDialogButtonBox(this);
    OK = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OK->setObjectName("OK");
    OK->setDefault(true);
    auto* top = new QHBoxLayout;
    top->addWidget(frame);
    top->addLayout(strings);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(top);
    lay->addWidget(box);
    lay->setSizeConstraint(QLayout::SetFixedSize);
    QWidget* prev = nullptr;
    for (const TuningChoice& t : kTuningChoices) {
        if (prev) setTabOrder(prev, Option1[t.code]);
        prev = Option1[t.code];
    }
    for (int i = 5; i >= 0; --i) {
        setTabOrder(prev, cmbLineBase[i]);
        prev = cmbLineBase[i];
    }
    setTabOrder(prev, OK);
    connect(group, &QButtonGroup::idClicked, this, [this](int c) { ChooseCode(c); });
    connect(OK, &QPushButton::clicked, this, [this] { OnOk(); });
    ChooseCode(s_.GakkiCode);
}

bool KoTuning::ChooseCode(int c) {
    if (!Option1.count(c)) return false;
    if (StringCountOfCode(c) != s_.MaxStringIx + 1) {
        ShowMsg(ui_, MessageText(TuningRefusalMessage(s_.MaxStringIx)), "16");
        if (Option1.count(s_.GakkiCode)) Option1[s_.GakkiCode]->setChecked(true);
        return false;
    }
    const bool changed = s_.GakkiCode != c;
    s_.GakkiCode = static_cast<int16_t>(c);
    // The choice holds for the run and the next start.
    if (changed) WriteGakki(s_, ini_);
    Option1[c]->setChecked(true);
    OpenValues v{};
    OpenStringValues(c, s_.TuningTbl, v);
    const int n = StringCountOfCode(c);
    const bool user = c >= 97 && c <= 99;
    for (int i = 0; i < 6; ++i) {
        cmbLineBase[i]->setCurrentIndex(std::clamp(v[i], 0, 35));
        cmbLineBase[i]->setVisible(i < n);
        lbLine[i]->setVisible(i < n);
        cmbLineBase[i]->setEnabled(user);
    }
    return true;
}

void KoTuning::OnOk() {
    for (int i = 0; i < 6; ++i) LineBase[i] = static_cast<int16_t>(cmbLineBase[i]->currentIndex());
    const int c = s_.GakkiCode;
    if (c >= 97 && c <= 99) {
        const int col = s_.MaxStringIx == 3 ? 0 : s_.MaxStringIx == 5 ? 1 : 2;
        const int n = s_.MaxStringIx + 1;
        // Strings the instrument does not have are kept as 0.
        for (int i = 0; i < 6; ++i) s_.TuningTbl[i][col] = i < n ? LineBase[i] : 0;
        WriteTuning(s_, ini_);
    }
    s_.GakkiMenuIx = GakkiInfoOf(c).menuIx;
    accept();
}

}  // namespace lw
