#include "ko_comm.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <thread>

#include "comm_ui.h"
#include "ko_midi.h"
#include "ko_tab_area.h"
#include "instrument_sound.h"
#include "messages.h"
#include "midi_file.h"
#include "midi_output.h"
#include "midi_player.h"
#include "paths.h"
#include "safe_file.h"
#include "settings.h"
#include "tab_file.h"

namespace lw {
namespace {

// Module-level property values, shared by every object of the library.
struct SharedProperties {
    int16_t SyosetsuSu = 0;
    int32_t DocumentCount = 0;
    int16_t Gakki = 0;
    double TabAreaPos = 0;
    double TabAreaPos2 = 0;
    int16_t FormatType = 0;
    int16_t LineCnt = 0;
    int16_t MeterID = 22;
    int16_t OnMouseFlag = 1;
    std::array<int16_t, kSlotCount> RowSyosetsuSu{};
    std::array<int16_t, kSlotCount> RowMeterID = NoRowMeters();
    std::vector<PlayStep> PlayOrder;
};

SharedProperties& Shared() {
    static SharedProperties p;
    return p;
}

// The object whose Show_ method opened the library's window: the window
// raises its events through it.
clsKoComm* CallingObject = nullptr;
QPointer<KoTabArea> TabAreaForm;

// Message boxes of the row-area dialog, which may outlive the object that opened it.
CommUiPort& TabAreaUi() {
    static CommUiPort ui;
    return ui;
}

// Messages of the settings reader while there is no window: kept for the caller.
class CollectingUi : public UiPort {
public:
    int MessageBox(const std::string& text, int, const std::string&) override {
        if (!shown.empty()) shown += '\n';
        shown += PlainLineBreaks(text);
        return kIdOk;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
    std::string shown;
};

// Open-string offsets for playback; user tunings come from the settings file.
TuningOffsets PlaybackTuning(UiPort& ui, int gakki) {
    std::array<std::array<int16_t, 4>, 7> tbl{};
    if (gakki >= 97 && gakki <= 99) {
        Session s;
        s.PosRhythm = 0;  // tunings only, no geometry
        ReadIniSettings(s, ui, CurrentIniPath());
        tbl = s.TuningTbl;
    }
    return TuningOf(gakki, tbl);
}

void FillPlayer(MidiPlayer& p, UiPort& ui) {
    const SharedProperties& sh = Shared();
    p.SyosetsuSu = sh.SyosetsuSu;
    p.DocumentCount = sh.DocumentCount;
    p.LineCnt = sh.LineCnt;
    p.MeterID = sh.MeterID;
    p.Gakki = sh.Gakki;
    p.RowSyosetsuSu = sh.RowSyosetsuSu;
    p.RowMeterID = sh.RowMeterID;
    p.Order = sh.PlayOrder;
    p.Tuning = PlaybackTuning(ui, sh.Gakki);
}

int TwipsPerPixel(QWidget* w, bool vertical) {
    QScreen* sc = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    const double dpi = sc ? (vertical ? sc->logicalDotsPerInchY() : sc->logicalDotsPerInchX()) : 96.0;
    return dpi > 0 ? static_cast<int>(1440 / dpi) : 15;
}

class SleepClock : public PlayClock {
public:
    void Wait(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

bool OptionsOk(const clsKoComm::PlayOptions& o, std::string& error) {
    if (ParseTempo(o.tempo) < 0) {
        error = kTempoRefused;
        return false;
    }
    if (o.instrument < 0 || o.instrument > 128) {
        error = "音色は General MIDI の番号 1～128 で指定してください。";
        return false;
    }
    if (o.baseNote < -1 || o.baseNote > 111) {
        error = "基準音（Base note）は 0～111 で指定してください。";
        return false;
    }
    return true;
}

bool LoadRows(const std::string& playFile, PlayRows& rows, std::string& error) {
    SleepClock pause;
    return LoadPlayFile(playFile, Shared().LineCnt, pause, rows, error);
}

class KoCommObject final : public clsKoComm {
public:
    ~KoCommObject() override {
        if (CallingObject == this) CallingObject = nullptr;
    }
    void SetEventSink(KoCommEvents* sink) override { sink_ = sink; }
    int32_t get_p_X() const override { return x_; }
    void let_p_X(int32_t v) override { x_ = v; }
    void let_p_SyosetsuSu(int16_t v) override { Shared().SyosetsuSu = v; }
    void let_p_DocumentCount(int32_t v) override { Shared().DocumentCount = v; }
    void let_p_Gakki(int16_t v) override { Shared().Gakki = v; }
    void let_p_TabAreaPos(double v) override {
        Shared().TabAreaPos = v;
        if (TabAreaForm) TabAreaForm->TabAreaPos(v, x_);
    }
    void let_p_TabAreaPos2(double v) override {
        Shared().TabAreaPos2 = v;
        if (TabAreaForm) TabAreaForm->TabAreaPos2(v);
    }
    void let_p_FormatType(int16_t v) override { Shared().FormatType = v; }
    void let_p_LineCnt(int16_t v) override { Shared().LineCnt = v; }
    void let_p_MeterID(int16_t v) override { Shared().MeterID = v; }
    void let_p_RowSyosetsuSu(int16_t row, int16_t v) override {
        if (row >= 0 && row < kSlotCount) Shared().RowSyosetsuSu[row] = v;
    }
    void let_p_RowMeterID(int16_t row, int16_t v) override {
        if (row >= 0 && row < kSlotCount) Shared().RowMeterID[row] = v;
    }
    void Put_PlayOrder(const std::vector<PlayStep>& steps) override { Shared().PlayOrder = steps; }
    std::optional<double> get_p_SyosetsuSu() const override { return std::nullopt; }
    std::optional<double> get_p_TabAreaPos() const override { return std::nullopt; }
    int16_t get_p_OnMouseFlag() const override {
        return TabAreaForm ? TabAreaForm->State().OnMouseFlag : Shared().OnMouseFlag;
    }
    void let_p_OnMouseFlag(int16_t) override {}
    void Put_ActiveteDocumentEvent(int16_t& Index) override {
        if (sink_) sink_->ActiveteDocument(Index);
    }
    void Put_KoTabAreaOKEvent() override {
        if (sink_) sink_->KoTabAreaOK();
    }
    void Put_KoTabAreaRefreshEvent() override {
        if (sink_) sink_->KoTabAreaRefresh();
    }

    void Show_KoMIDI() override {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
        CallingObject = this;
        QWidget* parent = QApplication::activeWindow();
        CommUiPort ui(parent);
        KoMIDI form(ui, [](int16_t i) {
            int16_t ix = i;
            if (CallingObject) CallingObject->Put_ActiveteDocumentEvent(ix);
        }, parent);
        SteadyPlayClock clock = MakeWindowClock();
        std::string error;
        if (!LoadPlayFile(JoinPath(CurrentFolder(), kPlayFileName), Shared().LineCnt, clock, form.Player().Rows, error))
            ShowMsg(ui, error, "16");
        FillPlayer(form.Player(), ui);
        form.FormLoad();
        form.exec();
        if (CallingObject == this) CallingObject = nullptr;
    }

    void Show_KoTabArea(uintptr_t hWndNewParent) override {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
        CallingObject = this;
        QWidget* parent = hWndNewParent ? QWidget::find(static_cast<WId>(hWndNewParent)) : nullptr;
        if (TabAreaForm) {
            TabAreaForm->disconnect();
            delete TabAreaForm.data();
        }
        CommUiPort& ui = TabAreaUi();
        ui.SetParent(parent);
        auto raise = [](bool ok) {
            clsKoComm* obj = CallingObject;
            CallingObject = nullptr;  // the dialog lets go of the object
            if (!obj) return;
            if (ok) obj->Put_KoTabAreaOKEvent();
            else obj->Put_KoTabAreaRefreshEvent();
        };
        auto* form = new KoTabArea(ui, Shared().FormatType, TwipsPerPixel(parent, false), TwipsPerPixel(parent, true),
                                   [raise] { raise(true); }, [raise] { raise(false); }, parent);
        form->setAttribute(Qt::WA_DeleteOnClose);
        TabAreaForm = form;
        form->FormLoad(ReadTabAreaGeometry(ui, CurrentIniPath(), Shared().FormatType, TwipsPerPixel(parent, false),
                                           TwipsPerPixel(parent, true)));
        form->show();
        form->raise();
    }

    // Plays every row once with the window's start values and the given
    // choices into sink, timed by clock; the player's events reach the editor.
    // events=false: a run that only measures, unseen by the editor.
    bool PlayHeadless(const PlayRows& rows, const PlayOptions& o, MidiSink& sink, PlayClock& clock,
                      std::string& error, bool events = true) {
        CollectingUi ui;
        struct Host : PlayerHost {
            clsKoComm* obj;
            bool events;
            std::string refused;
            void ActiveteDocument(int16_t i) override {
                if (events) obj->Put_ActiveteDocumentEvent(i);
            }
            void ShowMessage(const std::string& text) override { refused = text; }
        } host;
        host.obj = this;
        host.events = events;
        MidiPlayer player(sink, clock, host);
        player.Rows = rows;
        FillPlayer(player, ui);
        if (!ui.shown.empty()) {
            error = ui.shown;
            return false;
        }
        player.TempoText = o.tempo;
        player.BaseNote = static_cast<int16_t>(o.baseNote >= 0 ? o.baseNote : SoundingBase(player.Gakki));
        player.SetInstrument(o.instrument > 0 ? o.instrument : GmProgramOf(player.Gakki));
        player.MIDISaisei();
        if (!host.refused.empty()) {
            error = host.refused;
            return false;
        }
        return true;
    }

    bool Play_ToWav(const std::string& playFile, const std::string& wavPath, const PlayOptions& o,
                    std::string& error) override {
        if (!OptionsOk(o, error)) return false;
        PlayRows rows{};
        if (!LoadRows(playFile, rows, error)) return false;
        // A WAV file holds at most 4 GB: a longer piece is refused before any
        // sound is made, with the length it would have.
        MidiRecorder probe;
        if (!PlayHeadless(rows, o, probe, probe, error, false)) return false;
        if (!WavFits(probe.now, error)) return false;
        std::unique_ptr<WavRenderer> wav = WavRenderer::Create(wavPath, error);
        if (!wav) return false;
        if (!PlayHeadless(rows, o, *wav, *wav, error)) return false;
        return wav->Finish(error);
    }

    bool Play_ToMidiFile(const std::string& playFile, const std::string& midiPath, const PlayOptions& o,
                         std::string& error) override {
        if (!OptionsOk(o, error)) return false;
        const int beatMs = BeatTimeOf(ParseTempo(o.tempo));
        if (beatMs > kMaxSmfQuarterMs) {
            error = "このテンポは MIDI ファイルに書き込めません（４分音符が長すぎます）。";
            return false;
        }
        PlayRows rows{};
        if (!LoadRows(playFile, rows, error)) return false;
        MidiRecorder rec;
        if (!PlayHeadless(rows, o, rec, rec, error)) return false;
        return WriteFileReplacing(midiPath, SmfBytes(rec, beatMs), &error);
    }

private:
    // 16-bit stereo at 44.1 kHz with a release tail of up to 4 s after a
    // 44-byte header, against the 32-bit sizes of the format.
    static bool WavFits(long long ms, std::string& error) {
        const long long bytes = 44 + (ms + 4000) * 44100 / 1000 * 4;
        if (bytes <= 0xFFFFFFFFLL) return true;
        const long long s = ms / 1000;
        char gb[32];
        std::snprintf(gb, sizeof gb, "%.1f", bytes / 1e9);
        error = "WAV ファイルは 4 GB までです。この演奏は " + std::to_string(s / 3600) + " 時間 " +
                std::to_string(s / 60 % 60) + " 分 " + std::to_string(s % 60) + " 秒、約 " + gb +
                " GB になります。テンポを上げるか、段を分けて書き出してください。";
        return false;
    }

    int32_t x_ = 0;
    KoCommEvents* sink_ = nullptr;
};

}  // namespace
}  // namespace lw

extern "C" __attribute__((visibility("default"))) lw::clsKoComm* KoComm_CreateObject() {
    try {
        return new lw::KoCommObject();
    } catch (...) {
        return nullptr;
    }
}
