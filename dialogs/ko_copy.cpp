#include "ko_copy.h"

#include <QComboBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>

namespace lw {

MeasureTile::MeasureTile(KoCopy& owner, bool source, int index, QWidget* parent)
    : QLabel(parent), owner_(owner), source_(source), index_(index) {
    setText(QString::number(index + 1));
    setAlignment(Qt::AlignCenter);
    setMinimumSize(36, 36);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
}

void MeasureTile::mousePressEvent(QMouseEvent* e) {
    if (!source_ || e->button() != Qt::LeftButton || !isEnabled()) return;
    const QString text = owner_.DragText(index_);
    if (text.isEmpty()) return;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setText(text);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
}

void MeasureTile::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasText()) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void MeasureTile::dragMoveEvent(QDragMoveEvent* e) {
    if (e->mimeData()->hasText()) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void MeasureTile::dropEvent(QDropEvent* e) {
    if (owner_.DropOnTile(source_, index_, e->mimeData())) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

KoCopy::KoCopy(KoCopyHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName("KoCopy");
    setWindowTitle("小節のコピー");
    setModal(false);
    cmbMoto = new QComboBox(this);
    cmbMoto->setObjectName("cmbMoto");
    cmbSaki = new QComboBox(this);
    cmbSaki->setObjectName("cmbSaki");
    OK = new QPushButton("OK", this);
    OK->setObjectName("OK");
    auto* grid = new QGridLayout(this);
    // Column 0 names the rows; columns 1..8 hold one tile per measure.
    grid->addWidget(new QLabel(QStringLiteral("コピー元"), this), 0, 0);
    grid->addWidget(cmbMoto, 0, 1, 1, 8);
    grid->addWidget(new QLabel(QStringLiteral("コピー先"), this), 2, 0);
    grid->addWidget(cmbSaki, 2, 1, 1, 8);
    for (int k = 0; k < 8; ++k) {
        picSyosetsuMoto[k] = new MeasureTile(*this, true, k, this);
        picSyosetsuMoto[k]->setObjectName(QString("picSyosetsuMoto_%1").arg(k));
        picSyosetsuSaki[k] = new MeasureTile(*this, false, k, this);
        picSyosetsuSaki[k]->setObjectName(QString("picSyosetsuSaki_%1").arg(k));
        grid->addWidget(picSyosetsuMoto[k], 1, k + 1);
        grid->addWidget(picSyosetsuSaki[k], 3, k + 1);
        grid->setColumnStretch(k + 1, 1);
    }
    auto* hint = new QLabel(QStringLiteral("小節をコピー元からコピー先へドラッグしてください。"), this);
    grid->addWidget(hint, 4, 0, 1, 7);
    grid->addWidget(OK, 4, 7, 1, 2);
    connect(cmbMoto, &QComboBox::currentIndexChanged, this, [this] { SyosetsuSetei(true); });
    connect(cmbSaki, &QComboBox::currentIndexChanged, this, [this] {
        SyosetsuSetei(false);
        if (SlotOf(false) >= 0) host_.BringRowToFront(SlotOf(false));
    });
    connect(OK, &QPushButton::clicked, this, &QDialog::close);
    LoadRows();
}

void KoCopy::LoadRows() {
    for (QComboBox* c : {cmbMoto, cmbSaki}) {
        const QSignalBlocker block(c);
        c->clear();
        for (const auto& r : host_.OpenRows()) c->addItem(QString::fromStdString(r.caption), r.slot);
        c->setCurrentIndex(-1);
    }
    // Start from the active row on both sides, the usual case.
    const int active = host_.ActiveSlot();
    for (QComboBox* c : {cmbMoto, cmbSaki}) {
        const QSignalBlocker block(c);
        c->setCurrentIndex(c->findData(active));
    }
    SyosetsuSetei(true);
    SyosetsuSetei(false);
}

int KoCopy::SlotOf(bool source) const {
    const QComboBox* c = source ? cmbMoto : cmbSaki;
    return c->currentIndex() < 0 ? -1 : c->currentData().toInt();
}

void KoCopy::SyosetsuSetei(bool source) {
    const int slot = SlotOf(source);
    int count = 0;
    for (const auto& r : host_.OpenRows())
        if (r.slot == slot) count = r.measureCount;
    auto& tiles = source ? picSyosetsuMoto : picSyosetsuSaki;
    for (int k = 0; k < 8; ++k) {
        const bool on = k < count;
        tiles[k]->setEnabled(on);
        tiles[k]->setAcceptDrops(on);
        QPalette pal = tiles[k]->palette();
        pal.setColor(QPalette::Window, palette().color(on ? QPalette::Base : QPalette::Button));
        tiles[k]->setPalette(pal);
    }
}

QString KoCopy::DragText(int k) const {
    const int slot = SlotOf(true);
    // The text carries one digit each: rows are created in slots 0..9 only.
    if (slot < 0 || slot > 9 || k < 0 || k > 7) return {};
    return QString::number(slot) + QString::number(k);
}

bool KoCopy::DropOnTile(bool sourceSide, int k, const QMimeData* data) {
    if (!data || !data->hasText()) return false;
    const QString t = data->text();
    if (t.size() != 2 || !t[0].isDigit() || !t[1].isDigit()) return false;
    const int dst = SlotOf(sourceSide);
    auto& tiles = sourceSide ? picSyosetsuMoto : picSyosetsuSaki;
    if (dst < 0 || k < 0 || k > 7 || !tiles[k]->isEnabled()) return false;
    // Any program can drop two digits here: copy only from a measure of a
    // row that is open now. A closed row's slot keeps its old notes, which
    // must not reappear in the destination.
    const int srcSlot = t[0].digitValue(), srcMeasure = t[1].digitValue();
    bool known = false;
    for (const auto& r : host_.OpenRows())
        if (r.slot == srcSlot && srcMeasure < r.measureCount) known = true;
    if (!known) return false;
    setEnabled(false);  // one copy at a time
    host_.CopySyosetsu(srcSlot, srcMeasure, dst, k);
    setEnabled(true);
    return true;
}

}  // namespace lw
