#include "ko_text_in.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "element_paint.h"
#include "messages.h"

namespace lw {

QString TextSizeMessage() {
    return QStringLiteral("文字サイズには 1 から %1 までの数字を入力してください。").arg(kMaxTextFontSize);
}

KoTextIN::KoTextIN(UiPort& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
    setObjectName("KoTextIN");
    setWindowTitle(QStringLiteral("テキスト入力"));
    txtIN = new QPlainTextEdit(this);
    txtIN->setObjectName("txtIN");
    txtIN->setTabChangesFocus(true);
    txtIN->setMinimumSize(320, 120);
    cmbFont = new QComboBox(this);
    cmbFont->setObjectName("cmbFont");
    cmbFont->setEditable(true);
    for (const char* f : kTextFonts) cmbFont->addItem(QString::fromUtf8(f));
    cmbFont->setCurrentIndex(0);
    txtFontsize = new QLineEdit(QStringLiteral("9"), this);
    txtFontsize->setObjectName("txtFontsize");
    txtFontsize->setMaxLength(3);
    // Pasted text obeys the same rule as typed keys.
    txtFontsize->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), txtFontsize));
    txtFontsize->installEventFilter(this);
    auto* box = new QDialogButtonBox(this);
    OK = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OK->setObjectName("OK");
    OK->setDefault(true);
    Cancel = box->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    Cancel->setObjectName("Cancel");
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("フォント"), cmbFont);
    form->addRow(QStringLiteral("サイズ"), txtFontsize);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(txtIN, 1);
    lay->addLayout(form);
    lay->addWidget(box);
    setTabOrder(txtIN, cmbFont);
    setTabOrder(cmbFont, txtFontsize);
    setTabOrder(txtFontsize, OK);
    setTabOrder(OK, Cancel);
    fontName_ = cmbFont->currentText();
    ApplyFont();
    connect(cmbFont, &QComboBox::textActivated, this, [this](const QString& t) {
        if (t == QString::fromUtf8(kTextFonts[0]) || t == QString::fromUtf8(kTextFonts[1])) {
            fontName_ = t;
            ApplyFont();
        }
    });
    connect(txtFontsize, &QLineEdit::textChanged, this, [this](const QString& t) {
        const int v = t.toInt();
        if (!t.isEmpty() && v >= 1 && v <= kMaxTextFontSize) {
            fontSize_ = v;
            ApplyFont();
        }
    });
    connect(OK, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool KoTextIN::eventFilter(QObject* o, QEvent* e) {
    if (o == txtFontsize && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const QString t = k->text();
        // Printable characters other than digits are dropped; keys without
        // text and control characters (backspace, delete, arrows, tab, enter)
        // keep their editing meaning.
        if (!t.isEmpty() && t.at(0).isPrint() && !(t.size() == 1 && t.at(0) >= '0' && t.at(0) <= '9')) return true;
    }
    return QDialog::eventFilter(o, e);
}

void KoTextIN::ApplyFont() {
    QFont f(fontName_);
    f.setPointSize(fontSize_);
    txtIN->setFont(f);
}

void KoTextIN::Activate(const TextItem& label) {
    if (!txtIN->toPlainText().isEmpty()) return;
    txtIN->setPlainText(QString::fromStdString(label.Caption));
    if (label.FontSize >= 1) {
        fontSize_ = static_cast<int>(label.FontSize + 0.5);
        txtFontsize->setText(QString::number(fontSize_));
    }
    if (!label.FontName.empty()) {
        fontName_ = QString::fromStdString(label.FontName);
        cmbFont->setCurrentText(fontName_);
    }
    ApplyFont();
}

bool KoTextIN::SizeValid() const {
    bool ok = false;
    const int v = txtFontsize->text().toInt(&ok);
    return ok && v >= 1 && v <= kMaxTextFontSize;
}

void KoTextIN::OnOk() {
    if (!SizeValid()) {
        ShowMsg(ui_, TextSizeMessage().toStdString(), "16");
        txtFontsize->setFocus();
        txtFontsize->selectAll();
        return;
    }
    accept();
}

void KoTextIN::Store(TextItem& label, int tpp) const {
    label.Caption = txtIN->toPlainText().toStdString();
    label.FontSize = fontSize_;
    label.FontName = fontName_.toStdString();
    // The label sizes itself to its text, as the row draws it.
    const QFont f = RowFont(label.FontName, label.FontSize);
    const QSizeF sz = QFontMetricsF(f).boundingRect(QRectF(0, 0, 4000, 4000), Qt::AlignLeft | Qt::AlignTop,
                                                    QString::fromStdString(label.Caption)).size();
    const int t = tpp > 0 ? tpp : 15;
    label.Width = std::ceil(sz.width()) * t;
    label.Height = std::ceil(sz.height()) * t;
}

}  // namespace lw
