// clsKoComm: the one object through which the editor hands work to the
// KoComm library (MIDI playback, row-area dialog) and receives its events.
// The editor loads libKoComm.so at run time and creates objects through the
// exported factory, so this header holds only an abstract interface.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "play_order.h"

namespace lw {

// Events of the object, delivered synchronously on the UI thread.
class KoCommEvents {
public:
    virtual ~KoCommEvents() = default;
    virtual void ActiveteDocument(int16_t& Index) = 0;
    virtual void KoTabAreaOK() = 0;
    virtual void KoTabAreaRefresh() = 0;
};

class clsKoComm {
public:
    virtual ~clsKoComm() = default;

    // Who receives the events of this object (may be null).
    virtual void SetEventSink(KoCommEvents* sink) = 0;

    // p_X is kept in the object itself.
    virtual int32_t get_p_X() const = 0;
    virtual void let_p_X(int32_t v) = 0;

    // Write-only properties shared by every object of the library; reading
    // them gives an empty value.
    virtual void let_p_SyosetsuSu(int16_t v) = 0;
    virtual void let_p_DocumentCount(int32_t v) = 0;
    virtual void let_p_Gakki(int16_t v) = 0;
    virtual void let_p_TabAreaPos(double v) = 0;
    virtual void let_p_TabAreaPos2(double v) = 0;
    virtual void let_p_FormatType(int16_t v) = 0;
    virtual void let_p_LineCnt(int16_t v) = 0;
    // Time signature of the active row (MeterID): compound meters count
    // dotted quarters in playback.
    virtual void let_p_MeterID(int16_t v) {}
    // Each row's own measure count and time signature (row = slot 0..10);
    // a row given none plays with p_SyosetsuSu and p_MeterID.
    virtual void let_p_RowSyosetsuSu(int16_t row, int16_t v) {}
    virtual void let_p_RowMeterID(int16_t row, int16_t v) {}
    // The measures in the order a musician plays them (repeats, endings,
    // D.S./D.C., coda, Fine); empty: every row's measures in turn.
    virtual void Put_PlayOrder(const std::vector<PlayStep>& steps) {}
    virtual std::optional<double> get_p_SyosetsuSu() const = 0;
    virtual std::optional<double> get_p_TabAreaPos() const = 0;

    // Which line the row-area dialog waits for (1 = first line).
    virtual int16_t get_p_OnMouseFlag() const = 0;
    virtual void let_p_OnMouseFlag(int16_t v) = 0;  // has no effect

    virtual void Put_ActiveteDocumentEvent(int16_t& Index) = 0;
    virtual void Put_KoTabAreaOKEvent() = 0;
    virtual void Put_KoTabAreaRefreshEvent() = 0;

    // The members below have bodies so that stand-ins need not write them.

    // Reads "Interface.tab" of the current folder and shows the Midi Player
    // modally; returns when it is closed.
    virtual void Show_KoMIDI() {}
    // Shows the row-area dialog modeless as a child of the window whose
    // native id is hWndNewParent (0: no parent).
    virtual void Show_KoTabArea(uintptr_t hWndNewParent) {}

    // Headless playback: plays playFile (the interchange format) with the
    // Midi Player's engine and settings into the built-in synthesizer,
    // rendering wavPath faster than real time. tempo is the text the
    // window's tempo box would hold. False with the reason; no file then.
    struct PlayOptions {
        std::string tempo = "100";
        int instrument = 0;   // General MIDI number 1..128; 0: the tuning's instrument
        int baseNote = -1;    // 0..111; -1: the tuning's sounding pitch
    };
    virtual bool Play_ToWav(const std::string& playFile, const std::string& wavPath, const PlayOptions& options,
                            std::string& error) {
        error = "この KoComm は再生できません。";
        return false;
    }

    // The same playback recorded into a Standard MIDI File (format 0): the
    // program change and every note message the player sends, at the times
    // it sends them. Written through a temporary file and rename. False with
    // the reason; no file then.
    virtual bool Play_ToMidiFile(const std::string& playFile, const std::string& midiPath,
                                 const PlayOptions& options, std::string& error) {
        error = "この KoComm は MIDI ファイルを書き出せません。";
        return false;
    }
};

}  // namespace lw

// The factory the library exports; returns null when the object cannot be made.
extern "C" {
typedef lw::clsKoComm* (*KoCommCreateFn)();
}
#define LW_KOCOMM_FACTORY "KoComm_CreateObject"
