// A MusicXML score made into rows: one part, its first voice, measures of up
// to 24 positions in rows of up to M measures, with strings and frets from
// the file's TAB staff or, for a part with pitches only, from a fingering of
// the pitches on the instrument's strings. Everything the rows cannot hold
// and that would change the music is refused with the measure named.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "session.h"

namespace lw {

struct ImportOptions {
    int part = 1;              // 1-based, in the order of the file's parts
    int measuresPerRow = 4;    // 1..8
};

struct ImportedRow {
    DanData dan;               // SyosetsuCnt = the row's measures
    RowItems items;
    std::string key = "C";
    int16_t meter = 22;
};

struct ImportedPiece {
    int16_t gakkiCode = 0;     // the instrument the rows are written for
    int16_t maxStringIx = 5;
    bool tuningFromFile = false;
    std::vector<ImportedRow> rows;
    std::vector<std::string> warnings;   // dropped voices, chord names ...
};

inline constexpr int kMaxRowsPerProject = 10;

// settings: the session after the settings file was read (instrument,
// tunings, row geometry for the places of texts and signs). name names the
// file in messages. False with the message; piece is then incomplete.
bool ImportMusicXml(std::string_view xml, const std::string& name, const Session& settings, const ImportOptions& opt,
                    ImportedPiece& piece, std::string* error);

// The caption of an instrument or tuning code ("ギター", "Modal-D (DADGAD)" ...).
std::string TuningCaption(int gakkiCode);

}  // namespace lw
