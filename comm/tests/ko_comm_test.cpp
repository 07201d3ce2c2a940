// The shared object as the editor sees it: loaded at run time, its
// properties, events, the row-area dialog and headless playback.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "comm_test_support.h"
#include "ko_comm.h"
#include "record_io.h"

namespace {

namespace fs = std::filesystem;

struct Library {
    void* handle = dlopen(KOCOMM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ~Library() {
        if (handle) dlclose(handle);
    }
    std::unique_ptr<lw::clsKoComm> Create() {
        auto fn = reinterpret_cast<KoCommCreateFn>(dlsym(handle, LW_KOCOMM_FACTORY));
        return std::unique_ptr<lw::clsKoComm>(fn ? fn() : nullptr);
    }
};

struct Recorder : lw::KoCommEvents {
    std::vector<std::string> calls;
    void ActiveteDocument(int16_t& i) override { calls.push_back("Activete:" + std::to_string(i)); }
    void KoTabAreaOK() override { calls.push_back("OK"); }
    void KoTabAreaRefresh() override { calls.push_back("Refresh"); }
};

// A temporary current folder.
struct WorkDir {
    fs::path old = fs::current_path();
    fs::path path = fs::temp_directory_path() /
                    ("lw-kocomm-" + std::to_string(getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    WorkDir() {
        fs::create_directories(path);
        fs::current_path(path);
    }
    ~WorkDir() {
        fs::current_path(old);
        fs::remove_all(path);
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

using lw_comm_test::EnsureApp;

}  // namespace

TEST(KoComm, LoadsAndCreatesObjectsThroughTheFactory) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    auto a = lib.Create();
    ASSERT_TRUE(a);
    // p_X lives in each object; the other properties read empty.
    a->let_p_X(1234);
    auto b = lib.Create();
    b->let_p_X(7);
    EXPECT_EQ(a->get_p_X(), 1234);
    EXPECT_EQ(b->get_p_X(), 7);
    a->let_p_SyosetsuSu(4);
    a->let_p_TabAreaPos(600);
    EXPECT_FALSE(a->get_p_SyosetsuSu().has_value());
    EXPECT_FALSE(b->get_p_TabAreaPos().has_value());
    // Assigning the mouse flag has no effect.
    const int16_t before = a->get_p_OnMouseFlag();
    a->let_p_OnMouseFlag(static_cast<int16_t>(before + 5));
    EXPECT_EQ(a->get_p_OnMouseFlag(), before);
}

TEST(KoComm, EventsReachTheSinkSynchronously) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr);
    auto o = lib.Create();
    Recorder r;
    int16_t ix = 2;
    o->Put_KoTabAreaOKEvent();  // no sink yet: nothing happens
    o->SetEventSink(&r);
    o->Put_ActiveteDocumentEvent(ix);
    o->Put_KoTabAreaOKEvent();
    o->Put_KoTabAreaRefreshEvent();
    EXPECT_EQ(r.calls, (std::vector<std::string>{"Activete:2", "OK", "Refresh"}));
}

TEST(KoComm, RowAreaDialogTakesClicksThroughTheObjectAndWritesOnOK) {
    EnsureApp();
    WorkDir dir;
    std::ofstream(dir.path / "Lutewise.ini", std::ios::binary)
        << "[TAB]\r\nFontSize=10\r\nFontSize2=9\r\nGakki=0\r\n[TUNING]\r\nSettei01=1,2,3,4,0,0\r\n"
           "Settei02=1,2,3,4,5,6\r\nSettei03=1,2,3,4,5,0\r\n[RIREKI]\r\nMruList=\r\n[POSITION1]\r\nDanLeft=36\r\n"
           "DanTop=150\r\nDanTop2=52\r\nDanWidth=1024\r\nDanInterval=13\r\nDanInterval2=8\r\n";
    Library lib;
    for (const bool ok : {true, false}) {
        auto o = lib.Create();
        Recorder r;
        o->SetEventSink(&r);
        o->let_p_FormatType(1);
        o->Show_KoTabArea(0);
        QWidget* dlg = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "KoTabArea" && w->isVisible()) dlg = w;
        ASSERT_TRUE(dlg);
        const int tpp = 1440 / dlg->logicalDpiY();
        // The second round starts from what the first one wrote.
        EXPECT_EQ(dlg->findChild<QLineEdit*>("txtTop0")->text().toInt(), (ok ? 150 : 120) * tpp);
        EXPECT_EQ(o->get_p_OnMouseFlag(), 1);
        dlg->findChild<QRadioButton*>("optDan3")->click();
        o->let_p_X(100);
        o->let_p_TabAreaPos((ok ? 120.0 : 130.0) * tpp);
        dlg->findChild<QTabWidget*>("SSTab1")->setCurrentIndex(1);
        EXPECT_EQ(o->get_p_OnMouseFlag(), 2);
        o->let_p_TabAreaPos2(40.0 * tpp);
        EXPECT_EQ(dlg->findChild<QLineEdit*>("txtTop0")->text().toInt(), (ok ? 120 : 130) * tpp);
        EXPECT_EQ(dlg->findChild<QLineEdit*>("txtTop2_0")->text().toInt(), 40 * tpp);
        dlg->findChild<QPushButton*>(ok ? "OK" : "Cancel")->click();
        EXPECT_EQ(r.calls, (std::vector<std::string>{ok ? "OK" : "Refresh"}));
        EXPECT_FALSE(dlg->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const std::string ini = dir.Read("Lutewise.ini");
        if (ok) {
            EXPECT_NE(ini.find("DanTop=120\r\nDanTop2=40\r\n"), std::string::npos) << ini;
        } else {
            EXPECT_NE(ini.find("DanTop=120\r\n"), std::string::npos) << "Cancel writes nothing";
        }
    }
}

// ---------------------------------------------------------------- headless playback

namespace {

std::string PositionRecord(int pos, int count, int string, int fret, int len) {
    std::vector<int16_t> a(58, 0);
    a[2] = static_cast<int16_t>(count), a[3] = static_cast<int16_t>(pos);
    a[10 + 8 * (string - 1)] = 255;
    a[11 + 8 * (string - 1)] = static_cast<int16_t>(fret);
    a[17 + 8 * (string - 1)] = static_cast<int16_t>(len);
    return lw::FormatPositionRecord(a, 5);
}

struct Wav {
    int channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> left;
};
Wav ReadWav(const std::string& bytes) {
    Wav w;
    auto u16 = [&](size_t at) { return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8; };
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return w;
    w.channels = u16(22);
    w.rate = u16(24) | u16(26) << 16;
    w.bits = u16(34);
    for (size_t i = 44; i + 3 < bytes.size(); i += 4) w.left.push_back(static_cast<int16_t>(u16(i)));
    return w;
}

// Fundamental of samples [from, from + n): the shortest lag whose
// autocorrelation comes within 10 % of the best one.
double Pitch(const std::vector<int16_t>& s, size_t from, size_t n, int rate) {
    const int minLag = rate / 2000, maxLag = rate / 50;
    std::vector<double> ac(maxLag + 1, 0);
    double best = 0;
    for (int lag = minLag; lag <= maxLag; ++lag) {
        double sum = 0;
        for (size_t i = from; i < from + n; ++i) sum += double(s[i]) * s[i + lag];
        ac[lag] = sum;
        best = std::max(best, sum);
    }
    for (int lag = minLag + 1; lag < maxLag; ++lag)
        if (ac[lag] >= 0.9 * best && ac[lag] >= ac[lag - 1] && ac[lag] >= ac[lag + 1]) return double(rate) / lag;
    return 0;
}

double KeyHz(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

}  // namespace

TEST(KoComm, PlaysIntoAWavFileAtTheKeysAndTimesOfTheRows) {
    WorkDir dir;
    // Guitar, one measure: string 1 open for a quarter, string 2 fret 0 for a half.
    std::ofstream(dir.path / "Interface.tab", std::ios::binary)
        << PositionRecord(1, 2, 1, 0, 2) + PositionRecord(2, 2, 2, 0, 1);
    Library lib;
    auto o = lib.Create();
    Recorder r;
    o->SetEventSink(&r);
    o->let_p_SyosetsuSu(1);
    o->let_p_DocumentCount(1);
    o->let_p_Gakki(0);
    o->let_p_LineCnt(5);
    o->let_p_MeterID(22);
    // The defaults sound the guitar at its pitch: open E4 (key 64) and B3 (59).
    lw::clsKoComm::PlayOptions opt;
    std::string error;
    ASSERT_TRUE(o->Play_ToWav("Interface.tab", "out.wav", opt, error)) << error;
    EXPECT_EQ(r.calls, (std::vector<std::string>{"Activete:0"}));
    const Wav w = ReadWav(dir.Read("out.wav"));
    ASSERT_EQ(w.channels, 2);
    ASSERT_EQ(w.rate, 44100);
    ASSERT_EQ(w.bits, 16);
    const size_t music = 1800 * 44100 / 1000;
    ASSERT_GT(w.left.size(), music);
    EXPECT_LT(w.left.size(), music + 4 * 44100 + 4410) << "release tail";
    int peak = 0;
    for (int16_t v : w.left) peak = std::max(peak, std::abs(int(v)));
    EXPECT_GT(peak, 2000);
    EXPECT_NEAR(Pitch(w.left, 44100 / 10, 4410, 44100), KeyHz(64), KeyHz(64) * 0.03);
    EXPECT_NEAR(Pitch(w.left, 44100 * 8 / 10, 4410, 44100), KeyHz(59), KeyHz(59) * 0.03);

    // Refusals leave no file: a tempo that is no whole number, a missing SoundFont.
    opt.tempo = "12.5";
    EXPECT_FALSE(o->Play_ToWav("Interface.tab", "bad.wav", opt, error));
    EXPECT_NE(error.find("1～999"), std::string::npos) << error;
    opt.tempo = "100";
    setenv("LUTEWISE_SOUNDFONT", (dir.path / "none.sf2").c_str(), 1);
    EXPECT_FALSE(o->Play_ToWav("Interface.tab", "bad.wav", opt, error));
    unsetenv("LUTEWISE_SOUNDFONT");
    EXPECT_NE(error.find("none.sf2"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir.path / "bad.wav"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2) << "no temporary file left";
}
