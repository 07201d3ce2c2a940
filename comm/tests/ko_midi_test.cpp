// The Midi Player window: its start values, menus and the refusal of a bad
// tempo. Its sound goes to the built-in synthesizer writing into a file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <cstdlib>
#include <filesystem>

#include "comm_test_support.h"
#include "ko_midi.h"

namespace {

using lw_comm_test::EnsureApp;
using lw_comm_test::Ui;

}  // namespace

TEST(KoMIDI, StartValuesMenusAndTheTempoRefusal) {
    EnsureApp();
    // No audio device is tried: the synthesizer writes into the temporary folder.
    const std::filesystem::path tmp = std::filesystem::temp_directory_path() / ("lw-komidi-" + std::to_string(getpid()));
    std::filesystem::create_directories(tmp);
    setenv("TMPDIR", tmp.c_str(), 1);
    setenv("LUTEWISE_AUDIO_DRIVER", "file", 1);
    {
        // Start values: the mapper, channel 1, full volume, tempo 100, no
        // loop, the first row; base note and instrument those of the tuning
        // (a guitar's open strings E2..E4 on a nylon guitar, a bass an
        // octave lower on a finger bass, a mandolin on a steel guitar).
        struct Start {
            int gakki, base;
            const char* item;
            const char* caption;
        } starts[] = {{0, 36, "GMNo25", "Acoustic Guitar(nylon)"},
                      {3, 24, "GMNo34", "Electric Bass(finger)"},
                      {4, 48, "GMNo26", "Acoustic Guitar(steel)"}};
        for (const Start& st : starts) {
            Ui ui;
            lw::KoMIDI w(ui, [](int16_t) {});
            w.Player().Gakki = static_cast<int16_t>(st.gakki);
            w.Player().StopFlag = true;
            w.Player().CurrentRow = 3;
            w.FormLoad();
            EXPECT_TRUE(ui.shown.empty()) << ui.shown.front();
            EXPECT_TRUE(w.device[0]->isChecked());
            EXPECT_EQ(w.device[0]->text(), "MIDI Mapper");
            EXPECT_TRUE(w.chan[0]->isChecked());
            EXPECT_EQ(w.Player().Channel, 0);
            EXPECT_EQ(w.vol->value(), 127);
            EXPECT_EQ(w.Player().Velocity, 127);
            EXPECT_EQ(w.txtSleep->text(), "100");
            EXPECT_FALSE(w.LoopOn->isChecked());
            EXPECT_FALSE(w.Player().LoopFlag);
            EXPECT_FALSE(w.Player().StopFlag);
            EXPECT_EQ(w.Player().CurrentRow, 0);
            EXPECT_EQ(w.Player().BaseNote, st.base) << st.gakki;
            EXPECT_EQ(w.Player().Instrument, std::atoi(st.item + 4)) << st.gakki;
            QAction* item = w.findChild<QAction*>(st.item);
            ASSERT_TRUE(item);
            EXPECT_TRUE(item->isChecked());
            EXPECT_EQ(item->text(), st.caption);
            EXPECT_TRUE(w.labInfo->text().isEmpty());
            EXPECT_TRUE(w.labGakki->text().isEmpty());
        }

        Ui ui;
        std::vector<int> activated;
        lw::KoMIDI w(ui, [&](int16_t i) { activated.push_back(i); });
        w.Player().DocumentCount = 1;
        w.Player().SyosetsuSu = 1;
        w.FormLoad();
        EXPECT_NE(w.labOutput->text().indexOf(QStringLiteral("内蔵シンセサイザー")), -1) << w.labOutput->text().toStdString();
        // Every instrument item names a General MIDI sound.
        for (const lw::GmItem& g : lw::kGmItems) EXPECT_TRUE(g.number >= 1 && g.caption && *g.caption) << g.number;

        w.chan[2]->trigger();
        w.findChild<QAction*>("GMNo1")->trigger();
        w.vol->setValue(90);
        w.LoopOn->setChecked(true);
        EXPECT_EQ(w.Player().Channel, 2);
        EXPECT_EQ(w.Player().Instrument, 1);
        EXPECT_FALSE(w.findChild<QAction*>("GMNo25")->isChecked());
        EXPECT_EQ(w.Player().Velocity, 90);
        EXPECT_TRUE(w.Player().LoopFlag);

        // A tempo that is no whole number 1..999: refused, nothing plays.
        w.txtSleep->setText("0");
        w.Play->click();
        EXPECT_EQ(ui.shown, (std::vector<std::string>{lw::kTempoRefused}));
        EXPECT_TRUE(activated.empty());
        EXPECT_FALSE(w.Play->isChecked());
        EXPECT_TRUE(w.Play->isEnabled());
        EXPECT_FALSE(w.PlayStop->isEnabled());

        w.PlayStopClick();
        EXPECT_FALSE(w.LoopOn->isChecked());
        EXPECT_FALSE(w.Player().LoopFlag);
        EXPECT_TRUE(w.Player().StopFlag);
    }
    unsetenv("LUTEWISE_AUDIO_DRIVER");
    unsetenv("TMPDIR");
    std::filesystem::remove_all(tmp);
}

TEST(KoMIDI, BaseNoteAnswers) {
    struct Case {
        const char* text;
        bool taken;
        int16_t value;
    } cases[] = {{"48", true, 48}, {" 0 ", true, 0}, {"111", true, 111}, {"111.4", true, 111},
                 {"60.5", true, 60}, {"61.5", true, 62}, {"112", false, 7}, {"-1", false, 7},
                 {"", false, 7},    {"C4", false, 7}};
    for (const Case& c : cases) {
        int16_t base = 7;
        EXPECT_EQ(lw::ParseBaseNote(c.text, base), c.taken) << c.text;
        EXPECT_EQ(base, c.value) << c.text;
    }
}
