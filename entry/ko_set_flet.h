// KoSetFlet: the note-entry tool window. It shows the state of NoteEntry and
// forwards every click to it; Refresh() brings the controls up to date.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "note_entry.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QWidget;

namespace lw {

class KoSetFlet : public QDialog {
    Q_OBJECT
public:
    KoSetFlet(NoteEntry& entry, QWidget* parent = nullptr);

    // Controls up to date with the entry state; caption with the measure.
    void Refresh();
    // Rows above the instrument's strings hidden (on load and instrument change).
    void ShowStrings(int strings);

    QTabWidget* tabOnpu = nullptr;
    std::array<QButtonGroup*, 7> optFlet{};      // index = string 1..6
    std::array<QButtonGroup*, 7> optEfect{};
    std::array<QLabel*, 7> labLine{};
    std::array<QLabel*, 6> labPos{};             // preview, string 1..6
    QScrollBar* HScroll1 = nullptr;
    QButtonGroup* optLen = nullptr;
    QCheckBox *chkSlar = nullptr, *chkSlar2 = nullptr, *chkFuten = nullptr, *chkRenhaku = nullptr,
              *chkDownUp = nullptr;
    QLabel *BeforeX = nullptr, *BeforeY = nullptr;
    QPushButton *cmdAdd = nullptr, *cmdUpdate = nullptr, *cmdClear = nullptr, *cmdUndo = nullptr;
    std::array<QPushButton*, 2> cmdInsert{};
    QButtonGroup* optKyufu = nullptr;
    QPushButton *cmdDelete_kyf = nullptr, *cmdUpdate_kyf = nullptr;
    QPushButton *cmdChord = nullptr, *cmdPiano = nullptr;
    QLabel* picKyufu = nullptr;
    // "コード" and the piano button open their windows through these.
    std::function<void()> OpenChord, OpenPiano;
    // The window became the active one (the measure-copy window follows it).
    std::function<void()> Activated;

protected:
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void Build();
    QWidget* BuildNoteTab();
    QWidget* BuildRestTab();
    QWidget* BuildChordTab();
    void StartDrag();

    NoteEntry& e_;
    bool refreshing_ = false;
    QPoint pressAt_;
    bool pressed_ = false;
};

// Ko3renOption: "連符ｵﾌﾟｼｮﾝ", the note value and the rhythm pattern of triplets.
class Ko3renOption : public QDialog {
    Q_OBJECT
public:
    Ko3renOption(NoteEntry& entry, QWidget* parent = nullptr);
    void Refresh();
    QButtonGroup* optBunNote = nullptr;
    QButtonGroup* optType = nullptr;

private:
    NoteEntry& e_;
    bool refreshing_ = false;
};

}  // namespace lw
