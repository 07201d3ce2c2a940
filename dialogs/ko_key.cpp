#include "ko_key.h"

#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>

#include "transpose.h"

namespace lw {

KoKey::KoKey(Session& s, UiPort& ui, RowPort& port, QWidget* parent)
    : QDialog(parent), s_(s), ui_(ui), port_(port) {
    setObjectName("KoKey");
    setWindowTitle("Key");
    cmbKey = new QComboBox(this);
    cmbKey->setObjectName("cmbKey");
    cmbItyouKey = new QComboBox(this);
    cmbItyouKey->setObjectName("cmbItyouKey");
    for (QComboBox* c : {cmbKey, cmbItyouKey}) {
        c->addItem(QString());  // nothing chosen yet
        for (const auto& k : KeyNameList()) c->addItem(QString::fromStdString(k));
    }
    const int cur = cmbKey->findText(QString::fromStdString(s_.KeyName[s_.CurDanIx]));
    cmbKey->setCurrentIndex(cur > 0 ? cur : 0);
    OK = new QPushButton("OK", this);
    OK->setObjectName("OK");
    OK->setDefault(true);
    auto* form = new QFormLayout(this);
    form->addRow("Key", cmbKey);
    form->addRow("移調先", cmbItyouKey);
    form->addRow(OK);
    connect(OK, &QPushButton::clicked, this, [this] { OnOk(); });
    SetTag("0");
}

void KoKey::SetTag(const QString& tag) {
    tag_ = tag;
    cmbItyouKey->setEnabled(tag_ != "0");
}

void KoKey::OnOk() {
    if (KoKeyOk(s_, ui_, port_, tag_.toStdString(), cmbKey->currentText().toStdString(),
                cmbItyouKey->currentText().toStdString()))
        accept();
}

}  // namespace lw
