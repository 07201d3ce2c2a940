#include "ko_tab_area.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "messages.h"
#include "settings.h"

namespace lw {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* Box(const char* name) {
    auto* e = new QLineEdit;
    e->setObjectName(name);
    e->setMaximumWidth(90);
    e->setAlignment(Qt::AlignRight);
    return e;
}
}  // namespace

KoTabArea::KoTabArea(UiPort& ui, int formatType, int tppX, int tppY, std::function<void()> ok,
                     std::function<void()> cancel, QWidget* parent)
    : QDialog(parent, Qt::Tool), ui_(ui), state_(ui, formatType, tppX, tppY), ok_(std::move(ok)),
      cancel_(std::move(cancel)) {
    setObjectName("KoTabArea");
    setWindowTitle(QStringLiteral("TAB領域設定"));
    setModal(false);
    auto* lay = new QVBoxLayout(this);
    SSTab1 = new QTabWidget;
    SSTab1->setObjectName("SSTab1");
    lay->addWidget(SSTab1);

    Frame1 = new QGroupBox;
    Frame1->setObjectName("Frame1");
    auto* g1 = new QGridLayout(Frame1);
    const char* caps1[4] = {"左端", "右端", "ｲﾝﾀｰﾊﾞﾙ", "Top位置"};
    txtLeft = Box("txtLeft");
    txtRight = Box("txtRight");
    txtInterval = Box("txtInterval");
    txtTop0 = Box("txtTop0");
    QLineEdit* boxes1[4] = {txtLeft, txtRight, txtInterval, txtTop0};
    for (int i = 0; i < 4; ++i) {
        optDan[i] = new QRadioButton(QString::fromUtf8(caps1[i]));
        optDan[i]->setObjectName(QStringLiteral("optDan%1").arg(i));
        connect(optDan[i], &QRadioButton::clicked, this, [this, i] { state_.Frame1Tag = std::to_string(i); });
        g1->addWidget(optDan[i], i, 0);
        g1->addWidget(boxes1[i], i, 1);
    }
    g1->addWidget(new QLabel(QStringLiteral("TAB譜の一番上のラインをクリックしてください。")), 4, 0, 1, 2);
    g1->addWidget(new QLabel(QStringLiteral("TAB譜の二番目のラインをクリックしてください。")), 5, 0, 1, 2);
    SSTab1->addTab(Frame1, QStringLiteral("TAB譜"));

    Frame2 = new QGroupBox;
    Frame2->setObjectName("Frame2");
    auto* g2 = new QGridLayout(Frame2);
    const char* caps2[2] = {"Top位置", "ｲﾝﾀｰﾊﾞﾙ"};
    txtTop2_0 = Box("txtTop2_0");
    txtInterval2 = Box("txtInterval2");
    QLineEdit* boxes2[2] = {txtTop2_0, txtInterval2};
    for (int i = 0; i < 2; ++i) {
        optDan2[i] = new QRadioButton(QString::fromUtf8(caps2[i]));
        optDan2[i]->setObjectName(QStringLiteral("optDan2%1").arg(i));
        connect(optDan2[i], &QRadioButton::clicked, this, [this, i] { state_.Frame2Tag = std::to_string(i); });
        g2->addWidget(optDan2[i], i, 0);
        g2->addWidget(boxes2[i], i, 1);
    }
    g2->addWidget(new QLabel(QStringLiteral("５線譜の一番上のラインをクリックしてください。")), 2, 0, 1, 2);
    g2->addWidget(new QLabel(QStringLiteral("５線譜譜の二番目のラインをクリックしてください。")), 3, 0, 1, 2);
    g2->setRowStretch(4, 1);
    SSTab1->addTab(Frame2, QStringLiteral("５線譜"));
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int i) { state_.ShowTab(i); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* okButton = new QPushButton(QStringLiteral("OK"));
    okButton->setObjectName("OK");
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"));
    cancelButton->setObjectName("Cancel");
    okButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    lay->addLayout(buttons);
    connect(okButton, &QPushButton::clicked, this, [this] { OKClick(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { CancelClick(); });
    for (QLineEdit* e : {txtLeft, txtRight, txtInterval, txtTop0, txtTop2_0, txtInterval2})
        connect(e, &QLineEdit::textEdited, this, [this] { FromBoxes(); });
}

void KoTabArea::FormLoad(const TabAreaGeometry& g) {
    state_.Load(g);
    SSTab1->setCurrentIndex(0);
    state_.ShowTab(0);
    // Layouts without a five-line staff have nothing to pick on that tab.
    SSTab1->setTabEnabled(1, state_.StaffTabEnabled());
    ToBoxes();
}

void KoTabArea::ToBoxes() {
    txtLeft->setText(Q(state_.txtLeft));
    txtRight->setText(Q(state_.txtRight));
    txtInterval->setText(Q(state_.txtInterval));
    txtTop0->setText(Q(state_.txtTop0));
    txtTop2_0->setText(Q(state_.txtTop2_0));
    txtInterval2->setText(Q(state_.txtInterval2));
}

void KoTabArea::FromBoxes() {
    state_.txtLeft = txtLeft->text().toStdString();
    state_.txtRight = txtRight->text().toStdString();
    state_.txtInterval = txtInterval->text().toStdString();
    state_.txtTop0 = txtTop0->text().toStdString();
    state_.txtTop2_0 = txtTop2_0->text().toStdString();
    state_.txtInterval2 = txtInterval2->text().toStdString();
}

void KoTabArea::TabAreaPos(double y, int32_t x) {
    state_.TabAreaPos(y, x);
    ToBoxes();
}

void KoTabArea::TabAreaPos2(double y) {
    state_.TabAreaPos2(y);
    ToBoxes();
}

void KoTabArea::OKClick() {
    FromBoxes();
    std::string key;
    if (!state_.WriteSettings(CurrentIniPath(), &key)) {
        ShowMsg(ui_, "設定ファイルに「" + key + "」を書き込めません。" + std::string(kMsgBreak) + CurrentIniPath(), "16");
        return;
    }
    finished_ = true;
    if (ok_) ok_();
    close();
}

void KoTabArea::CancelClick() {
    finished_ = true;
    if (cancel_) cancel_();
    close();
}

void KoTabArea::closeEvent(QCloseEvent* e) {
    // Closed by its title bar: as Cancel, so the editor leaves picking.
    if (!finished_) {
        finished_ = true;
        if (cancel_) cancel_();
    }
    QDialog::closeEvent(e);
}

void KoTabArea::reject() {
    if (!finished_) {
        finished_ = true;
        if (cancel_) cancel_();
    }
    QDialog::reject();
}

}  // namespace lw
