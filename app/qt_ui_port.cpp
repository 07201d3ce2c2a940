#include "qt_ui_port.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace lw {

QString MessageBoxText(const std::string& text) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QChar('\r'), QChar('\n'));
    return t;
}

QString QtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QChar('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i];
    if (out.isEmpty()) out << parts.value(0);
    return out.join(QStringLiteral(";;"));
}

namespace {
QString DefaultSuffix(const std::string& filter) {
    // "*.tab" of the first pattern
    const QString f = QString::fromStdString(filter);
    int star = f.indexOf(QStringLiteral("*."));
    if (star < 0) return {};
    QString s;
    for (int i = star + 2; i < f.size() && f[i].isLetterOrNumber(); ++i) s += f[i];
    return s;
}
}  // namespace

int QtUiPort::MessageBox(const std::string& text, int buttons, const std::string& title) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(MessageBoxText(text));
    const int icon = buttons & 0x70;
    box.setIcon(icon == 16 ? QMessageBox::Critical
                : icon == 32 ? QMessageBox::Question
                : icon == 48 ? QMessageBox::Warning
                : icon == 64 ? QMessageBox::Information
                             : QMessageBox::NoIcon);
    const int kind = buttons & 0x0f;
    if (kind == 4) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else if (kind == 3) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (kind == 1) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    // The buttons speak the program's language whatever the system's is.
    if (auto* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("はい(&Y)"));
    if (auto* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("いいえ(&N)"));
    if (auto* b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("キャンセル"));
    if (auto* b = box.button(QMessageBox::Ok)) b->setText(QStringLiteral("OK"));
    const int r = box.exec();
    switch (r) {
        case QMessageBox::Yes: return kIdYes;
        case QMessageBox::No: return kIdNo;
        case QMessageBox::Cancel: return kIdCancel;
        default: return kind == 4 ? kIdNo : kind == 3 ? kIdCancel : kIdOk;
    }
}

std::string QtUiPort::OpenFileName(const std::string& filter, const std::string& startDir) {
    QString f = QFileDialog::getOpenFileName(parent_, QString(), QString::fromStdString(startDir), QtFilter(filter));
    return f.toStdString();
}

std::string QtUiPort::SaveFileName(const std::string& filter, const std::string& proposed) {
    QFileDialog dlg(parent_);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilter(QtFilter(filter));
    dlg.setDefaultSuffix(DefaultSuffix(filter));
    const QFileInfo fi(QString::fromStdString(proposed));
    if (!proposed.empty() && fi.isDir()) {
        dlg.setDirectory(fi.absoluteFilePath());
    } else if (!proposed.empty()) {
        dlg.setDirectory(fi.absolutePath());
        dlg.selectFile(fi.fileName());
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().first().toStdString();
}

void QtUiPort::DoEvents() { QCoreApplication::processEvents(); }

}  // namespace lw
