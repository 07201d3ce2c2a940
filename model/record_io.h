// Records of the .tab family of files: one record per line, comma-separated
// fields, texts in double quotes without escaping, numbers in plain decimal
// with "." whatever the locale, CR LF line ends. The playback component
// compiles this file into itself to read "Interface.tab".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// Text array of the measure-text record (indexes 0..100; N are written).
constexpr int kTextRecordSize = 101;
// The longest record: six strings.
constexpr int kMaxRecordFields = 58;

using TextRecord = std::array<std::string, kTextRecordSize>;
using PositionRecord = std::array<int16_t, kMaxRecordFields>;

// Field count of the measure-text and position records by string count:
// 58 for six strings, 42 for four, 51 otherwise.
int RecordFieldCount(int maxStringIx);

// Builds one record. Text fields are quoted; a double quote inside a text
// cannot be stored, so it is written as "”" (U+201D) to keep the file readable.
class RecordWriter {
public:
    explicit RecordWriter(std::string& out) : out_(out) {}
    RecordWriter& Text(std::string_view text);
    RecordWriter& Number(long value);
    RecordWriter& Number(int value) { return Number(static_cast<long>(value)); }
    // Shortest decimal form that reads back as the same double ("1234.5", "600").
    RecordWriter& Number(double value);
    // Ends the record with CR LF.
    void End();

private:
    void Separate();
    std::string& out_;
    bool first_ = true;
};

std::string FormatNumber(double value);

// One measure-text record (UTF-8, CR LF included): elements 0..N-1 of s;
// missing elements are written as empty texts.
std::string FormatTextRecord(const std::vector<std::string>& s, int maxStringIx);
void AppendTextRecord(std::string& out, const TextRecord& s, int maxStringIx);
// One position record: elements 0..N-1 of a; missing elements are written as 0.
std::string FormatPositionRecord(const std::vector<int16_t>& a, int maxStringIx);
void AppendPositionRecord(std::string& out, const PositionRecord& a, int maxStringIx);

// Sequential field reader in the manner of BASIC's "Input #": a field that
// starts with a double quote runs to the next double quote (line ends
// included); any other field runs to the next comma or line end, surrounding
// blanks removed. Records are not tied to lines: a record read simply takes
// the next fields, continuing on the next line when a line runs out.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}
    // True when nothing but blanks and line ends is left.
    bool AtEnd() const;
    // Reads the next field; false when the text is exhausted.
    bool Next(std::string& field);
    // 1-based line of the next field to be read.
    int Line() const { return line_; }
    void Rewind() { pos_ = 0; line_ = 1; }

private:
    void SkipBlanks();
    bool AtLineEnd() const;
    void ConsumeLineEnd();
    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

enum class FieldError { None, EndOfFile, NotNumber, OutOfRange };

// Number text of a field: empty gives 0. False when the text is not a plain
// decimal number (optional sign, digits, ".", exponent).
bool ParseNumber(std::string_view text, double& value);
// Into a 16-bit integer: fractions round half to even; outside -32768..32767
// is an error.
FieldError ToInt16(std::string_view text, int16_t& value);

// Reads count (<= kTextRecordSize) text fields into s[0..count-1].
FieldError ReadTextRecord(FieldReader& r, int count, TextRecord& s);
// Reads RecordFieldCount(maxStringIx) numeric fields. On NotNumber or
// OutOfRange, badField is the 0-based element index.
FieldError ReadPositionRecord(FieldReader& r, int maxStringIx, PositionRecord& a, int* badField = nullptr);

}  // namespace lw
