// KoKey: the key dialog, for setting a row's key (Tag "0") or transposing
// the row up to another key (Tag "1").
#pragma once

#include <QDialog>
#include <QString>

#include "row_port.h"
#include "session.h"
#include "ui_port.h"

class QComboBox;
class QPushButton;

namespace lw {

class KoKey : public QDialog {
public:
    KoKey(Session& s, UiPort& ui, RowPort& port, QWidget* parent = nullptr);

    void SetTag(const QString& tag);
    QString Tag() const { return tag_; }
    // OK: applies the key or the transposition; closes only when it succeeded.
    void OnOk();

    QComboBox* cmbKey;
    QComboBox* cmbItyouKey;
    QPushButton* OK;

private:
    Session& s_;
    UiPort& ui_;
    RowPort& port_;
    QString tag_ = "0";
};

}  // namespace lw
