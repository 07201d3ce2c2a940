// frmDocument: one row window. Paints picTAB and the row's scene over it and
// hands mouse events to the row's editor.
#pragma once

#include <QImage>
#include <QMdiSubWindow>
#include <QWidget>

#include "shell.h"

namespace lw {

class DocumentWindow : public QWidget {
    Q_OBJECT
public:
    DocumentWindow(Shell& shell, int rowId, QWidget* parent = nullptr);

    int RowId() const { return rowId_; }
    RowDoc* Row() const { return shell_.FindRow(rowId_); }
    // The row picture's pixel size is the widget's size.
    void SetPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dragMoveEvent(QDragMoveEvent*) override;
    void dropEvent(QDropEvent*) override;

public:
    // What a point of the row window hits, front to back.
    // Marker: the string marker labFletEdit (index 0) or the opaque column
    // highlight labAsisto (index 1).
    enum class HitKind { Frame, Cell, Kugiri, Chord, Text, RepMark, Kyufu, Hosoku, Marker };
    struct Hit {
        HitKind kind = HitKind::Frame;
        int measure = 0, index = 0;
        double left = 0, top = 0;  // the element's top-left (twips)
    };
    Hit HitTest(double x, double y) const;

    // Mouse handling in window twips, shared by the Qt events and tests.
    void PressAt(int button, double x, double y);
    void MoveAt(int buttons, double x, double y);
    void ReleaseAt(int button, double x, double y);
    // Keyboard entry: true when the key was taken.
    bool KeyAt(int key, const QString& text, Qt::KeyboardModifiers mods);
    // The note-entry dialog's note dropped at (x, y) twips.
    void DropNoteAt(double x, double y);

private:
    double Twips(double px) const;
    // The visible labInx cell under a point (twips); false when none.
    bool CellAt(double x, double y, int& measure, int& index) const;
    Shell& shell_;
    int rowId_;
    Hit press_;
    bool pressed_ = false;
    // Outline of the element being dragged (twips), shown while dragging.
    QRectF dragRect_;
    double dragGrabX_ = 0, dragGrabY_ = 0;
};

// The MDI child that holds a row window; closing it runs the row's close
// (with its save question) in the shell.
class RowSubWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    RowSubWindow(Shell& shell, int rowId, QWidget* parent = nullptr);
    DocumentWindow* Document() const { return doc_; }
    int RowId() const { return rowId_; }
    bool destroying = false;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    Shell& shell_;
    int rowId_;
    DocumentWindow* doc_;
};

}  // namespace lw
