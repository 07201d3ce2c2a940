// Helpers shared by the Fretcalc tests: the reference tables parsed from
// reference_tables.h, Shift-JIS conversion, and exact-size text buffers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fretcalc_test {

struct RefShapeSlot {
    bool empty = true;
    int32_t root = 99;
    std::array<int32_t, 4> frets{};
};
struct RefShapeRow {
    std::string name;  // UTF-8, unpadded
    std::array<RefShapeSlot, 5> slots;
};
// ChordShapeTable, rows 0..25 in search order.
const std::vector<RefShapeRow>& RefShapes();

struct RefTone {
    int32_t semitones = 0;
    std::string label;
    bool sounded = false;
};
struct RefChordType {
    std::string name;  // UTF-8
    std::vector<RefTone> tones;
};
// Chord-type table, indexes 0..26 (26 = "EOF", no tones).
const std::vector<RefChordType>& RefChordTypes();

struct RefSpelling {
    std::string name;  // UTF-8
    int32_t semitone = 0;
};
// Note spellings, in search order.
const std::vector<RefSpelling>& RefSpellings();

struct RefKey {
    std::string major, minor;  // UTF-8
    int sharps = 0, flats = 0;
};
// Key signatures, index 0..14.
const std::vector<RefKey>& RefKeys();

// UTF-8 -> Shift-JIS (through the model's codec).
std::string Sjis(std::string_view utf8);
// Shift-JIS -> UTF-8.
std::string Utf8(std::string_view sjis);
// The bytes padded with blanks to at least n bytes.
std::string PadBytes(std::string bytes, size_t n);

// A heap copy of exactly the given bytes plus one NUL, so that the address
// sanitizer reports any read past the caller's terminator.
class ExactText {
public:
    explicit ExactText(std::string_view bytes) : data_(new char[bytes.size() + 1]) {
        std::memcpy(data_.get(), bytes.data(), bytes.size());
        data_[bytes.size()] = '\0';
    }
    const char* get() const { return data_.get(); }

private:
    std::unique_ptr<char[]> data_;
};

// The chord-type names of the shape table, Shift-JIS padded to 10 bytes.
std::vector<std::string> SjisShapeTypeNames();

// Reference model of GetChord (root shift, exchange sort, slot check) on the parsed table:
// returns false for an empty position, else the frets.
bool ReferenceGetChord(const RefShapeRow& row, int32_t root, int position, std::array<int32_t, 4>& frets);

}  // namespace fretcalc_test
