// Message boxes and file dialogs of the running program.
#pragma once

#include <QString>
#include <string>

#include "ui_port.h"

class QWidget;

namespace lw {

// LF CR and CR LF inside composed messages become single line breaks.
QString MessageBoxText(const std::string& text);
// "Caption (*.ext)|*.ext|..." -> "Caption (*.ext);;..."
QString QtFilter(const std::string& filter);

class QtUiPort : public UiPort {
public:
    explicit QtUiPort(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    int MessageBox(const std::string& text, int buttons, const std::string& title) override;
    std::string OpenFileName(const std::string& filter, const std::string& startDir) override;
    std::string SaveFileName(const std::string& filter, const std::string& proposed) override;
    void DoEvents() override;

private:
    QWidget* parent_;
};

}  // namespace lw
