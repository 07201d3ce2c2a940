// The instrument menu's choice and KoTuning, the tuning dialog: tuning
// codes, their string counts and open strings, the user tunings.
#pragma once

#include <QDialog>
#include <array>
#include <map>
#include <string>

#include "session.h"
#include "ui_port.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace lw {

// Open-string pitches offered by the tuning dialog; index = open value.
extern const std::array<const char*, 36> kPitchNames;

struct TuningChoice {
    int code;
    const char* caption;
};
// The tuning dialog's choices in their order (Option1, index = code).
extern const std::array<TuningChoice, 19> kTuningChoices;
// Items of the instrument menu (mnuSeteiGakki).
extern const std::array<const char*, 7> kGakkiMenuCaptions;

// Strings of a tuning code: 4, 5 or 6.
int StringCountOfCode(int code);
// Catalogue entry refusing a change away from maxStringIx strings (1, 2, 38).
int TuningRefusalMessage(int maxStringIx);

// Instrument menu item i (0..6): GakkiMenuIx, GakkiCode and MaxStringIx.
// The staff clef follows the code (bass clef for the basses).
void ChooseInstrument(Session& s, int item);
// The tuning code and string count of instrument item i.
int GakkiCodeOfItem(int item);
int MaxStringIxOfItem(int item);

class KoTuning : public QDialog {
public:
    // iniPath: where the user tunings are written on OK.
    KoTuning(Session& s, UiPort& ui, std::string iniPath, QWidget* parent = nullptr);

    // Option1(c) chosen. Refused with a message, the current code chosen
    // again, when c has another string count than the open rows.
    bool ChooseCode(int c);
    void OnOk();

    std::map<int, QRadioButton*> Option1;
    std::array<QComboBox*, 6> cmbLineBase{};
    std::array<QLabel*, 6> lbLine{};
    QPushButton* OK;
    std::array<int16_t, 6> LineBase{};

private:
    Session& s_;
    UiPort& ui_;
    std::string ini_;
};

}  // namespace lw
