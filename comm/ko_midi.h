// KoMIDI, the "Midi Player" window: menus for device, channel, instrument
// and base note, tempo, volume, loop, Play and Stop around MidiPlayer.
#pragma once

#include <QDialog>
#include <array>
#include <chrono>
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

// Waits on the steady clock while the windows keep painting. Waits add up
// from the start of a row, so time spent between them is made good and no
// drift builds up; user input waits for the next DoEvents.
class QtPlayClock : public PlayClock {
public:
    void BeginRow() override;
    void Wait(int ms) override;

private:
    std::chrono::steady_clock::time_point deadline_{};
    bool anchored_ = false;
};

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
    // The window's load handler: devices, channel 1, instrument 1.
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
    QtPlayClock clock_;
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
