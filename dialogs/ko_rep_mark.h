// koRepMark: the palette of repeat and navigation signs (segno, coda, D.S.,
// endings ...) placed on the row with a click, plus the move tool; and
// KoRepMark2: the repeat-start, repeat-end and end-mark bars of the
// measures of the active row.
#pragma once

#include <QDialog>
#include <QImage>
#include <QWidget>
#include <array>
#include <functional>

#include "row_scene.h"
#include "session.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QPushButton;
class QToolButton;

namespace lw {

inline constexpr int kRepOptionCount = 11;
inline constexpr int kRepOptionNone = 9;   // no sign chosen
inline constexpr int kRepOptionMove = 10;  // move signs and texts (EditMode 9)

// The sign of palette option 0..8 (the mark code); Stamp::None otherwise.
Stamp RepOptionStamp(int option);
// Tooltip names of the eleven options.
QString RepOptionName(int option);

// What the palette needs from the main window.
class RepMarkHost {
public:
    virtual ~RepMarkHost() = default;
    virtual Session& RepSession() = 0;
    virtual bool RepRowOpen() = 0;
    // Option chosen: 0..8 place that sign (EditMode 4, the sign as pointer),
    // 10 the move tool (EditMode 9), 9 back to the ordinary tool.
    virtual void RepOptionChosen(int option, const QImage& picture) = 0;
    // The bar flags of the active row changed: bar lines and dots again.
    virtual void RepFlagsChanged() = 0;
};

// The check boxes of KoRepMark2 as values. mode 0: repeats, 1: end marks.
struct RepChecks {
    std::array<bool, 8> start{}, end{};
};
RepChecks LoadRepChecks(const DanData& d, int count, int mode);
// Writes the flags of measures 0..count-1 (16-bit -1/0). Repeat mode: start
// box 0 = TopRepStart, start box i = BarFlag(4) and (5) of measure i-1, end
// box i = BarFlag(0); end-mark mode: end box i = BarFlag(7) only.
void StoreRepChecks(DanData& d, int count, int mode, const RepChecks& c);

class KoRepMark2 : public QDialog {
public:
    KoRepMark2(DanData& dan, int count, int mode, QWidget* parent = nullptr);
    void OnOk();
    RepChecks Checks() const;

    std::array<QCheckBox*, 8> chkRepStart{};
    std::array<QCheckBox*, 8> chkRepEnd{};
    QPushButton* OK;
    QPushButton* Cancel;

private:
    DanData& dan_;
    int count_;
    int mode_;
};

class KoRepMark : public QWidget {
public:
    explicit KoRepMark(RepMarkHost& host, QWidget* parent = nullptr);

    // optRep(i) clicked.
    void ChooseOption(int i);
    // cmdRepMark(i): opens KoRepMark2 in mode i below the palette; returns
    // the dialog's result (QDialog::Accepted when flags were written).
    int OpenRepMark2(int i);
    int Option() const { return option_; }      // frmRep.Tag (-1: none yet)
    QString Tag() const { return tag_; }        // koRepMark.Tag
    // Hook for tests: runs instead of exec() with the loaded dialog.
    std::function<int(KoRepMark2&)> ExecHook;

    std::array<QToolButton*, kRepOptionCount> optRep{};
    std::array<QPushButton*, 2> cmdRepMark{};

private:
    RepMarkHost& host_;
    QButtonGroup* group_;
    int option_ = -1;
    QString tag_ = "0";
};

// The picture of option i as the palette shows it.
QImage RepOptionPicture(int option);

}  // namespace lw
