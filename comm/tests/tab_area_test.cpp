// The row-area dialog's state: clicks by pick state and the keys written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "comm_test_support.h"
#include "settings.h"
#include "tab_area.h"

namespace {

using lw_comm_test::Ui;

TEST(TabArea, ClicksFillTheBoxOfThePickState) {
    Ui ui;
    lw::TabAreaState st(ui, 1, 15, 15);
    st.Load({540, 15360, 1200, 195, 780, 120});
    EXPECT_EQ(st.txtRight, "15900");
    EXPECT_EQ(st.OnMouseFlag, 1);

    st.TabAreaPos(999, 77);  // no state chosen yet: nothing
    EXPECT_EQ(st.txtLeft, "540");
    st.Frame1Tag = "0";
    st.TabAreaPos(999, 600);
    st.Frame1Tag = "1";
    st.TabAreaPos(999, 15000);
    st.Frame1Tag = "2";
    st.TabAreaPos(1440, 3);  // second line at 1440 with the top at 1200
    EXPECT_EQ(st.txtLeft, "600");
    EXPECT_EQ(st.txtRight, "15000");
    EXPECT_EQ(st.txtInterval, "240");
    st.Frame1Tag = "3";
    st.TabAreaPos(1300.4, 0);
    EXPECT_EQ(st.txtTop0, "1300");

    st.ShowTab(1);
    EXPECT_EQ(st.OnMouseFlag, 2);
    st.TabAreaPos2(700);  // state "" or "0": the top
    st.Frame2Tag = "1";
    st.TabAreaPos2(820);
    EXPECT_EQ(st.txtTop2_0, "700");
    EXPECT_EQ(st.txtInterval2, "120");
    EXPECT_TRUE(ui.shown.empty());
}

TEST(TabArea, IntervalBeforeTheTopIsRefused) {
    Ui ui;
    lw::TabAreaState st(ui, 1, 15, 15);
    st.Load({540, 15360, 0, 195, 0, 120});
    st.Frame1Tag = "2";
    st.TabAreaPos(1440, 0);
    st.Frame2Tag = "1";
    st.TabAreaPos2(1440);
    EXPECT_EQ(st.txtInterval, "195");
    EXPECT_EQ(st.txtInterval2, "120");
    EXPECT_EQ(ui.shown, (std::vector<std::string>(2, "１段目のTopを設定してください｡")));
}

struct IniFile {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("lw-tabarea-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".ini");
    explicit IniFile(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    ~IniFile() { std::filesystem::remove(path); }
    std::string Text() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST(TabArea, WritesPixelsOfTheCurrentLayoutModeOnly) {
    const std::string before =
        "[POSITION0]\r\nDanLeft=1\r\n[POSITION1]\r\nDanLeft=36\r\nDanTop=150,30,60\r\nDanTop2=52\r\nDanWidth=1024\r\n"
        "DanInterval=13\r\nDanInterval2=8\r\n";
    struct Case {
        int mode;
        const char* expected;
    } cases[] = {
        // Twips / 15, integer part; DanWidth from the two pixel values; the
        // first top replaced, the rest of the list kept.
        {1, "[POSITION0]\r\nDanLeft=1\r\n[POSITION1]\r\nDanLeft=36\r\nDanTop=80,30,60\r\nDanTop2=46\r\nDanWidth=1023\r\n"
            "DanInterval=16\r\nDanInterval2=7\r\n"},
        // Layouts without a staff write no staff keys.
        {0, "[POSITION0]\r\nDanLeft=36\r\nDanWidth=1023\r\nDanTop=80\r\nDanInterval=16\r\n[POSITION1]\r\nDanLeft=36\r\n"
            "DanTop=150,30,60\r\nDanTop2=52\r\nDanWidth=1024\r\nDanInterval=13\r\nDanInterval2=8\r\n"},
    };
    for (const Case& c : cases) {
        IniFile ini(before);
        Ui ui;
        lw::TabAreaState st(ui, c.mode, 15, 15);
        st.Load({0, 0, 0, 0, 0, 0});
        st.txtLeft = "545";     // 36.3 px
        st.txtRight = "15899";  // 1059.9 px
        st.txtTop0 = "1214";    // 80.9 px
        st.txtInterval = "240";
        st.txtTop2_0 = "699";
        st.txtInterval2 = "119";
        ASSERT_TRUE(st.WriteSettings(ini.path.string()));
        EXPECT_EQ(ini.Text(), c.expected) << "mode " << c.mode;
    }
}

TEST(TabArea, GeometryComesFromTheSettingsReaderInTwips) {
    IniFile ini(
        "[TAB]\r\nFontSize=10\r\nFontSize2=9\r\nGakki=0\r\n[TUNING]\r\nSettei01=1,2,3,4,0,0\r\nSettei02=1,2,3,4,5,6\r\n"
        "Settei03=1,2,3,4,5,0\r\n[RIREKI]\r\nMruList=\r\n[POSITION2]\r\nDanLeft=36\r\nDanTop=150\r\nDanTop2=52\r\n"
        "DanWidth=1024\r\nDanInterval=13\r\nDanInterval2=8\r\n");
    Ui ui;
    const lw::TabAreaGeometry g = lw::ReadTabAreaGeometry(ui, ini.path.string(), 2, 15, 15);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(g.DanLeft, 540);
    EXPECT_EQ(g.DanWidth, 15360);
    EXPECT_EQ(g.DanTop, 2250);
    EXPECT_EQ(g.DanInterval, 195);
    EXPECT_EQ(g.DanTop2, 780);
    EXPECT_EQ(g.DanInterval2, 120);
}

}  // namespace
