// frmGakufu: the score picture (picGakufu) scrolling inside its child
// window, captioned "楽譜".
#pragma once

#include <QImage>
#include <QLabel>
#include <QMdiSubWindow>
#include <QScrollArea>

namespace lw {

class ScoreWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit ScoreWindow(int twipsPerPixel, QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    QScrollArea* Area() const { return area_; }

private:
    QScrollArea* area_;
    QLabel* picGakufu_;
    QImage picture_;
};

}  // namespace lw
