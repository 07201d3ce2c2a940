#include "document_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>

#include "row_geometry.h"
#include "row_overlay.h"
#include "row_pictures.h"
#include "stamps.h"

namespace lw {

DocumentWindow::DocumentWindow(Shell& shell, int rowId, QWidget* parent)
    : QWidget(parent), shell_(shell), rowId_(rowId) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DocumentWindow::SetPicture(const QImage& picture) {
    setFixedSize(picture.size());
    update();
}

double DocumentWindow::Twips(double px) const {
    return px * (shell_.s.TwipsPerPixelX > 0 ? shell_.s.TwipsPerPixelX : 15);
}

void DocumentWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (RowDoc* row = Row()) {
        // The row's picture, painted from the row as it is now (a fraction
        // of a millisecond), then the editing markers above it.
        PaintRowPicture(shell_.s, *row, shell_.DrawNote);
        if (!row->Picture.isNull()) p.drawImage(0, 0, row->Picture);
        const DanLayoutData& lay = shell_.s.DanLayout[row->Slot()];
        const int tpp = shell_.s.TwipsPerPixelX > 0 ? shell_.s.TwipsPerPixelX : 15;
        PaintRowOverlay(p, row->Scene, tpp, StampBook::ForLayout(lay, tpp));
    }
    if (!dragRect_.isNull()) {
        const double k = Twips(1);
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(dragRect_.left() / k, dragRect_.top() / k, dragRect_.width() / k, dragRect_.height() / k));
    }
}

bool DocumentWindow::CellAt(double x, double y, int& measure, int& index) const {
    RowDoc* row = Row();
    if (!row) return false;
    int bestZ = -1;
    bool found = false;
    for (int m = 0; m < 8; ++m) {
        const auto& cells = row->Scene.labInx[m];
        for (size_t i = 1; i < cells.size(); ++i) {
            const SceneLabel& c = cells[i];
            if (!c.Visible) continue;
            if (x >= c.Left && x < c.Left + c.Width && y >= c.Top && y < c.Top + c.Height && c.Z >= bestZ) {
                bestZ = c.Z;
                measure = m;
                index = static_cast<int>(i);
                found = true;
            }
        }
    }
    return found;
}

static int ButtonCode(Qt::MouseButton b) { return b == Qt::RightButton ? kRightButton : kLeftButton; }

namespace {
bool Inside(double x, double y, double left, double top, double width, double height) {
    return x >= left && x < left + width && y >= top && y < top + height;
}
}  // namespace

DocumentWindow::Hit DocumentWindow::HitTest(double x, double y) const {
    Hit h;
    RowDoc* row = Row();
    if (!row) return h;
    const RowScene& sc = row->Scene;
    // Bar-line handles exist only in bar-line mode; they sit on top.
    for (size_t m = 0; m < sc.labKugiri.size(); ++m) {
        const SceneLabel& k = sc.labKugiri[m];
        if (k.Visible && Inside(x, y, k.Left, k.Top, k.Width, k.Height))
            return {HitKind::Kugiri, static_cast<int>(m), static_cast<int>(m), k.Left, k.Top};
    }
    // Free texts and repeat marks, newest in front.
    for (size_t i = row->Items.Texts.size(); i-- > 1;) {
        const TextItem& t = row->Items.Texts[i];
        if (t.Visible && Inside(x, y, t.Left, t.Top, std::max(t.Width, 200.0), std::max(t.Height, 200.0)))
            return {HitKind::Text, 0, static_cast<int>(i), t.Left, t.Top};
    }
    for (size_t i = row->Items.RepMarks.size(); i-- > 1;) {
        const RepMarkItem& r = row->Items.RepMarks[i];
        if (r.Visible && Inside(x, y, r.Left, r.Top, r.Width, r.Height))
            return {HitKind::RepMark, 0, static_cast<int>(i), r.Left, r.Top};
    }
    for (size_t i = 1; i < sc.labChord.size(); ++i) {
        const SceneLabel& c = sc.labChord[i];
        if (c.Visible && !c.Caption.empty() && Inside(x, y, c.Left, c.Top, c.Width, c.Height))
            return {HitKind::Chord, 0, static_cast<int>(i), c.Left, c.Top};
    }
    for (size_t i = 1; i < sc.picKyufu.size(); ++i) {
        const ScenePicture& k = sc.picKyufu[i];
        if (k.Visible && Inside(x, y, k.Left, k.Top, k.Width, k.Height))
            return {HitKind::Kyufu, 0, static_cast<int>(i), k.Left, k.Top};
    }
    // The string marker stands in front of the columns; the column highlight
    // behind them, where a click on an empty place put it.
    const SceneLabel& mk = sc.labFletEdit;
    if (mk.Visible && Inside(x, y, mk.Left, mk.Top, mk.Width, mk.Height)) return {HitKind::Marker, 0, 0, mk.Left, mk.Top};
    int m = 0, i = 0;
    if (CellAt(x, y, m, i)) {
        const SceneLabel& c = sc.labInx[m][i];
        return {HitKind::Cell, m, i, c.Left, c.Top};
    }
    const ScenePicture& g = sc.pic5Sen_Hosoku;
    if (g.Visible && Inside(x, y, g.Left, g.Top, g.Width, g.Height)) return {HitKind::Hosoku, 0, 0, g.Left, g.Top};
    const SceneLabel& as = sc.labAsisto;
    if (as.Visible && as.BackStyle == 1 && Inside(x, y, as.Left, as.Top, as.Width, as.Height))
        return {HitKind::Marker, 0, 1, as.Left, as.Top};
    return h;
}

void DocumentWindow::PressAt(int button, double x, double y) {
    RowDoc* row = Row();
    if (!row || !row->Editor) return;
    shell_.ActivateProc(*row);
    setFocus(Qt::MouseFocusReason);
    RowEditor& ed = *row->Editor;
    if (shell_.g.EditMode == kModeRowArea) {
        // Picking the row area: every press is a point on the row, whatever
        // label lies under the pointer.
        ed.FrameMouseDown(button, x, y);
        return;
    }
    press_ = HitTest(x, y);
    // Typing goes on where the row was clicked: the string under the point,
    // and after the last note of its measure when no note was hit.
    if (button == kLeftButton && shell_.g.EditMode == kModeNormal) {
        const int k = GetLineNo(shell_.s, y);
        if (k >= 1 && k <= shell_.s.MaxStringIx + 1) shell_.Entry.CursorString = k;
        int m = 0;
        if (press_.kind == HitKind::Frame && GetSyosetsuNo(shell_.s, x, m)) {
            shell_.Entry.CursorM = m;
            shell_.Entry.CursorP = shell_.s.DanBuf[row->Slot()].Syosetsu[m].OnpuCnt + 1;
        }
    }
    pressed_ = true;
    const double rx = x - press_.left, ry = y - press_.top;
    switch (press_.kind) {
        case HitKind::Cell: ed.CellMouseDown(press_.measure, press_.index, button, rx, ry); break;
        case HitKind::Kugiri: ed.KugiriMouseDown(press_.measure, rx, ry, button); break;
        case HitKind::Chord: ed.ChordMouseDown(press_.index, rx, ry, button); break;
        case HitKind::Text: ed.TextMouseDown(press_.index, rx, ry, button); break;
        case HitKind::RepMark: ed.RepMarkMouseDown(press_.index, rx, ry, button); break;
        case HitKind::Hosoku: ed.HosokuMouseDown(button, rx, ry); break;
        case HitKind::Kyufu: break;
        case HitKind::Marker:
            // The marker takes no press; the highlight of an empty place lets
            // a left press through to the row, which picks another string.
            if (press_.index == 1 && button == kLeftButton) ed.FrameMouseDown(button, x, y);
            break;
        case HitKind::Frame: ed.FrameMouseDown(button, x, y); break;
    }
    dragRect_ = QRectF();
    if (button == kLeftButton && ed.Drag().kind != DragKind::None) {
        // Outline of the dragged element follows the pointer until the drop.
        double w = 240, h = 240;
        const DragSource& d = ed.Drag();
        if (d.kind == DragKind::Kugiri && d.index < static_cast<int>(row->Scene.labKugiri.size())) {
            w = row->Scene.labKugiri[d.index].Width;
            h = row->Scene.labKugiri[d.index].Height;
        } else if (d.kind == DragKind::Chord && d.index < static_cast<int>(row->Scene.labChord.size())) {
            w = row->Scene.labChord[d.index].Width;
            h = row->Scene.labChord[d.index].Height;
        } else if (d.kind == DragKind::Text && d.index < static_cast<int>(row->Items.Texts.size())) {
            w = std::max(row->Items.Texts[d.index].Width, 200.0);
            h = std::max(row->Items.Texts[d.index].Height, 200.0);
        } else if (d.kind == DragKind::RepMark && d.index < static_cast<int>(row->Items.RepMarks.size())) {
            w = row->Items.RepMarks[d.index].Width;
            h = row->Items.RepMarks[d.index].Height;
        }
        dragGrabX_ = rx;
        dragGrabY_ = ry;
        dragRect_ = QRectF(x - rx, y - ry, w, h);
    }
    update();
}

void DocumentWindow::MoveAt(int buttons, double x, double y) {
    RowDoc* row = Row();
    if (!row || !row->Editor) return;
    RowEditor& ed = *row->Editor;
    if (!dragRect_.isNull()) {
        dragRect_.moveTo(x - dragGrabX_, y - dragGrabY_);
        update();
        return;
    }
    const Hit h = HitTest(x, y);
    switch (h.kind) {
        case HitKind::Cell: ed.CellMouseMove(h.measure, h.index); break;
        case HitKind::Kyufu: ed.KyufuMouseMove(h.index); break;
        case HitKind::Hosoku: ed.HosokuMouseMove(x - h.left, y - h.top); break;
        case HitKind::Marker: ed.MarkerMouseMove(x, y); break;
        default: ed.FrameMouseMove(buttons, x, y); break;
    }
    update();
}

void DocumentWindow::ReleaseAt(int button, double x, double y) {
    RowDoc* row = Row();
    if (!row || !row->Editor || !pressed_) return;
    pressed_ = false;
    const Hit p = press_;
    RowEditor& ed = *row->Editor;
    const bool dragging = !dragRect_.isNull();
    dragRect_ = QRectF();
    if (dragging) {
        // Dropped inside the row: the frame receives the drop. Released
        // anywhere else, the drag ends and nothing moves.
        if (Inside(x, y, 0, 0, Twips(width()), Twips(height())))
            ed.FrameDragDrop(x, y);
        else
            ed.EndDrag();
        if (RowDoc* r = Row()) shell_.RowChanged(*r);
        update();
        return;
    }
    ed.EndDrag();  // no drag outlives its button
    switch (p.kind) {
        case HitKind::Cell:
            ed.CellMouseUp(p.measure, p.index, button);
            if (button == kLeftButton) ed.CellClick(p.measure, p.index);
            break;
        case HitKind::Kyufu:
            if (button == kLeftButton) ed.KyufuClick(p.index);
            break;
        case HitKind::Text:
            if (button == kLeftButton && shell_.g.EditMode != kModeMove) ed.TextClick(p.index);
            break;
        case HitKind::RepMark: ed.RepMarkMouseUp(p.index, button); break;
        case HitKind::Hosoku:
            if (button == kRightButton) ed.HosokuMouseUp(button);
            else ed.HosokuClick();
            break;
        case HitKind::Marker: ed.MarkerMouseUp(button); break;
        case HitKind::Chord:
        case HitKind::Kugiri: break;
        case HitKind::Frame: ed.FrameMouseUp(button, x, y); break;
    }
    update();  // the row may have been closed by the handler: nothing else touches it
}

bool DocumentWindow::KeyAt(int key, const QString& text, Qt::KeyboardModifiers mods) {
    RowDoc* row = Row();
    if (!row || (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) return false;
    NoteEntry& e = shell_.Entry;
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        e.KeyDigit(key - Qt::Key_0, clock.elapsed());
    } else {
        switch (key) {
            case Qt::Key_Up: e.KeyCommand(NoteEntry::kKeyUp); break;
            case Qt::Key_Down: e.KeyCommand(NoteEntry::kKeyDown); break;
            case Qt::Key_Left: e.KeyCommand(NoteEntry::kKeyLeft); break;
            case Qt::Key_Right: e.KeyCommand(NoteEntry::kKeyRight); break;
            case Qt::Key_Delete:
            case Qt::Key_Backspace: e.KeyCommand(NoteEntry::kKeyDelete); break;
            case Qt::Key_R: e.KeyCommand(NoteEntry::kKeyRest); break;
            case Qt::Key_Plus: e.KeyCommand(NoteEntry::kKeyLonger); break;
            case Qt::Key_Minus: e.KeyCommand(NoteEntry::kKeyShorter); break;
            case Qt::Key_Period: e.KeyCommand(NoteEntry::kKeyDot); break;
            default:
                if (text == QStringLiteral("+")) {
                    e.KeyCommand(NoteEntry::kKeyLonger);
                    break;
                }
                return false;
        }
    }
    if (RowDoc* r = Row()) shell_.RowChanged(*r);
    update();
    return true;
}

void DocumentWindow::keyPressEvent(QKeyEvent* e) {
    if (!KeyAt(e->key(), e->text(), e->modifiers())) QWidget::keyPressEvent(e);
}

void DocumentWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasText()) e->acceptProposedAction();
}

void DocumentWindow::dragMoveEvent(QDragMoveEvent* e) {
    if (e->mimeData()->hasText()) e->acceptProposedAction();
}

void DocumentWindow::dropEvent(QDropEvent* e) {
    if (!e->mimeData()->hasText()) return;
    e->acceptProposedAction();
    DropNoteAt(Twips(e->position().x()), Twips(e->position().y()));
}

void DocumentWindow::DropNoteAt(double x, double y) {
    RowDoc* row = Row();
    if (!row || !row->Editor) return;
    shell_.ActivateProc(*row);
    row->Editor->FrameOleDragDrop(x, y);
    if (RowDoc* r = Row()) shell_.RowChanged(*r);
    update();
}

void DocumentWindow::leaveEvent(QEvent*) {
    // The cross-hair follows the pointer only while it is over the row.
    if (RowDoc* row = Row()) {
        row->Scene.lineBeemTate.Visible = false;
        row->Scene.lineBeemYoko.Visible = false;
        update();
    }
}

void DocumentWindow::mousePressEvent(QMouseEvent* e) {
    PressAt(ButtonCode(e->button()), Twips(e->position().x()), Twips(e->position().y()));
}

void DocumentWindow::mouseMoveEvent(QMouseEvent* e) {
    const int button = (e->buttons() & Qt::RightButton) ? kRightButton : (e->buttons() & Qt::LeftButton) ? kLeftButton : 0;
    MoveAt(button, Twips(e->position().x()), Twips(e->position().y()));
}

void DocumentWindow::mouseReleaseEvent(QMouseEvent* e) {
    ReleaseAt(ButtonCode(e->button()), Twips(e->position().x()), Twips(e->position().y()));
}

RowSubWindow::RowSubWindow(Shell& shell, int rowId, QWidget* parent)
    : QMdiSubWindow(parent), shell_(shell), rowId_(rowId) {
    auto* area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(false);
    area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    doc_ = new DocumentWindow(shell, rowId);
    area->setWidget(doc_);
    // Keys typed into the row reach the row, not the scroll area around it,
    // whichever of them the window system gives the focus.
    area->setFocusPolicy(Qt::NoFocus);
    area->setFocusProxy(doc_);
    setWidget(area);
    setFocusProxy(doc_);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void RowSubWindow::closeEvent(QCloseEvent* e) {
    if (destroying) {
        e->accept();
        return;
    }
    e->ignore();
    if (RowDoc* row = shell_.FindRow(rowId_)) shell_.CloseRow(*row);
}

}  // namespace lw
