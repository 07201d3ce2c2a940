// The playing engine of the Midi Player: KoComm's copy of the rows, the
// reading of "Interface.tab", durations, keys and the loops that send the
// note messages. No widgets: the window, the headless renderer and the tests
// drive the same object through MidiSink, PlayClock and PlayerHost.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dan_data.h"
#include "play_order.h"

namespace lw {

// Short MIDI messages packed as status + data1 * 256 + data2 * 65536.
inline uint32_t PackShortMsg(int status, int data1, int data2 = 0) {
    return static_cast<uint32_t>(status) | (static_cast<uint32_t>(data1) << 8) |
           (static_cast<uint32_t>(data2) << 16);
}

// Where the messages go (an open MIDI output, the built-in synthesizer, a
// recorder in the tests).
class MidiSink {
public:
    virtual ~MidiSink() = default;
    virtual void ShortMsg(uint32_t packed) = 0;
    // The measures from here on are in this time signature (sent before the
    // first measure and wherever it changes); no message goes out.
    virtual void MeterChange(int meterId) {}
};

// Time as the player sees it: the waits between note-on and note-off, and
// the pauses between the tests for the interchange file.
class PlayClock {
public:
    virtual ~PlayClock() = default;
    // A row starts: waits are measured from here on.
    virtual void BeginRow() {}
    virtual void Wait(int ms) = 0;
};

// Waits measured on a steady clock. The deadlines of a row add up from its
// start, so the time spent between waits (messages, repaints) is made good
// and no drift builds up over a row; a wait that finds itself far behind
// (a message box stood open) starts afresh instead of rushing the notes
// after it. The clock and the sleeping are passed in: the window sleeps
// in an event loop that keeps painting, the tests use a fake time.
class SteadyPlayClock : public PlayClock {
public:
    using Ms = long long;  // milliseconds on the steady clock
    SteadyPlayClock(std::function<Ms()> now, std::function<void(Ms untilMs)> sleepUntil)
        : now_(std::move(now)), sleepUntil_(std::move(sleepUntil)) {}
    void BeginRow() override;
    void Wait(int ms) override;

    static constexpr Ms kLateMs = 100;

private:
    std::function<Ms()> now_;
    std::function<void(Ms)> sleepUntil_;
    Ms deadline_ = 0;
    bool anchored_ = false;
};

// What the player asks of its window.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    // Lets pending window events run (once per position and per row).
    virtual void DoEvents() {}
    // labInfo.
    virtual void ShowProgress(const std::string& text) {}
    // Raised through the shared object before row `index` plays.
    virtual void ActiveteDocument(int16_t index) {}
    // A refusal the user must see (tempo text).
    virtual void ShowMessage(const std::string& text) {}
};

// KoComm's copy of the rows: only what playback uses.
struct PlayOnpu {
    std::array<uint8_t, kStringSlots> FletUse{};
    std::array<uint8_t, kStringSlots> Flet{};
    std::array<uint8_t, kStringSlots> NoteLengthID{};
    uint8_t NoteAttr = 0;
};
struct PlaySyosetsu {
    int16_t OnpuCnt = 0;
    std::string Chord1, Chord2;
    std::array<PlayOnpu, kPositionSlots> Onpu{};
};
struct PlayDan {
    std::array<PlaySyosetsu, kMeasureSlots> Syosetsu{};
};
using PlayRows = std::array<PlayDan, kSlotCount>;

// Tests for path up to five times, pausing 1000 ms on the clock after each
// of the first four failures, then reads its position records (field count
// by maxStringIx) into rows, A(1) naming the slot. rows is cleared first, so
// nothing of an earlier run stays. False with a description when the file
// never appeared or a record is unreadable; what was read before stays.
bool LoadPlayFile(const std::string& path, int maxStringIx, PlayClock& clock, PlayRows& rows,
                  std::string& error);
bool ReadPlayRecords(const std::string& bytes, int maxStringIx, PlayRows& rows, std::string& error);

// Semitone offsets of the open strings 1..6 (index 1..6) by tuning code;
// the user tunings 97, 98 and 99 come from tuningTbl (columns 2, 0, 1).
using TuningOffsets = std::array<int, 7>;
TuningOffsets TuningOf(int gakki, const std::array<std::array<int16_t, 4>, 7>& tuningTbl);

// Key of fret f on a string whose open offset is `open`, before the base
// note: every fret sounds at its own pitch, high frets are not folded down.
int KeyOf(int open, int fret);

// Milliseconds of rhythm id nLen at beat time B (ms per beat); compound
// meters (6/8, 9/8, 12/8) count dotted quarters. Not rounded.
double GetPlayTime(int nLen, bool nFuten, int beatMs, int meterId);

// A tempo text: a whole number 1..999 (blanks around it allowed). -1 otherwise.
int ParseTempo(const std::string& text);
// The answer to "Base note": a number v with 0 <= v < 112, rounded half
// to even. False for anything else (the base note then stays).
bool ParseBaseNote(const std::string& text, int16_t& baseNote);

// Beat time of a tempo: the integer nearest to 60 / tempo * 1000.
int BeatTimeOf(int tempo);

inline constexpr const char* kTempoRefused = "テンポ（１分間の拍数）には 1～999 の整数を入力してください。";

// Row time signatures none of which is given.
inline std::array<int16_t, kSlotCount> NoRowMeters() {
    std::array<int16_t, kSlotCount> a{};
    a.fill(-1);
    return a;
}

// The state of one playback window and its loops.
class MidiPlayer {
public:
    MidiPlayer(MidiSink& sink, PlayClock& clock, PlayerHost& host) : sink_(&sink), clock_(clock), host_(host) {}

    PlayRows Rows{};
    // Shared properties of the object.
    int16_t SyosetsuSu = 0;
    int32_t DocumentCount = 0;
    int16_t LineCnt = 5;
    int16_t MeterID = 22;
    int16_t Gakki = 0;
    TuningOffsets Tuning{};
    // Each row's own measure count (0: SyosetsuSu) and time signature (-1:
    // MeterID), and the measures in the order a musician plays them (empty:
    // every row's measures in turn).
    std::array<int16_t, kSlotCount> RowSyosetsuSu{};
    std::array<int16_t, kSlotCount> RowMeterID = NoRowMeters();
    std::vector<PlayStep> Order;

    int16_t Channel = 0;        // 0..15
    int16_t Velocity = 127;
    // Added to every key: the guitar's open strings then sound E2 .. E4.
    int16_t BaseNote = 36;
    int32_t BeatTime = 0;
    bool StopFlag = false;
    bool LoopFlag = false;
    int16_t Instrument = 25;    // GM number counted from 1
    int16_t CurrentRow = 0;
    std::string TempoText = "100";

    void SetSink(MidiSink& sink) { sink_ = &sink; }
    // Chooses the instrument and sends its program change.
    void SetInstrument(int gmNumber);
    // Plays the measures of the current row; false when the tempo text was
    // refused (the message has been shown and the stop flag set).
    bool PlayMidi();
    // Plays the piece from its first measure in playing order (each row
    // activated as it begins), in a loop while the loop flag is set.
    void MIDISaisei();
    // The measures MIDISaisei plays: Order without the measures the rows do
    // not have, or every row's measures in turn.
    std::vector<PlayStep> Steps() const;
    int MeasuresOf(int row) const;
    int MeterOf(int row) const;
    // The tempo check made before anything plays; shows the refusal.
    bool TempoOk();

private:
    void NoteOn(int key);
    void NoteOff(int key);
    int KeyOfString(const PlayOnpu& o, int k) const;
    // One measure of a row; false when the stop flag ended it.
    bool PlayMeasure(int row, int m);

    MidiSink* sink_;
    PlayClock& clock_;
    PlayerHost& host_;
};

}  // namespace lw
