// MIDI outputs of the Midi Player: the ports of the ALSA sequencer (through
// RtMidi) and the built-in software synthesizer (FluidSynth with a General
// MIDI SoundFont) that item "MIDI Mapper" (device -1) plays on, plus the
// synthesizer rendering into a WAV file faster than real time.
// Every back-end failure comes back as a result code and a reason; nothing
// here throws.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi_player.h"

namespace lw {

// Result codes of opening an output (the numbers of the platform's MIDI
// errors, so that "rc = " means the same everywhere).
enum MidiResult : int {
    kMidiOk = 0,
    kMidiError = 1,         // the back end refused (no sequencer, port vanished)
    kMidiBadDeviceId = 2,   // no such port
    kMidiNoDriver = 6,      // no audio output at all for the synthesizer
    kMidiNoSoundFont = 11,  // the SoundFont is missing or unreadable
};

inline constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The SoundFont of the built-in synthesizer: $LUTEWISE_SOUNDFONT or the
// Debian TimGM6mb.
std::string SoundFontPath();

struct MidiPortList {
    std::vector<std::string> names;
    std::string error;  // why the sequencer could not be asked (empty: fine)
};
// Output ports of the ALSA sequencer.
MidiPortList ListMidiOutPorts();

class MidiOutput : public MidiSink {
public:
    // Where the sound goes, for the window's status line.
    virtual std::string Describe() const = 0;
};

// Opens device (-1: the built-in synthesizer playing through the desktop's
// audio output, or into fallbackWav when there is none; 0..: a sequencer
// port). Null with rc and reason on failure.
std::unique_ptr<MidiOutput> OpenMidiOutput(int device, const std::string& fallbackWav, int& rc, std::string& reason);

// The built-in synthesizer rendering into a WAV file (16-bit stereo,
// 44.1 kHz). Wait() renders the waited time at once, so playback runs as
// fast as the synthesizer computes. The file is written beside its final
// name and renamed by Finish(); a renderer destroyed unfinished removes it.
class WavRenderer : public MidiSink, public PlayClock {
public:
    ~WavRenderer() override;
    // Null with the reason when the synthesizer, SoundFont or file fail.
    static std::unique_ptr<WavRenderer> Create(const std::string& wavPath, std::string& error);

    void ShortMsg(uint32_t packed) override;
    void Wait(int ms) override;
    // Renders the release tail (until silence, at most a few seconds) and
    // puts the file in place.
    bool Finish(std::string& error);
    // Frames rendered so far (without the tail until Finish).
    long long Frames() const { return frames_; }

private:
    WavRenderer() = default;
    bool Render(long long frames);

    struct Impl;
    std::unique_ptr<Impl> impl_;
    long long frames_ = 0;
    double waitedMs_ = 0;
    bool failed_ = false;
    std::string error_;
};

}  // namespace lw
