// KoCopy: copies a measure by dragging its tile from a source row onto a
// measure tile of a destination row.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QString>
#include <array>
#include <string>
#include <vector>

class QComboBox;
class QMimeData;
class QPushButton;

namespace lw {

// What the measure-copy window needs from the application.
class KoCopyHost {
public:
    struct Row {
        std::string caption;   // "n段目"
        int slot = 0;
        int measureCount = 0;
    };
    virtual ~KoCopyHost() = default;
    virtual std::vector<Row> OpenRows() = 0;
    virtual void BringRowToFront(int slot) = 0;
    // Brings the destination row's window to the front and runs its
    // RowEditor::CopySyosetsu.
    virtual void CopySyosetsu(int srcSlot, int srcMeasure, int dstSlot, int dstMeasure) = 0;
    // Slot of the active row (-1 when none): both sides start there.
    virtual int ActiveSlot() { return -1; }
};

class KoCopy;

// One measure tile: a drag source on the source side, a drop target on both.
class MeasureTile : public QLabel {
public:
    MeasureTile(KoCopy& owner, bool source, int index, QWidget* parent);
    int Index() const { return index_; }

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    KoCopy& owner_;
    bool source_;
    int index_;
};

class KoCopy : public QDialog {
public:
    explicit KoCopy(KoCopyHost& host, QWidget* parent = nullptr);

    // Re-reads the open rows into both combo boxes.
    void LoadRows();
    // Updates the tiles of one side from its chosen row.
    void SyosetsuSetei(bool source);
    // Drag text of source tile k ("slot digit + measure digit"); empty when
    // no source row is chosen.
    QString DragText(int k) const;
    // Drop on tile k of one side: the row chosen on that side is the
    // destination. Returns true when a copy ran.
    bool DropOnTile(bool sourceSide, int k, const QMimeData* data);
    int SlotOf(bool source) const;

    QComboBox* cmbMoto;
    QComboBox* cmbSaki;
    std::array<MeasureTile*, 8> picSyosetsuMoto{};
    std::array<MeasureTile*, 8> picSyosetsuSaki{};
    QPushButton* OK;

private:
    KoCopyHost& host_;
};

}  // namespace lw
