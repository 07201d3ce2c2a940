// Message boxes of the library's windows (the editor has its own port).
#pragma once

#include "ui_port.h"

class QWidget;

namespace lw {

class CommUiPort : public UiPort {
public:
    explicit CommUiPort(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    int MessageBox(const std::string& text, int buttons, const std::string& title) override;
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }

private:
    QWidget* parent_;
};

}  // namespace lw
