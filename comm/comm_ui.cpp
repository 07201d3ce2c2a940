#include "comm_ui.h"

#include <QMessageBox>

namespace lw {

int CommUiPort::MessageBox(const std::string& text, int buttons, const std::string& title) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(t);
    const int icon = buttons & 0x70;
    box.setIcon(icon == 16 ? QMessageBox::Critical
                : icon == 64 ? QMessageBox::Information
                             : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return kIdOk;
}

}  // namespace lw
