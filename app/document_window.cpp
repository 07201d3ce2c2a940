#include "document_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>

#include "row_picture.h"

namespace lw {

DocumentWindow::DocumentWindow(Shell& shell, int rowId, QWidget* parent)
    : QWidget(parent), shell_(shell), rowId_(rowId) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DocumentWindow::SetPicture(const QImage& ground) {
    picTAB = ground.convertToFormat(QImage::Format_RGB32);
    setFixedSize(picTAB.size());
    update();
}

double DocumentWindow::Twips(double px) const {
    return px * (shell_.s.TwipsPerPixelX > 0 ? shell_.s.TwipsPerPixelX : 15);
}

void DocumentWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!picTAB.isNull()) p.drawImage(0, 0, picTAB);
    if (RowDoc* row = Row()) {
        SceneFonts fonts;
        if (shell_.s.FletFontSize > 0) fonts.fletPointSize = shell_.s.FletFontSize;
        if (shell_.s.ChordFontSize > 0) fonts.chordPointSize = shell_.s.ChordFontSize;
        PaintScene(p, row->Scene, row->Items, fonts, shell_.s.TwipsPerPixelX > 0 ? shell_.s.TwipsPerPixelX : 15);
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

void DocumentWindow::mousePressEvent(QMouseEvent* e) {
    RowDoc* row = Row();
    if (!row || !row->Editor) return;
    shell_.ActivateProc(*row);
    const double x = Twips(e->position().x()), y = Twips(e->position().y());
    int m = 0, i = 0;
    if (CellAt(x, y, m, i)) {
        const SceneLabel& c = row->Scene.labInx[m][i];
        pressMeasure_ = m;
        pressIndex_ = i;
        row->Editor->CellMouseDown(m, i, ButtonCode(e->button()), x - c.Left, y - c.Top);
    } else {
        pressMeasure_ = pressIndex_ = -1;
        row->Editor->FrameMouseDown(ButtonCode(e->button()), x, y);
    }
    update();
}

void DocumentWindow::mouseMoveEvent(QMouseEvent* e) {
    RowDoc* row = Row();
    if (!row || !row->Editor) return;
    const double x = Twips(e->position().x()), y = Twips(e->position().y());
    int button = (e->buttons() & Qt::RightButton) ? kRightButton : (e->buttons() & Qt::LeftButton) ? kLeftButton : 0;
    int m = 0, i = 0;
    if (CellAt(x, y, m, i))
        row->Editor->CellMouseMove(m, i);
    else
        row->Editor->FrameMouseMove(button, x, y);
    update();
}

void DocumentWindow::mouseReleaseEvent(QMouseEvent* e) {
    RowDoc* row = Row();
    if (!row || !row->Editor) return;
    const double x = Twips(e->position().x()), y = Twips(e->position().y());
    if (pressMeasure_ >= 0) {
        const int m = pressMeasure_, i = pressIndex_;
        pressMeasure_ = pressIndex_ = -1;
        row->Editor->CellMouseUp(m, i, ButtonCode(e->button()));
        if (e->button() == Qt::LeftButton) row->Editor->CellClick(m, i);
    } else {
        row->Editor->FrameMouseUp(ButtonCode(e->button()), x, y);
    }
    if (RowDoc* r = Row()) (void)r;  // the row may have been closed by the handler
    update();
}

RowSubWindow::RowSubWindow(Shell& shell, int rowId, QWidget* parent)
    : QMdiSubWindow(parent), shell_(shell), rowId_(rowId) {
    auto* area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(false);
    area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    doc_ = new DocumentWindow(shell, rowId);
    area->setWidget(doc_);
    setWidget(area);
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
