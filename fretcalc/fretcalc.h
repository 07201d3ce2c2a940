/* Fretcalc: chord fingerings, chord tones, key spellings and staff-position
 * tables.
 *
 * C interface of libFretcalc.so. All integers are 32-bit; every text is a
 * NUL-terminated Shift-JIS (code page 932) string, so "♭" is the two bytes
 * 0x81 0xF3 and "△" the two bytes 0x81 0xA2. Texts are passed "by reference":
 * the library receives the address of the caller's text pointer. Booleans
 * are −1 (true) and 0 (false). All buffers belong to the caller.
 *
 * Inputs outside the documented ranges are refused without reading or
 * writing out of bounds: a null pointer (the char** or the text it points
 * to), a position outside 0..4, an index outside 0..29, a semitone outside
 * 0..11 or a key name outside the 30 names make the call return 0 (GetKeyIndex:
 * −1, "unknown name") and leave every output untouched.
 *
 * Editor code should use the UTF-8 wrapper in client/fretcalc_client.h. */
#ifndef FRETCALC_FRETCALC_H
#define FRETCALC_FRETCALC_H

#include <stdint.h>

#if defined(FRETCALC_BUILDING_LIBRARY)
#define FRETCALC_API __attribute__((visibility("default")))
#else
#define FRETCALC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One tone of a chord type: 16 bytes. */
typedef struct ChordToneRecord {
    int32_t semitones; /* above the root; −1 in an unused slot */
    char label[8];     /* interval label, NUL-terminated, at most 6 characters; empty when unused */
    int32_t sounded;   /* −1: one of the tones of a four-note voicing; 0: not */
} ChordToneRecord;

#define FRETCALC_CHORD_TONES 10
#define FRETCALC_CHORD_TYPES 30 /* records 0..29 of the chord-type table */

/* What EnumChordTable returns: 172 bytes, little-endian int32s, no padding. */
typedef struct ChordTypeRecord {
    char name[12]; /* type name, NUL-terminated, padded with NUL */
    ChordToneRecord tones[FRETCALC_CHORD_TONES];
} ChordTypeRecord;

#ifdef __cplusplus
static_assert(sizeof(ChordToneRecord) == 16, "ChordToneRecord must be 16 bytes");
static_assert(sizeof(ChordTypeRecord) == 172, "ChordTypeRecord must be 172 bytes");
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
_Static_assert(sizeof(ChordToneRecord) == 16, "ChordToneRecord must be 16 bytes");
_Static_assert(sizeof(ChordTypeRecord) == 172, "ChordTypeRecord must be 172 bytes");
#endif

#define FRETCALC_STAFF_ENTRIES 37 /* chromatic pitches 0..36 above the table's base C */

/* Frets for strings 1..4 of chord type *type (compared on its first
 * 10 bytes; pass it padded with blanks) with root value root (12..23) in hand
 * position 0..4. Writes frets[0..3] and returns −1, or returns 0 (unknown type,
 * empty position) leaving frets unchanged. */
FRETCALC_API int32_t GetChord(int32_t root, const char** type, int32_t position, int32_t* frets);

/* Copies record index (0..29) of the chord-type table into *record.
 * Returns 0 when that record is the terminator "EOF", −1 otherwise. */
FRETCALC_API int32_t EnumChordTable(ChordTypeRecord* record, int32_t index);

/* Semitone 0..11 of the first spelling whose first 3 bytes equal
 * the first 3 bytes of *name, or −1. Pass the name padded with blanks. */
FRETCALC_API int32_t GetKeyIndex(const char** name);

/* Writes the preferred spelling of semitone (0..11), padded with
 * blanks to 4 bytes, and a NUL into *buffer (at least 5 bytes). Returns the
 * semitone. */
FRETCALC_API int32_t GetKey(int32_t semitone, char** buffer);

/* Fill table[4*s .. 4*s+3] = line, half, raise, lower for s = 0..36
 * (treble clef, base C3; GetFivelinePosTable2: bass clef, base C2) for the key
 * named *keyName (one of the 30 major and minor names, compared whole).
 * Return 0. */
FRETCALC_API int32_t GetFivelinePosTable(const char** keyName, int32_t* table);
FRETCALC_API int32_t GetFivelinePosTable2(const char** keyName, int32_t* table);

#ifdef __cplusplus
}
#endif

#endif /* FRETCALC_FRETCALC_H */
