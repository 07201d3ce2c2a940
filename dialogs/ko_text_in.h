// KoTextIN: the text, font and size of one free text of the active row
// (labText(Tag)). The size box takes digits and the editing keys
// (backspace, delete, arrows); any other character is dropped.
#pragma once

#include <QDialog>

#include "session.h"
#include "ui_port.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lw {

inline constexpr const char* kTextFonts[2] = {"ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝"};
inline constexpr int kMaxTextFontSize = 200;

class KoTextIN : public QDialog {
public:
    explicit KoTextIN(UiPort& ui, QWidget* parent = nullptr);

    void SetTag(int k) { tag_ = k; }
    int Tag() const { return tag_; }
    // Activation: only while txtIN is empty it takes the label's text, size
    // and font.
    void Activate(const TextItem& label);
    bool SizeValid() const;
    // OK: closes accepted, or, when the size is no number in
    // 1..kMaxTextFontSize, says so and stays open with everything typed.
    void OnOk();
    // Stores text, size and font into the label; its Width and Height follow
    // the text (twips at tpp twips per pixel).
    void Store(TextItem& label, int tpp) const;

    QPlainTextEdit* txtIN;
    QComboBox* cmbFont;
    QLineEdit* txtFontsize;
    QPushButton* OK;
    QPushButton* Cancel;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void ApplyFont();
    UiPort& ui_;
    int tag_ = 0;
    QString fontName_;
    int fontSize_ = 9;
};

// The message shown when the size box holds no usable size.
QString TextSizeMessage();

}  // namespace lw
