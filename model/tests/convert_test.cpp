// "--convert": a row read as a freshly started editor opens it, written back.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "convert.h"
#include "record_io.h"
#include "file_helpers.h"
#include "tab_file.h"

using namespace lw;
using namespace lwtest;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Fields(std::string_view line) {
    FieldReader r(line);
    std::vector<std::string> out;
    std::string f;
    while (!r.AtEnd() && r.Next(f)) out.push_back(f);
    return out;
}

// Geometry: measures from x = 36 px over 1024 px, so 540..15900 twips.
std::string Ini(const std::string& gakki) {
    return "[TAB]\r\nFontSize=10\r\nFontSize2=9\r\nGakki=" + gakki +
           "\r\n[TUNING]\r\nSettei01=19,14,9,4,0,0\r\nSettei02=28,23,19,14,9,4\r\nSettei03=23,19,14,9,4,0\r\n"
           "[RIREKI]\r\nMruList=\r\n"
           "[POSITION1]\r\nDanLeft=36\r\nDanTop=150\r\nDanTop2=52\r\nDanWidth=1024\r\nDanInterval=13\r\nDanInterval2=8\r\n";
}

Session RowSession(int maxStringIx, int measures) {
    Session s;
    s.MaxStringIx = static_cast<int16_t>(maxStringIx);
    s.CurSyosetsuCnt = static_cast<int16_t>(measures);
    s.KeyName[0] = "A";
    s.MeterID = s.DanBuf[0].MeterID = 12;
    s.DanBuf[0].SyosetsuCnt = s.CurSyosetsuCnt;
    for (int m = 0; m <= measures; ++m) s.DanLayout[0].SyosetsuLeft[m] = static_cast<int16_t>(700 + 1500 * m);
    for (int m = 0; m < measures; ++m) {
        SyosetsuData& ms = s.DanBuf[0].Syosetsu[m];
        ms.Chord1 = "A" + std::to_string(m);
        ms.BarFlag[kBarPlain] = ms.BarFlag[kBarPlain2] = kTrue;
        ms.OnpuCnt = 3;
        for (int p = 1; p <= 3; ++p) {
            StoreNote(ms.Onpu[p], 1 + (p + m) % (maxStringIx + 1), p + m, 2);
            ms.Onpu[p].Pitch[1] = static_cast<uint8_t>(p + 3);
            ms.Onpu[p].Effect[1] = 0x20;
        }
    }
    return s;
}

class Convert : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("lw_convert_" + std::string(info->name()) + "_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        old_ = fs::current_path();
        fs::current_path(dir_);
        WriteAll(dir_ / "Lutewise.ini", Ini("0"));
    }
    void TearDown() override {
        fs::current_path(old_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    int Run(const std::string& in, const std::string& out) {
        err_.str("");
        return RunConvert((dir_ / in).string(), (dir_ / out).string(), err_);
    }
    fs::path dir_, old_;
    std::ostringstream err_;
};

}  // namespace

TEST_F(Convert, FileItWroteItselfComesBackByteForByte) {
    for (auto [gakki, maxStringIx] : {std::pair{"0", 5}, {"1", 3}, {"5", 4}}) {
        SCOPED_TRACE(gakki);
        WriteAll(dir_ / "Lutewise.ini", Ini(gakki));
        RowItems items;
        items.Texts.push_back({100, 250.5, 300, 1200, "メモ, 1", 9.75});
        items.RepMarks.push_back({10, 3000, 240, 240, "4", true});
        const std::string bytes = SerializeTab(RowSession(maxStringIx, 6), items);
        WriteAll(dir_ / "in.tab", bytes);
        ASSERT_EQ(Run("in.tab", "out.tab"), 0) << err_.str();
        EXPECT_EQ(ReadAll(dir_ / "out.tab"), bytes);
        EXPECT_EQ(err_.str(), "");
    }
}

TEST_F(Convert, StoredZeroPositionsTakeTheSettingsLayoutForTheFilesMeasureCount) {
    Session s = RowSession(5, 8);
    s.DanLayout[0].SyosetsuLeft = {};
    WriteAll(dir_ / "in.tab", SerializeTab(s, RowItems{}));
    ASSERT_EQ(Run("in.tab", "out.tab"), 0) << err_.str();
    const auto lines = Lines(ReadAll(dir_ / "out.tab"));
    const auto S = Fields(lines[1]);
    ASSERT_EQ(S.size(), 58u);
    EXPECT_EQ(S[20], "540");
    EXPECT_EQ(S[21], "2460");  // 15360 / 8 measures
    EXPECT_EQ(S[28], "15900");
    // Converting the result again changes nothing.
    ASSERT_EQ(Run("out.tab", "out2.tab"), 0) << err_.str();
    EXPECT_EQ(ReadAll(dir_ / "out2.tab"), ReadAll(dir_ / "out.tab"));
}

TEST_F(Convert, ExampleRowsConvertAndStayStable) {
    const char* src = std::getenv("LUTEWISE_SOURCE_DIR");
    const fs::path examples = fs::path(src ? src : LUTEWISE_SOURCE_DIR) / "data" / "examples";
    for (const char* name : {"kirakira1.tab", "kirakira2.tab", "ode1.tab", "ode2.tab"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(RunConvert((examples / name).string(), (dir_ / "a.tab").string(), err_), 0) << err_.str();
        ASSERT_EQ(Run("a.tab", "b.tab"), 0) << err_.str();
        EXPECT_EQ(ReadAll(dir_ / "b.tab"), ReadAll(dir_ / "a.tab"));
        EXPECT_EQ(Fields(Lines(ReadAll(dir_ / "a.tab"))[0]).at(3), "C");
    }
}

TEST_F(Convert, FiveFlagFileIsWrittenWithThePackedByte) {
    std::vector<int16_t> a(58, 0);
    a[2] = 1, a[3] = 1, a[4] = 1, a[5] = 1, a[7] = 1, a[10] = 255, a[11] = 5, a[17] = 2;
    WriteAll(dir_ / "in.tab", "\"TAB\",1,0,\"G\",0,22,\"\",\"\",\"\",\"302\"\r\n" + FormatTextRecord({}, 5) +
                                  FormatPositionRecord(a, 5));
    ASSERT_EQ(Run("in.tab", "out.tab"), 0) << err_.str();
    const auto lines = Lines(ReadAll(dir_ / "out.tab"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Fields(lines[0]).at(9), "201");
    const auto A = Fields(lines[2]);
    EXPECT_EQ(A.at(4), std::to_string(BitsToByte("11100000")));  // tie, slur, dot
    EXPECT_EQ(A.at(5), "1");                                      // SanrenOpt from A(5)
}

TEST_F(Convert, HeaderlessFileGetsTheStartUpSettings) {
    std::vector<int16_t> a(58, 0);
    a[2] = 1, a[3] = 1, a[10] = 255, a[11] = 7, a[17] = 1;
    WriteAll(dir_ / "in.tab", FormatTextRecord({"Em"}, 5) + FormatPositionRecord(a, 5));
    ASSERT_EQ(Run("in.tab", "out.tab"), 0) << err_.str();
    const auto lines = Lines(ReadAll(dir_ / "out.tab"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "\"TAB\",4,0,\"C\",0,22,\"\",\"\",\"\",\"201\"");
    const auto S = Fields(lines[1]);
    EXPECT_EQ(S[0], "Em");
    EXPECT_EQ(S[20], "540");
    for (int m = 0; m < 4; ++m) EXPECT_EQ(S[30 + m], "00011000") << m;
}

TEST_F(Convert, BrokenInputWritesNothingAndFails) {
    WriteAll(dir_ / "out.tab", "previous");
    std::vector<int16_t> a(58, 0);
    a[0] = 8, a[2] = 1, a[3] = 1;
    WriteAll(dir_ / "bad.tab", "\"TAB\",1,0,\"C\",0,22,\"\",\"\",\"\",\"201\"\r\n" + FormatTextRecord({}, 5) +
                                   FormatPositionRecord(a, 5));
    WriteAll(dir_ / "count9.tab", "\"TAB\",9,0,\"C\",0,22,\"\",\"\",\"\",\"201\"\r\n");
    WriteAll(dir_ / "binary.tab", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    WriteAll(dir_ / "six.tab", SerializeTab(RowSession(5, 2), RowItems{}));
    EXPECT_NE(Run("bad.tab", "out.tab"), 0);
    EXPECT_NE(err_.str().find("3 行目: 小節番号が範囲外"), std::string::npos) << err_.str();
    for (const char* in : {"missing.tab", "bad.tab", "count9.tab", "binary.tab", "six.tab"}) {
        SCOPED_TRACE(in);
        // The last one: a six-string row read with four-string settings.
        if (std::string(in) == "six.tab") WriteAll(dir_ / "Lutewise.ini", Ini("1"));
        EXPECT_NE(Run(in, "out.tab"), 0);
        EXPECT_NE(err_.str().find(in), std::string::npos) << err_.str();
        EXPECT_EQ(ReadAll(dir_ / "out.tab"), "previous");
    }
}

TEST_F(Convert, MissingOrBrokenSettingsFileFails) {
    const std::string row = SerializeTab(RowSession(5, 2), RowItems{});
    WriteAll(dir_ / "in.tab", row);
    fs::remove(dir_ / "Lutewise.ini");
    EXPECT_NE(Run("in.tab", "out.tab"), 0);
    EXPECT_NE(err_.str().find("Lutewise.ini"), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(dir_ / "out.tab"));

    WriteAll(dir_ / "Lutewise.ini", "[TAB]\r\nFontSize=x\r\n");
    EXPECT_NE(Run("in.tab", "out.tab"), 0);
    EXPECT_NE(err_.str().find("Iniファイルの設定が壊れています"), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(dir_ / "out.tab"));
}

TEST_F(Convert, UnwritableTargetFails) {
    WriteAll(dir_ / "in.tab", SerializeTab(RowSession(5, 2), RowItems{}));
    WriteAll(dir_ / "file", "x");
    EXPECT_NE(Run("in.tab", "file/out.tab"), 0);
    EXPECT_FALSE(err_.str().empty());
}

TEST_F(Convert, APositionThatRoundsToZeroStaysAStoredPosition) {
    // 0.4 must not become 0 ("from the settings"): a second convert would
    // move the first bar line to the settings' 540.
    Session s = RowSession(5, 2);
    std::string bytes = SerializeTab(s, RowItems{});
    const std::string stored = "\"700\",\"2200\"";
    ASSERT_NE(bytes.find(stored), std::string::npos);
    bytes.replace(bytes.find(stored), stored.size(), "\"0.4\",\"2200\"");
    WriteAll(dir_ / "in.tab", bytes);
    ASSERT_EQ(Run("in.tab", "out.tab"), 0) << err_.str();
    ASSERT_EQ(Run("out.tab", "out2.tab"), 0) << err_.str();
    const auto first = Fields(Lines(ReadAll(dir_ / "out.tab"))[1]);
    EXPECT_EQ(first[20], "1");
    EXPECT_EQ(first[21], "2200");
    EXPECT_EQ(ReadAll(dir_ / "out2.tab"), ReadAll(dir_ / "out.tab"));
}
