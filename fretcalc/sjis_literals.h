// Shift-JIS (code page 932) bytes of the two-byte characters in the
// library's tables. Used by string-literal concatenation ("13(" SJIS_FLAT
// "9)"), which keeps a following hex digit out of the escape sequence.
#pragma once

#define SJIS_FLAT "\x81\xF3"      // ♭ U+266D
#define SJIS_TRIANGLE "\x81\xA2"  // △ U+25B3
