#include "ko_syousets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "messages.h"

namespace lw {

namespace {
const char* const kMeasureCaptions[8] = {"１小節", "２小節", "３小節", "４小節",
                                         "５小節", "６小節", "７小節", "８小節"};
const char* const kPosCaptions[3] = {"上段", "中段", "下段"};
}  // namespace

KoSyousets::KoSyousets(Session& s, UiPort& ui, SyousetsHost& host, QWidget* parent)
    : QDialog(parent), s_(s), ui_(ui), host_(host) {
    setObjectName("KoSyousets");
    setWindowTitle(QStringLiteral("小節設定"));
    const int count = std::clamp<int>(s_.CurSyosetsuCnt, 1, kMaxMeasures);
    const DanData& d = s_.CurDan();
    auto* measures = new QGridLayout;
    for (int m = 0; m < 8; ++m) {
        auto* f = new QGroupBox(QString::fromUtf8(kMeasureCaptions[m]), this);
        f->setObjectName(QStringLiteral("frmSyosetsu%1").arg(m));
        auto* v = new QVBoxLayout(f);
        for (int j = 2 * m; j <= 2 * m + 1; ++j) {
            txtChord[j] = new QLineEdit(f);
            txtChord[j]->setObjectName(QStringLiteral("txtChord%1").arg(j));
            txtChord[j]->setMinimumWidth(90);
            v->addWidget(txtChord[j]);
        }
        frmSyosetsu[m] = f;
        measures->addWidget(f, m / 4, m % 4);
        const bool shown = m < count;
        f->setVisible(shown);
        f->setEnabled(shown);
        if (shown) {
            txtChord[2 * m]->setText(QString::fromStdString(d.Syosetsu[m].Chord1));
            txtChord[2 * m + 1]->setText(QString::fromStdString(d.Syosetsu[m].Chord2));
        }
    }
    frmChordPos = new QGroupBox(QStringLiteral("描画位置"), this);
    frmChordPos->setObjectName("frmChordPos");
    auto* pos = new QHBoxLayout(frmChordPos);
    for (int i = 0; i < 3; ++i) {
        optPos[i] = new QRadioButton(QString::fromUtf8(kPosCaptions[i]), frmChordPos);
        optPos[i]->setObjectName(QStringLiteral("optPos%1").arg(i));
        pos->addWidget(optPos[i]);
        connect(optPos[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) chordPos_ = i;
        });
    }
    optPos[std::clamp<int>(d.Syosetsu[0].ChordPos, 0, 2)]->setChecked(true);
    cmdAutoChord = new QPushButton(QStringLiteral("コード反映"), this);
    cmdAutoChord->setObjectName("cmdAutoChord");
    // Chord shapes are known for four-string instruments only.
    cmdAutoChord->setEnabled(s_.MaxStringIx == 3);
    Update = new QPushButton(QStringLiteral("更新"), this);
    Update->setObjectName("Update");
    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setObjectName("OK");
    OK->setDefault(true);
    auto* frmCmd = new QHBoxLayout;
    frmCmd->addWidget(frmChordPos);
    frmCmd->addStretch(1);
    frmCmd->addWidget(cmdAutoChord);
    frmCmd->addWidget(Update);
    frmCmd->addWidget(OK);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(measures);
    lay->addLayout(frmCmd);
    lay->setSizeConstraint(QLayout::SetFixedSize);
    QWidget* prev = txtChord[0];
    for (int j = 1; j < 16; ++j) {
        setTabOrder(prev, txtChord[j]);
        prev = txtChord[j];
    }
    for (QWidget* w : {static_cast<QWidget*>(optPos[0]), static_cast<QWidget*>(optPos[1]),
                       static_cast<QWidget*>(optPos[2]), static_cast<QWidget*>(cmdAutoChord),
                       static_cast<QWidget*>(Update), static_cast<QWidget*>(OK)}) {
        setTabOrder(prev, w);
        prev = w;
    }
    connect(cmdAutoChord, &QPushButton::clicked, this, [this] { AutoChord(); });
    connect(Update, &QPushButton::clicked, this, [this] { OnUpdate(); });
    connect(OK, &QPushButton::clicked, this, [this] { OnOk(); });
}

void KoSyousets::SetData() {
    DanData& d = s_.CurDan();
    const int count = std::clamp<int>(s_.CurSyosetsuCnt, 1, kMaxMeasures);
    for (int m = 0; m < count; ++m) {
        d.Syosetsu[m].Chord1 = txtChord[2 * m]->text().trimmed().toStdString();
        d.Syosetsu[m].Chord2 = txtChord[2 * m + 1]->text().trimmed().toStdString();
        d.Syosetsu[m].ChordPos = static_cast<int16_t>(chordPos_);
    }
}

void KoSyousets::OnUpdate() {
    SetData();
    host_.ChordsStored();
}

void KoSyousets::OnOk() {
    OnUpdate();
    accept();
}

QString NoShapeMessage(const std::string& names) {
    return QStringLiteral("押さえ方の見つからないコードは入力しませんでした：") + QString::fromStdString(names);
}

void KoSyousets::AutoChord() {
    // The dialog stays open but takes no input while the notes go in
    // (hiding a modal dialog would end it).
    setEnabled(false);
    std::string missing;
    const int count = std::clamp<int>(s_.CurSyosetsuCnt, 1, kMaxMeasures);
    for (int m = 0; m < count; ++m)
        for (int j = 2 * m; j <= 2 * m + 1; ++j) {
            const std::string name = txtChord[j]->text().trimmed().toStdString();
            if (name.empty()) continue;
            bool found = false;
            if (!host_.EnterChord(m, name, found)) {  // the redraw failed: the command ends
                setEnabled(true);
                return;
            }
            if (!found) missing += (missing.empty() ? "" : ", ") + name;
        }
    setEnabled(true);
    if (!missing.empty()) ShowMsg(ui_, NoShapeMessage(missing).toStdString(), "64");
}

}  // namespace lw
