#include "ko_chord_piano.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "fretcalc_client.h"
#include "staff_notation.h"

namespace lw {

// ---------------------------------------------------------------- KoChord

KoChord::KoChord(NoteEntry& entry, QWidget* parent) : QDialog(parent), e_(entry) {
    setObjectName("KoChord");
    setWindowTitle(QStringLiteral("コード"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* h = new QHBoxLayout(this);
    cmbChord = new QComboBox;
    cmbChord->setObjectName("cmbChord");
    for (const char* r : {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "B♭", "B"})
        cmbChord->addItem(QString::fromUtf8(r));
    cmbChordType = new QComboBox;
    cmbChordType->setObjectName("cmbChordType");
    for (const ChordType& t : EnumChordTypes()) cmbChordType->addItem(QString::fromStdString(PaddedChordTypeName(t.name)));
    cmdChordSet = new QPushButton(QStringLiteral("Set"));
    cmdChordSet->setObjectName("cmdChordSet");
    h->addWidget(cmbChord);
    h->addWidget(cmbChordType);
    h->addWidget(cmdChordSet);
    // A new choice starts again at the first hand position.
    auto restart = [this] {
        tag_ = 0;
        cmdChordSet->setText(QStringLiteral("Set"));
    };
    connect(cmbChord, &QComboBox::activated, this, restart);
    connect(cmbChordType, &QComboBox::activated, this, restart);
    connect(cmdChordSet, &QPushButton::clicked, this, [this] { ChordSetClick(); });
}

bool KoChord::ChordSetClick() {
    const std::string name = (cmbChord->currentText() + cmbChordType->currentText().trimmed()).toStdString();
    const bool ok = e_.SetNoteChordData(name, tag_);
    if (ok) e_.SetNowData2();
    cmdChordSet->setText(QStringLiteral("Next"));
    if (tag_ < 4) ++tag_;
    return ok;
}

// ---------------------------------------------------------------- KoPiano

namespace {
OpenValues OpenOf(const Session& s) {
    OpenValues open{};
    OpenStringValues(s.GakkiCode, s.TuningTbl, open);
    return open;
}
}  // namespace

std::vector<int> PianoKeysOfNote(const Session& s, const OnpuData& note) {
    const OpenValues open = OpenOf(s);
    std::vector<int> keys;
    for (int k = 1; k <= s.MaxStringIx + 1 && k <= 6; ++k) {
        if (note.FletUse[k] != kSounding) continue;
        const int p = PitchIndex(open[k - 1], note.Flet[k]);
        if (p >= 0 && p < KoPiano::kKeys) keys.push_back(p);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

bool ApplyPianoKeys(const Session& s, NoteEntry& entry, const std::vector<int>& pressed) {
    entry.ClearFlet();
    std::vector<int> pitches = pressed;
    std::sort(pitches.begin(), pitches.end());
    if (pitches.size() > static_cast<size_t>(s.MaxStringIx + 1)) pitches.resize(s.MaxStringIx + 1);
    if (pitches.empty()) return true;
    const Fingered f = Fingering(pitches, OpenOf(s), s.MaxStringIx, IsBassClefInstrument(s.GakkiCode));
    if (!f.ok) return false;
    for (size_t i = 0; i < pitches.size() && i < f.string.size(); ++i)
        if (f.string[i] >= 1) entry.SetFletPosNo(f.string[i], f.fret[i] + 1);
    entry.Tab = 0;
    entry.SetNoteData();
    if (entry.Changed) entry.Changed();
    return f.count == static_cast<int>(pitches.size());
}

KoPiano::KoPiano(const Session& s, NoteEntry& entry, QWidget* parent) : QDialog(parent), s_(s), e_(entry) {
    setObjectName("KoPiano");
    setWindowTitle(QStringLiteral("Piano"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* v = new QVBoxLayout(this);
    auto* keys = new QHBoxLayout;
    keys->setSpacing(0);
    // Key 0 is the C of the tables' base; black keys are the sharps.
    static const bool black[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
    for (int i = 0; i < kKeys; ++i) {
        auto* b = new QPushButton;
        b->setObjectName(QStringLiteral("key%1").arg(i));
        b->setCheckable(true);
        b->setFixedSize(16, black[i % 12] ? 56 : 80);
        b->setProperty("Tag", black[i % 12] ? QStringLiteral("Black") : QString());
        b->setStyleSheet(black[i % 12] ? QStringLiteral("QPushButton{background:#222;border:1px solid #000}"
                                                         "QPushButton:checked{background:#d07030}")
                                       : QStringLiteral("QPushButton{background:white;border:1px solid #888}"
                                                         "QPushButton:checked{background:#f0a060}"));
        connect(b, &QPushButton::toggled, this, [this] { KeyToggled(); });
        keys->addWidget(b, 0, Qt::AlignTop);
        key[i] = b;
    }
    v->addLayout(keys);
    auto* clear = new QPushButton(QStringLiteral("クリア"));
    clear->setObjectName("cmdClear");
    connect(clear, &QPushButton::clicked, this, [this] {
        loading_ = true;
        for (auto* k : key) k->setChecked(false);
        loading_ = false;
        KeyToggled();
    });
    v->addWidget(clear, 0, Qt::AlignRight);
    LoadFromNote();
}

void KoPiano::LoadFromNote() {
    loading_ = true;
    for (auto* k : key) k->setChecked(false);
    for (int p : PianoKeysOfNote(s_, e_.CurOnpu())) key[p]->setChecked(true);
    loading_ = false;
}

std::vector<int> KoPiano::Pressed() const {
    std::vector<int> p;
    for (int i = 0; i < kKeys; ++i)
        if (key[i]->isChecked()) p.push_back(i);
    return p;
}

void KoPiano::KeyToggled() {
    if (loading_) return;
    ApplyPianoKeys(s_, e_, Pressed());
}

}  // namespace lw
