// KoTabArea, the "TAB領域設定" dialog: the row geometry picked by clicking
// on the drawn lines of a row window. Modeless; the editor hands the clicks
// over through the shared object.
#pragma once

#include <QDialog>
#include <functional>

#include "tab_area.h"

class QLineEdit;
class QRadioButton;
class QTabWidget;
class QGroupBox;

namespace lw {

class KoTabArea : public QDialog {
    Q_OBJECT
public:
    // ok/cancel raise KoTabAreaOK / KoTabAreaRefresh through the object.
    KoTabArea(UiPort& ui, int formatType, int tppX, int tppY, std::function<void()> ok,
              std::function<void()> cancel, QWidget* parent = nullptr);

    TabAreaState& State() { return state_; }
    void FormLoad(const TabAreaGeometry& g);
    // Clicks from the editor.
    void TabAreaPos(double y, int32_t x);
    void TabAreaPos2(double y);
    void OKClick();
    void CancelClick();

    QTabWidget* SSTab1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLineEdit *txtLeft = nullptr, *txtRight = nullptr, *txtInterval = nullptr, *txtTop0 = nullptr;
    QLineEdit *txtTop2_0 = nullptr, *txtInterval2 = nullptr;
    QRadioButton* optDan[4] = {};
    QRadioButton* optDan2[2] = {};

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void ToBoxes();
    void FromBoxes();

    UiPort& ui_;
    TabAreaState state_;
    std::function<void()> ok_, cancel_;
    bool finished_ = false;
};

}  // namespace lw
