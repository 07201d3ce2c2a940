#include "app_test_support.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace lwtest {

void EnsureApp() {
    if (QApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

int ScriptedUi::MessageBox(const std::string& text, int buttons, const std::string& title) {
    shown.push_back({text, buttons, title});
    if (!answers.empty()) {
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    const int kind = buttons & 0x0f;
    return kind == lw::kMbYesNo || kind == lw::kMbYesNoCancel ? lw::kIdNo : lw::kIdOk;
}

std::string ScriptedUi::OpenFileName(const std::string&, const std::string&) {
    ++openAsked;
    if (openAnswers.empty()) return {};
    std::string a = openAnswers.front();
    openAnswers.pop_front();
    return a;
}

std::string ScriptedUi::SaveFileName(const std::string&, const std::string& proposed) {
    ++saveAsked;
    saveProposals.push_back(proposed);
    if (saveAnswers.empty()) return {};
    std::string a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
}

WorkFolder::WorkFolder() {
    std::random_device rd;
    path = fs::temp_directory_path() / ("lw_app_test_" + std::to_string(rd()));
    fs::create_directories(path / "Recovery");
    const fs::path data = fs::path(LUTEWISE_SOURCE_DIR) / "data";
    for (const char* f : {"Lutewise.ini", "TABn1.bmp", "TABn2.bmp", "TABn3.bmp"}) {
        std::error_code ec;
        fs::copy_file(data / f, path / f, fs::copy_options::overwrite_existing, ec);
    }
    old_ = fs::current_path();
    fs::current_path(path);
}

WorkFolder::~WorkFolder() {
    std::error_code ec;
    fs::current_path(old_, ec);
    fs::remove_all(path, ec);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::unique_ptr<lw::MainWindow> StartEditor(ScriptedUi& ui, lw::MemoryUserStore& store, bool show) {
    auto mw = std::make_unique<lw::MainWindow>(ui, store);
    mw->LoadMainForm();
    if (show) mw->show();
    mw->shell().InitStartValues();
    return mw;
}

void EditorTest::OpenExampleRow() {
    example = work->File("kirakira1.tab");
    fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples/kirakira1.tab", example);
    sh().DoFileOpen(example);
    ASSERT_EQ(sh().Rows().size(), 1u);
    row = sh().Rows()[0].get();
    doc = mw->SubWindowOf(row->Id)->Document();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace lwtest
