#include "instrument_sound.h"

namespace lw {

namespace {
bool IsBass(int code) { return code == 3 || code == 22 || code == 97 || code == 98; }
}  // namespace

int SoundingBase(int code) {
    if (code == 1 || code == 2 || code == 4 || code == 21) return 48;
    if (IsBass(code)) return 24;
    return 36;
}

int GmProgramOf(int code) {
    if (IsBass(code)) return 34;  // Electric Bass (finger)
    if (code == 4) return 26;     // Acoustic Guitar (steel)
    return 25;                    // Acoustic Guitar (nylon)
}

}  // namespace lw
