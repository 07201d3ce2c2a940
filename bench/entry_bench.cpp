// One keyboard note edit on a full row (8 measures x 24 positions x 6
// strings): the fret typed goes through the note-entry commands, the row is
// laid out again and painted whole, as the row window does after every key.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>

#include "full_row.h"
#include "note_entry.h"
#include "row_picture.h"

namespace {

struct BenchHost : lw::NoteEntryHost {
    lw::RowEditor* ed = nullptr;
    lw::RowEditor* ActiveEditor() override { return ed; }
    void NoteRowEdited() override {}
};

void BM_KeyboardNoteEdit(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "entry_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    lwbench::FullRow row;
    BenchHost host;
    host.ed = row.ed.get();
    lw::NoteEntry entry(row.s, row.g, host);
    entry.SetCursor(3, 12, 2);
    QImage target(1100, 280, QImage::Format_RGB32);
    const lw::RowGround ground = lwbench::BenchGround(target.size());
    const lw::RowStyle style = lw::RowStyleOf(row.s, 0, false);
    long long t = 0;
    int digit = 0;
    for (auto _ : state) {
        t += 5000;  // every key a new fret, never the second digit of one
        entry.KeyDigit(3 + digit++ % 6, t);
        lwbench::PaintInto(target, row, style, ground);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_KeyboardNoteEdit)->Unit(benchmark::kMicrosecond);

}  // namespace
