// Shared pieces of the shell tests: a Qt application on the offscreen
// platform, a scripted UI port and a working folder with the settings file.
#pragma once

#include <QApplication>
#include <QDialog>
#include <gtest/gtest.h>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document_window.h"
#include "main_window.h"
#include "shell.h"
#include "ui_port.h"

namespace lwtest {

void EnsureApp();

struct ScriptedUi : lw::UiPort {
    struct Msg {
        std::string text;
        int buttons;
        std::string title;
    };
    std::vector<Msg> shown;
    std::deque<int> answers;               // for message boxes, in order
    std::deque<std::string> openAnswers;   // file-open dialogs
    std::deque<std::string> saveAnswers;   // file-save dialogs
    std::vector<std::string> saveProposals;
    int openAsked = 0, saveAsked = 0;

    int MessageBox(const std::string& text, int buttons, const std::string& title) override;
    std::string OpenFileName(const std::string& filter, const std::string& startDir) override;
    std::string SaveFileName(const std::string& filter, const std::string& proposed) override;
};

// A temporary working folder with Lutewise.ini and the ground pictures,
// made the current folder for the test's lifetime.
class WorkFolder {
public:
    WorkFolder();
    ~WorkFolder();
    std::filesystem::path path;
    std::string File(const std::string& name) const { return (path / name).string(); }

private:
    std::filesystem::path old_;
};

std::string ReadBytes(const std::string& path);

// Starts an editor as the program does: the main window loaded, shown
// unless `show` is false, and the start values set.
std::unique_ptr<lw::MainWindow> StartEditor(ScriptedUi& ui, lw::MemoryUserStore& store, bool show = true);

// A started editor without rows in a fresh working folder.
class EditorTest : public ::testing::Test {
protected:
    explicit EditorTest(bool show = true) : show_(show) {}
    void SetUp() override {
        EnsureApp();
        work = std::make_unique<WorkFolder>();
        mw = StartEditor(ui, store, show_);
    }
    void TearDown() override {
        if (mw) sh().AskSave = false;
        mw.reset();
        work.reset();
    }
    lw::Shell& sh() { return mw->shell(); }
    // The example row kirakira1.tab copied into the working folder and
    // opened as the only row: row, its window doc and its path example.
    void OpenExampleRow();
    ScriptedUi ui;
    lw::MemoryUserStore store;
    std::unique_ptr<WorkFolder> work;
    std::unique_ptr<lw::MainWindow> mw;
    std::string example;
    lw::RowDoc* row = nullptr;
    lw::DocumentWindow* doc = nullptr;

private:
    bool show_;
};

// The started editor with every dialog cancelled unless a test answers it
// through DialogHook.
class FreshEditor : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        mw->DialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    }
    std::string Ini() { return ReadBytes(work->File("Lutewise.ini")); }
};
void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace lwtest
