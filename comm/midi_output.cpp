#include "midi_output.h"

#include <fluidsynth.h>
#include <sys/stat.h>
#include <unistd.h>

#include <RtMidi.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace lw {

namespace {

constexpr int kSampleRate = 44100;
constexpr const char* kClientName = "Lutewise";

// Without these device nodes the ALSA sequencer and sound cards cannot be
// opened; asking the libraries anyway only fills stderr with their noise.
constexpr const char* kSequencerNode = "/dev/snd/seq";
constexpr const char* kSoundFolder = "/dev/snd";
bool Exists(const char* path) { return access(path, F_OK) == 0; }

bool IsReadableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), R_OK) == 0;
}

// FluidSynth reports through a process-wide log; keep its last error for our
// messages instead of letting it print.
std::mutex gLogMutex;
std::string gLastFluidError;
void FluidLog(int level, const char* message, void*) {
    std::lock_guard<std::mutex> lock(gLogMutex);
    if (message) gLastFluidError = message;
}
void CaptureFluidLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN})
            fluid_set_log_function(level, FluidLog, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}
std::string TakeFluidError() {
    std::lock_guard<std::mutex> lock(gLogMutex);
    std::string e;
    e.swap(gLastFluidError);
    return e;
}

// A synthesizer with the General MIDI SoundFont loaded.
struct Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;

    ~Synth() {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
    bool Create(int& rc, std::string& reason) {
        CaptureFluidLog();
        const std::string font = SoundFontPath();
        if (!IsReadableFile(font)) {
            rc = kMidiNoSoundFont;
            reason = "SoundFont「" + font + "」が見つかりません（Debian のパッケージ timgm6mb-soundfont を入れてください）。";
            return false;
        }
        settings = new_fluid_settings();
        if (!settings) {
            rc = kMidiError;
            reason = "内蔵シンセサイザーを作成できません。";
            return false;
        }
        fluid_settings_setnum(settings, "synth.sample-rate", kSampleRate);
        fluid_settings_setnum(settings, "synth.gain", 0.5);
        fluid_settings_setint(settings, "synth.audio-channels", 1);
        synth = new_fluid_synth(settings);
        if (!synth) {
            rc = kMidiError;
            reason = "内蔵シンセサイザーを作成できません。" + TakeFluidError();
            return false;
        }
        if (fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED) {
            rc = kMidiNoSoundFont;
            reason = "SoundFont「" + font + "」を読み込めません。" + TakeFluidError();
            return false;
        }
        return true;
    }
    void Apply(uint32_t packed) {
        const int status = packed & 0xFF, d1 = (packed >> 8) & 0x7F, d2 = (packed >> 16) & 0x7F;
        const int chan = status & 0x0F;
        switch (status & 0xF0) {
            case 0x90:
                if (d2 == 0) fluid_synth_noteoff(synth, chan, d1);
                else fluid_synth_noteon(synth, chan, d1, d2);
                break;
            case 0x80: fluid_synth_noteoff(synth, chan, d1); break;
            case 0xC0: fluid_synth_program_change(synth, chan, d1); break;
            case 0xB0: fluid_synth_cc(synth, chan, d1, d2); break;
            case 0xE0: fluid_synth_pitch_bend(synth, chan, d1 | (d2 << 7)); break;
            default: break;
        }
    }
};

// The built-in synthesizer playing through an audio driver.
class SynthOutput final : public MidiOutput {
public:
    ~SynthOutput() override {
        if (driver_) delete_fluid_audio_driver(driver_);
    }
    bool Open(const std::string& fallbackWav, int& rc, std::string& reason) {
        if (!synth_.Create(rc, reason)) return false;
        // The desktop's sound server first, then the sound card; JACK and
        // OSS are left out (a JACK client may start a server of its own).
        std::vector<std::string> drivers = {"pulseaudio", "alsa"};
        if (const char* forced = std::getenv("LUTEWISE_AUDIO_DRIVER"); forced && *forced) drivers = {forced};
        std::string why;
        for (const std::string& d : drivers) {
            if (d == "file") break;
            if (d == "alsa" && !Exists(kSoundFolder)) {
                why += (why.empty() ? "" : " / ") + std::string("alsa: ") + kSoundFolder + " がありません";
                continue;
            }
            fluid_settings_setstr(synth_.settings, "audio.driver", d.c_str());
            driver_ = new_fluid_audio_driver(synth_.settings, synth_.synth);
            if (driver_) {
                describe_ = "内蔵シンセサイザー（" + d + "）";
                return true;
            }
            const std::string e = TakeFluidError();
            if (!e.empty()) why += (why.empty() ? "" : " / ") + d + ": " + e;
        }
        if (fallbackWav.empty()) {
            rc = kMidiNoDriver;
            reason = "音声出力装置を開けません。" + why;
            return false;
        }
        // No audio device: the sound goes into a file, in real time.
        fluid_settings_setstr(synth_.settings, "audio.driver", "file");
        fluid_settings_setstr(synth_.settings, "audio.file.name", fallbackWav.c_str());
        fluid_settings_setstr(synth_.settings, "audio.file.type", "wav");
        driver_ = new_fluid_audio_driver(synth_.settings, synth_.synth);
        if (!driver_) {
            rc = kMidiNoDriver;
            reason = "音声出力装置がなく、ファイル「" + fallbackWav + "」にも書き出せません。" + TakeFluidError();
            return false;
        }
        describe_ = "内蔵シンセサイザー（音声出力装置がないため「" + fallbackWav + "」に書き出します）";
        return true;
    }
    void ShortMsg(uint32_t packed) override { synth_.Apply(packed); }
    std::string Describe() const override { return describe_; }

private:
    Synth synth_;
    fluid_audio_driver_t* driver_ = nullptr;
    std::string describe_;
};

class SequencerOutput final : public MidiOutput {
public:
    bool Open(int port, int& rc, std::string& reason) {
        if (!Exists(kSequencerNode)) {
            rc = kMidiError;
            reason = std::string("ALSA シーケンサ（") + kSequencerNode + "）がありません。";
            return false;
        }
        try {
            out_ = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
            if (port < 0 || static_cast<unsigned>(port) >= out_->getPortCount()) {
                rc = kMidiBadDeviceId;
                reason = "MIDI 出力ポート " + std::to_string(port) + " がありません。";
                return false;
            }
            name_ = out_->getPortName(port);
            out_->openPort(port, kClientName);
            return true;
        } catch (const std::exception& e) {
            rc = kMidiError;
            reason = std::string("ALSA シーケンサの MIDI 出力を開けません: ") + e.what();
            return false;
        }
    }
    void ShortMsg(uint32_t packed) override {
        unsigned char msg[3] = {static_cast<unsigned char>(packed & 0xFF), static_cast<unsigned char>((packed >> 8) & 0x7F),
                                static_cast<unsigned char>((packed >> 16) & 0x7F)};
        const size_t size = (msg[0] & 0xF0) == 0xC0 || (msg[0] & 0xF0) == 0xD0 ? 2 : 3;
        try {
            out_->sendMessage(msg, size);
        } catch (const std::exception&) {
            // A port that went away mid-play: the rest plays silently.
        }
    }
    std::string Describe() const override { return "MIDI 出力ポート「" + name_ + "」"; }

private:
    std::unique_ptr<RtMidiOut> out_;
    std::string name_;
};

// 16-bit PCM WAV header for `frames` stereo frames.
void PutWavHeader(unsigned char* h, long long frames) {
    const uint32_t dataBytes = static_cast<uint32_t>(std::min<long long>(frames * 4, 0xFFFFFFF0LL));
    auto u32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) h[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    auto u16 = [&](int at, uint16_t v) {
        h[at] = static_cast<unsigned char>(v);
        h[at + 1] = static_cast<unsigned char>(v >> 8);
    };
    std::memcpy(h, "RIFF", 4);
    u32(4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    u32(16, 16);
    u16(20, 1);
    u16(22, 2);
    u32(24, kSampleRate);
    u32(28, kSampleRate * 4);
    u16(32, 4);
    u16(34, 16);
    std::memcpy(h + 36, "data", 4);
    u32(40, dataBytes);
}

}  // namespace

std::string SoundFontPath() {
    const char* env = std::getenv("LUTEWISE_SOUNDFONT");
    return env && *env ? std::string(env) : std::string(kDefaultSoundFont);
}

MidiPortList ListMidiOutPorts() {
    MidiPortList list;
    if (!Exists(kSequencerNode)) {
        list.error = std::string("ALSA シーケンサ（") + kSequencerNode + "）がないため、MIDI 出力ポートはありません。";
        return list;
    }
    try {
        RtMidiOut out(RtMidi::LINUX_ALSA, kClientName);
        const unsigned n = out.getPortCount();
        for (unsigned i = 0; i < n; ++i) list.names.push_back(out.getPortName(i));
    } catch (const std::exception& e) {
        list.error = std::string("ALSA シーケンサを使えません: ") + e.what();
    }
    return list;
}

std::unique_ptr<MidiOutput> OpenMidiOutput(int device, const std::string& fallbackWav, int& rc, std::string& reason) {
    rc = kMidiOk;
    reason.clear();
    try {
        if (device < 0) {
            auto out = std::make_unique<SynthOutput>();
            if (out->Open(fallbackWav, rc, reason)) return out;
        } else {
            auto out = std::make_unique<SequencerOutput>();
            if (out->Open(device, rc, reason)) return out;
        }
    } catch (const std::exception& e) {
        rc = kMidiError;
        reason = e.what();
    }
    if (rc == kMidiOk) rc = kMidiError;
    return nullptr;
}

// ---------------------------------------------------------------- WAV

struct WavRenderer::Impl {
    Synth synth;
    std::string path, temp;
    FILE* file = nullptr;
    std::vector<int16_t> buffer;
    ~Impl() {
        if (file) std::fclose(file);
        if (!temp.empty()) std::remove(temp.c_str());
    }
};

WavRenderer::~WavRenderer() = default;

std::unique_ptr<WavRenderer> WavRenderer::Create(const std::string& wavPath, std::string& error) {
    std::unique_ptr<WavRenderer> r(new WavRenderer());
    r->impl_ = std::make_unique<Impl>();
    Impl& im = *r->impl_;
    int rc = 0;
    if (!im.synth.Create(rc, error)) return nullptr;
    im.path = wavPath;
    im.temp = wavPath + ".part" + std::to_string(getpid());
    im.file = std::fopen(im.temp.c_str(), "wb");
    if (!im.file) {
        error = "「" + wavPath + "」を書き込めません: " + std::strerror(errno);
        im.temp.clear();
        return nullptr;
    }
    unsigned char header[44];
    PutWavHeader(header, 0);
    if (std::fwrite(header, 1, sizeof header, im.file) != sizeof header) {
        error = "「" + wavPath + "」を書き込めません: " + std::strerror(errno);
        return nullptr;
    }
    return r;
}

void WavRenderer::ShortMsg(uint32_t packed) { impl_->synth.Apply(packed); }

bool WavRenderer::Render(long long frames) {
    if (failed_) return false;
    constexpr int kBlock = 4096;
    Impl& im = *impl_;
    im.buffer.resize(kBlock * 2);
    while (frames > 0) {
        const int n = static_cast<int>(std::min<long long>(frames, kBlock));
        fluid_synth_write_s16(im.synth.synth, n, im.buffer.data(), 0, 2, im.buffer.data(), 1, 2);
        // WAV samples are little-endian, as are the machines this runs on.
        if (std::fwrite(im.buffer.data(), 4, n, im.file) != static_cast<size_t>(n)) {
            failed_ = true;
            error_ = "「" + im.path + "」を書き込めません: " + std::strerror(errno);
            return false;
        }
        frames_ += n;
        frames -= n;
    }
    return true;
}

void WavRenderer::Wait(int ms) {
    // Positions accumulate in milliseconds; each frame boundary is taken
    // from the running total, so no rounding drift builds up.
    waitedMs_ += std::max(ms, 0);
    const long long target = std::llround(waitedMs_ * kSampleRate / 1000.0);
    if (target > frames_) Render(target - frames_);
}

bool WavRenderer::Finish(std::string& error) {
    Impl& im = *impl_;
    fluid_synth_all_notes_off(im.synth.synth, -1);
    // The release tail: until a tenth of a second stays silent, at most 4 s.
    constexpr int kSlice = kSampleRate / 10, kMaxTail = 4 * kSampleRate;
    std::vector<int16_t> slice(kSlice * 2);
    for (int done = 0; done < kMaxTail && !failed_; done += kSlice) {
        fluid_synth_write_s16(im.synth.synth, kSlice, slice.data(), 0, 2, slice.data(), 1, 2);
        int peak = 0;
        for (int16_t v : slice) peak = std::max(peak, std::abs(static_cast<int>(v)));
        if (peak <= 1) break;
        if (std::fwrite(slice.data(), 4, kSlice, im.file) != static_cast<size_t>(kSlice)) {
            failed_ = true;
            error_ = "「" + im.path + "」を書き込めません: " + std::strerror(errno);
        }
        frames_ += kSlice;
    }
    unsigned char header[44];
    PutWavHeader(header, frames_);
    if (!failed_ && (std::fseek(im.file, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, im.file) != sizeof header)) {
        failed_ = true;
        error_ = "「" + im.path + "」を書き込めません: " + std::strerror(errno);
    }
    if (!failed_ && (std::fflush(im.file) != 0 || fsync(fileno(im.file)) != 0)) {
        failed_ = true;
        error_ = "「" + im.path + "」を書き込めません: " + std::strerror(errno);
    }
    const int closed = std::fclose(im.file);
    im.file = nullptr;
    if (!failed_ && closed != 0) {
        failed_ = true;
        error_ = "「" + im.path + "」を書き込めません: " + std::strerror(errno);
    }
    if (!failed_ && std::rename(im.temp.c_str(), im.path.c_str()) != 0) {
        failed_ = true;
        error_ = "「" + im.path + "」に名前を変えられません: " + std::strerror(errno);
    }
    if (failed_) {
        error = error_;
        return false;
    }
    im.temp.clear();
    return true;
}

}  // namespace lw
