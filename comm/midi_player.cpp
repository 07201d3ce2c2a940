#include "midi_player.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "record_io.h"
#include "tab_file.h"

namespace lw {

namespace {

constexpr int kFileTests = 5;
constexpr int kFilePauseMs = 1000;

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string AtLine(int line, const std::string& reason) {
    return "「" + std::string(kPlayFileName) + "」の " + std::to_string(line) + " 行目: " + reason;
}

}  // namespace

bool ReadPlayRecords(const std::string& bytes, int maxStringIx, PlayRows& rows, std::string& error) {
    FieldReader r(bytes);
    const int n = RecordFieldCount(maxStringIx);
    while (!r.AtEnd()) {
        const int line = r.Line();
        PositionRecord a{};
        int bad = 0;
        const FieldError e = ReadPositionRecord(r, maxStringIx, a, &bad);
        if (e == FieldError::EndOfFile) {
            error = AtLine(line, "レコードの途中でファイルが終わっています。");
            return false;
        }
        if (e != FieldError::None) {
            error = AtLine(line, std::to_string(bad + 1) + " 番目の値が" +
                                     (e == FieldError::NotNumber ? "数値ではありません。" : "範囲外です。"));
            return false;
        }
        const int m = a[0], slot = a[1], cnt = a[2], p = a[3];
        auto range = [&](const char* what, int v) {
            error = AtLine(line, std::string(what) + "が範囲外です（" + std::to_string(v) + "）。");
            return false;
        };
        if (slot < 0 || slot >= kSlotCount) return range("段の番号", slot);
        if (m < 0 || m >= kMaxMeasures) return range("小節番号", m);
        if (p < 1 || p > kMaxPositions) return range("音符の位置番号", p);
        if (cnt < 0 || cnt > kMaxPositions) return range("音符の数", cnt);
        if (a[4] < 0 || a[4] > 255) return range("音符の属性", a[4]);
        for (int j = 0; j <= maxStringIx && j + 1 < kStringSlots && 17 + 8 * j < n; ++j) {
            const int b = 10 + 8 * j;
            if (a[b + 1] < 0 || a[b + 1] > 255) return range("フレット", a[b + 1]);
            if (a[b + 7] < 0 || a[b + 7] > 255) return range("音価", a[b + 7]);
        }
        PlaySyosetsu& ms = rows[slot].Syosetsu[m];
        PlayOnpu& o = ms.Onpu[p];
        ms.OnpuCnt = static_cast<int16_t>(cnt);
        o.NoteAttr = static_cast<uint8_t>(a[4]);
        for (int j = 0; j <= maxStringIx && j + 1 < kStringSlots && 17 + 8 * j < n; ++j) {
            const int k = j + 1, b = 10 + 8 * j;
            o.FletUse[k] = a[b] != 0 ? kSounding : 0;
            o.Flet[k] = static_cast<uint8_t>(a[b + 1]);
            o.NoteLengthID[k] = static_cast<uint8_t>(a[b + 7]);
        }
    }
    return true;
}

bool LoadPlayFile(const std::string& path, int maxStringIx, PlayClock& clock, PlayRows& rows, std::string& error) {
    rows = PlayRows{};
    bool found = false;
    for (int test = 1; test <= kFileTests && !found; ++test) {
        found = FileExists(path);
        if (!found && test < kFileTests) clock.Wait(kFilePauseMs);
    }
    if (!found) {
        error = "「" + path + "」が見つかりません。";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buf;
    buf << in.rdbuf();
    if (!in && !in.eof()) {
        error = "「" + path + "」を読み込めません。";
        return false;
    }
    const std::string bytes = buf.str();
    if (bytes.size() > kMaxTabFileBytes) {
        error = "「" + path + "」が大きすぎます。";
        return false;
    }
    return ReadPlayRecords(bytes, maxStringIx, rows, error);
}

TuningOffsets TuningOf(int gakki, const std::array<std::array<int16_t, 4>, 7>& tuningTbl) {
    auto t = [](int a, int b, int c, int d, int e, int f) { return TuningOffsets{0, a, b, c, d, e, f}; };
    switch (gakki) {
        case 0: return t(28, 23, 19, 14, 9, 4);
        case 1: return t(21, 16, 12, 7, 0, 0);
        case 2: return t(21, 16, 12, 19, 0, 0);
        case 3: return t(19, 14, 9, 4, 0, 0);
        case 4: return t(28, 21, 14, 7, 0, 0);
        case 6: return t(26, 21, 18, 14, 9, 2);
        case 7: return t(26, 23, 19, 14, 7, 2);
        case 8: return t(28, 25, 21, 16, 9, 4);
        case 9: return t(28, 23, 20, 16, 11, 4);
        case 10: return t(28, 23, 18, 14, 9, 2);
        case 11: return t(26, 23, 18, 14, 9, 2);
        case 12: return t(28, 23, 19, 14, 9, 2);
        case 13: return t(26, 21, 19, 14, 9, 2);
        case 14: return t(26, 21, 14, 14, 9, 2);
        case 21: return t(28, 21, 16, 24, 19, 0);
        case 22: return t(23, 19, 14, 9, 4, 0);
        case 97: case 98: case 99: {
            const int column = gakki == 97 ? 2 : gakki == 98 ? 0 : 1;
            TuningOffsets o{};
            for (int k = 1; k <= 6; ++k) o[k] = tuningTbl[k - 1][column];
            return o;
        }
        default: return TuningOffsets{};
    }
}

void SteadyPlayClock::BeginRow() {
    deadline_ = now_();
    anchored_ = true;
}

void SteadyPlayClock::Wait(int ms) {
    const Ms now = now_();
    if (!anchored_ || now - deadline_ > kLateMs) deadline_ = now;
    anchored_ = true;
    deadline_ += std::max(ms, 0);
    while (now_() < deadline_) sleepUntil_(deadline_);
}

int KeyOf(int open, int fret) { return open + fret; }

double GetPlayTime(int nLen, bool nFuten, int beatMs, int meterId) {
    if (nLen >= 21 && nLen <= 25) nLen -= 21;
    const bool compound = meterId == 1 || meterId == 11 || meterId == 21;
    double t = 0;
    if (compound) {
        const double e = static_cast<double>(RoundHalfEven(beatMs / 3.0));
        static const double kCompound[] = {8, 4, 2, 1, 0.5, 0.25, 1.0 / 3, 2.0 / 3, 4.0 / 3};
        if (nLen >= 0 && nLen <= 8) t = kCompound[nLen] * e;
    } else {
        static const double kSimple[] = {4, 2, 1, 0.5, 0.25, 0.125, 1.0 / 6, 1.0 / 3, 2.0 / 3};
        if (nLen >= 0 && nLen <= 8) t = kSimple[nLen] * beatMs;
    }
    return nFuten ? t * 1.5 : t;
}

int ParseTempo(const std::string& text) {
    size_t b = text.find_first_not_of(" \t"), e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return -1;
    const std::string digits = text.substr(b, e - b + 1);
    if (digits.empty() || digits.size() > 3) return -1;
    int v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v >= 1 && v <= 999 ? v : -1;
}

bool ParseBaseNote(const std::string& text, int16_t& baseNote) {
    double v = 0;
    size_t b = text.find_first_not_of(" \t"), e = text.find_last_not_of(" \t");
    if (b == std::string::npos || !ParseNumber(text.substr(b, e - b + 1), v)) return false;
    if (!(v >= 0 && v < 112)) return false;
    baseNote = static_cast<int16_t>(RoundHalfEven(v));
    return true;
}

int BeatTimeOf(int tempo) { return static_cast<int>(RoundHalfEven(60.0 / tempo * 1000.0)); }

void MidiPlayer::SetInstrument(int gmNumber) {
    Instrument = static_cast<int16_t>(gmNumber);
    sink_->ShortMsg(PackShortMsg(0xC0 + Channel, std::clamp(gmNumber - 1, 0, 127)));
}

void MidiPlayer::NoteOn(int n) {
    if (n == -1) return;
    const int key = n + BaseNote;
    // Data bytes stay 0..127: a key above the range is not sent.
    if (key < 0 || key > 127) return;
    sink_->ShortMsg(PackShortMsg(0x90 + Channel, key, std::clamp<int>(Velocity, 0, 127)));
}

void MidiPlayer::NoteOff(int n) {
    if (n == -1) return;
    const int key = n + BaseNote;
    if (key < 0 || key > 127) return;
    sink_->ShortMsg(PackShortMsg(0x80 + Channel, key, 0));
}

int MidiPlayer::KeyOfString(const PlayOnpu& o, int k) const { return KeyOf(Tuning[k <= 6 ? k : 0], o.Flet[k]); }

bool MidiPlayer::TempoOk() {
    const int tempo = ParseTempo(TempoText);
    if (tempo < 0) {
        StopFlag = true;
        host_.ShowMessage(kTempoRefused);
        return false;
    }
    BeatTime = BeatTimeOf(tempo);
    return true;
}

int MidiPlayer::MeasuresOf(int row) const {
    if (row < 0 || row >= kSlotCount) return 0;
    const int own = RowSyosetsuSu[row] > 0 ? RowSyosetsuSu[row] : SyosetsuSu;
    return std::clamp(own, 0, kMaxMeasures);
}

int MidiPlayer::MeterOf(int row) const {
    return row >= 0 && row < kSlotCount && RowMeterID[row] >= 0 ? RowMeterID[row] : MeterID;
}

std::vector<PlayStep> MidiPlayer::Steps() const {
    const int rows = std::clamp<int>(DocumentCount, 0, kSlotCount);
    std::vector<PlayStep> steps;
    if (Order.empty()) {
        for (int r = 0; r < rows; ++r)
            for (int m = 0; m < MeasuresOf(r); ++m) steps.push_back({static_cast<int16_t>(r), static_cast<int16_t>(m)});
        return steps;
    }
    for (const PlayStep& st : Order)
        if (st.Row >= 0 && st.Row < rows && st.Measure >= 0 && st.Measure < MeasuresOf(st.Row)) steps.push_back(st);
    return steps;
}

bool MidiPlayer::PlayMeasure(int row, int m) {
    const PlaySyosetsu& ms = Rows[row].Syosetsu[m];
    const int meter = MeterOf(row);
    const int count = std::clamp<int>(ms.OnpuCnt, 0, kMaxPositions);
    const int lastString = std::clamp<int>(LineCnt + 1, 0, kStringSlots - 1);
    const std::string where = std::to_string(row + 1) + "段目 " + std::to_string(m + 1) + "小節  ";
    for (int p = 1; p <= count; ++p) {
        host_.ShowProgress(where + std::to_string(p) + " " + ms.Chord1 + " " + ms.Chord2);
        host_.DoEvents();
        if (StopFlag) return false;
        const PlayOnpu& o = ms.Onpu[p];
        if (o.NoteLengthID[1] <= 20 || o.FletUse[1] != kSounding) {
            int len = -1;
            for (int k = 1; k <= lastString; ++k)
                if (o.FletUse[k] == kSounding) {
                    NoteOn(KeyOfString(o, k));
                    len = o.NoteLengthID[k];
                }
            if (len >= 0)
                clock_.Wait(static_cast<int>(
                    RoundHalfEven(GetPlayTime(len, GetBit(o.NoteAttr, kAttrDot), BeatTime, meter))));
            for (int k = 1; k <= lastString; ++k)
                if (o.FletUse[k] == kSounding) NoteOff(KeyOfString(o, k));
        } else {
            clock_.Wait(static_cast<int>(RoundHalfEven(GetPlayTime(o.NoteLengthID[1], false, BeatTime, meter))));
        }
    }
    return true;
}

bool MidiPlayer::PlayMidi() {
    if (!TempoOk()) return false;
    if (CurrentRow < 0 || CurrentRow >= kSlotCount) return true;
    clock_.BeginRow();
    sink_->MeterChange(MeterOf(CurrentRow));
    for (int m = 0; m < MeasuresOf(CurrentRow) && !StopFlag; ++m)
        if (!PlayMeasure(CurrentRow, m)) break;
    return true;
}

void MidiPlayer::MIDISaisei() {
    CurrentRow = 0;
    const std::vector<PlayStep> steps = Steps();
    int row = -1, meter = -1;
    for (size_t i = 0; i < steps.size(); ++i) {
        const PlayStep st = steps[i];
        if (st.Row != row || i == 0) {
            // A row begins (again): the editor shows it, the tempo box is read anew.
            if (row >= 0) {
                host_.DoEvents();
                if (StopFlag) return;
            }
            row = st.Row;
            CurrentRow = st.Row;
            host_.ActiveteDocument(st.Row);
            host_.DoEvents();
            if (StopFlag || !TempoOk()) return;
            clock_.BeginRow();
        }
        if (MeterOf(row) != meter) {
            meter = MeterOf(row);
            sink_->MeterChange(meter);
        }
        if (!PlayMeasure(row, st.Measure)) return;
        if (LoopFlag && i + 1 == steps.size()) {
            host_.DoEvents();
            if (StopFlag) return;
            i = static_cast<size_t>(-1);
            row = -1;
        }
    }
    host_.DoEvents();
}

}  // namespace lw
