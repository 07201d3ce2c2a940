// A user tuning confirmed in "チューニング変更" lands in Lutewise.ini under
// the key of its string count: Settei01 four strings, Settei02 six,
// Settei03 five; six comma-separated pitch-list indexes, missing strings 0.
// The dialog opens showing the tuning read from the file.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "dialogs_test_support.h"
#include "ko_tuning.h"
#include "settings.h"

using namespace lw;

namespace {
struct SilentUi : UiPort {
    int shown = 0;
    int MessageBox(const std::string&, int, const std::string&) override { return ++shown, kIdOk; }
    std::string OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
};
}  // namespace

TEST(KoTuningDialog, AUserTuningIsWrittenUnderTheKeyOfItsStringCount) {
    namespace fs = std::filesystem;
    lwtest::EnsureApp();
    struct Case {
        int code;
        std::vector<int> shown;    // the file's tuning for strings 1..n
        std::vector<int> indexes;  // chosen for strings 1..n
        const char* lines;         // the TUNING section afterwards
    } cases[] = {
        {98, {19, 14, 9, 4}, {17, 12, 7, 5},
         "Settei01=17,12,7,5,0,0\r\nSettei02=28,23,19,14,9,4\r\nSettei03=23,19,14,9,4,0\r\n"},
        {99, {28, 23, 19, 14, 9, 4}, {26, 21, 19, 14, 9, 2},
         "Settei01=19,14,9,4,0,0\r\nSettei02=26,21,19,14,9,2\r\nSettei03=23,19,14,9,4,0\r\n"},
        {97, {23, 19, 14, 9, 4}, {28, 21, 16, 24, 19},
         "Settei01=19,14,9,4,0,0\r\nSettei02=28,23,19,14,9,4\r\nSettei03=28,21,16,24,19,0\r\n"},
    };
    const fs::path dir = fs::temp_directory_path() / "lw_tuning_keys_test";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        fs::remove_all(dir);
        fs::create_directories(dir);
        const std::string ini = (dir / "Lutewise.ini").string();
        std::ofstream(ini, std::ios::binary)
            << "[TAB]\r\nFontSize=10\r\nFontSize2=9\r\nGakki=" << c.code
            << "\r\n[TUNING]\r\nSettei01=19,14,9,4,0,0\r\nSettei02=28,23,19,14,9,4\r\nSettei03=23,19,14,9,4,0\r\n"
               "[RIREKI]\r\nMruList=\r\n";
        Session s;
        s.PosRhythm = 0;
        SilentUi ui;
        ASSERT_TRUE(ReadIniSettings(s, ui, ini));
        ASSERT_EQ(s.MaxStringIx + 1, static_cast<int>(c.indexes.size()));
        KoTuning dlg(s, ui, ini);
        ASSERT_TRUE(dlg.Option1[c.code]->isChecked());
        for (size_t i = 0; i < c.shown.size(); ++i) EXPECT_EQ(dlg.cmbLineBase[i]->currentIndex(), c.shown[i]) << i;
        for (size_t i = 0; i < 6; ++i) dlg.cmbLineBase[i]->setCurrentIndex(i < c.indexes.size() ? c.indexes[i] : 30);
        dlg.OK->click();
        EXPECT_EQ(ui.shown, 0);
        std::stringstream text;
        text << std::ifstream(ini, std::ios::binary).rdbuf();
        const std::string file = text.str();
        const size_t at = file.find("[TUNING]\r\n");
        ASSERT_NE(at, std::string::npos) << file;
        EXPECT_EQ(file.substr(at + 10, std::string(c.lines).size()), c.lines);
        EXPECT_NE(file.find("Gakki=" + std::to_string(c.code) + "\r\n"), std::string::npos);
    }
    fs::remove_all(dir);
}
