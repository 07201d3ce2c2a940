// A MusicXML score (score-partwise) read into plain records: per part the
// measures with their notes, chord symbols, directions, bar lines and the
// attributes that change in them. Times are exact fractions of a quarter
// note from the measure's start; pitches are sounding key numbers (middle C
// = 60) with any transposition applied. No judgement about what a row can
// hold is made here.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// A time or a length in quarter notes, kept exact.
struct Quarters {
    int64_t num = 0, den = 1;
    // Reduced; a denominator beyond 2^30 (only from nonsense input) is
    // rounded to it, so no operation overflows.
    static Quarters Of(__int128 n, __int128 d);
    Quarters operator+(const Quarters& o) const { return Of(__int128(num) * o.den + __int128(o.num) * den, __int128(den) * o.den); }
    Quarters operator-(const Quarters& o) const { return Of(__int128(num) * o.den - __int128(o.num) * den, __int128(den) * o.den); }
    bool operator==(const Quarters& o) const { return num == o.num && den == o.den; }
    bool operator<(const Quarters& o) const { return __int128(num) * o.den < __int128(o.num) * den; }
    bool operator<=(const Quarters& o) const { return !(o < *this); }
    bool operator>(const Quarters& o) const { return o < *this; }
    double Value() const { return double(num) / double(den); }
};

enum class Technique : int { None = -1, Hammer = 0, Pull = 1, Slide = 2 };

struct SrcNote {
    int staff = 1;
    std::string voice = "1";
    bool chord = false, rest = false, measureRest = false, grace = false, cue = false, unpitched = false;
    bool microtone = false;
    int midi = -1;                 // sounding key number
    std::string name;              // the pitch as written, "F#4", for messages
    Quarters start, length;
    std::string type;              // "quarter" ...; "" when absent
    int dots = 0;
    int actual = 0, normal = 0;    // time-modification, 0 when none
    std::string normalType;
    int normalDots = 0;
    int string = 0, fret = -1;     // from <technical>, 0 / -1 when absent
    bool tieStart = false, tieStop = false;
    bool stemDown = false;         // <stem>down</stem>
    std::vector<std::pair<int, bool>> slurs;   // number, true = start
    Technique techStart = Technique::None, techStop = Technique::None;
};

struct SrcHarmony {
    Quarters at;
    std::string rootStep;          // "" for a harmony without a root (N.C., functions)
    int rootAlter = 0;
    std::string kind, kindText;
    bool hasKindText = false;
    std::string bassStep;
    int bassAlter = 0;
    std::vector<std::string> degrees;   // "add9", "alt5-1" ...
};

struct SrcDirection {
    Quarters at;
    std::string words;             // all words of the direction, joined
    double fontSize = 0;
    bool segno = false, coda = false;
    bool soundDalSegno = false, soundDaCapo = false, soundFine = false, soundToCoda = false;
};

struct SrcMeasure {
    std::string number;            // as written; the ordinal when absent
    bool newSystem = false;
    bool hasKey = false;
    int fifths = 0;
    std::string mode;
    bool hasTime = false, timeUnsupported = false;
    int beats = 0, beatType = 0;
    std::string timeText;          // "5/4", "3+2/8" ... for messages
    bool repeatForward = false, repeatBackward = false, finalBar = false;
    std::string endingStart;       // ending numbers starting here ("1", "1, 2")
    bool endingStop = false;       // an ending closes at this measure's end
    std::vector<SrcNote> notes;
    std::vector<SrcHarmony> harmonies;
    std::vector<SrcDirection> directions;
    Quarters length;               // the furthest time reached in the measure
};

struct SrcPart {
    std::string id, name;
    std::vector<SrcMeasure> measures;
    std::vector<int> tabStaves;    // staff numbers with a TAB clef
    std::map<int, int> tuning;     // TAB line (1 = lowest string) -> sounding key
    int tuningStaff = 0;           // the staff the tuning belongs to
    int staffLines = 0;            // lines of that staff
    bool capo = false;
};

struct SrcScore {
    std::vector<SrcPart> parts;
    std::string software;
};

// False with a message when the text is no MusicXML score-partwise. name
// names the file in messages.
bool ReadMusicXml(std::string_view xml, const std::string& name, SrcScore& score, std::string* error);

}  // namespace lw
