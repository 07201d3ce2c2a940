#include "tab_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "paths.h"
#include "text_codec.h"

namespace lw {
namespace {

int ClampInt(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

// Window positions and sizes are 16-bit twips; fractions are kept as read.
bool IsWindowUnit(double v) { return v >= INT16_MIN && v <= INT16_MAX; }
// Characters of a text, counted in UTF-8.
size_t Utf8Length(const std::string& t) {
    size_t n = 0;
    for (char c : t)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

// A number already read from the file into a 16-bit integer, rounded half to even.
bool ToInt16Value(double d, int16_t& out) {
    if (!(d >= -32768.5 && d <= 32767.5)) return false;
    const double r = std::nearbyint(d);
    if (r < INT16_MIN || r > INT16_MAX) return false;
    out = static_cast<int16_t>(r);
    return true;
}

// Measures in use as far as the arrays go: a count outside 1..8 never gets
// here from a file, but a session could hold one.
int MeasuresOf(int count) { return ClampInt(count, 1, kMaxMeasures); }

// Strings j = 0..last whose eight elements fit the record and the arrays.
int LastStringIx(int maxStringIx) {
    const int n = RecordFieldCount(maxStringIx);
    int last = std::min(maxStringIx, kStringSlots - 2);
    while (last >= 0 && 17 + 8 * last >= n) --last;
    return last;
}

// --- loading ---------------------------------------------------------------

class Loader {
public:
    Loader(Session& s, RowItems& items, const std::string& name, LoadTabResult& res)
        : s_(s), items_(items), name_(name), res_(res) {}

    // "「a.tab」の 12 行目: 小節番号が範囲外です（9）。"
    bool Fail(int line, const std::string& reason) {
        res_.ok = false;
        res_.error = "「" + name_ + "」";
        if (line > 0) res_.error += "の " + std::to_string(line) + " 行目";
        res_.error += ": " + reason;
        return false;
    }
    bool FailField(int line, FieldError e, const std::string& what) {
        if (e == FieldError::EndOfFile) return Fail(line, "レコードの途中でファイルが終わっています。");
        if (e == FieldError::NotNumber) return Fail(line, what + "が数値ではありません。");
        return Fail(line, what + "が範囲外です。");
    }

    bool Run(std::string_view text, const MeasureCountChanged& onMeasureCount) {
        FieldReader r(text);
        std::string version;
        bool header = false;
        if (!text.empty()) {
            std::string first;
            r.Next(first);
            if (first == "TAB") {
                header = true;
                if (!ReadHeader(r, version, onMeasureCount)) return false;
            } else {
                r.Rewind();
            }
        }
        res_.hadHeader = header;
        const int count = MeasuresOf(s_.CurSyosetsuCnt);
        DanData& dan = s_.CurDan();
        if (!header) {
            // A file without a header takes the time signature in force.
            dan.MeterID = s_.MeterID;
            for (int m = 0; m < count; ++m) {
                dan.Syosetsu[m].BarFlag[kBarPlain] = kTrue;
                dan.Syosetsu[m].BarFlag[kBarPlain2] = kTrue;
            }
        }
        if (!r.AtEnd() && !ReadMeasureTexts(r, count)) return false;
        const bool fiveFlags = !version.empty() && version >= std::string("301");
        while (!r.AtEnd())
            if (!ReadPosition(r, fiveFlags)) return false;
        return true;
    }

private:
    bool ReadHeader(FieldReader& r, std::string& version, const MeasureCountChanged& onMeasureCount) {
        const int line = 1;
        TextRecord h;
        h[0] = "TAB";
        for (int k = 1; k < 10; ++k)
            if (!r.Next(h[k])) return FailField(line, FieldError::EndOfFile, "");
        int16_t count = 0, textCount = 0, repCount = 0, meter = 22;
        FieldError e;
        if ((e = ToInt16(h[1], count)) != FieldError::None) return FailField(line, e, "小節数");
        if (count < 1 || count > kMaxMeasures)
            return Fail(line, "小節数が 1～8 の範囲外です（" + std::to_string(count) + "）。");
        if ((e = ToInt16(h[2], textCount)) != FieldError::None) return FailField(line, e, "テキストの数");
        if ((e = ToInt16(h[4], repCount)) != FieldError::None) return FailField(line, e, "反復記号の数");
        if (!h[5].empty() && (e = ToInt16(h[5], meter)) != FieldError::None) return FailField(line, e, "拍子");

        const bool changed = count != s_.CurSyosetsuCnt;
        s_.CurSyosetsuCnt = count;
        s_.CurDan().SyosetsuCnt = count;
        if (changed && onMeasureCount) onMeasureCount(s_);
        s_.KeyName[s_.CurDanIx] = h[3].empty() ? std::string("C") : h[3];
        s_.CurDan().MeterID = meter;
        s_.MeterID = meter;
        version = h[9];

        std::string f[7];
        for (int i = 1; i <= textCount; ++i) {
            const int at = r.Line();
            for (int k = 0; k < 7; ++k)
                if (!r.Next(f[k])) return FailField(at, FieldError::EndOfFile, "");
            double v[4], size = 0;
            for (int k = 0; k < 4; ++k) {
                if (!ParseNumber(f[1 + k], v[k])) return FailField(at, FieldError::NotNumber, "テキストの位置");
                if (!IsWindowUnit(v[k])) return FailField(at, FieldError::OutOfRange, "テキストの位置");
            }
            if (!ParseNumber(f[6], size)) return FailField(at, FieldError::NotNumber, "テキストの文字サイズ");
            if (!(size >= 0 && size <= kMaxFreeTextPoints))
                return Fail(at, "テキストの文字サイズが 0～" + std::to_string(static_cast<int>(kMaxFreeTextPoints)) + " の範囲外です（" + f[6] + "）。");
            const size_t chars = Utf8Length(f[5]);
            if (chars > kMaxFreeTextChars)
                return Fail(at, "テキストが長すぎます（" + std::to_string(chars) + " 文字、最大 " + std::to_string(kMaxFreeTextChars) + " 文字）。");
            TextItem t;
            t.Top = v[0], t.Left = v[1], t.Height = v[2], t.Width = v[3];
            t.Caption = f[5];
            t.FontSize = size;
            t.Visible = true;
            items_.Texts.push_back(std::move(t));
        }
        for (int i = 1; i <= repCount; ++i) {
            const int at = r.Line();
            for (int k = 0; k < 6; ++k)
                if (!r.Next(f[k])) return FailField(at, FieldError::EndOfFile, "");
            double v[4];
            for (int k = 0; k < 4; ++k) {
                if (!ParseNumber(f[1 + k], v[k])) return FailField(at, FieldError::NotNumber, "反復記号の位置");
                if (!IsWindowUnit(v[k])) return FailField(at, FieldError::OutOfRange, "反復記号の位置");
            }
            int16_t kind = 0;
            if ((e = ToInt16(f[5], kind)) != FieldError::None) return FailField(at, e, "反復記号の種類");
            RepMarkItem m;
            m.Top = v[0], m.Left = v[1], m.Height = v[2], m.Width = v[3];
            m.Tag = f[5];
            m.Visible = true;
            items_.RepMarks.push_back(std::move(m));
        }
        return true;
    }

    bool ReadMeasureTexts(FieldReader& r, int count) {
        const int at = r.Line();
        TextRecord S;
        FieldError e = ReadTextRecord(r, RecordFieldCount(s_.MaxStringIx), S);
        if (e != FieldError::None) return FailField(at, e, "");
        // Convert every measure position before storing any of the record. A
        // stored 0 keeps the position the settings gave; the width is the
        // difference of the stored values, rounded once.
        std::array<double, kMeasureSlots + 1> raw{};
        for (int m = 0; m <= count; ++m)
            if (!ParseNumber(S[20 + m], raw[m])) return FailField(at, FieldError::NotNumber, "小節の位置");
        std::array<int16_t, kMeasureSlots + 1> left{};
        std::array<int16_t, kMeasureSlots> width{};
        for (int m = 0; m <= count; ++m) {
            if (raw[m] == 0) continue;
            if (!ToInt16Value(raw[m], left[m])) return FailField(at, FieldError::OutOfRange, "小節の位置");
            // A stored 0 means "from the settings": a position that rounds to
            // 0 keeps its side, so saving it again never moves the bar line.
            if (left[m] == 0) left[m] = raw[m] > 0 ? 1 : -1;
            if (m < count && !ToInt16Value(raw[m + 1] - raw[m], width[m]))
                return FailField(at, FieldError::OutOfRange, "小節の幅");
        }
        DanData& dan = s_.CurDan();
        DanLayoutData& lay = s_.CurLayout();
        for (int m = 0; m < count; ++m) {
            SyosetsuData& ms = dan.Syosetsu[m];
            ms.Chord1 = S[2 * m];
            ms.Chord2 = S[2 * m + 1];
            if (raw[m] != 0) {
                lay.SyosetsuLeft[m] = left[m];
                lay.SyosetsuWidth[m] = width[m];
            }
            const std::string& bars = S[30 + m];
            if (!bars.empty()) {
                auto on = [&](size_t i) { return i < bars.size() && bars[i] == '1' ? kTrue : kFalse; };
                dan.TopRepStart = on(0);
                for (int b = 0; b <= 5; ++b) ms.BarFlag[b] = on(1 + b);
                ms.BarFlag[kBarEndMark] = on(7);
            }
        }
        if (raw[count] != 0) lay.SyosetsuLeft[count] = left[count];
        return true;
    }

    bool ReadPosition(FieldReader& r, bool fiveFlags) {
        const int at = r.Line();
        PositionRecord a{};
        int bad = 0;
        FieldError e = ReadPositionRecord(r, s_.MaxStringIx, a, &bad);
        if (e != FieldError::None) return FailField(at, e, std::to_string(bad + 1) + " 番目の値");

        const int m = a[0], p = a[3], cnt = a[2];
        if (m < 0 || m >= kMaxMeasures) return Fail(at, "小節番号が範囲外です（" + std::to_string(m) + "）。");
        if (p < 1 || p > kMaxPositions) return Fail(at, "音符の位置番号が範囲外です（" + std::to_string(p) + "）。");
        if (cnt < 0 || cnt > kMaxPositions) return Fail(at, "音符の数が範囲外です（" + std::to_string(cnt) + "）。");
        auto isByte = [](int v) { return v >= 0 && v <= 255; };
        auto badByte = [&](int k) { return Fail(at, std::to_string(k + 1) + " 番目の値が 0～255 の範囲外です（" + std::to_string(a[k]) + "）。"); };
        if (!fiveFlags && !isByte(a[4])) return badByte(4);
        if (!isByte(a[5])) return badByte(5);
        const int last = LastStringIx(s_.MaxStringIx);
        for (int j = 0; j <= last; ++j) {
            const int b = 10 + 8 * j;
            if (!isByte(a[b + 1])) return badByte(b + 1);
            if (a[b + 2] >= 1 && a[b + 2] <= 31) {
                if (!isByte(a[b + 4])) return badByte(b + 4);
                if (!isByte(a[b + 5])) return badByte(b + 5);
            }
            if (!isByte(a[b + 7])) return badByte(b + 7);
        }

        SyosetsuData& ms = s_.CurDan().Syosetsu[m];
        OnpuData& o = ms.Onpu[p];
        ms.OnpuCnt = static_cast<int16_t>(cnt);
        o.PosNo = static_cast<int16_t>(p);
        o.LoadMark = 255;
        if (fiveFlags) {
            std::string bits = "00000000";
            auto flag = [&](int k) { return a[k] != 0 ? '1' : '0'; };
            bits[0] = flag(4);  // tie
            bits[1] = flag(7);  // slur
            bits[2] = flag(5);  // dot
            bits[4] = flag(6);  // beam connection
            bits[5] = flag(8);  // stem down
            o.NoteAttr = BitsToByte(bits);
        } else {
            o.NoteAttr = static_cast<uint8_t>(a[4]);
        }
        o.SanrenOpt = static_cast<uint8_t>(a[5]);
        for (int j = 0; j <= last; ++j) {
            const int k = j + 1, b = 10 + 8 * j;
            o.FletUse[k] = a[b] != 0 ? kSounding : 0;
            o.Flet[k] = static_cast<uint8_t>(a[b + 1]);
            if (a[b + 2] >= 1 && a[b + 2] <= 31) {
                o.Pitch[k] = static_cast<uint8_t>(a[b + 2]);
                o.StaffPos[k] = a[b + 3];
                o.Accidental[k] = static_cast<uint8_t>(a[b + 4]);
                o.Effect[k] = static_cast<uint8_t>(a[b + 5]);
            }
            o.NoteLengthID[k] = static_cast<uint8_t>(a[b + 7]);
            o.NoteTick[k] = TickOf(a[b + 7], o.NoteAttr);
        }
        if (o.NoteLengthID[1] > 20 && o.FletUse[1] == kSounding) ++res_.restCount;
        else res_.fretLabelCount += s_.MaxStringIx + 1;
        return true;
    }

    Session& s_;
    RowItems& items_;
    const std::string& name_;
    LoadTabResult& res_;
};

}  // namespace

LoadTabResult LoadTabFromBytes(Session& s, RowItems& items, std::string_view bytes, const std::string& name,
                               const MeasureCountChanged& onMeasureCount) {
    LoadTabResult res;
    items.Clear();
    Loader loader(s, items, name, res);
    if (bytes.size() > kMaxTabFileBytes) {
        loader.Fail(0, "ファイルが大きすぎます（" + std::to_string(bytes.size()) + " バイト）。TAB譜ファイルではありません。");
        return res;
    }
    // A text file never holds a NUL byte; whatever does is not a row.
    if (bytes.find('\0') != std::string_view::npos) {
        loader.Fail(0, "TAB譜ファイルではありません（バイナリデータを含んでいます）。");
        return res;
    }
    const std::string text = DecodeFileText(bytes);
    loader.Run(text, onMeasureCount);
    return res;
}

LoadTabResult LoadTab(Session& s, RowItems& items, const std::string& path, const MeasureCountChanged& onMeasureCount) {
    // Anything but a regular file is refused before it is read (a FIFO never
    // blocks); a huge file is refused without holding it in memory.
    std::string bytes, why;
    if (!ReadRegularFile(path, kMaxTabFileBytes, bytes, why)) {
        LoadTabResult res;
        items.Clear();
        res.ok = false;
        res.error = "「" + path + "」を開けません: " + why;
        return res;
    }
    return LoadTabFromBytes(s, items, bytes, path, onMeasureCount);
}

// --- saving ----------------------------------------------------------------

void AppendPositionRecords(std::string& out, const Session& s, int slot, int measureCount) {
    if (slot < 0 || slot >= kSlotCount) return;
    const DanData& dan = s.DanBuf[slot];
    const int last = LastStringIx(s.MaxStringIx);
    const int count = MeasuresOf(measureCount);
    PositionRecord a{};
    for (int m = 0; m < count; ++m) {
        const SyosetsuData& ms = dan.Syosetsu[m];
        const int cnt = ClampInt(ms.OnpuCnt, 0, kMaxPositions);
        for (int p = 1; p <= cnt; ++p) {
            const OnpuData& o = ms.Onpu[p];
            a[0] = static_cast<int16_t>(m);
            a[1] = static_cast<int16_t>(slot);
            a[2] = static_cast<int16_t>(cnt);
            a[3] = static_cast<int16_t>(p);
            a[4] = o.NoteAttr;
            a[5] = o.SanrenOpt;
            for (int j = 0; j <= last; ++j) {
                const int k = j + 1, b = 10 + 8 * j;
                a[b] = o.FletUse[k];
                a[b + 1] = o.Flet[k];
                a[b + 2] = o.Pitch[k];
                a[b + 3] = o.StaffPos[k];
                a[b + 4] = o.Accidental[k];
                a[b + 5] = o.Effect[k];
                a[b + 7] = o.NoteLengthID[k];
            }
            AppendPositionRecord(out, a, s.MaxStringIx);
        }
    }
}

std::string SerializeTab(const Session& s, const RowItems& items) {
    std::string out;
    out.reserve(16384);
    const int count = MeasuresOf(s.CurSyosetsuCnt);
    const int slot = ClampInt(s.CurDanIx, 0, kSlotCount - 1);
    const DanData& dan = s.DanBuf[slot];
    const DanLayoutData& lay = s.DanLayout[slot];

    long repCount = 0;
    for (size_t i = 1; i < items.RepMarks.size(); ++i)
        if (items.RepMarks[i].Visible) ++repCount;
    const long textCount = items.Texts.empty() ? 0 : static_cast<long>(items.Texts.size()) - 1;

    RecordWriter w(out);
    w.Text("TAB").Number(static_cast<long>(count)).Number(textCount).Text(s.KeyName[slot]).Number(repCount);
    w.Number(static_cast<long>(dan.MeterID)).Text("").Text("").Text("").Text(s.VersionText);
    w.End();
    for (size_t i = 1; i < items.Texts.size(); ++i) {
        const TextItem& t = items.Texts[i];
        w.Text("TEXT").Number(t.Top).Number(t.Left).Number(t.Height).Number(t.Width);
        w.Text(t.Caption).Number(t.FontSize);
        w.End();
    }
    for (size_t i = 1; i < items.RepMarks.size(); ++i) {
        const RepMarkItem& m = items.RepMarks[i];
        if (!m.Visible) continue;
        w.Text("REP").Number(m.Top).Number(m.Left).Number(m.Height).Number(m.Width).Text(m.Tag);
        w.End();
    }

    TextRecord S{};
    for (int m = 0; m < count; ++m) {
        const SyosetsuData& ms = dan.Syosetsu[m];
        S[2 * m] = ms.Chord1;
        S[2 * m + 1] = ms.Chord2;
        S[20 + m] = std::to_string(lay.SyosetsuLeft[m]);
        std::string bars(8, '0');
        if (dan.TopRepStart) bars[0] = '1';
        for (int b = 0; b <= 5; ++b)
            if (ms.BarFlag[b]) bars[1 + b] = '1';
        if (ms.BarFlag[kBarEndMark]) bars[7] = '1';
        S[30 + m] = bars;
    }
    S[20 + count] = std::to_string(lay.SyosetsuLeft[count]);
    AppendTextRecord(out, S, s.MaxStringIx);

    AppendPositionRecords(out, s, slot, count);
    return EncodeFileText(out);
}

bool SaveTab(const Session& s, const RowItems& items, const std::string& path, std::string* error) {
    return WriteFileReplacing(path, SerializeTab(s, items), error);
}

bool WritePlayFile(Session& s, const std::string& folder, std::string* error) {
    const std::string path = JoinPath(folder, kPlayFileName);
    std::remove(path.c_str());  // an absent old file is fine
    const int docs = ClampInt(s.DocCount, 0, kSlotCount);
    // Every row exports its own measures rather than the active row's count,
    // so a shorter row never plays measures it no longer shows.
    std::array<int, kSlotCount> counts{};
    for (int i = 0; i < docs; ++i) counts[i] = PlayMeasureCount(s, i);
    std::string out;
    for (int i = 0; i < docs; ++i) {
        s.CurDanIx = static_cast<int16_t>(i);
        AppendPositionRecords(out, s, i, counts[i]);
    }
    return WriteFileReplacing(path, out, error);
}

int PlayMeasureCount(const Session& s, int slot) {
    const int own = slot >= 0 && slot < kSlotCount ? s.DanBuf[slot].SyosetsuCnt : 0;
    if (slot == s.CurDanIx || own < 1 || own > kMaxMeasures) return s.CurSyosetsuCnt;
    return own;
}

int PlayMeterID(const Session& s, int slot) {
    if (slot == s.CurDanIx || slot < 0 || slot >= kSlotCount) return s.MeterID;
    return s.DanBuf[slot].MeterID;
}

}  // namespace lw
