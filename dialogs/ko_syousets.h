// KoSyousets: the two chord names of each measure of the active row, where
// they are drawn, and "コード反映", which enters each named chord's first
// hand position at the end of its measure.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "session.h"
#include "ui_port.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace lw {

class SyousetsHost {
public:
    virtual ~SyousetsHost() = default;
    // After "更新" and OK: bar lines and chord names of the row again, the
    // row marked changed.
    virtual void ChordsStored() = 0;
    // Enters chord `name` (hand position 0) at the end of measure m. found:
    // whether the chord has a shape; false result: the redraw failed and
    // the command stops.
    virtual bool EnterChord(int measure, const std::string& name, bool& found) = 0;
};

QString NoShapeMessage(const std::string& names);

class KoSyousets : public QDialog {
public:
    KoSyousets(Session& s, UiPort& ui, SyousetsHost& host, QWidget* parent = nullptr);

    // Chord texts and position into the measures of the active row.
    void SetData();
    void OnUpdate();
    void OnOk();
    // "コード反映". Names without a shape are skipped and named afterwards
    // in one message.
    void AutoChord();
    int ChordPos() const { return chordPos_; }  // frmChordPos.Tag

    std::array<QGroupBox*, 8> frmSyosetsu{};
    std::array<QLineEdit*, 16> txtChord{};
    QGroupBox* frmChordPos;
    std::array<QRadioButton*, 3> optPos{};
    QPushButton* cmdAutoChord;
    QPushButton* Update;
    QPushButton* OK;

private:
    Session& s_;
    UiPort& ui_;
    SyousetsHost& host_;
    int chordPos_ = 0;
};

}  // namespace lw
