// A 40-measure piece (ten rows of four measures: melody in eighths, a chord
// and a rest in every measure, chord names, ties and slurs) through MusicXML:
// writing it, reading it back with its TAB staff, reading it with pitches
// only (the fingering decides every string), and the rows' file contents.
#include <benchmark/benchmark.h>

#include <memory>
#include <regex>

#include "import_files.h"
#include "musicxml_import.h"
#include "musicxml_writer.h"
#include "settings.h"

using namespace lw;

namespace {

struct Piece {
    std::unique_ptr<Session> s = std::make_unique<Session>();
    std::vector<RowItems> items = std::vector<RowItems>(10);
    std::vector<ScoreRow> rows;
    std::string xml, pitchesOnly;

    Piece() {
        s->GakkiCode = 0;
        s->MaxStringIx = 5;
        s->CurSyosetsuCnt = 4;
        DanLayoutData& l = s->DanLayout[0];
        l.TabLeft = 540, l.TabWidth = 15360, l.TabTop = 2250, l.StaffTop = 780, l.StringInterval = 195, l.StaffInterval = 120;
        DeriveLayout(*s);
        static const int kFrets[8][2] = {{1, 0}, {1, 1}, {1, 3}, {2, 0}, {2, 1}, {2, 3}, {3, 0}, {3, 2}};
        for (int r = 0; r < 10; ++r) {
            DanData& d = s->DanBuf[r];
            d.SyosetsuCnt = 4;
            s->KeyName[r] = "C";
            for (int m = 0; m < 4; ++m) {
                SyosetsuData& ms = d.Syosetsu[m];
                ms.BarFlag[kBarPlain] = ms.BarFlag[kBarPlain2] = kTrue;
                ms.Chord1 = m % 2 ? "G7" : "C";
                auto put = [&](std::vector<std::pair<int, int>> notes, int id, uint8_t attr) {
                    OnpuData& o = ms.Onpu[++ms.OnpuCnt];
                    o.PosNo = ms.OnpuCnt;
                    o.NoteAttr = attr;
                    if (id > 20) StoreRest(o, id, 5);
                    for (auto [k, f] : notes) StoreNote(o, k, f, id);
                };
                put({{5, 3}, {4, 2}, {3, 0}, {2, 1}, {1, 0}}, 2, 0);
                for (int p = 0; p < 4; ++p) put({{kFrets[(m + p + r) % 8][0], kFrets[(m + p + r) % 8][1]}}, 3, p == 3 ? 0x40 : 0);
                put({}, 23, 0);
            }
            rows.push_back({r, &items[r]});
        }
        xml = MusicXmlOf(*s, rows, "bench");
        pitchesOnly = std::regex_replace(xml, std::regex("<string>[0-9]+</string><fret>[0-9]+</fret>"), "");
        pitchesOnly = std::regex_replace(pitchesOnly, std::regex("<staff-tuning.*?</staff-tuning>"), "");
    }
};

const Piece& ThePiece() {
    static Piece p;
    return p;
}

void BM_Export40Measures(benchmark::State& state) {
    const Piece& p = ThePiece();
    for (auto _ : state) benchmark::DoNotOptimize(MusicXmlOf(*p.s, p.rows, "bench"));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.xml.size()));
}
BENCHMARK(BM_Export40Measures)->Unit(benchmark::kMillisecond);

void Import(benchmark::State& state, const std::string& xml, bool files) {
    const Piece& p = ThePiece();
    for (auto _ : state) {
        ImportedPiece piece;
        std::string error;
        if (!ImportMusicXml(xml, "bench", *p.s, ImportOptions{}, piece, &error) || piece.rows.size() != 10) {
            state.SkipWithError(error.c_str());
            return;
        }
        if (files) {
            std::vector<ImportFile> out;
            ImportFiles(piece, *p.s, "/tmp/bench.tbp", out, &error);
            benchmark::DoNotOptimize(out);
        }
        benchmark::DoNotOptimize(piece);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(xml.size()));
}

void BM_Import40Measures(benchmark::State& state) { Import(state, ThePiece().xml, false); }
BENCHMARK(BM_Import40Measures)->Unit(benchmark::kMillisecond);

void BM_Import40MeasuresPitchesOnly(benchmark::State& state) { Import(state, ThePiece().pitchesOnly, false); }
BENCHMARK(BM_Import40MeasuresPitchesOnly)->Unit(benchmark::kMillisecond);

void BM_Import40MeasuresToRowFiles(benchmark::State& state) { Import(state, ThePiece().xml, true); }
BENCHMARK(BM_Import40MeasuresToRowFiles)->Unit(benchmark::kMillisecond);

}  // namespace
