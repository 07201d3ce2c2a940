// The chord and key tables in their documented table form, transcribed
// separately from the library's own data so that the library's hand-written data is checked against an
// independent transcription. Parsed by test_support.cpp.
#pragma once

namespace fretcalc_test {

// ChordShapeTable (rows 0..25).
inline constexpr const char* kRefShapeTable = R"TABLE(
| 0 | "Major" | C 0: 3 0 0 0 | D 2: 0 2 2 2 | F 5: 0 1 0 2 | G 7: 2 3 2 0 | A 9: 0 0 1 2 |
| 1 | "m" | A 9: 0 0 0 2 | D 2: 0 1 2 2 | G 7: 1 3 2 0 | — | — |
| 2 | "7" | C 0: 1 0 0 0 | A 9: 0 0 1 0 | G 7: 2 1 2 0 | E 4: 2 0 2 1 | — |
| 3 | "m7" | A 9: 0 0 0 0 | G 7: 1 1 2 0 | F# 6: 0 2 1 2 | E 4: 2 0 2 0 | C# 1: 2 0 1 1 |
| 4 | "dim" | B♭ 10: 1 0 1 0 | G 7: 1 0 1 0 | E 4: 1 0 1 0 | C# 1: 1 0 1 0 | — |
| 5 | "11" | C 0: 1 1 2 0 | A 9: 2 0 2 0 | F# 6: 2 0 1 1 | D 2: 0 0 0 0 | — |
| 6 | "13" | C 0: 1 0 2 2 | A 9: 2 2 1 0 | F# 6: 1 0 3 1 | D# 3: 3 1 1 0 | — |
| 7 | "13(♭9)" | C 0: 1 0 1 2 | A 9: 1 2 1 0 | F# 6: 1 0 3 0 | D# 3: 3 0 1 0 | — |
| 8 | "6(9)" | C 0: 0 0 2 0 | B♭ 10: 3 1 2 0 | G 7: 2 0 2 2 | D# 3: 1 1 0 0 | — |
| 9 | "7sus4" | C 0: 1 1 0 0 | A 9: 0 0 2 0 | G 7: 3 1 2 0 | E 4: 2 0 2 2 | — |
| 10 | "7sus6" | C 0: 1 0 0 2 | A 9: 0 2 1 0 | G 7: 2 1 4 0 | C 0: 0 0 0 3 | — |
| 11 | "7(13)" | C 0: 1 0 0 2 | A 9: 0 2 1 0 | G 7: 2 1 4 0 | C 0: 0 0 0 3 | — |
| 12 | "7(#5)" | C 0: 1 0 0 1 | A 9: 0 1 1 0 | G 7: 2 1 3 0 | E 4: 3 0 2 1 | — |
| 13 | "7(#9)" | C 0: 1 0 3 0 | A 9: 3 0 1 0 | F# 6: 1 0 1 2 | D# 3: 1 2 1 0 | — |
| 14 | "7(-5)" | B♭ 10: 1 0 2 1 | G 7: 2 1 1 0 | E 4: 1 0 2 1 | C# 1: 2 1 1 0 | — |
| 15 | "7(♭9)" | C 0: 1 0 1 0 | A 9: 1 0 1 0 | F# 6: 1 0 1 0 | D# 3: 1 0 1 0 | — |
| 16 | "9" | C 0: 1 0 2 0 | A 9: 2 0 1 0 | F# 6: 1 0 1 1 | D# 3: 1 1 1 0 | — |
| 17 | "△11" | C 0: 1 1 2 0 | A 9: 2 0 2 0 | F# 6: 2 0 1 1 | D 2: 0 0 0 0 | — |
| 18 | "△6" | C 0: 0 0 0 0 | B♭ 10: 1 1 2 0 | G 7: 2 0 2 0 | E 4: 2 0 1 1 | — |
| 19 | "△7" | C 0: 2 0 0 0 | A 9: 0 0 1 1 | G 7: 2 2 2 0 | E 4: 2 0 3 1 | — |
| 20 | "△9" | C 0: 2 0 2 0 | A 9: 2 0 1 1 | F 5: 0 0 0 0 | D# 3: 1 1 2 0 | — |
| 21 | "(#5)" | A 9: 0 1 1 2 | F 5: 0 1 1 2 | C# 1: 0 1 1 2 | — | — |
| 22 | "m6(9)" | B♭ 10: 3 1 1 0 | G 7: 1 0 2 2 | E 4: 2 2 1 0 | C# 1: 1 0 3 1 | — |
| 23 | "m6" | B♭ 10: 1 1 1 0 | G 7: 1 0 2 0 | E 4: 2 0 1 0 | C# 1: 1 0 1 1 | — |
| 24 | "m7(-5)" | B♭ 10: 1 0 1 1 | G 7: 1 1 1 0 | E 4: 1 0 2 0 | C# 1: 2 0 1 0 | — |
| 25 | "m9" | A 9: 2 0 0 0 | F# 6: 0 0 1 1 | E 4: 2 2 2 0 | C# 1: 2 0 3 1 | — |
)TABLE";

// The chord-type table (indexes 0..26).
inline constexpr const char* kRefChordTypeTable = R"TABLE(
| 0 | "Major" | 0 "P1" s; 4 "M3" s; 7 "P5" s |
| 1 | "m" | 0 "P1" s; 3 "m3" s; 7 "P5" s |
| 2 | "(#5)" | 0 "P1" s; 4 "M3" s; 8 "m6" s |
| 3 | "7" | 0 "P1" s; 4 "M3" s; 7 "P5" s; 10 "m7" s |
| 4 | "m7" | 0 "P1" s; 3 "m3" s; 7 "P5" s; 10 "m7" s |
| 5 | "dim" | 0 "P1" s; 3 "m3" s; 6 "-5" s; 9 "M6" s |
| 6 | "11" | 0 "P1"; 2 "M9" s; 4 "M3"; 5 "P11" s; 7 "P5" s; 10 "m7" s |
| 7 | "13" | 0 "P1"; 2 "M9" s; 4 "M3" s; 7 "P5"; 9 "M6" s; 10 "m7" s |
| 8 | "13(♭9)" | 0 "P1"; 1 "m9" s; 4 "M3" s; 7 "P5"; 9 "M13" s; 10 "m7" s |
| 9 | "6(9)" | 0 "P1"; 2 "M9" s; 4 "M3" s; 7 "P5" s; 9 "M6" s |
| 10 | "7sus4" | 0 "P1" s; 5 "P4" s; 7 "P5" s; 10 "m7" s |
| 11 | "7sus6" | 0 "P1" s; 4 "M3" s; 7 "P5"; 9 "M6" s; 10 "m7" s |
| 12 | "7(13)" | 0 "P1" s; 4 "M3" s; 7 "P5"; 9 "M6" s; 10 "m7" s |
| 13 | "7(#5)" | 0 "P1" s; 4 "M3" s; 8 "m6" s; 10 "m7" s |
| 14 | "7(#9)" | 0 "P1"; 3 "m10" s; 4 "M3" s; 7 "P5" s; 10 "m7" s |
| 15 | "7(-5)" | 0 "P1" s; 4 "M3" s; 6 "-5" s; 10 "m7" s |
| 16 | "7(♭9)" | 0 "P1"; 1 "m9" s; 4 "M3" s; 7 "P5" s; 10 "m7" s |
| 17 | "9" | 0 "P1"; 2 "M9" s; 4 "M3" s; 7 "P5" s; 10 "m7" s |
| 18 | "△11" | 0 "P1"; 2 "M9" s; 4 "M3"; 5 "P11" s; 7 "P5" s; 10 "m7" s |
| 19 | "△6" | 0 "P1" s; 4 "M3" s; 7 "P5" s; 9 "M6" s |
| 20 | "△7" | 0 "P1" s; 4 "M3" s; 7 "P5" s; 11 "M7" s |
| 21 | "△9" | 0 "P1"; 2 "M9" s; 4 "M3" s; 7 "P5" s; 11 "M7" s |
| 22 | "m6(9)" | 0 "P1"; 2 "M9" s; 3 "m3" s; 7 "P5" s; 9 "M6" s |
| 23 | "m6" | 0 "P1" s; 3 "m3" s; 7 "P5" s; 9 "M6" s |
| 24 | "m7(-5)" | 0 "P1" s; 3 "m3" s; 6 "-5" s; 10 "m7" s |
| 25 | "m9" | 0 "P1"; 2 "M9" s; 3 "m3" s; 7 "P5" s; 10 "m7" s |
| 26 | "EOF" | none (terminator) |
)TABLE";

// Note spellings read by GetKeyIndex (in search order).
inline constexpr const char* kRefSpellings = R"TABLE(
| Name | "C" | "C#" | "D♭" | "D" | "D#" | "E♭" | "E" | "F♭" | "F" | "F#" | "G♭" | "G" | "G#" | "A♭" | "A" | "A#" | "B♭" | "B" | "C♭" |
| Semitone | 0 | 1 | 1 | 2 | 3 | 3 | 4 | 4 | 5 | 6 | 6 | 7 | 8 | 8 | 9 | 10 | 10 | 11 | 11 |
)TABLE";

// The key signatures.
inline constexpr const char* kRefKeySignatures = R"TABLE(
| Major | "C" | "G" | "D" | "A" | "E" | "B" | "F#" | "C#" | "F" | "B♭" | "E♭" | "A♭" | "D♭" | "G♭" | "C♭" |
| Minor | "Am" | "Em" | "Bm" | "F#m" | "C#m" | "G#m" | "D#m" | "A#m" | "Dm" | "Gm" | "Cm" | "Fm" | "B♭m" | "E♭m" | "A♭m" |
| Signature | none | 1♯ | 2♯ | 3♯ | 4♯ | 5♯ | 6♯ | 7♯ | 1♭ | 2♭ | 3♭ | 4♭ | 5♭ | 6♭ | 7♭ |
)TABLE";

}  // namespace fretcalc_test
