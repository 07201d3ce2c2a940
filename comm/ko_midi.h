// KoMIDI, the "Midi Player" window: menus for device, channel, instrument
// and base note, tempo, volume, loop, Play and Stop around MidiPlayer.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <memory>

#include "midi_output.h"
#include "midi_player.h"
#include "ui_port.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace lw {

// The steady clock of the Midi Player: it sleeps in an event loop that
// keeps the windows painting; user input waits for the next DoEvents.
SteadyPlayClock MakeWindowClock();

// General MIDI numbers and captions of the instrument menu.
struct GmItem {
    int number;
    const char* caption;
};
extern const std::array<GmItem, 25> kGmItems;

class KoMIDI : public QDialog, private PlayerHost, private MidiSink {
    Q_OBJECT
public:
    // activate: raises ActiveteDocument through the calling object.
    KoMIDI(UiPort& ui, std::function<void(int16_t)> activate, QWidget* parent = nullptr);
    ~KoMIDI() override;

    MidiPlayer& Player() { return player_; }
    // The window's load handler: devices, channel 1, the base note and
    // instrument of the player's tuning (Gakki).
    void FormLoad();

    QAction* device[11] = {};
    QAction* chan[16] = {};
    QAction* mnuBaseNote = nullptr;
    QLineEdit* txtSleep = nullptr;
    QScrollBar* vol = nullptr;
    QCheckBox* LoopOn = nullptr;
    QPushButton* Play = nullptr;
    QPushButton* PlayStop = nullptr;
    QLabel* labGakki = nullptr;
    QLabel* labInfo = nullptr;
    QLabel* labOutput = nullptr;   // where the sound goes

    void ChooseDevice(int item);
    void ChooseChannel(int item);
    void ChooseInstrument(int gmNumber);
    void BaseNoteCommand();
    void PlayClick();
    void PlayStopClick();

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    // PlayerHost
    void DoEvents() override;
    void ShowProgress(const std::string& text) override;
    void ActiveteDocument(int16_t index) override;
    void ShowMessage(const std::string& text) override;
    // MidiSink: the open output, or nowhere while none is open.
    void ShortMsg(uint32_t packed) override;

    UiPort& ui_;
    std::function<void(int16_t)> activate_;
    SteadyPlayClock clock_;
    MidiPlayer player_;
    std::unique_ptr<MidiOutput> output_;
    int16_t deviceIndex_ = -1;
    int32_t lastResult_ = 0;
    std::map<int, QAction*> gmNo_;
    bool playing_ = false;
    bool closeAfterPlay_ = false;
    std::string portNote_;   // why the sequencer has no ports to offer
};

// Where the built-in synthesizer writes its sound when there is no audio device.
std::string FallbackWavPath();

}  // namespace lw
