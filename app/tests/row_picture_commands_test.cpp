// The row picture after every command that changes or redraws a row is the
// picture of a fresh open of the row as saved: the picture follows from the
// row alone, never from what was drawn before.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "app_test_support.h"
#include "document_window.h"
#include "main_window.h"
#include "note_entry.h"
#include "shell.h"
#include "transpose.h"

namespace fs = std::filesystem;
using namespace lw;
using namespace lwtest;

namespace {

struct Command {
    const char* name;
    bool drawNote;
    std::function<void(Shell&, DocumentWindow&)> run;
};

class RowPictureCommands : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }

    // A row generated from an example: its notes moved by the case's seed,
    // a few notes typed at the end of measure 3.
    static void Generate(Shell& sh, int seed) {
        NoteEntry& e = sh.Entry;
        for (int i = 0; i < 3; ++i) {
            e.SetCursor(3, 9, 1 + (seed + i) % 3);
            e.KeyDigit((seed * 7 + i * 3) % 10, 100000LL * (i + 1));
        }
        e.SetCursor(0, 1, 1);
    }

    // Opens `file` in a new main window; the row is the only one.
    static std::unique_ptr<MainWindow> Open(ScriptedUi& ui, MemoryUserStore& store, const std::string& path,
                                            bool drawNote) {
        auto mw = StartEditor(ui, store);
        mw->DialogHook = [](QDialog&) { return int(QDialog::Rejected); };
        mw->PopupHook = [](QMenu&) {};
        if (drawNote) mw->shell().SetDrawNote(true);
        mw->shell().DoFileOpen(path);
        return mw;
    }
};

}  // namespace

TEST_F(RowPictureCommands, EveryCommandLeavesThePictureOfAFreshOpenOfTheSavedRow) {
    using K = NoteEntry::Key;
    auto key = [](K k) { return [k](Shell& sh, DocumentWindow&) { sh.Entry.KeyCommand(k); }; };
    auto at = [](int m, int p, int string, std::function<void(NoteEntry&)> f) {
        return [=](Shell& sh, DocumentWindow&) {
            sh.Entry.SetCursor(m, p, string);
            sh.SetNowData(m, p);
            f(sh.Entry);
        };
    };
    const std::vector<Command> commands = {
        {"cursor onto an empty place", false, key(K::kKeyRight)},
        {"cursor moves", true, [](Shell& sh, DocumentWindow&) {
             sh.Entry.KeyCommand(NoteEntry::kKeyDown);
             sh.Entry.KeyCommand(NoteEntry::kKeyRight);
             sh.Entry.SetCursor(1, 9, 2);
         }},
        {"fret typed on a note", false, at(0, 2, 1, [](NoteEntry& e) { e.KeyDigit(7, 9000000); })},
        {"fret typed with notes drawn", true, at(1, 1, 2, [](NoteEntry& e) { e.KeyDigit(3, 9000000); })},
        {"'.' key", false, at(0, 1, 1, [](NoteEntry& e) { e.KeyCommand(NoteEntry::kKeyDot); })},
        {"rest key", true, at(2, 2, 1, [](NoteEntry& e) { e.KeyCommand(NoteEntry::kKeyRest); })},
        {"longer", false, at(1, 2, 1, [](NoteEntry& e) { e.KeyCommand(NoteEntry::kKeyLonger); })},
        {"shorter", true, at(1, 1, 1, [](NoteEntry& e) { e.KeyCommand(NoteEntry::kKeyShorter); })},
        {"delete key", false, at(0, 3, 1, [](NoteEntry& e) { e.KeyCommand(NoteEntry::kKeyDelete); })},
        {"pop-up: a semitone up", true, at(0, 1, 1, [](NoteEntry& e) { e.SetBityoseiNote(1, '+'); })},
        {"pop-up: flat/sharp", true, at(0, 2, 1, [](NoteEntry& e) { e.FlatSharpToggle(1); })},
        {"pop-up: to a rest", false, at(2, 1, 1, [](NoteEntry& e) { e.ChgNote2Kyufu(); })},
        {"pop-up: fret", false, at(0, 1, 1, [](NoteEntry& e) { e.PopupFret(1, 5); })},
        {"pop-up: rhythm", true, at(0, 1, 1, [](NoteEntry& e) { e.PopupRhythm(3); })},
        {"pop-up: tie, slur, dot, beam, stem", true, at(1, 2, 1, [](NoteEntry& e) {
             for (int box = 0; box < 5; ++box) e.PopupToggle(box);
         })},
        {"pop-up: copy and paste", false, at(0, 1, 1, [](NoteEntry& e) {
             e.NoteCopy();
             e.SetCursor(0, 3, 1);
             e.NotePaste();
         })},
        {"note-entry: add", false, [](Shell& sh, DocumentWindow&) {
             sh.Entry.OptFletClick(2, 4);
             sh.g.CurSyosetsuIx = 3;
             sh.Entry.CmdAdd();
         }},
        {"note-entry: update and undo", true, at(0, 2, 1, [](NoteEntry& e) {
             e.OptFletClick(1, 6);
             e.UpdateProc();
             e.CmdUndo();
         })},
        {"chord names OK", false, [](Shell& sh, DocumentWindow&) {
             sh.s.DanBuf[sh.ActiveRow()->Slot()].Syosetsu[1].Chord1 = "Am7";
             sh.ChordsStored();
         }},
        {"repeat marks OK", true, [](Shell& sh, DocumentWindow&) {
             sh.s.DanBuf[sh.ActiveRow()->Slot()].Syosetsu[1].BarFlag[kBarRepEnd] = -1;
             sh.RepFlagsChanged();
         }},
        {"common settings OK", false, [](Shell& sh, DocumentWindow&) { sh.CommonSettingsStored(); }},
        {"palette sign placed", false, [](Shell& sh, DocumentWindow& doc) {
             sh.ChooseRepOption(0);
             doc.PressAt(kLeftButton, 4000, 300);
             doc.ReleaseAt(kLeftButton, 4000, 300);
         }},
        {"save", true, [](Shell& sh, DocumentWindow&) { sh.FileSave(); }},
        {"undo", false, [](Shell& sh, DocumentWindow&) {
             sh.Entry.SetCursor(0, 1, 1);
             sh.Entry.KeyDigit(9, 9000000);
             sh.Undo();
         }},
        {"undo and redo", true, [](Shell& sh, DocumentWindow&) {
             sh.Entry.SetCursor(0, 1, 1);
             sh.Entry.KeyDigit(9, 9000000);
             sh.Undo();
             sh.Redo();
         }},
        {"measure count", false, [](Shell& sh, DocumentWindow&) { sh.VScroll1Change(4); }},
        {"time signature", true, [](Shell& sh, DocumentWindow&) { sh.MeterMenu(12); }},
        {"bar line dragged", false, [](Shell& sh, DocumentWindow& doc) {
             const DanLayoutData& l = sh.s.DanLayout[sh.ActiveRow()->Slot()];
             sh.ActiveEditor()->MoveKugiri(0, l.SyosetsuLeft[1] + 300);
             sh.RowEdited();
         }},
        {"transposition", true, [](Shell& sh, DocumentWindow&) {
             ScriptedUi quiet;
             ItyouTAB(sh.s, quiet, 2);   // what "移調(&M)" does after its dialog
             sh.mnuViewRefresh();
             sh.RowEdited();
         }},
        {"F5", false, [](Shell& sh, DocumentWindow&) { sh.mnuViewRefresh(); }},
        {"redraw, rewriting off", true, [](Shell& sh, DocumentWindow&) {
             sh.s.RhythmRewrite = false;
             sh.mnuViewReDraw();
         }},
        {"redraw, rewriting on", false, [](Shell& sh, DocumentWindow&) {
             sh.s.RhythmRewrite = true;
             sh.Entry.SetCursor(0, 1, 1);
             sh.Entry.KeyDigit(4, 9000000);
             sh.mnuViewReDraw();
         }},
        {"one-measure row, a note typed", false, [](Shell& sh, DocumentWindow&) {
             sh.VScroll1Change(8);
             sh.s.RhythmRewrite = true;
             sh.Entry.SetCursor(0, 1, 2);
             sh.Entry.KeyDigit(5, 9000000);
         }},
    };
    const char* examples[] = {"kirakira1.tab", "ode1.tab", "ode2.tab"};
    int seed = 0;
    for (const Command& c : commands) {
        SCOPED_TRACE(c.name);
        const std::string example = examples[seed % 3];
        auto work = std::make_unique<WorkFolder>();
        fs::copy_file(fs::path(LUTEWISE_SOURCE_DIR) / "data/examples" / example, work->File("row.tab"));
        ScriptedUi ui;
        MemoryUserStore store;
        auto mw = Open(ui, store, work->File("row.tab"), c.drawNote);
        Shell& sh = mw->shell();
        ASSERT_EQ(sh.Rows().size(), 1u);
        RowDoc* row = sh.Rows()[0].get();
        Generate(sh, ++seed);
        ui.answers.assign(8, kIdYes);
        c.run(sh, *mw->SubWindowOf(row->Id)->Document());
        const QImage after = row->Picture.copy();
        ui.saveAnswers = {work->File("saved.tab")};
        sh.AskSave = true;
        ASSERT_TRUE(sh.FileSaveTab());
        EXPECT_EQ(row->Picture, after) << "saving changed the picture";

        ScriptedUi ui2;
        MemoryUserStore store2;
        auto fresh = Open(ui2, store2, work->File("saved.tab"), c.drawNote);
        ASSERT_EQ(fresh->shell().Rows().size(), 1u);
        const QImage& expected = fresh->shell().Rows()[0]->Picture;
        ASSERT_EQ(after.size(), expected.size());
        int differ = 0;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x) differ += after.pixel(x, y) != expected.pixel(x, y);
        EXPECT_EQ(differ, 0);
        if (const char* dir = std::getenv("LUTEWISE_RENDER_PNG_DIR"); differ && dir) {
            after.save(QString("%1/cmd_%2_after.png").arg(dir).arg(seed));
            expected.save(QString("%1/cmd_%2_fresh.png").arg(dir).arg(seed));
        }
        sh.AskSave = false;
        fresh->shell().AskSave = false;
    }
}
