// KoWizard: instrument, layout, display options, time signature and measure
// count in four steps before a new row, an opened row file or project, or
// a new project.
#pragma once

#include <QDialog>
#include <array>

#include "session.h"
#include "ui_port.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStackedLayout;

namespace lw {

enum WizardStart : int { kStartNewRow = 0, kStartOpenRow = 1, kStartOpenProject = 2, kStartScore = 3, kStartNewProject = 4 };

// What the wizard's OK stores.
struct WizardChoice {
    int instrument = 0;     // instrument menu item 0..6
    int posRhythm = 1;      // layout style 1..5
    int chordFontSize = 0, fletFontSize = 0;
    bool moveFletForm = true, rhythmRewrite = false, drawNote = false;
};

class WizardHost {
public:
    virtual ~WizardHost() = default;
    virtual Session& WizSession() = 0;
    virtual void WizReloadSettings() = 0;       // ReadIniSettings
    virtual bool WizDrawNote() = 0;             // the note-drawing option
    virtual void WizMeter(int meterId) = 0;     // the time-signature command
    virtual void WizMeasureSpinner(int value) = 0;  // 9 - measure count
    // "調号" and "コード": the key-signature or chord-name dialog of the
    // active row over parent; false (nothing shown) while no row is open.
    virtual bool WizKeyCommand(QWidget* parent) = 0;
    virtual bool WizChordCommand(QWidget* parent) = 0;
    // OK: false (shown) when the choice cannot be taken; the wizard stays.
    virtual bool WizStore(const WizardChoice& c) = 0;
    // After the wizard hid: the start action, then the note-entry dialog
    // when a row is open.
    virtual void WizStart(int action) = 0;
    virtual void WizCancelled() = 0;
};

class KoWizard : public QDialog {
public:
    KoWizard(WizardHost& host, UiPort& ui, int startAction, QWidget* parent = nullptr);

    int Step() const { return step_; }   // 1..4
    void GoTo(int step);
    void Next() { GoTo(step_ + 1); }
    void Return() { GoTo(step_ - 1); }
    WizardChoice Choice() const;
    // OK: false when a value was refused (message shown, wizard open).
    bool OnOk();
    void OnCancel();
    // Cancel, the close button and Escape alike.
    void reject() override;

    std::array<QGroupBox*, 4> Frame{};
    std::array<QRadioButton*, 7> Option1{};
    std::array<QRadioButton*, 5> Option2{};
    QLineEdit* txtFontSize;
    QLineEdit* txtFontSize2;
    std::array<QCheckBox*, 3> Check1{};
    std::array<QRadioButton*, 23> optMeter{};   // index = MeterID; unused null
    QScrollBar* VScroll1;
    QLabel* lblSyou;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* cmdNext;
    QPushButton* cmdReturn;
    QPushButton* OK;
    QPushButton* Cancel;

private:
    void LayoutStyleClicked(int i);
    WizardHost& host_;
    UiPort& ui_;
    int action_;
    int step_ = 1;
    // "調号" / "コード" pressed while no row was open: their dialogs open for
    // the row the start action opens.
    bool pendingKey_ = false, pendingChord_ = false;
    void KeyOrChord(bool key);
    QStackedLayout* pages_ = nullptr;
};

// Time-signature choices of step 3 in their order.
inline constexpr std::array<int, 9> kWizardMeters = {22, 21, 20, 12, 11, 0, 1, 2, 10};

}  // namespace lw
