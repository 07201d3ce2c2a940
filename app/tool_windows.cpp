#include "tool_windows.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

#include "document_window.h"
#include "main_window.h"
#include "tool_window_place.h"

namespace lw {

namespace {
PlaceRect ToPlace(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
}  // namespace

ToolWindowKeeper::ToolWindowKeeper(QWidget* mainWindow, UserStore& store, std::function<QRect()> activeRow)
    : QObject(mainWindow), main_(mainWindow), store_(store), activeRow_(std::move(activeRow)) {}

std::string ToolWindowKeeper::KeyOf(const QWidget* w) {
    // Message boxes and windows without a name come up where they are asked for.
    if (!w || w->objectName().isEmpty() || qobject_cast<const QMessageBox*>(w)) return {};
    return "Window_" + w->objectName().toStdString();
}

bool ToolWindowKeeper::Handles(const QWidget* w) const {
    if (!w || !w->isWindow() || w == main_) return false;
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
}

QRect ActiveRowOnScreen(const MainWindow& w) {
    RowDoc* r = const_cast<MainWindow&>(w).shell().ActiveRow();
    RowSubWindow* sub = r ? w.SubWindowOf(r->Id) : nullptr;
    if (!sub || !sub->isVisible() || sub->isMinimized()) return {};
    const QWidget* area = w.mdiArea()->viewport();
    const QRect visible(area->mapToGlobal(QPoint(0, 0)), area->size());
    return QRect(sub->mapToGlobal(QPoint(0, 0)), sub->size()) & visible;
}

QPoint ToolWindowKeeper::Place(QSize size, QPoint wanted) const {
    QScreen* sc = QGuiApplication::screenAt(wanted);
    if (!sc && main_) sc = main_->screen();
    if (!sc) sc = QGuiApplication::primaryScreen();
    if (!sc) return wanted;
    const QRect row = activeRow_ ? activeRow_() : QRect();
    const PlaceRect r = PlaceToolWindow(ToPlace(sc->availableGeometry()), ToPlace(row), wanted.x(), wanted.y(),
                                        size.width(), size.height());
    return {r.x, r.y};
}

void ToolWindowKeeper::MoveTo(QWidget* w, QPoint wanted) {
    // The frame, when the window system gave the window one.
    QSize size = w->frameGeometry().size().expandedTo(w->size());
    if (size.isEmpty()) size = w->sizeHint();
    const QPoint at = Place(size, wanted);
    w->move(at);
    Track(w);
    placed_[w] = at;
}

void ToolWindowKeeper::Track(QWidget* w) {
    if (tracked_.contains(w)) return;
    tracked_.insert(w);
    connect(w, &QObject::destroyed, this, [this, w] {
        placed_.remove(w);
        seen_.remove(w);
        tracked_.remove(w);
    });
}

void ToolWindowKeeper::Remember(QWidget* w) {
    const std::string key = KeyOf(w);
    auto it = placed_.constFind(w);
    if (key.empty() || it == placed_.constEnd() || *it == w->pos()) return;
    store_.Set(key, std::to_string(w->pos().x()) + "," + std::to_string(w->pos().y()));
    placed_[w] = w->pos();
}

void ToolWindowKeeper::Refit() {
    for (QWidget* w : placed_.keys())
        if (w->isVisible() && placed_.value(w) == w->pos()) MoveTo(w, w->pos());
}

void ToolWindowKeeper::RememberAll() {
    for (QWidget* w : placed_.keys())
        if (w->isVisible()) Remember(w);
}

bool ToolWindowKeeper::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() != QEvent::Show && e->type() != QEvent::Hide) return false;
    auto* w = qobject_cast<QWidget*>(obj);
    if (!Handles(w)) return false;
    if (e->type() == QEvent::Hide) {
        Remember(w);
        return false;
    }
    QPoint wanted = w->pos();
    // A dialog nobody placed comes up centred on its parent's window, as
    // the dialog itself would put it.
    if (qobject_cast<QDialog*>(w) && !w->testAttribute(Qt::WA_Moved) && w->parentWidget()) {
        const QRect parent = w->parentWidget()->window()->frameGeometry();
        wanted = parent.center() - QRect(QPoint(0, 0), w->frameGeometry().size()).center();
    }
    if (!seen_.contains(w)) {
        // The first showing in this run: where the user put it last time.
        seen_.insert(w);
        const QStringList xy = QString::fromStdString(store_.Get(KeyOf(w), "")).split(QLatin1Char(','));
        bool okX = false, okY = false;
        const QPoint stored(xy.value(0).toInt(&okX), xy.value(1).toInt(&okY));
        if (xy.size() == 2 && okX && okY && QGuiApplication::screenAt(stored)) wanted = stored;
    }
    MoveTo(w, wanted);
    return false;
}

}  // namespace lw
