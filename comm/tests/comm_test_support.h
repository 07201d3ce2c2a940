// Shared by the comm tests: a UiPort that answers every message with OK and
// keeps what was shown, and the one QApplication the windows need.
#pragma once

#include <QApplication>
#include <string>
#include <vector>

#include "ui_port.h"

namespace lw_comm_test {

struct Ui : lw::UiPort {
    std::vector<std::string> shown;
    int MessageBox(const std::string& text, int, const std::string&) override {
        shown.push_back(text);
        return lw::kIdOk;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

inline void EnsureApp() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "comm_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace lw_comm_test
