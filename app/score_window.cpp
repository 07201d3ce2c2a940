#include "score_window.h"

#include <QPixmap>
#include <QScrollBar>

namespace lw {

ScoreWindow::ScoreWindow(int tpp, QWidget* parent) : QMdiSubWindow(parent) {
    setObjectName("frmGakufu");
    setWindowTitle(QStringLiteral("楽譜"));
    setAttribute(Qt::WA_DeleteOnClose);
    area_ = new QScrollArea;
    area_->setBackgroundRole(QPalette::Base);
    picGakufu_ = new QLabel;
    picGakufu_->setObjectName("picGakufu");
    area_->setWidget(picGakufu_);
    // Both bars move 400 twips a step, and a page the same.
    const int step = 400 / (tpp > 0 ? tpp : 15);
    area_->verticalScrollBar()->setObjectName("scrlTate");
    area_->horizontalScrollBar()->setObjectName("scrlYoko");
    for (QScrollBar* b : {area_->verticalScrollBar(), area_->horizontalScrollBar()}) {
        b->setSingleStep(step);
        b->setPageStep(step);
    }
    setWidget(area_);
}

void ScoreWindow::SetPicture(const QImage& picture) {
    picture_ = picture;
    picGakufu_->setPixmap(QPixmap::fromImage(picture));
    picGakufu_->resize(picture.size());
    for (QScrollBar* b : {area_->verticalScrollBar(), area_->horizontalScrollBar()}) b->setValue(0);
}

}  // namespace lw
