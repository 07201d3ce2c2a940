/* Compiled as C: the public header is valid C, and the exports link and
 * behave when called from C. Used by exports_test.cpp. */
#include "fretcalc.h"

#include <stddef.h>

int FretcalcCheckRecordSize(void) { return (int)sizeof(ChordTypeRecord); }
int FretcalcCheckToneOffset(void) { return (int)offsetof(ChordTypeRecord, tones); }
int FretcalcCheckLabelOffset(void) { return (int)offsetof(ChordToneRecord, label); }
int FretcalcCheckSoundedOffset(void) { return (int)offsetof(ChordToneRecord, sounded); }

int32_t FretcalcCheckGetChordFromC(int32_t root, const char* type, int32_t position, int32_t* frets) {
    return GetChord(root, &type, position, frets);
}

int32_t FretcalcCheckGetKeyFromC(int32_t semitone, char* buffer) { return GetKey(semitone, &buffer); }
