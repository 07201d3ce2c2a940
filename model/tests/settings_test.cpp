#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "messages.h"
#include "settings.h"
#include "text_codec.h"

using namespace lw;
namespace fs = std::filesystem;

namespace {

struct ScriptedUi : UiPort {
    std::vector<std::string> texts;
    std::vector<int> buttons;
    std::vector<std::string> titles;
    int MessageBox(const std::string& t, int b, const std::string& ti) override {
        texts.push_back(t);
        buttons.push_back(b);
        titles.push_back(ti);
        return kIdOk;
    }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};

std::string SettingsError() { return MessageText(19) + "\r\n" + MessageText(20); }

class SettingsFile : public ::testing::Test {
protected:
    fs::path dir;
    std::string ini;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("lw_settings_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ini = (dir / "Lutewise.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void Put(const std::string& bytes) { Put(ini, bytes); }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string Get() const { return Get(ini); }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    size_t FilesInDir() const {
        size_t n = 0;
        for (auto& e : fs::directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
        return n;
    }
};

// A complete settings file in the shape the program ships, CR LF.
std::string FullIni(const std::string& extraTab = "", const std::string& mru = "MruList=",
                    const std::string& settei01 = "Settei01=19,14,9,4,0,0") {
    return "[TAB]\r\nFontSize=10\r\nFontSize2=9\r\nGakki=0\r\n" + extraTab +
           "[TUNING]\r\n" + settei01 + "\r\nSettei02=28,23,19,14,9,4\r\nSettei03=23,19,14,9,4,0\r\n"
           "[RIREKI]\r\n" + mru + "\r\n"
           "[POSITION1]\r\nDanLeft=36\r\nDanTop=150\r\nDanTop2=52\r\nDanWidth=1024\r\nDanInterval=13\r\nDanInterval2=8\r\n"
           "[POSITION3]\r\nDanLeft=40\r\nDanTop=44,300,500\r\nDanWidth=1000\r\nDanInterval=12\r\n";
}

// ---------------------------------------------------------------------------
// Reading single keys

TEST_F(SettingsFile, ReadFindsSectionsAndKeysWhateverTheirCaseAndTrimsValues) {
    Put("; comment\r\n[Tab]\r\n  fontsize =  12  \r\nEmpty=\r\nnoequals\r\n[tab]\r\nFontSize=99\r\n");
    bool found = false;
    EXPECT_EQ(ProfileFile::Read(ini, "TAB", "FontSize", &found), "12");
    EXPECT_TRUE(found);
    // The first section of a name wins.
    EXPECT_EQ(ProfileFile::Read(ini, "tAb", "FONTSIZE"), "12");
    EXPECT_EQ(ProfileFile::Read(ini, "TAB", "Empty", &found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(ProfileFile::Read(ini, "TAB", "noequals", &found), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(ProfileFile::Read(ini, "NOPE", "FontSize", &found), "");
    EXPECT_FALSE(found);
}

TEST_F(SettingsFile, ReadOfAMissingFileIsEmpty) {
    bool found = true;
    EXPECT_EQ(ProfileFile::Read((dir / "absent.ini").string(), "TAB", "FontSize", &found), "");
    EXPECT_FALSE(found);
}

TEST_F(SettingsFile, ReadLimitsValuesTo255Characters) {
    std::string longAscii(300, 'x');
    std::string longJapanese;
    for (int i = 0; i < 300; ++i) longJapanese += "段";
    Put(Utf8ToCp932("[A]\r\nk=" + longAscii + "\r\nj=" + longJapanese + "\r\n"));
    EXPECT_EQ(ProfileFile::Read(ini, "A", "k"), std::string(255, 'x'));
    std::string j255;
    for (int i = 0; i < 255; ++i) j255 += "段";
    EXPECT_EQ(ProfileFile::Read(ini, "A", "j"), j255);
}

TEST_F(SettingsFile, ReadDecodesCp932AndAcceptsUtf8AndLfFiles) {
    Put(Utf8ToCp932("[RIREKI]\r\nMruList=/曲/表示.tab\r\n"));
    EXPECT_EQ(ProfileFile::Read(ini, "RIREKI", "MruList"), "/曲/表示.tab");
    // 転 ends in the byte of ']' and 表 in that of '\' in CP932.
    Put(Utf8ToCp932("[転調]\r\n表=1\r\n[B]\r\n表=2\r\n"));
    EXPECT_EQ(ProfileFile::Read(ini, "転調", "表"), "1");
    ASSERT_TRUE(ProfileFile::Write(ini, "転調", "転", "3"));
    EXPECT_EQ(Get(), Utf8ToCp932("[転調]\r\n表=1\r\n転=3\r\n[B]\r\n表=2\r\n"));
    Put("\xEF\xBB\xBF[RIREKI]\nMruList=/曲/表示.tab\n");
    EXPECT_EQ(ProfileFile::Read(ini, "rireki", "MruList"), "/曲/表示.tab");
}

// ---------------------------------------------------------------------------
// Writing single keys

static std::string Lower(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

// Each case starts from its file (none: missing) and writes keys one after
// another; the whole file is checked after every write.
TEST_F(SettingsFile, WriteChangesOnlyWhatItMustAndKeepsTheFilesLineEnds) {
    struct Write {
        const char *section, *key, *value, *after;
    };
    struct Case {
        const char* what;
        const char* before;  // nullptr: no file yet
        std::vector<Write> writes;
    } cases[] = {
        {"rewrites only the line of the key",
         "; settings\r\n[TAB]\r\nfontsize=10\r\n  GAKKI = 3\r\n\r\n[Other]\r\nGakki=7\r\nx=1",
         {{"tab", "Gakki", "22", "; settings\r\n[TAB]\r\nfontsize=10\r\nGAKKI=22\r\n\r\n[Other]\r\nGakki=7\r\nx=1"}}},
        {"appends a key at the end of its section or in a new section",
         "[TAB]\r\nFontSize=10\r\n\r\n[TUNING]\r\nSettei01=1\r\n",
         {{"TAB", "Gakki", "0", "[TAB]\r\nFontSize=10\r\nGakki=0\r\n\r\n[TUNING]\r\nSettei01=1\r\n"},
          {"RIREKI", "MruList", "a,b,",
           "[TAB]\r\nFontSize=10\r\nGakki=0\r\n\r\n[TUNING]\r\nSettei01=1\r\n[RIREKI]\r\nMruList=a,b,\r\n"}}},
        {"keeps LF line ends, ends the unterminated last line",
         "[A]\nk=1",
         {{"A", "j", "2", "[A]\nk=1\nj=2\n"}, {"B", "k", "3", "[A]\nk=1\nj=2\n[B]\nk=3\n"}}},
        {"creates a missing file with CR LF", nullptr, {{"TAB", "Gakki", "5", "[TAB]\r\nGakki=5\r\n"}}},
    };
    for (const Case& c : cases) {
        fs::remove(ini);
        if (c.before) Put(c.before);
        for (const Write& w : c.writes) {
            ASSERT_TRUE(ProfileFile::Write(ini, w.section, w.key, w.value)) << c.what;
            EXPECT_EQ(Get(), w.after) << c.what << ": " << w.key;
            EXPECT_EQ(ProfileFile::Read(ini, Lower(w.section), Lower(w.key)), w.value) << c.what << ": read back";
        }
    }
}

TEST_F(SettingsFile, JapaneseValuesAreStoredAsCp932AndSurvive) {
    Put(Utf8ToCp932("[RIREKI]\r\nMruList=\r\n[X]\r\nNote=表示\r\n"));
    const std::string path = "/home/user/曲/ソ十表.tab";
    ASSERT_TRUE(ProfileFile::Write(ini, "RIREKI", "MruList", path));
    EXPECT_EQ(Get(), Utf8ToCp932("[RIREKI]\r\nMruList=" + path + "\r\n[X]\r\nNote=表示\r\n"));
    EXPECT_EQ(ProfileFile::Read(ini, "RIREKI", "MruList"), path);
    EXPECT_EQ(ProfileFile::Read(ini, "X", "Note"), "表示");
}

TEST_F(SettingsFile, TextCp932CannotHoldKeepsTheFileReadable) {
    // In a plain ASCII file it is written as UTF-8, and the file reads as UTF-8.
    Put("[RIREKI]\r\nMruList=\r\n");
    ASSERT_TRUE(ProfileFile::Write(ini, "RIREKI", "MruList", "/home/zoë/café.tab"));
    EXPECT_EQ(ProfileFile::Read(ini, "RIREKI", "MruList"), "/home/zoë/café.tab");
    // A UTF-8 file stays UTF-8, so Japanese text written later stays readable too.
    ASSERT_TRUE(ProfileFile::Write(ini, "X", "Note", "表示"));
    EXPECT_EQ(ProfileFile::Read(ini, "X", "Note"), "表示");
    EXPECT_EQ(ProfileFile::Read(ini, "RIREKI", "MruList"), "/home/zoë/café.tab");

    // In a file that already holds CP932 text it is refused; the file is untouched.
    const std::string sj = Utf8ToCp932("[X]\r\nNote=表示\r\n");
    Put(sj);
    EXPECT_FALSE(ProfileFile::Write(ini, "X", "Path", "café"));
    EXPECT_EQ(Get(), sj);
}

TEST_F(SettingsFile, WriteRefusesTextThatWouldBreakTheFile) {
    const std::string before = "[A]\r\nk=1\r\n";
    Put(before);
    EXPECT_FALSE(ProfileFile::Write(ini, "A", "k", "1\r\n[B]"));
    EXPECT_FALSE(ProfileFile::Write(ini, "A]", "k", "1"));
    EXPECT_FALSE(ProfileFile::Write(ini, "A", "k=", "1"));
    EXPECT_FALSE(ProfileFile::Write(ini, "", "k", "1"));
    EXPECT_FALSE(ProfileFile::Write(ini, "A", " ", "1"));
    EXPECT_FALSE(ProfileFile::Write(ini, "A", "k", std::string("a\0b", 3)));
    EXPECT_EQ(Get(), before);
}

TEST_F(SettingsFile, FailedWriteIsReportedAndLeavesNoTemporaryFile) {
    EXPECT_FALSE(ProfileFile::Write((dir / "no" / "such" / "Lutewise.ini").string(), "A", "k", "1"));
    Put("[A]\r\nk=1\r\n");
    ASSERT_TRUE(ProfileFile::Write(ini, "A", "k", "2"));
    ASSERT_TRUE(ProfileFile::Write(ini, "B", "k", "3"));
    EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(SettingsFile, WriteKeepsThePermissionsOfTheFile) {
    Put("[A]\r\nk=1\r\n");
    fs::permissions(ini, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(ProfileFile::Write(ini, "A", "k", "2"));
    EXPECT_EQ(fs::status(ini).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// ---------------------------------------------------------------------------
// GetIni

TEST_F(SettingsFile, GetIniIntegerFailsOnMissingEmptyOrNonNumbersAndKeepsTheTarget) {
    Put("[A]\r\nempty=\r\nneg=-5\r\nplus=+7\r\nbig=32768\r\nsmall=-32768\r\ndec=1.5\r\nmixed=12abc\r\nsp= 42 \r\n");
    int16_t v = 11;
    EXPECT_FALSE(GetIni(ini, "A", "missing", v));
    EXPECT_EQ(v, 11);
    EXPECT_FALSE(GetIni(ini, "A", "empty", v));
    EXPECT_FALSE(GetIni(ini, "A", "big", v));  // never wrapped
    EXPECT_FALSE(GetIni(ini, "A", "dec", v));
    EXPECT_FALSE(GetIni(ini, "A", "mixed", v));
    EXPECT_EQ(v, 11);
    EXPECT_TRUE(GetIni(ini, "A", "neg", v));
    EXPECT_EQ(v, -5);
    EXPECT_TRUE(GetIni(ini, "A", "plus", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(GetIni(ini, "A", "small", v));
    EXPECT_EQ(v, -32768);
    EXPECT_TRUE(GetIni(ini, "A", "sp", v));
    EXPECT_EQ(v, 42);
}

TEST_F(SettingsFile, GetIniTextGivesEmptyTextForMissingKeys) {
    Put("[A]\r\nlist= 1,2 \r\n");
    std::string t = "old";
    EXPECT_TRUE(GetIni(ini, "A", "missing", t));
    EXPECT_EQ(t, "");
    EXPECT_TRUE(GetIni(ini, "a", "LIST", t));
    EXPECT_EQ(t, "1,2");
}

TEST(Gakki, CodesGiveStringCountAndMenuItem) {
    struct Case { int code; int16_t maxIx, menu; };
    for (Case c : {Case{0, 5, 0}, Case{99, 5, 0}, Case{6, 5, 0}, Case{14, 5, 0}, Case{1, 3, 1}, Case{2, 3, 2},
                   Case{3, 3, 3}, Case{4, 3, 4}, Case{98, 3, 1}, Case{22, 4, 6}, Case{21, 4, 5}, Case{5, 4, 5},
                   Case{97, 4, 5}, Case{15, 4, 5}, Case{-1, 4, 5}}) {
        GakkiInfo g = GakkiInfoOf(c.code);
        EXPECT_EQ(g.maxStringIx, c.maxIx) << c.code;
        EXPECT_EQ(g.menuIx, c.menu) << c.code;
    }
}

// ---------------------------------------------------------------------------
// ReadIniSettings

TEST_F(SettingsFile, ReadsEverySettingOfACompleteFile) {
    Put(FullIni("", "MruList= /a.tab,/b.tab "));
    Session s;
    s.RhythmRewrite = true;
    s.MoveFletForm = false;
    ScriptedUi ui;
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_TRUE(ui.texts.empty());
    EXPECT_EQ(s.ChordFontSize, 10);
    EXPECT_EQ(s.FletFontSize, 9);
    EXPECT_EQ(s.GakkiCode, 0);
    EXPECT_EQ(s.MaxStringIx, 5);
    EXPECT_EQ(s.GakkiMenuIx, 0);
    const int16_t col0[] = {19, 14, 9, 4, 0, 0}, col1[] = {28, 23, 19, 14, 9, 4}, col2[] = {23, 19, 14, 9, 4, 0};
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(s.TuningTbl[r][0], col0[r]);
        EXPECT_EQ(s.TuningTbl[r][1], col1[r]);
        EXPECT_EQ(s.TuningTbl[r][2], col2[r]);
    }
    EXPECT_EQ(s.MruFiles[0], "/a.tab");
    EXPECT_EQ(s.MruFiles[1], "/b.tab");
    EXPECT_EQ(s.MruFiles[2], "");
    EXPECT_FALSE(s.RhythmRewrite);
    EXPECT_TRUE(s.MoveFletForm);
}

TEST_F(SettingsFile, GakkiOfTheFileSetsStringsAndMenuItem) {
    struct Case { int code; int16_t maxIx, menu; };
    for (Case c : {Case{98, 3, 1}, Case{22, 4, 6}, Case{0, 5, 0}, Case{99, 5, 0}, Case{5, 4, 5}, Case{21, 4, 5},
                   Case{97, 4, 5}}) {
        Put(FullIni());
        ASSERT_TRUE(ProfileFile::Write(ini, "TAB", "Gakki", std::to_string(c.code)));
        Session s;
        ScriptedUi ui;
        ASSERT_TRUE(ReadIniSettings(s, ui, ini)) << c.code;
        EXPECT_EQ(s.GakkiCode, c.code);
        EXPECT_EQ(s.MaxStringIx, c.maxIx) << c.code;
        EXPECT_EQ(s.GakkiMenuIx, c.menu) << c.code;
    }
}

TEST_F(SettingsFile, MruListEntriesMissingOrEmptyGiveNoRecentFiles) {
    Session s;
    ScriptedUi ui;
    Put(FullIni("", "MruList=a,b"));
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_EQ(s.MruFiles, (std::array<std::string, 4>{"a", "b", "", ""}));

    Put(FullIni("", "MruList=a,b,c,d,e"));
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_EQ(s.MruFiles, (std::array<std::string, 4>{"a", "b", "c", "d"}));

    for (const char* line : {"MruList=", "MruList=   ", "Other=1"}) {
        s.MruFiles = {"x", "y", "z", "w"};
        Put(FullIni("", line));
        ASSERT_TRUE(ReadIniSettings(s, ui, ini)) << line;
        EXPECT_EQ(s.MruFiles, (std::array<std::string, 4>{"", "", "", ""})) << line;
    }
    EXPECT_TRUE(ui.texts.empty());
}

TEST_F(SettingsFile, MissingOrEmptyNumbersShowTheSettingsErrorAndKeepWhatWasRead) {
    // FontSize missing: nothing after it is read.
    {
        std::string text = FullIni();
        text.replace(text.find("FontSize=10\r\n"), 13, "");
        Put(text);
        Session s;
        s.GakkiCode = 3;
        ScriptedUi ui;
        EXPECT_FALSE(ReadIniSettings(s, ui, ini));
        ASSERT_EQ(ui.texts.size(), 1u);
        EXPECT_EQ(ui.texts[0], SettingsError());
        EXPECT_EQ(ui.buttons[0], 0);
        EXPECT_EQ(ui.titles[0], "Lutewise");
        EXPECT_EQ(s.ChordFontSize, 0);
        EXPECT_EQ(s.GakkiCode, 3);
    }
    // Gakki empty: the font sizes stay read, the tuning table is untouched.
    {
        std::string text = FullIni();
        text.replace(text.find("Gakki=0"), 7, "Gakki=");
        Put(text);
        Session s;
        s.TuningTbl[0][1] = 7;
        ScriptedUi ui;
        EXPECT_FALSE(ReadIniSettings(s, ui, ini));
        EXPECT_EQ(ui.texts, std::vector<std::string>{SettingsError()});
        EXPECT_EQ(s.ChordFontSize, 10);
        EXPECT_EQ(s.FletFontSize, 9);
        EXPECT_EQ(s.GakkiCode, 0);
        EXPECT_EQ(s.MaxStringIx, 3);  // the previous value
        EXPECT_EQ(s.TuningTbl[0][1], 7);
    }
    // Settei01 missing: Gakki is read, the recent files keep their values.
    {
        Put(FullIni("", "MruList=new", "X=1"));
        ASSERT_TRUE(ProfileFile::Write(ini, "TAB", "Gakki", "98"));
        Session s;
        s.MruFiles[0] = "old";
        ScriptedUi ui;
        EXPECT_FALSE(ReadIniSettings(s, ui, ini));
        EXPECT_EQ(ui.texts.size(), 1u);
        EXPECT_EQ(s.GakkiCode, 98);
        EXPECT_EQ(s.MaxStringIx, 3);
        EXPECT_EQ(s.MruFiles[0], "old");
        EXPECT_EQ(s.TuningTbl[0][0], 0);
    }
}

TEST_F(SettingsFile, BadTuningListsAreErrorsAndLeaveTheColumn) {
    for (const char* line : {"Settei01=1,2,3,4,5,6,7", "Settei01=1,2,x,4,5,6", "Settei01=1,2,,4,5,6",
                             "Settei01=1,2,3,4,5,36", "Settei01=-1,2,3,4,5,6", "Settei01=99999,0,0,0,0,0"}) {
        Put(FullIni("", "MruList=", line));
        Session s;
        s.TuningTbl[0][0] = 12;
        s.TuningTbl[5][0] = 13;
        ScriptedUi ui;
        EXPECT_FALSE(ReadIniSettings(s, ui, ini)) << line;
        EXPECT_EQ(ui.texts.size(), 1u) << line;
        EXPECT_EQ(s.TuningTbl[0][0], 12) << line;
        EXPECT_EQ(s.TuningTbl[5][0], 13) << line;
    }
    // A shorter list sets its strings and leaves the others.
    Put(FullIni("", "MruList=", "Settei01= 21,16 "));
    Session s;
    s.TuningTbl[2][0] = 5;
    ScriptedUi ui;
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_EQ(s.TuningTbl[0][0], 21);
    EXPECT_EQ(s.TuningTbl[1][0], 16);
    EXPECT_EQ(s.TuningTbl[2][0], 5);
}

TEST_F(SettingsFile, FontSizesAreReadOncePerRun) {
    Put(FullIni());
    Session s;
    ScriptedUi ui;
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    ASSERT_TRUE(ProfileFile::Write(ini, "TAB", "FontSize", "20"));
    ASSERT_TRUE(ProfileFile::Write(ini, "TAB", "FontSize2", "18"));
    ASSERT_TRUE(ProfileFile::Write(ini, "RIREKI", "MruList", "x.tbp"));
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_EQ(s.ChordFontSize, 10);
    EXPECT_EQ(s.FletFontSize, 9);
    EXPECT_EQ(s.MruFiles[0], "x.tbp");  // the rest is read again
    // Once set, the font keys are not even required.
    Put(FullIni());
    std::string text = Get();
    text.replace(text.find("FontSize=10\r\nFontSize2=9\r\n"), 26, "");
    Put(text);
    EXPECT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_TRUE(ui.texts.empty());
}

TEST_F(SettingsFile, AFileThatDisappearedFailsWithTheSettingsError) {
    Session s;
    ScriptedUi ui;
    EXPECT_FALSE(ReadIniSettings(s, ui, (dir / "gone.ini").string()));
    EXPECT_EQ(ui.texts, std::vector<std::string>{SettingsError()});
}

// ---------------------------------------------------------------------------
// Geometry read from the settings

TEST_F(SettingsFile, StaffStyleGeometryIsPixelsTimesTheScreenFactors) {
    Put(FullIni());
    Session s;
    s.CurDanIx = 2;
    s.CurSyosetsuCnt = 4;
    s.TwipsPerPixelX = 15;
    s.TwipsPerPixelY = 12;
    ScriptedUi ui;
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const DanLayoutData& d = s.DanLayout[slot];
        EXPECT_EQ(d.TabLeft, 36 * 15) << slot;
        EXPECT_EQ(d.TabTop, 150 * 12) << slot;
        EXPECT_EQ(d.StaffTop, 52 * 12) << slot;
        EXPECT_EQ(d.TabWidth, 1024 * 15) << slot;
        EXPECT_EQ(d.StringInterval, 13 * 12) << slot;
        EXPECT_EQ(d.StaffInterval, 8 * 12) << slot;
        EXPECT_EQ(d.StaffHeight, 4 * 8 * 12) << slot;
        EXPECT_EQ(d.TabHeight, 5 * 13 * 12) << slot;
        EXPECT_EQ(d.StaffLeft, d.TabLeft) << slot;
        EXPECT_EQ(d.StaffWidth, d.TabWidth) << slot;
        EXPECT_EQ(d.SyosetsuLeft[0], 540) << slot;
        EXPECT_EQ(d.SyosetsuLeft[1], 540 + 3840) << slot;
        EXPECT_EQ(d.SyosetsuLeft[4], 540 + 15360) << slot;
        EXPECT_EQ(d.SyosetsuWidth[3], 3840) << slot;
        EXPECT_EQ(d.SyosetsuTop[3], 1800) << slot;
        EXPECT_EQ(d.SyosetsuHeight[3], 780) << slot;
    }
}

TEST_F(SettingsFile, TabOnlyStylesNeitherReadNorNeedTheStaffKeys) {
    Put(FullIni());
    Session s;
    s.PosRhythm = 3;
    for (auto& d : s.DanLayout) {
        d.StaffTop = 111;
        d.StaffInterval = 22;
    }
    ScriptedUi ui;
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_TRUE(ui.texts.empty());
    for (const DanLayoutData& d : s.DanLayout) {
        EXPECT_EQ(d.TabTop, 44 * 15);  // the first element of the list
        EXPECT_EQ(d.TabLeft, 600);
        EXPECT_EQ(d.StringInterval, 180);
        EXPECT_EQ(d.StaffTop, 111);
        EXPECT_EQ(d.StaffInterval, 22);
        EXPECT_EQ(d.StaffHeight, 88);
    }
    // The same keys missing in a staff style are an error.
    std::string text = FullIni();
    text.replace(text.find("DanTop2=52\r\n"), 12, "");
    Put(text);
    s.PosRhythm = 1;
    EXPECT_FALSE(ReadIniSettings(s, ui, ini));
    EXPECT_EQ(ui.texts.size(), 1u);
    EXPECT_EQ(s.DanLayout[0].TabTop, 150 * 15);  // read before the failure
    EXPECT_EQ(s.DanLayout[0].StaffTop, 111);
}

TEST_F(SettingsFile, StyleZeroReadsNoGeometry) {
    Put("[TAB]\r\nFontSize=10\r\nFontSize2=9\r\nGakki=0\r\n[TUNING]\r\nSettei01=0\r\nSettei02=0\r\nSettei03=0\r\n");
    Session s;
    s.PosRhythm = 0;
    s.DanLayout[4].TabTop = 77;
    s.DanBuf[0].Syosetsu[0].BarVisible = 0;
    ScriptedUi ui;
    EXPECT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_EQ(s.DanLayout[4].TabTop, 77);
    EXPECT_EQ(s.DanBuf[0].Syosetsu[0].BarVisible, 0);
}

TEST_F(SettingsFile, GeometryBeyondThe16BitRangeIsRefusedNotWrapped) {
    struct Case { const char* from; const char* to; };
    for (Case c : {Case{"DanWidth=1024", "DanWidth=3000"},      // 45000 twips
                   Case{"DanLeft=36", "DanLeft=1200"},         // left + width over 32767
                   Case{"DanInterval=13", "DanInterval=500"},  // six strings: 37500
                   Case{"DanInterval2=8", "DanInterval2=600"}, // staff height 36000
                   Case{"DanTop=150", "DanTop=99999"},
                   Case{"DanTop=150", "DanTop=150,x"},
                   Case{"DanTop=150", "DanTop="}}) {
        std::string text = FullIni();
        text.replace(text.find(c.from), std::string(c.from).size(), c.to);
        Put(text);
        Session s;
        s.DanLayout[0].SyosetsuLeft[1] = 1234;
        ScriptedUi ui;
        EXPECT_FALSE(ReadIniSettings(s, ui, ini)) << c.to;
        EXPECT_EQ(ui.texts.size(), 1u) << c.to;
        EXPECT_EQ(s.DanLayout[0].SyosetsuLeft[1], 1234) << c.to;
        for (const DanLayoutData& d : s.DanLayout) {
            EXPECT_GE(d.TabHeight, 0) << c.to;
            EXPECT_GE(d.StaffHeight, 0) << c.to;
        }
    }
}

// ---------------------------------------------------------------------------
// Measure boxes and bar flags

Session GeometrySession(int16_t tabLeft, int16_t tabWidth, int16_t measures) {
    Session s;
    s.CurSyosetsuCnt = measures;
    s.MaxStringIx = 5;
    for (auto& d : s.DanLayout) d.TabTop = 2250;
    DanLayoutData& a = s.CurLayout();
    a.TabLeft = tabLeft;
    a.TabWidth = tabWidth;
    a.StringInterval = 195;
    a.StaffInterval = 120;
    return s;
}

TEST(MeasureBoxes, ThreeMeasuresShareTheWidthEqually) {
    Session s = GeometrySession(600, 3000, 3);
    ASSERT_TRUE(DeriveLayout(s));
    const DanLayoutData& d = s.DanLayout[7];
    EXPECT_EQ(d.SyosetsuLeft[0], 600);
    EXPECT_EQ(d.SyosetsuLeft[1], 1600);
    EXPECT_EQ(d.SyosetsuLeft[2], 2600);
    EXPECT_EQ(d.SyosetsuLeft[3], 3600);
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(d.SyosetsuWidth[m], 1000);
        EXPECT_EQ(d.SyosetsuTop[m], 2250);
        EXPECT_EQ(d.SyosetsuHeight[m], 975);
    }
}

TEST(MeasureBoxes, RoundedQuotientAccumulatesOnThePreviousLeft) {
    Session s = GeometrySession(15, 1000, 7);
    ASSERT_TRUE(DeriveLayout(s));
    const DanLayoutData& d = s.DanLayout[0];
    for (int m = 0; m < 7; ++m) {
        EXPECT_EQ(d.SyosetsuWidth[m], 143) << m;
        EXPECT_EQ(d.SyosetsuLeft[m], 15 + 143 * m) << m;
    }
    EXPECT_EQ(d.SyosetsuLeft[7], 1015);  // the right end, not 15 + 7 * 143
}

TEST(MeasureBoxes, HalvesRoundToEven) {
    // 1000 / 8 = 125; 1004 / 8 = 125.5 -> 126 (even), and 0.5 steps accumulate on integers.
    Session s = GeometrySession(0, 1004, 8);
    ASSERT_TRUE(DeriveLayout(s));
    const DanLayoutData& d = s.DanLayout[0];
    EXPECT_EQ(d.SyosetsuWidth[0], 126);
    EXPECT_EQ(d.SyosetsuLeft[1], 126);  // 125.5 -> 126
    EXPECT_EQ(d.SyosetsuLeft[2], 252);  // 251.5 -> 252
    EXPECT_EQ(d.SyosetsuLeft[3], 378);  // 377.5 -> 378
    EXPECT_EQ(d.SyosetsuLeft[8], 1004);
    s = GeometrySession(0, 1012, 8);    // 126.5 -> 126
    ASSERT_TRUE(DeriveLayout(s));
    EXPECT_EQ(s.DanLayout[0].SyosetsuWidth[0], 126);
    EXPECT_EQ(s.DanLayout[0].SyosetsuLeft[1], 126);
}

TEST(MeasureBoxes, EverySlotGetsTheActiveGeometryAndASlotWithoutTopKeepsItsBoxes) {
    Session s = GeometrySession(600, 3000, 3);
    s.CurDanIx = 4;
    s.CurLayout() = s.DanLayout[0];
    s.DanLayout[0].TabLeft = 0;  // other slots' own values do not count
    s.DanLayout[0].TabWidth = 10;
    s.DanLayout[6].TabTop = 0;
    s.DanLayout[6].SyosetsuLeft = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    s.DanLayout[6].SyosetsuWidth[0] = 77;
    s.DanLayout[1].SyosetsuLeft[5] = 555;  // beyond the right end: untouched
    ASSERT_TRUE(DeriveLayout(s));
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_EQ(s.DanLayout[slot].TabLeft, 600) << slot;
        EXPECT_EQ(s.DanLayout[slot].TabWidth, 3000) << slot;
        EXPECT_EQ(s.DanLayout[slot].TabHeight, 975) << slot;
    }
    EXPECT_EQ(s.DanLayout[6].SyosetsuLeft, (std::array<int16_t, 9>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(s.DanLayout[6].SyosetsuWidth[0], 77);
    EXPECT_EQ(s.DanLayout[1].SyosetsuLeft[3], 3600);
    EXPECT_EQ(s.DanLayout[1].SyosetsuLeft[5], 555);
}

TEST(MeasureBoxes, OverflowOrABadMeasureCountChangesNothing) {
    Session s = GeometrySession(30000, 3000, 3);
    s.DanLayout[3].SyosetsuLeft[1] = 42;
    EXPECT_FALSE(DeriveLayout(s));
    EXPECT_EQ(s.DanLayout[3].SyosetsuLeft[1], 42);
    EXPECT_EQ(s.DanLayout[3].TabLeft, 0);
    for (int16_t n : {0, 9, -1}) {
        Session t = GeometrySession(600, 3000, n);
        EXPECT_FALSE(DeriveLayout(t)) << n;
    }
}

TEST(BarFlags, MeasuresInUseGetVisibleBarsAndDefaultFlags) {
    Session s;
    s.CurSyosetsuCnt = 3;
    s.DanBuf[2].Syosetsu[1].BarFlag = {-1, -1, 0, 0, -1, -1, -1, -1};  // no plain bar: reset
    s.DanBuf[2].Syosetsu[2].BarFlag = {-1, -1, -1, -1, 0, 0, 0, -1};   // kept as is
    s.DanBuf[10].Syosetsu[0].BarFlag[2] = 0;
    s.DanBuf[0].Syosetsu[3].BarFlag[2] = 0;
    InitBarFlags(s);
    for (int slot = 0; slot <= 9; ++slot)
        for (int m = 0; m < 3; ++m) EXPECT_EQ(s.DanBuf[slot].Syosetsu[m].BarVisible, -1);
    EXPECT_EQ(s.DanBuf[0].Syosetsu[0].BarFlag, (std::array<int16_t, 8>{0, 0, -1, -1, 0, 0, 0, 0}));
    EXPECT_EQ(s.DanBuf[2].Syosetsu[1].BarFlag, (std::array<int16_t, 8>{0, 0, -1, -1, 0, 0, -1, -1}));
    EXPECT_EQ(s.DanBuf[2].Syosetsu[2].BarFlag, (std::array<int16_t, 8>{-1, -1, -1, -1, 0, 0, 0, -1}));
    // Slot 10 and measures beyond the count are left alone.
    EXPECT_EQ(s.DanBuf[10].Syosetsu[0].BarVisible, 0);
    EXPECT_EQ(s.DanBuf[10].Syosetsu[0].BarFlag[2], 0);
    EXPECT_EQ(s.DanBuf[0].Syosetsu[3].BarVisible, 0);
    EXPECT_EQ(s.DanBuf[0].Syosetsu[3].BarFlag[2], 0);
}

TEST_F(SettingsFile, ReadingTheSettingsInitialisesBarFlags) {
    Put(FullIni());
    Session s;
    s.CurSyosetsuCnt = 2;
    ScriptedUi ui;
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_EQ(s.DanBuf[9].Syosetsu[1].BarVisible, -1);
    EXPECT_EQ(s.DanBuf[9].Syosetsu[1].BarFlag[3], -1);
    EXPECT_EQ(s.DanBuf[9].Syosetsu[2].BarVisible, 0);
}

// ---------------------------------------------------------------------------
// Writers

TEST_F(SettingsFile, WritersStoreWhatTheReaderReadsBack) {
    Put(FullIni());
    Session s;
    s.GakkiCode = 98;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 3; ++c) s.TuningTbl[r][c] = static_cast<int16_t>(r + 10 * c);
    s.MruFiles = {"/曲/一.tab", "/曲/二.tab", "", "/four.tab"};
    ASSERT_TRUE(WriteGakki(s, ini));
    ASSERT_TRUE(WriteTuning(s, ini));
    ASSERT_TRUE(WriteMru(s, ini));
    EXPECT_EQ(ProfileFile::Read(ini, "TUNING", "Settei02"), "10,11,12,13,14,15");
    EXPECT_EQ(ProfileFile::Read(ini, "RIREKI", "MruList"), "/曲/一.tab,/曲/二.tab,");  // three entries only
    EXPECT_NE(Get().find(Utf8ToCp932("一.tab")), std::string::npos);
    EXPECT_NE(Get().find("\r\n[POSITION1]\r\nDanLeft=36\r\n"), std::string::npos);

    Session r;
    ScriptedUi ui;
    ASSERT_TRUE(ReadIniSettings(r, ui, ini));
    EXPECT_EQ(r.GakkiCode, 98);
    EXPECT_EQ(r.MaxStringIx, 3);
    EXPECT_EQ(r.TuningTbl, s.TuningTbl);
    EXPECT_EQ(r.MruFiles, (std::array<std::string, 4>{"/曲/一.tab", "/曲/二.tab", "", ""}));
}

// ---------------------------------------------------------------------------
// The shipped working-folder data: the ground pictures must carry their lines
// exactly where the shipped geometry puts strings and staff.

struct MonoBmp {
    int width = 0, height = 0;
    std::vector<std::vector<bool>> black;  // [y][x]
};

bool ReadMonoBmp(const std::string& path, MonoBmp& out) {
    std::ifstream in(path, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u32 = [&b](size_t o) {
        return uint32_t(uint8_t(b[o])) | uint32_t(uint8_t(b[o + 1])) << 8 | uint32_t(uint8_t(b[o + 2])) << 16 |
               uint32_t(uint8_t(b[o + 3])) << 24;
    };
    if (b.size() < 62 || b.compare(0, 2, "BM") != 0) return false;
    const uint32_t offset = u32(10);
    const int32_t w = int32_t(u32(18)), h = int32_t(u32(22));
    const int bpp = uint8_t(b[28]) | uint8_t(b[29]) << 8;
    if (bpp != 1 || w <= 0 || h <= 0) return false;
    const size_t stride = size_t((w + 31) / 32) * 4;
    if (b.size() < offset + stride * size_t(h)) return false;
    // Which palette entry is black.
    const bool zeroIsBlack = uint8_t(b[54]) + uint8_t(b[55]) + uint8_t(b[56]) < 3 * 128;
    out.width = w;
    out.height = h;
    out.black.assign(size_t(h), std::vector<bool>(size_t(w)));
    for (int y = 0; y < h; ++y) {
        const size_t row = offset + stride * size_t(h - 1 - y);  // bottom-up
        for (int x = 0; x < w; ++x) {
            bool bit = (uint8_t(b[row + size_t(x / 8)]) >> (7 - x % 8)) & 1;
            out.black[size_t(y)][size_t(x)] = bit != zeroIsBlack;
        }
    }
    return true;
}

// Rows of the picture that hold a black run, and that run's extent.
struct LineRun { int y, x0, x1; };
std::vector<LineRun> HorizontalRuns(const MonoBmp& im) {
    std::vector<LineRun> runs;
    for (int y = 0; y < im.height; ++y) {
        int x0 = -1, x1 = -1, count = 0;
        for (int x = 0; x < im.width; ++x)
            if (im.black[size_t(y)][size_t(x)]) {
                if (x0 < 0) x0 = x;
                x1 = x;
                ++count;
            }
        if (count == 0) continue;
        EXPECT_EQ(count, x1 - x0 + 1) << "gap in the line at y " << y;
        runs.push_back({y, x0, x1});
    }
    return runs;
}

TEST(ShippedData, EveryStyleReadsAndItsGroundMatchesTheGeometry) {
    const std::string data = std::string(LUTEWISE_SOURCE_DIR) + "/data/";
    const char* ground[6] = {"", "TABn1.bmp", "TABn1.bmp", "TABn2.bmp", "TABn3.bmp", "TABn3.bmp"};
    for (int16_t style = 1; style <= 5; ++style) {
        SCOPED_TRACE("style " + std::to_string(style));
        Session s;
        s.PosRhythm = style;
        ScriptedUi ui;
        ASSERT_TRUE(ReadIniSettings(s, ui, data + "Lutewise.ini"));
        EXPECT_TRUE(ui.texts.empty());
        EXPECT_EQ(s.MaxStringIx, 5);
        EXPECT_EQ(s.MruFiles[0], "");
        const DanLayoutData& d = s.DanLayout[0];
        const bool staff = style <= 2;
        // In pixels.
        const double tabTop = d.TabTop / 15.0, si = d.StringInterval / 15.0;
        const double left = d.TabLeft / 15.0, right = (d.TabLeft + d.TabWidth) / 15.0;

        MonoBmp im;
        ASSERT_TRUE(ReadMonoBmp(data + ground[style], im));
        std::vector<LineRun> expected;
        for (int k = 0; k < 6; ++k) expected.push_back({int(tabTop + k * si), int(left), int(right)});
        if (staff)
            for (int k = 0; k < 5; ++k)
                expected.push_back({(d.StaffTop + k * d.StaffInterval) / 15, int(left), int(right)});
        std::sort(expected.begin(), expected.end(), [](const LineRun& a, const LineRun& b) { return a.y < b.y; });
        const std::vector<LineRun> runs = HorizontalRuns(im);
        ASSERT_EQ(runs.size(), expected.size());
        for (size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].y, expected[i].y);
            EXPECT_EQ(runs[i].x0, expected[i].x0);
            EXPECT_EQ(runs[i].x1, expected[i].x1);
        }

        // Room the editor needs around the lines.
        EXPECT_GE(left, 20.0);  // the score drops the first 10 pixels
        EXPECT_LT(right, im.width - 10.0);
        const double rhythmBelowEnd = tabTop + 6.3 * si + 29 + 10;  // glyphs, then arcs
        if (style == 2 || style == 3) { EXPECT_LE(rhythmBelowEnd, im.height); }
        if (style == 4) { EXPECT_GE(tabTop - si - 29 - 10, 16.0); }  // chord names above the rhythm row
        if (style == 3 || style == 5) { EXPECT_GE(tabTop, 16.0 + si); }
        if (staff) {
            const double staffTop = d.StaffTop / 15.0, sp = d.StaffInterval / 15.0;
            const double staffBottom = staffTop + 4 * sp;
            // Staff clicks count above TabTop - 18.5 px; they must reach the
            // low E three ledger lines under the staff.
            EXPECT_LT(staffBottom + 4 * sp, tabTop - 18.5);
            // Treble clef top, then chord names.
            EXPECT_GE(staffTop - 2.5 * sp, 16.0);
            if (style == 1) { EXPECT_GT(tabTop - 1.8 * si - 29 - 4, staffBottom); }  // rhythm row between
        }
    }
}

TEST(SettingsPath, IniPathIsInTheCurrentFolder) {
    EXPECT_EQ(CurrentIniPath(), (fs::current_path() / "Lutewise.ini").string());
}

}  // namespace

// The first reading of a run takes the instrument and resets the
// common-settings options; later readings (a measure count, a new row, the
// settings dialogs) keep what the user chose in this run.
TEST_F(SettingsFile, LaterReadingsKeepTheInstrumentAndOptionsOfTheRun) {
    Put(FullIni());
    Session s;
    ScriptedUi ui;
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    ASSERT_EQ(s.GakkiCode, 0);
    s.GakkiCode = 6;  // "Open-D (DADF#AD)" chosen
    s.MoveFletForm = false;
    s.RhythmRewrite = true;
    ASSERT_TRUE(ReadIniSettings(s, ui, ini));
    EXPECT_EQ(s.GakkiCode, 6);
    EXPECT_EQ(s.MaxStringIx, 5);
    EXPECT_FALSE(s.MoveFletForm);
    EXPECT_TRUE(s.RhythmRewrite);
}
