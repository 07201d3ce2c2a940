// KoChord: chord shapes by root and type, stepped through the hand positions
// with "Set"/"Next". KoPiano: a chord entered on a 41-key keyboard and spread
// over the strings by the fingering of the staff notation.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "note_entry.h"
#include "session.h"

class QComboBox;
class QPushButton;

namespace lw {

class KoChord : public QDialog {
    Q_OBJECT
public:
    KoChord(NoteEntry& entry, QWidget* parent = nullptr);
    QComboBox* cmbChord = nullptr;
    QComboBox* cmbChordType = nullptr;
    QPushButton* cmdChordSet = nullptr;
    int SetTag() const { return tag_; }
    // "Set"/"Next": applies hand position Tag of the chosen chord; false when
    // the chord has no shape there (nothing changes).
    bool ChordSetClick();

private:
    NoteEntry& e_;
    int tag_ = 0;
};

// The piano keys (0..40, key = pitch index) the sounding strings of a note
// press, and the strings and frets a set of pressed keys gets.
std::vector<int> PianoKeysOfNote(const Session& s, const OnpuData& note);
// Chooses the frets of the pressed keys (ascending, at most one per string)
// in the note-entry window; false when the keys cannot be fingered.
bool ApplyPianoKeys(const Session& s, NoteEntry& entry, const std::vector<int>& pressed);

class KoPiano : public QDialog {
    Q_OBJECT
public:
    static constexpr int kKeys = 41;
    KoPiano(const Session& s, NoteEntry& entry, QWidget* parent = nullptr);
    std::array<QPushButton*, kKeys> key{};
    // Presses the keys of the note-entry window's current note.
    void LoadFromNote();
    std::vector<int> Pressed() const;

private:
    void KeyToggled();
    const Session& s_;
    NoteEntry& e_;
    bool loading_ = false;
};

}  // namespace lw
