#include "ko_kytsu_setei.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "messages.h"

namespace lw {

int ParseFontSize(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok && v >= 1 && v <= kMaxRowFontSize ? v : 0;
}

QString FontSizeMessage() {
    return QStringLiteral("フォントサイズには 1 から %1 までの数字を入力してください。").arg(kMaxRowFontSize);
}

KoKytsuSetei::KoKytsuSetei(Session& s, UiPort& ui, std::function<void()> reload, QWidget* parent)
    : QDialog(parent), s_(s), ui_(ui) {
    setObjectName("KoKytsuSetei");
    setWindowTitle(QStringLiteral("共通設定"));
    if (reload) reload();
    txtFontSize = new QLineEdit(QString::number(s_.ChordFontSize), this);
    txtFontSize->setObjectName("txtFontSize");
    txtFontSize2 = new QLineEdit(QString::number(s_.FletFontSize), this);
    txtFontSize2->setObjectName("txtFontSize2");
    for (QLineEdit* e : {txtFontSize, txtFontSize2}) {
        e->setMaxLength(3);
        e->setMaximumWidth(80);
    }
    Check1[0] = new QCheckBox(QStringLiteral("フレット設定画面を移動させる"), this);
    Check1[1] = new QCheckBox(QStringLiteral("リズム譜を毎回書きかえる"), this);
    Check1[0]->setChecked(s_.MoveFletForm);
    Check1[1]->setChecked(s_.RhythmRewrite);
    for (int i = 0; i < 2; ++i) Check1[i]->setObjectName(QStringLiteral("Check1_%1").arg(i));
    auto* box = new QDialogButtonBox(this);
    OK = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OK->setObjectName("OK");
    OK->setDefault(true);
    Cancel = box->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    Cancel->setObjectName("Cancel");
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("コード名のフォントサイズ"), txtFontSize);
    form->addRow(QStringLiteral("フレット番号のフォントサイズ"), txtFontSize2);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addWidget(Check1[0]);
    lay->addWidget(Check1[1]);
    lay->addWidget(box);
    lay->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(txtFontSize, txtFontSize2);
    setTabOrder(txtFontSize2, Check1[0]);
    setTabOrder(Check1[0], Check1[1]);
    setTabOrder(Check1[1], OK);
    setTabOrder(OK, Cancel);
    connect(OK, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool KoKytsuSetei::OnOk() {
    const int chord = ParseFontSize(txtFontSize->text());
    const int flet = ParseFontSize(txtFontSize2->text());
    if (!chord || !flet) {
        ShowMsg(ui_, FontSizeMessage().toStdString(), "16");
        (chord ? txtFontSize2 : txtFontSize)->setFocus();
        return false;
    }
    s_.ChordFontSize = static_cast<int16_t>(chord);
    s_.FletFontSize = static_cast<int16_t>(flet);
    s_.MoveFletForm = Check1[0]->isChecked();
    s_.RhythmRewrite = Check1[1]->isChecked();
    accept();
    return true;
}

}  // namespace lw
