// KoKytsuSetei: the font sizes of chord names and fret numbers and two
// behaviour options. The font sizes are written to the settings file, so
// they hold across starts; the options hold for the run.
#pragma once

#include <QDialog>
#include <functional>

#include "session.h"
#include "ui_port.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace lw {

inline constexpr int kMaxRowFontSize = 72;

// A font size typed into a settings box: 1..kMaxRowFontSize, else 0.
int ParseFontSize(const QString& text);
QString FontSizeMessage();

class KoKytsuSetei : public QDialog {
public:
    // reload: reads the settings file again before the values are shown.
    KoKytsuSetei(Session& s, UiPort& ui, std::function<void()> reload, QWidget* parent = nullptr);
    // OK: false (message shown, dialog open) for a size outside 1..72.
    bool OnOk();

    QLineEdit* txtFontSize;
    QLineEdit* txtFontSize2;
    std::array<QCheckBox*, 2> Check1{};
    QPushButton* OK;
    QPushButton* Cancel;

private:
    Session& s_;
    UiPort& ui_;
};

}  // namespace lw
