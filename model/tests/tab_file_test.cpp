// Row files: record syntax, the .tab layout, the playback file, failure paths
// and the example rows under data/examples.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "record_io.h"
#include "file_helpers.h"
#include "tab_file.h"
#include "text_codec.h"

using namespace lw;
using namespace lwtest;
namespace fs = std::filesystem;

namespace {

// All fields of a text as the reader sees them.
std::vector<std::string> Fields(std::string_view text) {
    FieldReader r(text);
    std::vector<std::string> out;
    std::string f;
    while (!r.AtEnd() && r.Next(f)) out.push_back(f);
    return out;
}

// A session as a fresh editor has it with one new row in slot 0.
Session FreshSession(int maxStringIx, int measures = 4) {
    Session s;
    s.MaxStringIx = static_cast<int16_t>(maxStringIx);
    s.CurSyosetsuCnt = static_cast<int16_t>(measures);
    s.CurDanIx = 0;
    s.DocCount = 1;
    ResetRow(s.DanBuf[0]);
    s.DanBuf[0].SyosetsuCnt = s.CurSyosetsuCnt;
    s.KeyName[0] = "C";
    return s;
}

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("lw_tab_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

// A position record as text: elements by index, all others 0.
std::string PositionLine(int fields, std::initializer_list<std::pair<int, int>> values) {
    std::vector<int16_t> a(fields, 0);
    for (auto [k, v] : values) a[k] = static_cast<int16_t>(v);
    std::string out;
    for (int k = 0; k < fields; ++k) out += (k ? "," : "") + std::to_string(a[k]);
    return out + "\r\n";
}

std::string MeasureTextLine(int fields, std::initializer_list<std::pair<int, std::string>> values) {
    std::vector<std::string> s(fields);
    for (auto& [k, v] : values) s[k] = v;
    return FormatTextRecord(s, fields == 58 ? 5 : fields == 42 ? 3 : 4);
}

// --- random rows -----------------------------------------------------------

struct RandomRow {
    Session s;
    RowItems items;
};

RandomRow MakeRandomRow(std::mt19937& rng, int maxStringIx) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    RandomRow r{FreshSession(maxStringIx, pick(1, 8)), {}};
    Session& s = r.s;
    static const char* const kKeys[] = {"C", "G", "F#m", "B♭", "Am", ""};
    static const int kMeters[] = {0, 1, 2, 10, 11, 12, 20, 21, 22};
    static const char* const kChords[] = {"", "C", "Am7", "F#m7-5", "G,7", "ド", "E♭maj7"};
    static const int kIds[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 21, 22, 23, 24, 25};
    s.KeyName[0] = kKeys[pick(0, 4)];
    s.MeterID = s.DanBuf[0].MeterID = static_cast<int16_t>(kMeters[pick(0, 8)]);
    const int n = s.CurSyosetsuCnt;
    DanData& d = s.DanBuf[0];
    d.TopRepStart = pick(0, 1) ? kTrue : kFalse;
    int left = pick(1, 900);
    for (int m = 0; m <= n; ++m) {
        s.DanLayout[0].SyosetsuLeft[m] = static_cast<int16_t>(left);
        left += pick(300, 3000);
    }
    for (int m = 0; m < n; ++m) {
        SyosetsuData& ms = d.Syosetsu[m];
        ms.Chord1 = kChords[pick(0, 6)];
        ms.Chord2 = kChords[pick(0, 6)];
        for (int b = 0; b < 8; ++b) ms.BarFlag[b] = pick(0, 1) ? kTrue : kFalse;
        // Runtime-only fields: the file does not keep them.
        ms.DrawFlag = kTrue;
        ms.ChordPos = static_cast<int16_t>(pick(1, 5));
        ms.OnpuCnt = static_cast<int16_t>(pick(0, kMaxPositions));
        for (int p = 1; p <= ms.OnpuCnt; ++p) {
            OnpuData& o = ms.Onpu[p];
            o.PosNo = static_cast<int16_t>(p);
            o.NoteAttr = static_cast<uint8_t>(pick(0, 255));
            o.SanrenOpt = static_cast<uint8_t>(pick(0, 255));
            o.BeatGroupNo = static_cast<uint8_t>(pick(1, 9));
            o.SanrenIx = static_cast<uint8_t>(pick(1, 3));
            for (int k = 1; k <= maxStringIx + 1; ++k) {
                o.FletUse[k] = pick(0, 1) ? kSounding : 0;
                o.Flet[k] = static_cast<uint8_t>(pick(0, 255));
                o.NoteLengthID[k] = static_cast<uint8_t>(kIds[pick(0, 13)]);
                o.NoteTick[k] = TickOf(o.NoteLengthID[k], o.NoteAttr);
                // Pitch outside 1..31 means "not cached": the cache is then not loaded.
                o.Pitch[k] = static_cast<uint8_t>(pick(0, 4) ? pick(1, 31) : (pick(0, 1) ? 0 : pick(32, 255)));
                o.StaffPos[k] = static_cast<int16_t>(pick(-32768, 32767));
                o.Accidental[k] = static_cast<uint8_t>(pick(0, 255));
                o.Effect[k] = static_cast<uint8_t>(pick(0, 255));
                o.PosRect[k] = {static_cast<int16_t>(pick(1, 999)), static_cast<int16_t>(pick(1, 999)), 10, 10};
            }
        }
    }
    const int texts = pick(0, 4);
    for (int i = 0; i < texts; ++i) {
        TextItem t;
        t.Top = pick(0, 40000) / 2.0;
        t.Left = pick(-100, 40000) / 4.0;
        t.Height = pick(1, 999);
        t.Width = pick(1, 9999) / 8.0;
        t.Caption = i % 2 ? "第" + std::to_string(i) + "番, Allegro" : "きらきら星 (C)";
        t.FontSize = pick(0, 1) ? 9.75 : 12;
        r.items.Texts.push_back(t);
    }
    const int marks = pick(0, 5);
    for (int i = 0; i < marks; ++i) {
        RepMarkItem m;
        m.Top = pick(0, 3000);
        m.Left = pick(0, 30000) / 2.0;
        m.Height = 240;
        m.Width = 240;
        m.Tag = std::to_string(pick(0, 8));
        m.Visible = pick(0, 3) != 0;
        r.items.RepMarks.push_back(m);
    }
    return r;
}

// What a load into a fresh slot must give back for the row that was saved.
void ExpectRowRestored(const RandomRow& saved, const Session& got, const RowItems& gotItems, int seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Session& s = saved.s;
    const int n = s.CurSyosetsuCnt;
    ASSERT_EQ(got.CurSyosetsuCnt, n);
    EXPECT_EQ(got.DanBuf[0].SyosetsuCnt, n);
    EXPECT_EQ(got.MeterID, s.MeterID);
    EXPECT_EQ(got.DanBuf[0].MeterID, s.MeterID);
    EXPECT_EQ(got.KeyName[0], s.KeyName[0].empty() ? "C" : s.KeyName[0]);
    const DanData& a = s.DanBuf[0];
    const DanData& b = got.DanBuf[0];
    EXPECT_EQ(b.TopRepStart, a.TopRepStart);
    for (int m = 0; m <= n; ++m) EXPECT_EQ(got.DanLayout[0].SyosetsuLeft[m], s.DanLayout[0].SyosetsuLeft[m]) << m;
    for (int m = 0; m < n; ++m) {
        SCOPED_TRACE("measure " + std::to_string(m));
        const SyosetsuData& x = a.Syosetsu[m];
        const SyosetsuData& y = b.Syosetsu[m];
        EXPECT_EQ(got.DanLayout[0].SyosetsuWidth[m],
                  s.DanLayout[0].SyosetsuLeft[m + 1] - s.DanLayout[0].SyosetsuLeft[m]);
        EXPECT_EQ(y.Chord1, x.Chord1);
        EXPECT_EQ(y.Chord2, x.Chord2);
        for (int f : {0, 1, 2, 3, 4, 5, 7}) EXPECT_EQ(y.BarFlag[f], x.BarFlag[f]) << f;
        EXPECT_EQ(y.BarFlag[kBarUnused], 0);  // not stored
        EXPECT_EQ(y.DrawFlag, 0);               // runtime only
        EXPECT_EQ(y.ChordPos, 0);               // not stored
        EXPECT_EQ(y.OnpuCnt, x.OnpuCnt);
        for (int p = 1; p <= x.OnpuCnt; ++p) {
            const OnpuData& o = x.Onpu[p];
            const OnpuData& q = y.Onpu[p];
            SCOPED_TRACE("position " + std::to_string(p));
            EXPECT_EQ(q.PosNo, p);
            EXPECT_EQ(q.LoadMark, 255);
            EXPECT_EQ(q.NoteAttr, o.NoteAttr);
            EXPECT_EQ(q.SanrenOpt, o.SanrenOpt);
            EXPECT_EQ(q.BeatGroupNo, 0);  // rebuilt before drawing, not stored
            EXPECT_EQ(q.SanrenIx, 0);
            for (int k = 1; k <= s.MaxStringIx + 1; ++k) {
                EXPECT_EQ(q.FletUse[k], o.FletUse[k]) << k;
                EXPECT_EQ(q.Flet[k], o.Flet[k]) << k;
                EXPECT_EQ(q.NoteLengthID[k], o.NoteLengthID[k]) << k;
                EXPECT_EQ(q.NoteTick[k], o.NoteTick[k]) << k;
                EXPECT_EQ(q.PosRect[k].Top, 0) << k;  // laid out again, not stored
                if (o.Pitch[k] >= 1 && o.Pitch[k] <= 31) {
                    EXPECT_EQ(q.Pitch[k], o.Pitch[k]) << k;
                    EXPECT_EQ(q.StaffPos[k], o.StaffPos[k]) << k;
                    EXPECT_EQ(q.Accidental[k], o.Accidental[k]) << k;
                    EXPECT_EQ(q.Effect[k], o.Effect[k]) << k;
                } else {
                    // An uncached pitch leaves the cache and the effect bits as they were.
                    EXPECT_EQ(q.Pitch[k], 0) << k;
                    EXPECT_EQ(q.StaffPos[k], 0) << k;
                    EXPECT_EQ(q.Accidental[k], 0) << k;
                    EXPECT_EQ(q.Effect[k], 0) << k;
                }
            }
            for (int k = s.MaxStringIx + 2; k < kStringSlots; ++k) EXPECT_EQ(q.FletUse[k], 0);
        }
    }
    // Texts all come back; repeat marks only the visible ones, visible again.
    ASSERT_EQ(gotItems.Texts.size(), saved.items.Texts.size());
    for (size_t i = 1; i < gotItems.Texts.size(); ++i) {
        const TextItem& t = saved.items.Texts[i];
        const TextItem& u = gotItems.Texts[i];
        EXPECT_EQ(u.Top, t.Top);
        EXPECT_EQ(u.Left, t.Left);
        EXPECT_EQ(u.Height, t.Height);
        EXPECT_EQ(u.Width, t.Width);
        EXPECT_EQ(u.Caption, t.Caption);
        EXPECT_EQ(u.FontSize, t.FontSize);
    }
    std::vector<RepMarkItem> visible;
    for (size_t i = 1; i < saved.items.RepMarks.size(); ++i)
        if (saved.items.RepMarks[i].Visible) visible.push_back(saved.items.RepMarks[i]);
    ASSERT_EQ(gotItems.RepMarks.size(), visible.size() + 1);
    for (size_t i = 0; i < visible.size(); ++i) {
        const RepMarkItem& u = gotItems.RepMarks[i + 1];
        EXPECT_TRUE(u.Visible);
        EXPECT_EQ(u.Tag, visible[i].Tag);
        EXPECT_EQ(u.Left, visible[i].Left);
        EXPECT_EQ(u.Top, visible[i].Top);
    }
}

}  // namespace

// --- record syntax -----------------------------------------------------------

TEST(RecordSyntax, FieldCountsByStringCount) {
    EXPECT_EQ(RecordFieldCount(5), 58);
    EXPECT_EQ(RecordFieldCount(3), 42);
    EXPECT_EQ(RecordFieldCount(4), 51);
    EXPECT_EQ(RecordFieldCount(0), 51);
    EXPECT_EQ(RecordFieldCount(9), 51);
}

TEST(RecordSyntax, WriterQuotesTextsAndWritesPlainNumbers) {
    std::string out;
    RecordWriter w(out);
    w.Text("TAB").Number(4L).Number(-12L).Text("").Text("a, b").Number(1234.5).Number(600.0).Number(-0.25);
    w.End();
    EXPECT_EQ(out, "\"TAB\",4,-12,\"\",\"a, b\",1234.5,600,-0.25\r\n");
}

TEST(RecordSyntax, NumbersAreShortestPlainDecimals) {
    EXPECT_EQ(FormatNumber(0.1), "0.1");
    EXPECT_EQ(FormatNumber(1e20), "100000000000000000000");  // never an exponent
    EXPECT_EQ(FormatNumber(-0.0), "0");
    EXPECT_EQ(FormatNumber(std::nan("")), "0");
    double v = 0;
    ASSERT_TRUE(ParseNumber(FormatNumber(1.0 / 3), v));
    EXPECT_EQ(v, 1.0 / 3);
}

TEST(RecordSyntax, DoubleQuoteInTextBecomesClosingQuoteMark) {
    std::string out;
    RecordWriter(out).Text("say \"hi\"").Number(1L).End();
    EXPECT_EQ(out, "\"say ”hi”\",1\r\n");
    EXPECT_EQ(Fields(out), (std::vector<std::string>{"say ”hi”", "1"}));
}

TEST(RecordSyntax, ReaderFollowsSequentialInputRules) {
    // Quoted fields run to the next quote (commas and line ends inside kept);
    // unquoted ones are trimmed; text after a closing quote is dropped.
    EXPECT_EQ(Fields("\"a,b\", 12 ,\"x\"junk,7\r\n"), (std::vector<std::string>{"a,b", "12", "x", "7"}));
    EXPECT_EQ(Fields("\"two\r\nlines\",3\r\n4"), (std::vector<std::string>{"two\r\nlines", "3", "4"}));
    // A line end ends a field; a blank line inside is an empty field.
    EXPECT_EQ(Fields("1,2\n3\r\n\r\n4\r5"), (std::vector<std::string>{"1", "2", "3", "", "4", "5"}));
    // An unterminated quote runs to the end of the text.
    EXPECT_EQ(Fields("\"open"), (std::vector<std::string>{"open"}));
}

TEST(RecordSyntax, ReaderCountsLinesAndIgnoresTrailingBlankLines) {
    FieldReader r("a,b\r\nc\r\n\"x\ny\",d\r\n\r\n  \r\n");
    std::string f;
    EXPECT_EQ(r.Line(), 1);
    r.Next(f), r.Next(f);
    EXPECT_EQ(r.Line(), 2);
    r.Next(f);
    EXPECT_EQ(r.Line(), 3);
    r.Next(f);
    EXPECT_EQ(f, "x\ny");
    EXPECT_EQ(r.Line(), 4);
    r.Next(f);
    EXPECT_EQ(f, "d");
    EXPECT_TRUE(r.AtEnd());
}

TEST(RecordSyntax, RecordsContinueAcrossLines) {
    // A position record whose fields are spread over several lines reads the same.
    std::string text;
    for (int k = 0; k < 42; ++k) text += std::to_string(k) + (k % 5 == 4 ? "\r\n" : ",");
    FieldReader r(text);
    PositionRecord a{};
    ASSERT_EQ(ReadPositionRecord(r, 3, a), FieldError::None);
    for (int k = 0; k < 42; ++k) EXPECT_EQ(a[k], k);
}

TEST(RecordSyntax, NumberConversion) {
    int16_t v = 7;
    EXPECT_EQ(ToInt16("", v), FieldError::None);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ToInt16(" -32768 ", v), FieldError::None);
    EXPECT_EQ(v, -32768);
    EXPECT_EQ(ToInt16("2.5", v), FieldError::None);
    EXPECT_EQ(v, 2);  // half to even
    EXPECT_EQ(ToInt16("3.5", v), FieldError::None);
    EXPECT_EQ(v, 4);
    EXPECT_EQ(ToInt16("-0.5", v), FieldError::None);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ToInt16("+1.2e2", v), FieldError::None);
    EXPECT_EQ(v, 120);
    EXPECT_EQ(ToInt16("32767.5", v), FieldError::OutOfRange);
    EXPECT_EQ(ToInt16("32768", v), FieldError::OutOfRange);
    EXPECT_EQ(ToInt16("1e999", v), FieldError::OutOfRange);
    EXPECT_EQ(ToInt16("1e-999", v), FieldError::None);
    EXPECT_EQ(v, 0);
    for (const char* bad : {"abc", "12a", "1,5", "-", ".", "e5", "nan", "inf", "0x10", "１２"})
        EXPECT_EQ(ToInt16(bad, v), FieldError::NotNumber) << bad;
}

// --- saving ------------------------------------------------------------------

class TabSave : public TempDirTest {};

TEST_F(TabSave, SixStringRowWritesHeaderItemsMeasureTextsAndPositions) {
    Session s = FreshSession(5, 4);
    s.KeyName[0] = "G";
    s.DanLayout[0].SyosetsuLeft = {600, 3600, 6600, 9600, 12600, 0, 0, 0, 0};
    DanData& d = s.CurDan();
    d.Syosetsu[0].Chord1 = "G";
    d.Syosetsu[3].Chord2 = "D7";
    d.Syosetsu[1].BarFlag[kBarRepEnd] = kTrue;
    d.Syosetsu[3].BarFlag[kBarEndMark] = kTrue;
    d.Syosetsu[0].BarFlag[kBarUnused] = kTrue;  // never written
    d.TopRepStart = kTrue;
    d.Syosetsu[0].OnpuCnt = 2;
    StoreNote(d.Syosetsu[0].Onpu[1], 6, 3, 2);
    StoreRest(d.Syosetsu[0].Onpu[2], 23, 5);
    d.Syosetsu[2].OnpuCnt = 1;
    d.Syosetsu[2].Onpu[1].NoteAttr = 0xA8;
    StoreNote(d.Syosetsu[2].Onpu[1], 1, 12, 3);
    d.Syosetsu[2].Onpu[1].Pitch[1] = 20;
    d.Syosetsu[2].Onpu[1].StaffPos[1] = -3;
    d.Syosetsu[2].Onpu[1].Effect[1] = 0x80;
    RowItems items;
    items.Texts.push_back({100, 1234.5, 300, 600, "タイトル, 1", 12});
    items.RepMarks.push_back({10, 20, 240, 240, "5", true});
    items.RepMarks.push_back({10, 20, 240, 240, "6", false});  // hidden: not part of the row

    const std::string bytes = SerializeTab(s, items);
    const std::vector<std::string> lines = Lines(bytes);
    ASSERT_EQ(lines.size(), 1u + 1 + 1 + 1 + 3);
    EXPECT_EQ(lines[0], "\"TAB\",4,1,\"G\",1,22,\"\",\"\",\"\",\"201\"");
    EXPECT_EQ(Cp932ToUtf8(lines[1]), "\"TEXT\",100,1234.5,300,600,\"タイトル, 1\",12");
    EXPECT_EQ(lines[2], "\"REP\",10,20,240,240,\"5\"");
    const std::vector<std::string> S = Fields(lines[3]);
    ASSERT_EQ(S.size(), 58u);
    for (int k = 0; k < 58; ++k) {
        const bool set = k <= 7 || (k >= 20 && k <= 24) || (k >= 30 && k <= 33);
        if (set && k < 8) continue;  // chord names may be empty
        EXPECT_EQ(!S[k].empty(), set) << k;
    }
    EXPECT_EQ(S[0], "G");
    EXPECT_EQ(S[7], "D7");
    EXPECT_EQ(S[20], "600");
    EXPECT_EQ(S[24], "12600");
    EXPECT_EQ(S[30], "10000000");  // top repeat start, then BarFlag 0..5, then 7
    EXPECT_EQ(S[31], "11000000");
    EXPECT_EQ(S[33], "10000001");
    const std::vector<std::string> p1 = Fields(lines[4]);
    ASSERT_EQ(p1.size(), 58u);
    EXPECT_EQ(p1[0], "0");
    EXPECT_EQ(p1[2], "2");
    EXPECT_EQ(p1[3], "1");
    EXPECT_EQ(p1[10 + 8 * 5], "255");  // string 6 sounds
    EXPECT_EQ(p1[11 + 8 * 5], "3");
    EXPECT_EQ(p1[17 + 8 * 5], "2");
    EXPECT_EQ(lines[6], Lines(FormatPositionRecord(
                            {2, 0, 1, 1, 0xA8, 0, 0, 0, 0, 0, 255, 12, 20, -3, 0, 0x80, 0, 3}, 5))[0]);
}

TEST_F(TabSave, FiveStringRecordsEndWithAnEmptyField) {
    Session s = FreshSession(4, 1);
    s.CurDan().Syosetsu[0].OnpuCnt = 1;
    StoreNote(s.CurDan().Syosetsu[0].Onpu[1], 5, 7, 2);
    const std::vector<std::string> lines = Lines(SerializeTab(s, RowItems{}));
    ASSERT_EQ(lines.size(), 3u);
    const auto S = Fields(lines[1]);
    const auto A = Fields(lines[2]);
    ASSERT_EQ(S.size(), 51u);
    ASSERT_EQ(A.size(), 51u);
    EXPECT_TRUE(lines[1].ends_with(",\"\""));
    EXPECT_EQ(A[50], "0");
    EXPECT_EQ(A[10 + 8 * 4], "255");
    EXPECT_EQ(A[11 + 8 * 4], "7");
}

TEST_F(TabSave, FourStringRowHas42FieldsAndTextsAreCp932) {
    Session s = FreshSession(3, 2);
    s.CurDan().Syosetsu[1].Chord1 = "Ｃ７";
    s.CurDan().Syosetsu[1].OnpuCnt = 1;
    StoreNote(s.CurDan().Syosetsu[1].Onpu[1], 4, 0, 1);
    const std::string bytes = SerializeTab(s, RowItems{});
    EXPECT_FALSE(IsValidUtf8(bytes));  // Shift-JIS on disk
    EXPECT_NE(bytes.find(Utf8ToCp932("Ｃ７")), std::string::npos);
    const auto lines = Lines(bytes);
    EXPECT_EQ(Fields(lines[1]).size(), 42u);
    EXPECT_EQ(Fields(lines[2]).size(), 42u);
}

TEST_F(TabSave, QuoteInCaptionIsReplacedAndTheRestOfTheFileStaysReadable) {
    Session s = FreshSession(5, 1);
    RowItems items;
    items.Texts.push_back({1, 2, 3, 4, "a \"quoted\", word", 9});
    items.Texts.push_back({5, 6, 7, 8, "next", 10});
    ASSERT_TRUE(SaveTab(s, items, Path("q.tab")));
    Session t = FreshSession(5, 1);
    RowItems got;
    LoadTabResult r = LoadTab(t, got, Path("q.tab"));
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(got.Texts.size(), 3u);
    EXPECT_EQ(got.Texts[1].Caption, "a ”quoted”, word");
    EXPECT_EQ(got.Texts[1].FontSize, 9);
    EXPECT_EQ(got.Texts[2].Caption, "next");
    EXPECT_EQ(got.Texts[2].Left, 6);
}

TEST_F(TabSave, TextsCp932CannotHoldAreWrittenAsUtf8AndComeBackUnchanged) {
    // "〜" (wave dash), a G clef and an emoji have no CP932 code; "ﾄｱ" has one
    // whose bytes also read as UTF-8. Each would come back altered from a
    // CP932 file.
    for (const std::string caption : {"ラ〜ラ", "𝄞 Allegro", "♪🎸", "ﾄｱ"}) {
        SCOPED_TRACE(caption);
        Session s = FreshSession(5, 1);
        s.CurDan().Syosetsu[0].Chord1 = "C";
        RowItems items;
        items.Texts.push_back({10, 20, 300, 900, caption, 12});
        ASSERT_TRUE(SaveTab(s, items, Path("u.tab")));
        const std::string bytes = ReadAll(dir_ / "u.tab");
        EXPECT_EQ(bytes.find('?'), std::string::npos);
        Session t = FreshSession(5, 1);
        RowItems got;
        LoadTabResult r = LoadTab(t, got, Path("u.tab"));
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(got.Texts.size(), 2u);
        EXPECT_EQ(got.Texts[1].Caption, caption);
        EXPECT_EQ(SerializeTab(t, got), bytes);
    }
    // Text CP932 holds stays CP932.
    Session s = FreshSession(5, 1);
    RowItems items;
    items.Texts.push_back({10, 20, 300, 900, "きらきら星 ♭", 12});
    EXPECT_FALSE(IsValidUtf8(SerializeTab(s, items)));
}

TEST_F(TabSave, ReplacesExistingFileAndLeavesNoTemporaryFiles) {
    Session s = FreshSession(5, 4);
    WriteAll(dir_ / "row.tab", "old contents");
    fs::permissions(dir_ / "row.tab", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::string err;
    ASSERT_TRUE(SaveTab(s, RowItems{}, Path("row.tab"), &err)) << err;
    EXPECT_EQ(ReadAll(dir_ / "row.tab"), SerializeTab(s, RowItems{}));
    EXPECT_EQ(fs::status(dir_ / "row.tab").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    int files = 0;
    for (auto& e : fs::directory_iterator(dir_)) ++files, (void)e;
    EXPECT_EQ(files, 1);
}

TEST_F(TabSave, FailedSaveIsReportedAndKeepsThePreviousFile) {
    // A parent that is a regular file fails even for root.
    WriteAll(dir_ / "plain", "x");
    Session s = FreshSession(5, 4);
    std::string err;
    EXPECT_FALSE(SaveTab(s, RowItems{}, Path("plain") + "/row.tab", &err));
    EXPECT_NE(err.find("row.tab"), std::string::npos);
    EXPECT_FALSE(SaveTab(s, RowItems{}, dir_.string(), &err));  // a folder is no file

    // A write that fails half-way (file size limit) leaves the old file as it was.
    Session big = FreshSession(5, 8);
    for (int m = 0; m < 8; ++m) {
        big.CurDan().Syosetsu[m].OnpuCnt = 24;
        for (int p = 1; p <= 24; ++p) StoreNote(big.CurDan().Syosetsu[m].Onpu[p], 1, p, 3);
    }
    const std::string previous = SerializeTab(FreshSession(5, 4), RowItems{});
    WriteAll(dir_ / "keep.tab", previous);
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = SaveTab(big, RowItems{}, Path("keep.tab"), &err);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(ReadAll(dir_ / "keep.tab"), previous);
    int files = 0;
    for (auto& e : fs::directory_iterator(dir_)) ++files, (void)e;
    EXPECT_EQ(files, 2);  // "plain" and "keep.tab": no temporary left behind
}

// --- round trips -------------------------------------------------------------

class TabRoundTrip : public TempDirTest, public ::testing::WithParamInterface<int> {};

TEST_P(TabRoundTrip, GeneratedRowsSurviveSaveAndLoadByteForByte) {
    const int maxStringIx = GetParam();
    std::mt19937 rng(20240 + maxStringIx);
    for (int i = 0; i < 60; ++i) {
        RandomRow row = MakeRandomRow(rng, maxStringIx);
        // Every fourth row goes through a real file; the rest stay in memory
        // to keep the test fast (a save syncs the disk).
        Session got = FreshSession(maxStringIx, 4);
        RowItems gotItems;
        LoadTabResult r;
        if (i % 4 == 0) {
            const std::string path = Path("r" + std::to_string(i) + ".tab");
            std::string err;
            ASSERT_TRUE(SaveTab(row.s, row.items, path, &err)) << err;
            r = LoadTab(got, gotItems, path);
        } else {
            r = LoadTabFromBytes(got, gotItems, SerializeTab(row.s, row.items), "r.tab");
        }
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(r.hadHeader);
        ExpectRowRestored(row, got, gotItems, i);
        // The loaded row writes the saved one again, less the pitch caches the
        // file does not trust (Pitch outside 1..31)...
        Session normal = row.s;
        for (auto& ms : normal.CurDan().Syosetsu)
            for (auto& o : ms.Onpu)
                for (int k = 1; k < kStringSlots; ++k)
                    if (o.Pitch[k] < 1 || o.Pitch[k] > 31) o.Pitch[k] = 0, o.StaffPos[k] = 0, o.Accidental[k] = 0, o.Effect[k] = 0;
        EXPECT_EQ(SerializeTab(got, gotItems), SerializeTab(normal, row.items)) << i;
        // ...and a file that we wrote comes back byte for byte.
        const std::string bytes = SerializeTab(got, gotItems);
        Session again = FreshSession(maxStringIx, 4);
        RowItems againItems;
        ASSERT_TRUE(LoadTabFromBytes(again, againItems, bytes, "again.tab").ok);
        EXPECT_EQ(SerializeTab(again, againItems), bytes) << i;
        if (HasFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(StringCounts, TabRoundTrip, ::testing::Values(3, 4, 5),
                         [](const auto& info) { return std::to_string(info.param + 1) + "Strings"; });

// --- loading -------------------------------------------------------------------

class TabLoad : public TempDirTest {
protected:
    LoadTabResult Load(const std::string& bytes, Session& s, RowItems& items) {
        WriteAll(dir_ / "in.tab", bytes);
        return LoadTab(s, items, Path("in.tab"));
    }
    std::string Header(const std::string& count, const std::string& key, const std::string& meter,
                       const std::string& version, int texts = 0, int reps = 0) {
        return "\"TAB\"," + count + "," + std::to_string(texts) + ",\"" + key + "\"," + std::to_string(reps) + "," +
               meter + ",\"\",\"\",\"\",\"" + version + "\"\r\n";
    }
};

TEST_F(TabLoad, HeaderValuesGoIntoTheSession) {
    Session s = FreshSession(5, 4);
    RowItems items;
    LoadTabResult r = Load(Header("8", "", "", "201") + MeasureTextLine(58, {}), s, items);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(s.CurSyosetsuCnt, 8);
    EXPECT_EQ(s.DanBuf[0].SyosetsuCnt, 8);
    EXPECT_EQ(s.KeyName[0], "C");  // empty key
    EXPECT_EQ(s.MeterID, 22);      // empty time signature

    r = Load(Header("3", "F#m", "12", "201"), s, items);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(s.CurSyosetsuCnt, 3);
    EXPECT_EQ(s.KeyName[0], "F#m");
    EXPECT_EQ(s.MeterID, 12);
    EXPECT_EQ(s.DanBuf[0].MeterID, 12);  // the row keeps its own
}

TEST_F(TabLoad, MeasureCountChangeHookRunsBeforeMeasurePositions) {
    Session s = FreshSession(5, 4);
    RowItems items;
    int calls = 0;
    auto hook = [&](Session& t) {
        ++calls;
        EXPECT_EQ(t.CurSyosetsuCnt, 2);
        // Stands in for the settings re-read: computed boxes for two measures.
        t.CurLayout().SyosetsuLeft = {500, 1500, 2500, 0, 0, 0, 0, 0, 0};
    };
    WriteAll(dir_ / "a.tab", Header("2", "C", "22", "201") + MeasureTextLine(58, {{20, "0"}, {21, "1800"}, {22, "3000"}}));
    ASSERT_TRUE(LoadTab(s, items, Path("a.tab"), hook).ok);
    EXPECT_EQ(calls, 1);
    // A stored 0 keeps the computed left; stored values replace it.
    EXPECT_EQ(s.CurLayout().SyosetsuLeft[0], 500);
    EXPECT_EQ(s.CurLayout().SyosetsuLeft[1], 1800);
    EXPECT_EQ(s.CurLayout().SyosetsuWidth[1], 1200);
    EXPECT_EQ(s.CurLayout().SyosetsuLeft[2], 3000);
    // Same count again: nothing changed, no hook.
    ASSERT_TRUE(LoadTab(s, items, Path("a.tab"), hook).ok);
    EXPECT_EQ(calls, 1);
}

TEST_F(TabLoad, HeaderlessFileKeepsSettingsAndSetsPlainBars) {
    Session s = FreshSession(3, 3);
    s.KeyName[0] = "D";
    s.MeterID = 2;
    RowItems items;
    const std::string body =
        MeasureTextLine(42, {{0, "Am"}, {2, "E7"}}) + PositionLine(42, {{0, 1}, {2, 1}, {3, 1}, {10, 255}, {11, 5}, {17, 2}});
    LoadTabResult r = Load(body, s, items);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.hadHeader);
    EXPECT_EQ(s.CurSyosetsuCnt, 3);
    EXPECT_EQ(s.KeyName[0], "D");
    EXPECT_EQ(s.MeterID, 2);
    EXPECT_EQ(s.CurDan().MeterID, 2);
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(s.CurDan().Syosetsu[m].BarFlag[kBarPlain], kTrue);
        EXPECT_EQ(s.CurDan().Syosetsu[m].BarFlag[kBarPlain2], kTrue);
    }
    EXPECT_EQ(s.CurDan().Syosetsu[3].BarFlag[kBarPlain], 0);
    EXPECT_EQ(s.CurDan().Syosetsu[0].Chord1, "Am");
    EXPECT_EQ(s.CurDan().Syosetsu[1].Chord1, "E7");
    EXPECT_EQ(s.CurDan().Syosetsu[1].OnpuCnt, 1);
    EXPECT_EQ(s.CurDan().Syosetsu[1].Onpu[1].Flet[1], 5);
    EXPECT_EQ(s.CurDan().Syosetsu[1].Onpu[1].NoteTick[1], 24);
    EXPECT_EQ(r.fretLabelCount, 4);
    EXPECT_EQ(r.restCount, 0);
}

TEST_F(TabLoad, EmptyFileIsHeaderless) {
    Session s = FreshSession(5, 2);
    RowItems items;
    LoadTabResult r = Load("", s, items);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.hadHeader);
    EXPECT_EQ(s.CurDan().Syosetsu[1].BarFlag[kBarPlain2], kTrue);
    EXPECT_EQ(s.CurDan().Syosetsu[0].OnpuCnt, 0);
}

TEST_F(TabLoad, VersionTextSelectsTheAttributeLayout) {
    // A(4)..A(8) = tie, dot, beam, slur, stem down.
    const std::string pos = PositionLine(58, {{0, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 0}, {6, 1}, {7, 1}, {8, 0}, {10, 255}, {17, 2}});
    struct Case {
        const char* version;
        bool fiveFlags;
    } cases[] = {{"201", false}, {"", false}, {"1000", false}, {"301", true}, {"302", true}, {"9", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        Session s = FreshSession(5, 1);
        RowItems items;
        LoadTabResult r = Load(Header("1", "C", "22", c.version) + MeasureTextLine(58, {}) + pos, s, items);
        ASSERT_TRUE(r.ok) << r.error;
        const OnpuData& o = s.CurDan().Syosetsu[0].Onpu[1];
        if (c.fiveFlags) {
            EXPECT_EQ(o.NoteAttr, BitsToByte("11001000"));  // tie, slur, beam
            EXPECT_EQ(o.SanrenOpt, 0);
        } else {
            EXPECT_EQ(o.NoteAttr, 1);
        }
    }
    // Five flags: dot and stem down; SanrenOpt still comes from A(5).
    Session s = FreshSession(5, 1);
    RowItems items;
    ASSERT_TRUE(Load(Header("1", "C", "22", "301") + MeasureTextLine(58, {}) +
                         PositionLine(58, {{0, 0}, {2, 1}, {3, 1}, {5, 1}, {8, 7}, {10, 255}, {17, 3}}),
                     s, items)
                    .ok);
    const OnpuData& o = s.CurDan().Syosetsu[0].Onpu[1];
    EXPECT_EQ(o.NoteAttr, BitsToByte("00100100"));
    EXPECT_EQ(o.SanrenOpt, 1);
    EXPECT_EQ(o.NoteTick[1], 18);  // dotted eighth
}

TEST_F(TabLoad, UncachedPitchKeepsEffectBitsFromBefore) {
    for (int pitch : {0, 32}) {
        Session s = FreshSession(5, 1);
        OnpuData& before = s.CurDan().Syosetsu[0].Onpu[1];
        before.Effect[1] = 0x40;
        before.Pitch[1] = 9;
        before.StaffPos[1] = 4;
        RowItems items;
        ASSERT_TRUE(Load(Header("1", "C", "22", "201") + MeasureTextLine(58, {}) +
                             PositionLine(58, {{0, 0}, {2, 1}, {3, 1}, {10, 255}, {12, pitch}, {13, 9}, {15, 0x20}, {17, 2}}),
                         s, items)
                        .ok);
        const OnpuData& o = s.CurDan().Syosetsu[0].Onpu[1];
        EXPECT_EQ(o.Effect[1], 0x40) << pitch;
        EXPECT_EQ(o.Pitch[1], 9) << pitch;
        EXPECT_EQ(o.StaffPos[1], 4) << pitch;
    }
}

TEST_F(TabLoad, RestsAndNotesAreCountedForTheWindow) {
    Session s = FreshSession(4, 1);
    RowItems items;
    std::string body = Header("1", "C", "22", "201") + MeasureTextLine(51, {});
    body += PositionLine(51, {{0, 0}, {2, 3}, {3, 1}, {10, 255}, {11, 1}, {17, 23}});  // rest
    body += PositionLine(51, {{0, 0}, {2, 3}, {3, 2}, {10, 255}, {17, 2}});
    body += PositionLine(51, {{0, 0}, {2, 3}, {3, 3}, {10, 0}, {17, 23}});  // rest id on a silent string: a note column
    LoadTabResult r = Load(body, s, items);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.restCount, 1);
    EXPECT_EQ(r.fretLabelCount, 10);
}

TEST_F(TabLoad, TextAndRepeatRecordsAreNotCheckedForTheirKind) {
    Session s = FreshSession(5, 1);
    RowItems items;
    items.Texts.push_back({});  // a window's old items do not survive a load
    const std::string body = Header("1", "C", "22", "201", 1, 1) + "\"XXX\",1,2,3,4,\"t\",9\r\n" +
                             "\"YYY\",5,6,7,8,\"3\"\r\n" + MeasureTextLine(58, {});
    LoadTabResult r = Load(body, s, items);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(items.Texts.size(), 2u);
    EXPECT_EQ(items.Texts[1].Caption, "t");
    ASSERT_EQ(items.RepMarks.size(), 2u);
    EXPECT_EQ(items.RepMarks[1].Tag, "3");
    EXPECT_TRUE(items.RepMarks[1].Visible);
    EXPECT_EQ(items.RepMarks[1].Width, 8);
}

TEST_F(TabLoad, ReadsUtf8AndShiftJisTexts) {
    for (bool sjis : {false, true}) {
        Session s = FreshSession(5, 1);
        RowItems items;
        std::string body = Header("1", "ニ長調", "22", "201", 1) + "\"TEXT\",1,2,3,4,\"歌詞、一番\",9\r\n" +
                           MeasureTextLine(58, {{0, "Ｄ"}});
        LoadTabResult r = Load(sjis ? Utf8ToCp932(body) : body, s, items);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(s.KeyName[0], "ニ長調");
        EXPECT_EQ(items.Texts[1].Caption, "歌詞、一番");
        EXPECT_EQ(s.CurDan().Syosetsu[0].Chord1, "Ｄ");
    }
}

TEST_F(TabLoad, Utf8FileWithAByteOrderMarkHasItsHeader) {
    Session s = FreshSession(5, 4);
    RowItems items;
    LoadTabResult r = Load("\xEF\xBB\xBF" + Header("2", "ト長調", "12", "201") + MeasureTextLine(58, {{0, "G"}}), s, items);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.hadHeader);
    EXPECT_EQ(s.CurSyosetsuCnt, 2);
    EXPECT_EQ(s.KeyName[0], "ト長調");
    EXPECT_EQ(s.CurDan().Syosetsu[0].Chord1, "G");
}

TEST_F(TabLoad, FractionalMeasurePositionsTakeTheWidthOfTheStoredValues) {
    Session s = FreshSession(5, 2);
    s.CurLayout().SyosetsuLeft = {500, 1500, 2500, 0, 0, 0, 0, 0, 0};
    RowItems items;
    // Lefts round half to even; each width is the difference of the stored
    // texts, rounded once: 201.5 - 100.5 = 101, not 202 - 100.
    ASSERT_TRUE(Load(Header("2", "C", "22", "201") + MeasureTextLine(58, {{20, "100.5"}, {21, "201.5"}, {22, "400"}}), s, items).ok);
    EXPECT_EQ(s.CurLayout().SyosetsuLeft[0], 100);
    EXPECT_EQ(s.CurLayout().SyosetsuWidth[0], 101);
    EXPECT_EQ(s.CurLayout().SyosetsuLeft[1], 202);
    EXPECT_EQ(s.CurLayout().SyosetsuWidth[1], 198);  // 198.5
    EXPECT_EQ(s.CurLayout().SyosetsuLeft[2], 400);
    // A stored value that is not 0 is a stored position even when it rounds
    // to 0: it keeps its side (0 would mean "from the settings" when saved).
    s.CurLayout().SyosetsuLeft = {500, 1500, 2500, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(Load(Header("2", "C", "22", "201") + MeasureTextLine(58, {{20, "0.3"}, {21, "1000"}}), s, items).ok);
    EXPECT_EQ(s.CurLayout().SyosetsuLeft[0], 1);
    EXPECT_EQ(s.CurLayout().SyosetsuWidth[0], 1000);  // 999.7
    EXPECT_EQ(s.CurLayout().SyosetsuLeft[2], 2500);   // stored empty: kept
}

// --- failures: every error stops the load at the failing record ---------------

TEST_F(TabLoad, MissingFileIsAnError) {
    Session s = FreshSession(5, 4);
    RowItems items;
    LoadTabResult r = LoadTab(s, items, Path("nothing.tab"));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("nothing.tab"), std::string::npos);
    EXPECT_FALSE(LoadTab(s, items, dir_.string()).ok);  // a folder
}

TEST_F(TabLoad, AFileAboveTheLimitIsRefusedNamingItsOwnSize) {
    // Sparse files: the sizes cost no disk. The message names each file's
    // size, not how much of it was read.
    for (uintmax_t size : {uintmax_t{kMaxTabFileBytes} + 1, uintmax_t{5000000}, uintmax_t{3000000000}}) {
        SCOPED_TRACE(size);
        const std::string p = Path("big.tab");
        std::ofstream(p) << "\"TAB\",4\r\n";
        fs::resize_file(p, size);
        Session s = FreshSession(5, 4);
        RowItems items;
        LoadTabResult r = LoadTab(s, items, p);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("（" + std::to_string(size) + " バイト"), std::string::npos) << r.error;
    }
}

TEST_F(TabLoad, MeasureCountOutsideOneToEightStopsAfterTheHeader) {
    for (const char* count : {"0", "9", "-1", "", "x"}) {
        SCOPED_TRACE(count);
        Session s = FreshSession(5, 4);
        RowItems items;
        LoadTabResult r = Load(Header(count, "G", "12", "201") + MeasureTextLine(58, {{0, "Am"}}), s, items);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("1 行目"), std::string::npos) << r.error;
        EXPECT_EQ(s.CurSyosetsuCnt, 4);
        EXPECT_EQ(s.KeyName[0], "C");
        EXPECT_EQ(s.MeterID, 22);
        EXPECT_EQ(s.CurDan().Syosetsu[0].Chord1, "");
    }
}

TEST_F(TabLoad, BadPositionRecordStopsTheLoadAndKeepsWhatCameBefore) {
    const std::string head = Header("2", "C", "22", "201") + MeasureTextLine(58, {{0, "C"}});
    const std::string good = PositionLine(58, {{0, 0}, {2, 2}, {3, 1}, {10, 255}, {11, 3}, {17, 2}});
    const std::string after = PositionLine(58, {{0, 1}, {2, 1}, {3, 1}, {10, 255}, {11, 9}, {17, 2}});
    struct Case {
        std::string bad;
        const char* says;
        bool atEnd = false;
    } cases[] = {
        {PositionLine(58, {{0, 8}, {2, 1}, {3, 1}}), "小節番号が範囲外"},
        {PositionLine(58, {{0, -1}, {2, 1}, {3, 1}}), "小節番号が範囲外"},
        {PositionLine(58, {{0, 0}, {2, 1}, {3, 0}}), "位置番号が範囲外"},
        {PositionLine(58, {{0, 0}, {2, 1}, {3, 25}}), "位置番号が範囲外"},
        {PositionLine(58, {{0, 0}, {2, 25}, {3, 2}}), "音符の数が範囲外"},
        {PositionLine(58, {{0, 0}, {2, 2}, {3, 2}, {11, 256}}), "0～255 の範囲外"},
        {PositionLine(58, {{0, 0}, {2, 2}, {3, 2}, {4, -1}}), "0～255 の範囲外"},
        {PositionLine(58, {{0, 0}, {2, 2}, {3, 2}, {5, 300}}), "0～255 の範囲外"},
        {PositionLine(58, {{0, 0}, {2, 2}, {3, 2}, {17 + 40, 999}}), "0～255 の範囲外"},
        {PositionLine(58, {{0, 0}, {2, 2}, {3, 2}, {12, 5}, {15, 256}}), "0～255 の範囲外"},
        {"0,0,2,2,abc" + PositionLine(53, {}).insert(0, ","), "数値ではありません"},
        {"0,0,2,2,99999" + PositionLine(53, {}).insert(0, ","), "範囲外"},
        {"0,0,2,2,4\r\n", "途中でファイルが終わっています", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bad);
        Session s = FreshSession(5, 4);
        RowItems items;
        LoadTabResult r = Load(head + good + c.bad + (c.atEnd ? "" : after), s, items);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("in.tab"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("4 行目"), std::string::npos) << r.error;
        const DanData& d = s.CurDan();
        EXPECT_EQ(d.Syosetsu[0].Chord1, "C");
        EXPECT_EQ(d.Syosetsu[0].Onpu[1].Flet[1], 3);  // before the error: stored
        EXPECT_EQ(d.Syosetsu[0].Onpu[2].LoadMark, 0);  // the bad record: nothing of it
        EXPECT_EQ(d.Syosetsu[0].OnpuCnt, 2);
        EXPECT_EQ(d.Syosetsu[1].OnpuCnt, 0);           // after it: nothing
        EXPECT_EQ(d.Syosetsu[8].OnpuCnt, 0);
    }
}

TEST_F(TabLoad, TextAndMarkGeometryOutsideTheWindowRangeIsAnError) {
    // Positions and sizes are 16-bit twips and a free text has at most 200
    // points, as the text dialog allows: a file beyond that would reach the drawing as infinite or absurd
    // sizes, and would not be written back as read.
    const std::string head1 = Header("1", "C", "22", "201", 1);
    const std::string head2 = Header("1", "C", "22", "201", 0, 1);
    for (const std::string& record : {
             head1 + "\"TEXT\",1e400,2,3,4,\"t\",9\r\n",
             head1 + "\"TEXT\",1,32768,3,4,\"t\",9\r\n",
             head1 + "\"TEXT\",1,2,-40000,4,\"t\",9\r\n",
             head1 + "\"TEXT\",1,2,3,4,\"t\",1e9\r\n",
             head1 + "\"TEXT\",1,2,3,4,\"t\",-1\r\n",
             head1 + "\"TEXT\",1,2,3,4,\"t\",200.5\r\n",
             head2 + "\"REP\",-1e300,2,3,4,\"1\"\r\n",
             head2 + "\"REP\",1,2,3,99999,\"1\"\r\n",
         }) {
        SCOPED_TRACE(record);
        Session s = FreshSession(5, 1);
        RowItems items;
        LoadTabResult r = Load(record + MeasureTextLine(58, {{0, "Am"}}), s, items);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("範囲外"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("2 行目"), std::string::npos) << r.error;
        EXPECT_EQ(items.Texts.size(), 1u);
        EXPECT_EQ(items.RepMarks.size(), 1u);
        EXPECT_EQ(s.CurDan().Syosetsu[0].Chord1, "");  // the load stopped there
    }
    // The limits themselves are fine, fractions included.
    Session s = FreshSession(5, 1);
    RowItems items;
    LoadTabResult r = Load(Header("1", "C", "22", "201", 1, 1) + "\"TEXT\",-32768,32767,0.5,-12.25,\"t\",200\r\n" +
                               "\"REP\",-32768,32767,240,240,\"8\"\r\n" + MeasureTextLine(58, {}),
                           s, items);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(items.Texts[1].Top, -32768);
    EXPECT_EQ(items.Texts[1].Width, -12.25);
    EXPECT_EQ(items.Texts[1].FontSize, 200);
    EXPECT_EQ(items.RepMarks[1].Left, 32767);
}

TEST_F(TabLoad, TruncatedRecordsAreErrors) {
    const std::string head = Header("1", "C", "22", "201", 1, 1);
    for (const std::string& body : {std::string("\"TAB\",4,0"), head + "\"TEXT\",1,2", head + "\"TEXT\",1,2,3,4,\"t\",9\r\n\"REP\",1",
                                    head + "\"TEXT\",1,2,3,4,\"t\",9\r\n\"REP\",1,2,3,4,\"1\"\r\n\"C\",\"\"\r\n"}) {
        Session s = FreshSession(5, 4);
        RowItems items;
        LoadTabResult r = Load(body, s, items);
        EXPECT_FALSE(r.ok) << body;
        EXPECT_NE(r.error.find("途中でファイルが終わって"), std::string::npos) << r.error;
    }
}

TEST_F(TabLoad, NonNumbersInHeaderTextAndMeasureRecordsAreErrors) {
    for (const std::string& body : {
             Header("4", "C", "4/4", "201"),
             Header("4", "C", "22", "201", 1) + "\"TEXT\",top,2,3,4,\"t\",9\r\n" + MeasureTextLine(58, {}),
             Header("4", "C", "22", "201", 0, 1) + "\"REP\",1,2,3,4,\"segno\"\r\n" + MeasureTextLine(58, {}),
             Header("4", "C", "22", "201") + MeasureTextLine(58, {{20, "left"}}),
             Header("4", "C", "22", "201") + MeasureTextLine(58, {{20, "-30000"}, {21, "30000"}}),
         }) {
        Session s = FreshSession(5, 4);
        RowItems items;
        EXPECT_FALSE(Load(body, s, items).ok) << body;
    }
}

TEST_F(TabLoad, FileOfAnotherStringCountMisreadsWithoutHarm) {
    // Six-string records read as four-string ones run out of step.
    Session w = FreshSession(5, 2);
    w.CurDan().Syosetsu[0].OnpuCnt = 3;
    for (int p = 1; p <= 3; ++p) StoreNote(w.CurDan().Syosetsu[0].Onpu[p], 6, p, 2);
    Session s = FreshSession(3, 4);
    RowItems items;
    LoadTabResult r = Load(SerializeTab(w, RowItems{}), s, items);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}

TEST_F(TabLoad, GarbageBinaryAndHugeFilesNeverCrash) {
    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) {
        std::string bytes(std::uniform_int_distribution<int>(0, 3000)(rng), '\0');
        for (char& c : bytes) c = static_cast<char>(rng());
        if (i % 2) std::replace(bytes.begin(), bytes.end(), '\0', ',');  // text-like garbage
        Session s = FreshSession(5, 4);
        RowItems items;
        LoadTabResult r = LoadTabFromBytes(s, items, bytes, "g.tab");
        EXPECT_TRUE(r.ok || !r.error.empty());
        EXPECT_GE(s.CurSyosetsuCnt, 1);
        EXPECT_LE(s.CurSyosetsuCnt, 8);
    }
    // Garbage made of plausible fields.
    static const char* const kTokens[] = {"0", "1", "255", "-1", "24", "\"TAB\"", "\"\"", ",", "\r\n", "\"", "8", "9", "x"};
    for (int i = 0; i < 300; ++i) {
        std::string bytes = i % 3 ? Header("4", "C", "22", i % 2 ? "301" : "201") : "";
        const int n = std::uniform_int_distribution<int>(0, 400)(rng);
        for (int k = 0; k < n; ++k) bytes += kTokens[rng() % 13];
        Session s = FreshSession(static_cast<int>(rng() % 3) + 3, 4);
        RowItems items;
        LoadTabResult r = LoadTabFromBytes(s, items, bytes, "g.tab");
        EXPECT_TRUE(r.ok || !r.error.empty());
    }
    Session s = FreshSession(5, 4);
    RowItems items;
    LoadTabResult r = Load(std::string("\"TAB\",4\0\0\1\2", 12), s, items);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("TAB譜ファイルではありません"), std::string::npos) << r.error;
    EXPECT_EQ(s.CurDan().Syosetsu[0].BarFlag[kBarPlain], 0);  // refused before anything was stored

    std::string huge = Header("4", "C", "22", "201");
    huge.resize(kMaxTabFileBytes + 10, ' ');
    r = Load(huge, s, items);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("大きすぎます"), std::string::npos) << r.error;
}

// --- playback file -------------------------------------------------------------

class PlayFile : public TempDirTest {};

TEST_F(PlayFile, HoldsThePositionRecordsOfEveryOpenRow) {
    Session s = FreshSession(5, 2);
    s.DocCount = 3;
    for (int i = 0; i < 3; ++i) {
        s.DanBuf[i].SyosetsuCnt = 2;
        s.DanBuf[i].Syosetsu[0].OnpuCnt = static_cast<int16_t>(i + 1);
        for (int p = 1; p <= i + 1; ++p) StoreNote(s.DanBuf[i].Syosetsu[0].Onpu[p], 2, 10 * i + p, 3);
        s.DanBuf[i].Syosetsu[1].OnpuCnt = 1;
        StoreRest(s.DanBuf[i].Syosetsu[1].Onpu[1], 23, 5);
    }
    s.DanBuf[3].Syosetsu[0].OnpuCnt = 5;  // beyond DocCount: not exported
    s.CurDanIx = 1;
    WriteAll(dir_ / "Interface.tab", "stale");
    std::string err;
    ASSERT_TRUE(WritePlayFile(s, dir_.string(), &err)) << err;
    EXPECT_EQ(s.CurDanIx, 2);
    const std::string text = ReadAll(dir_ / "Interface.tab");
    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), 2u + 3 + 4);
    EXPECT_EQ(text.find("TAB"), std::string::npos);
    EXPECT_EQ(text.find('"'), std::string::npos);
    int line = 0;
    for (int i = 0; i < 3; ++i) {
        for (int p = 1; p <= i + 1; ++p) {
            const auto a = Fields(lines[line++]);
            ASSERT_EQ(a.size(), 58u);
            EXPECT_EQ(a[0], "0");
            EXPECT_EQ(a[1], std::to_string(i));
            EXPECT_EQ(a[3], std::to_string(p));
            EXPECT_EQ(a[11 + 8], std::to_string(10 * i + p));
        }
        const auto rest = Fields(lines[line++]);
        EXPECT_EQ(rest[0], "1");
        EXPECT_EQ(rest[1], std::to_string(i));
        EXPECT_EQ(rest[17], "23");
    }
}

TEST_F(PlayFile, OtherRowsExportTheirOwnMeasureCount) {
    Session s = FreshSession(3, 3);
    s.DocCount = 2;
    s.DanBuf[0].SyosetsuCnt = 3;
    s.DanBuf[1].SyosetsuCnt = 1;
    for (int i = 0; i < 2; ++i)
        for (int m = 0; m < 3; ++m) {
            s.DanBuf[i].Syosetsu[m].OnpuCnt = 1;
            StoreNote(s.DanBuf[i].Syosetsu[m].Onpu[1], 1, 0, 2);
        }
    s.CurDanIx = 0;
    ASSERT_TRUE(WritePlayFile(s, dir_.string()));
    EXPECT_EQ(Lines(ReadAll(dir_ / "Interface.tab")).size(), 3u + 1);
}

TEST_F(PlayFile, NoRowsGiveAnEmptyFileAndAMissingFolderFails) {
    Session s = FreshSession(5, 4);
    s.DocCount = 0;
    ASSERT_TRUE(WritePlayFile(s, dir_.string()));
    EXPECT_EQ(ReadAll(dir_ / "Interface.tab"), "");
    std::string err;
    EXPECT_FALSE(WritePlayFile(s, Path("no/such"), &err));
    EXPECT_FALSE(err.empty());
}

// --- example rows ----------------------------------------------------------------
// data/examples holds rows written by this generator. Run the test with
// LUTEWISE_WRITE_EXAMPLES=1 to write them again after a deliberate change.

namespace {

// A melody note on a six-string guitar in standard tuning: string (1 = high E)
// and fret; rhythm id; dot and beam connection; staff steps above the middle
// line as written (the clef reads an octave up: B3 sits on the middle line).
struct MelodyNote {
    int string, fret, id;
    bool dot = false, beam = false;
    int step = 0;
};
struct ExampleMeasure {
    std::string chord1, chord2;
    std::vector<MelodyNote> notes;
};
struct ExampleRow {
    std::string file, title;
    std::vector<ExampleMeasure> measures;
    bool repeat = false;  // repeat start before measure 1, repeat end after measure 4
};

// Pitches on the guitar (string, fret, staff step).
using Pitch = int[3];
constexpr MelodyNote Q(const Pitch& p) { return {p[0], p[1], 2, false, false, p[2]}; }   // quarter
constexpr MelodyNote H(const Pitch& p) { return {p[0], p[1], 1, false, false, p[2]}; }   // half
constexpr MelodyNote DottedQ(const Pitch& p) { return {p[0], p[1], 2, true, false, p[2]}; }
constexpr MelodyNote E8(const Pitch& p, bool beam) { return {p[0], p[1], 3, false, beam, p[2]}; }
constexpr Pitch kG3 = {3, 0, -2}, kC4 = {2, 1, 1}, kD4 = {2, 3, 2}, kE4 = {1, 0, 3}, kF4 = {1, 1, 4},
                kG4 = {1, 3, 5}, kA4 = {1, 5, 6};

std::vector<ExampleRow> ExampleRows() {
    return {
        {"kirakira1.tab", "きらきら星",
         {{"C", "", {Q(kC4), Q(kC4), Q(kG4), Q(kG4)}},
          {"F", "C", {Q(kA4), Q(kA4), H(kG4)}},
          {"F", "C", {Q(kF4), Q(kF4), Q(kE4), Q(kE4)}},
          {"G7", "C", {Q(kD4), Q(kD4), H(kC4)}}}},
        {"kirakira2.tab", "",
         {{"C", "F", {Q(kG4), Q(kG4), Q(kF4), Q(kF4)}},
          {"C", "G", {Q(kE4), Q(kE4), H(kD4)}},
          {"C", "F", {Q(kG4), Q(kG4), Q(kF4), Q(kF4)}},
          {"C", "G", {Q(kE4), Q(kE4), H(kD4)}}}},
        {"ode1.tab", "歓喜の歌",
         {{"C", "", {Q(kE4), Q(kE4), Q(kF4), Q(kG4)}},
          {"G", "", {Q(kG4), Q(kF4), Q(kE4), Q(kD4)}},
          {"C", "", {Q(kC4), Q(kC4), Q(kD4), Q(kE4)}},
          {"C", "G", {DottedQ(kE4), E8(kD4, false), H(kD4)}}},
         true},
        {"ode2.tab", "",
         {{"G", "C", {Q(kD4), Q(kD4), Q(kE4), Q(kC4)}},
          {"G", "C", {Q(kD4), E8(kE4, true), E8(kF4, false), Q(kE4), Q(kC4)}},
          {"G", "", {Q(kD4), E8(kE4, true), E8(kF4, false), Q(kE4), Q(kD4)}},
          {"C", "G", {Q(kC4), Q(kD4), H(kG3)}}}},
    };
}

// The row as the editor holds it: six strings, 4/4, key C, measure positions
// left to the settings (0).
RandomRow BuildExample(const ExampleRow& ex) {
    RandomRow r{FreshSession(5, static_cast<int>(ex.measures.size())), {}};
    DanData& d = r.s.CurDan();
    for (size_t m = 0; m < ex.measures.size(); ++m) {
        SyosetsuData& ms = d.Syosetsu[m];
        ms.Chord1 = ex.measures[m].chord1;
        ms.Chord2 = ex.measures[m].chord2;
        ms.BarFlag[kBarPlain] = ms.BarFlag[kBarPlain2] = kTrue;
        ms.OnpuCnt = static_cast<int16_t>(ex.measures[m].notes.size());
        for (size_t i = 0; i < ex.measures[m].notes.size(); ++i) {
            const MelodyNote& n = ex.measures[m].notes[i];
            OnpuData& o = ms.Onpu[i + 1];
            o.PosNo = static_cast<int16_t>(i + 1);
            SetBit(o.NoteAttr, kAttrDot, n.dot);
            SetBit(o.NoteAttr, kAttrBeam, n.beam);
            StoreNote(o, n.string, n.fret, n.id);
        }
        // Stems point down from the middle line up; a beamed group follows
        // its note farthest from the middle line.
        const auto& notes = ex.measures[m].notes;
        for (size_t a = 0, b = 0; a < notes.size(); a = b) {
            int hi = notes[a].step, lo = notes[a].step;
            for (b = a + 1; notes[b - 1].beam && b < notes.size(); ++b)
                hi = std::max(hi, notes[b].step), lo = std::min(lo, notes[b].step);
            for (size_t i = a; i < b; ++i) SetBit(ms.Onpu[i + 1].NoteAttr, kAttrStemDown, hi >= -lo);
        }
    }
    if (ex.repeat) {
        d.TopRepStart = kTrue;
        SyosetsuData& last = d.Syosetsu[ex.measures.size() - 1];
        last.BarFlag[kBarRepEnd] = last.BarFlag[kBarRepEnd2] = kTrue;
    }
    if (!ex.title.empty()) r.items.Texts.push_back({60, 600, 300, 2400, ex.title, 12});
    return r;
}

std::string ExampleProject() {
    std::string out;
    const auto rows = ExampleRows();
    for (size_t i = 0; i < rows.size(); ++i) out += "0" + std::to_string(i) + ":" + rows[i].file + "\r\n";
    return out;
}

fs::path ExamplesDir() {
    const char* src = std::getenv("LUTEWISE_SOURCE_DIR");
    return fs::path(src ? src : LUTEWISE_SOURCE_DIR) / "data" / "examples";
}

}  // namespace

TEST(ExampleRows, AreMusicAndMatchTheGenerator) {
    const fs::path dir = ExamplesDir();
    const bool write = std::getenv("LUTEWISE_WRITE_EXAMPLES") != nullptr;
    if (write) fs::create_directories(dir);
    for (const ExampleRow& ex : ExampleRows()) {
        SCOPED_TRACE(ex.file);
        const RandomRow row = BuildExample(ex);
        // Every measure is full in 4/4.
        for (int m = 0; m < row.s.CurSyosetsuCnt; ++m) {
            int ticks = 0;
            const SyosetsuData& ms = row.s.CurDan().Syosetsu[m];
            for (int p = 1; p <= ms.OnpuCnt; ++p) ticks += PositionTicks(ms.Onpu[p]);
            EXPECT_EQ(ticks, 96) << "measure " << m;
        }
        const fs::path path = dir / ex.file;
        if (write) {
            ASSERT_TRUE(SaveTab(row.s, row.items, path.string()));
        }
        ASSERT_TRUE(fs::exists(path)) << "run with LUTEWISE_WRITE_EXAMPLES=1 to write " << path;
        EXPECT_EQ(ReadAll(path), SerializeTab(row.s, row.items));
        Session s = FreshSession(5, 4);
        s.CurLayout().SyosetsuLeft = {300, 3300, 6300, 9300, 12300, 0, 0, 0, 0};  // as the settings laid it out
        RowItems items;
        LoadTabResult r = LoadTab(s, items, path.string());
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(s.CurLayout().SyosetsuLeft[2], 6300);  // stored 0 keeps the computed measure boxes
        EXPECT_EQ(items.Texts.size(), ex.title.empty() ? 1u : 2u);
    }
    const fs::path project = dir / "example.tbp";
    if (write) WriteAll(project, ExampleProject());
    EXPECT_EQ(ReadAll(project), ExampleProject());
}

TEST_F(TabLoad, FreeTextsAreBoundedInLengthAndSizeWhenRead) {
    // Longer or larger texts never fit a row picture and would take minutes to draw.
    const std::string head = Header("1", "C", "22", "201", 2);
    const std::string fine = "\"TEXT\",1,2,3,4,\"" + std::string(255, 'a') + "\",200\r\n";
    struct Case {
        std::string second;
        const char* says;  // "" when it loads
    } cases[] = {
        {"\"TEXT\",1,2,3,4,\"" + std::string(256, 'a') + "\",9\r\n", "3 行目: テキストが長すぎます（256 文字、最大 255 文字）"},
        {"\"TEXT\",1,2,3,4,\"t\",2160\r\n", "3 行目: テキストの文字サイズが 0～200 の範囲外です（2160）"},
        {"", ""},  // below
    };
    // 255 characters of three bytes each are 255 characters.
    std::string kana;
    for (int i = 0; i < 255; ++i) kana += "\xe3\x81\x82";
    cases[2].second = "\"TEXT\",1,2,3,4,\"" + kana + "\",9\r\n";
    for (const Case& c : cases) {
        Session s = FreshSession(5, 1);
        RowItems items;
        const LoadTabResult r = Load(head + fine + c.second + MeasureTextLine(58, {}), s, items);
        EXPECT_EQ(r.ok, *c.says == '\0') << r.error;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
    }
}
