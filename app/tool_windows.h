// Keeps the program's tool windows and dialogs where the user can use them:
// every top-level window other than the main window is placed when it is
// shown (where the user last put it, else where the program asked), fully on
// the screen and off the active row where the screen has room. Where the user
// moved a named window is remembered in the per-user store.
#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <functional>

#include "shell.h"

class QWidget;

namespace lw {

class MainWindow;

// The part of the active row window that is on the screen (empty: none).
QRect ActiveRowOnScreen(const MainWindow& w);

class ToolWindowKeeper : public QObject {
public:
    // activeRow: the active row's rectangle on the screen (empty: none).
    ToolWindowKeeper(QWidget* mainWindow, UserStore& store, std::function<QRect()> activeRow);

    // The place for a window of that size wanted at `wanted` (its frame's top-left).
    QPoint Place(QSize size, QPoint wanted) const;
    // Moves w there; a later place that differs was chosen by the user.
    void MoveTo(QWidget* w, QPoint wanted);
    // Windows that stand where the program put them are placed again (off
    // the row that is active now); those the user moved stay.
    void Refit();
    // Stores where the user put each window that is open.
    void RememberAll();
    // The store's key of a window ("" for a window that is not remembered).
    static std::string KeyOf(const QWidget* w);

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    bool Handles(const QWidget* w) const;
    void Remember(QWidget* w);
    void Track(QWidget* w);
    QPointer<QWidget> main_;
    UserStore& store_;
    std::function<QRect()> activeRow_;
    QHash<QWidget*, QPoint> placed_;   // where the program put each window last
    QSet<QWidget*> seen_;              // windows shown before in this run
    QSet<QWidget*> tracked_;           // windows whose end is watched
};

}  // namespace lw
