#include "ko_rep_mark.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "element_paint.h"
#include "stamps.h"

namespace lw {

namespace {
const char* const kOptionNames[kRepOptionCount] = {
    "セーニョ", "トゥ・コーダ", "コーダ", "D.S.", "D.C.", "1番かっこ", "2番かっこ", "Fine", "スウィング",
    "なし", "移動"};
const char* const kStartCaptions[8] = {"１小節目の始めから", "２小節目の始めから", "３小節目の始めから",
                                       "４小節目の始めから", "５小節目の始めから", "６小節目の始めから",
                                       "７小節目の始めから", "８小節目の始めから"};
const char* const kEndCaptions[8] = {"１小節目の終わりまで", "２小節目の終わりまで", "３小節目の終わりまで",
                                     "４小節目の終わりまで", "５小節目の終わりまで", "６小節目の終わりまで",
                                     "７小節目の終わりまで", "８小節目の終わりまで"};
int16_t B(bool v) { return v ? kTrue : kFalse; }
}  // namespace

Stamp RepOptionStamp(int option) {
    return option >= 0 && option <= 8 ? RepMarkStamp(std::to_string(option)) : Stamp::None;
}

QString RepOptionName(int option) {
    return option >= 0 && option < kRepOptionCount ? QString::fromUtf8(kOptionNames[option]) : QString();
}

QImage RepOptionPicture(int option) {
    const Stamp st = RepOptionStamp(option);
    if (st != Stamp::None) {
        QImage img = StampBook::Default().Get(st);
        if (!img.isNull()) return img;
    }
    // The two tools without a sign: an arrow (nothing chosen) and a
    // four-way arrow (move).
    QImage img(24, 24, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::black);
    if (option == kRepOptionMove) {
        p.drawLine(12, 3, 12, 21);
        p.drawLine(3, 12, 21, 12);
        for (QPolygonF head : {QPolygonF{{12, 1}, {8, 6}, {16, 6}}, QPolygonF{{12, 23}, {8, 18}, {16, 18}},
                               QPolygonF{{1, 12}, {6, 8}, {6, 16}}, QPolygonF{{23, 12}, {18, 8}, {18, 16}}})
            p.drawPolygon(head);
    } else {
        p.drawPolygon(QPolygonF{{6, 3}, {6, 19}, {10, 15}, {13, 21}, {15, 20}, {12, 14}, {18, 14}});
    }
    return img;
}

RepChecks LoadRepChecks(const DanData& d, int count, int mode) {
    RepChecks c;
    count = std::clamp(count, 0, kMaxMeasures);
    for (int i = 0; i < count; ++i) {
        const auto& f = d.Syosetsu[i].BarFlag;
        if (mode == 0) {
            c.start[i] = i == 0 ? d.TopRepStart != 0 : d.Syosetsu[i - 1].BarFlag[kBarRepStart] != 0;
            c.end[i] = f[kBarRepEnd] != 0;
        } else {
            c.end[i] = f[kBarEndMark] != 0;
        }
    }
    return c;
}

void StoreRepChecks(DanData& d, int count, int mode, const RepChecks& c) {
    count = std::clamp(count, 0, kMaxMeasures);
    for (int i = 0; i < count; ++i) {
        if (mode == 0) {
            if (i == 0) {
                d.TopRepStart = B(c.start[0]);
            } else {
                d.Syosetsu[i - 1].BarFlag[kBarRepStart] = B(c.start[i]);
                d.Syosetsu[i - 1].BarFlag[kBarRepStart2] = B(c.start[i]);
            }
            d.Syosetsu[i].BarFlag[kBarRepEnd] = B(c.end[i]);
        } else {
            d.Syosetsu[i].BarFlag[kBarEndMark] = B(c.end[i]);
        }
    }
}

KoRepMark2::KoRepMark2(DanData& dan, int count, int mode, QWidget* parent)
    : QDialog(parent), dan_(dan), count_(std::clamp(count, 0, kMaxMeasures)), mode_(mode) {
    setObjectName("KoRepMark2");
    setWindowTitle(mode == 0 ? QStringLiteral("ﾘﾋﾟｰﾄﾏｰｸ設定") : QStringLiteral("ﾘﾋﾟｰﾄﾏｰｸ設定 - エンドﾏｰｸ"));
    auto* grid = new QGridLayout;
    const RepChecks c = LoadRepChecks(dan, count_, mode);
    for (int i = 0; i < 8; ++i) {
        chkRepStart[i] = new QCheckBox(QString::fromUtf8(kStartCaptions[i]), this);
        chkRepStart[i]->setObjectName(QStringLiteral("chkRepStart%1").arg(i));
        chkRepEnd[i] = new QCheckBox(QString::fromUtf8(kEndCaptions[i]), this);
        chkRepEnd[i]->setObjectName(QStringLiteral("chkRepEnd%1").arg(i));
        grid->addWidget(chkRepStart[i], i, 0);
        grid->addWidget(chkRepEnd[i], i, 1);
        const bool shown = i < count_;
        // End marks close measures: the start boxes have no meaning there.
        chkRepStart[i]->setVisible(shown && mode == 0);
        chkRepStart[i]->setEnabled(shown && mode == 0);
        chkRepEnd[i]->setVisible(shown);
        chkRepEnd[i]->setEnabled(shown);
        chkRepStart[i]->setChecked(c.start[i]);
        chkRepEnd[i]->setChecked(c.end[i]);
    }
    auto* box = new QDialogButtonBox(this);
    OK = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OK->setObjectName("OK");
    OK->setDefault(true);
    Cancel = box->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    Cancel->setObjectName("Cancel");
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(grid);
    lay->addWidget(box);
    lay->setSizeConstraint(QLayout::SetFixedSize);
    // Tab order: measure by measure, start then end, then the buttons.
    QWidget* prev = nullptr;
    for (int i = 0; i < 8; ++i)
        for (QWidget* w : {static_cast<QWidget*>(chkRepStart[i]), static_cast<QWidget*>(chkRepEnd[i])}) {
            if (prev) setTabOrder(prev, w);
            prev = w;
        }
    setTabOrder(prev, OK);
    setTabOrder(OK, Cancel);
    connect(OK, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

RepChecks KoRepMark2::Checks() const {
    RepChecks c;
    for (int i = 0; i < 8; ++i) {
        c.start[i] = chkRepStart[i]->isChecked();
        c.end[i] = chkRepEnd[i]->isChecked();
    }
    return c;
}

void KoRepMark2::OnOk() {
    StoreRepChecks(dan_, count_, mode_, Checks());
    accept();
}

KoRepMark::KoRepMark(RepMarkHost& host, QWidget* parent) : QWidget(parent, Qt::Tool), host_(host) {
    setObjectName("koRepMark");
    setWindowTitle(QStringLiteral("装飾設定"));
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
    auto* frmRep = new QGridLayout;
    for (int i = 0; i < kRepOptionCount; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("optRep%1").arg(i));
        b->setCheckable(true);
        b->setAutoRaise(false);
        const QImage img = RepOptionPicture(i);
        b->setIcon(QIcon(QPixmap::fromImage(img)));
        b->setIconSize(img.size().boundedTo(QSize(40, 40)).expandedTo(QSize(16, 16)));
        b->setMinimumSize(44, 44);
        b->setToolTip(RepOptionName(i));
        group_->addButton(b, i);
        frmRep->addWidget(b, i / 4, i % 4);
        optRep[i] = b;
    }
    connect(group_, &QButtonGroup::idClicked, this, [this](int i) { ChooseOption(i); });
    cmdRepMark[0] = new QPushButton(QStringLiteral("ﾘﾋﾟｰﾄﾏｰｸ"), this);
    cmdRepMark[1] = new QPushButton(QStringLiteral("エンドﾏｰｸ"), this);
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        cmdRepMark[i]->setObjectName(QStringLiteral("cmdRepMark%1").arg(i));
        buttons->addWidget(cmdRepMark[i]);
        connect(cmdRepMark[i], &QPushButton::clicked, this, [this, i] { OpenRepMark2(i); });
    }
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(frmRep);
    lay->addLayout(buttons);
    lay->setSizeConstraint(QLayout::SetFixedSize);
}

void KoRepMark::ChooseOption(int i) {
    if (i < 0 || i >= kRepOptionCount) return;
    option_ = i;
    if (!optRep[i]->isChecked()) optRep[i]->setChecked(true);
    host_.RepOptionChosen(i, RepOptionPicture(i));
}

int KoRepMark::OpenRepMark2(int i) {
    if (i < 0 || i > 1 || !host_.RepRowOpen()) return QDialog::Rejected;
    tag_ = QString::number(i);
    Session& s = host_.RepSession();
    KoRepMark2 dlg(s.CurDan(), s.CurSyosetsuCnt, i, this);
    dlg.adjustSize();
    // Directly below the palette, right edges in line.
    const QRect f = frameGeometry();
    dlg.move(f.right() - dlg.frameGeometry().width() + 1, f.bottom() + 1);
    const int r = ExecHook ? ExecHook(dlg) : dlg.exec();
    if (r == QDialog::Accepted) host_.RepFlagsChanged();
    return r;
}

}  // namespace lw
