// The one application object of the widget tests. It is made on first use
// and lives until the process ends: a function-local static would be
// destroyed after main returns, when Qt has already torn down what it needs.
#pragma once

#include <QApplication>
#include <cstdlib>

namespace lwtest {

inline void EnsureApp() {
    if (QApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "lutewise_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace lwtest
