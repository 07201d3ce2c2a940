#include "record_io.h"

#include <charconv>
#include <algorithm>
#include <cmath>

namespace lw {

int RecordFieldCount(int maxStringIx) {
    if (maxStringIx == 5) return 58;
    if (maxStringIx == 3) return 42;
    return 51;
}

// --- writing ---------------------------------------------------------------

void RecordWriter::Separate() {
    if (!first_) out_.push_back(',');
    first_ = false;
}

RecordWriter& RecordWriter::Text(std::string_view text) {
    Separate();
    out_.push_back('"');
    for (char c : text) {
        if (c == '"') out_.append("\xE2\x80\x9D");  // ”
        else out_.push_back(c);
    }
    out_.push_back('"');
    return *this;
}

RecordWriter& RecordWriter::Number(long value) {
    Separate();
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, res.ptr);
    return *this;
}

RecordWriter& RecordWriter::Number(double value) {
    Separate();
    out_.append(FormatNumber(value));
    return *this;
}

void RecordWriter::End() {
    out_.append("\r\n");
    first_ = true;
}

std::string FormatNumber(double value) {
    // Nothing but plain decimals may reach the file: a reader takes "nan",
    // "inf" or an exponent for text.
    if (!std::isfinite(value) || value == 0) return "0";
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (res.ec != std::errc()) return "0";
    return std::string(buf, res.ptr);
}

void AppendTextRecord(std::string& out, const TextRecord& s, int maxStringIx) {
    RecordWriter w(out);
    const int n = RecordFieldCount(maxStringIx);
    for (int k = 0; k < n; ++k) w.Text(s[k]);
    w.End();
}

std::string FormatTextRecord(const std::vector<std::string>& s, int maxStringIx) {
    std::string out;
    RecordWriter w(out);
    const int n = RecordFieldCount(maxStringIx);
    for (int k = 0; k < n; ++k) w.Text(k < static_cast<int>(s.size()) ? std::string_view(s[k]) : std::string_view());
    w.End();
    return out;
}

void AppendPositionRecord(std::string& out, const PositionRecord& a, int maxStringIx) {
    RecordWriter w(out);
    const int n = RecordFieldCount(maxStringIx);
    for (int k = 0; k < n; ++k) w.Number(static_cast<long>(a[k]));
    w.End();
}

std::string FormatPositionRecord(const std::vector<int16_t>& a, int maxStringIx) {
    std::string out;
    RecordWriter w(out);
    const int n = RecordFieldCount(maxStringIx);
    for (int k = 0; k < n; ++k) w.Number(static_cast<long>(k < static_cast<int>(a.size()) ? a[k] : 0));
    w.End();
    return out;
}

// --- reading ---------------------------------------------------------------

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

bool FieldReader::AtEnd() const {
    for (size_t i = pos_; i < text_.size(); ++i) {
        char c = text_[i];
        if (!IsBlank(c) && c != '\r' && c != '\n') return false;
    }
    return true;
}

void FieldReader::SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
}

bool FieldReader::AtLineEnd() const {
    return pos_ < text_.size() && (text_[pos_] == '\r' || text_[pos_] == '\n');
}

void FieldReader::ConsumeLineEnd() {
    if (pos_ >= text_.size()) return;
    if (text_[pos_] == '\r') {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    } else if (text_[pos_] == '\n') {
        ++pos_;
    }
    ++line_;
}

bool FieldReader::Next(std::string& field) {
    field.clear();
    if (pos_ >= text_.size()) return false;
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == '"') {
        ++pos_;
        size_t close = text_.find('"', pos_);
        if (close == std::string_view::npos) close = text_.size();
        std::string_view body = text_.substr(pos_, close - pos_);
        for (size_t i = 0; i < body.size(); ++i) {
            // Line ends inside the quotes belong to the text but still count as lines.
            if (body[i] == '\n' || (body[i] == '\r' && (i + 1 >= body.size() || body[i + 1] != '\n'))) ++line_;
        }
        field.assign(body);
        pos_ = close < text_.size() ? close + 1 : close;
        // Anything between the closing quote and the delimiter is dropped.
        while (pos_ < text_.size() && text_[pos_] != ',' && !AtLineEnd()) ++pos_;
    } else {
        size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && !AtLineEnd()) ++pos_;
        size_t end = pos_;
        while (end > start && IsBlank(text_[end - 1])) --end;
        field.assign(text_.substr(start, end - start));
    }
    if (pos_ < text_.size()) {
        if (text_[pos_] == ',') ++pos_;
        else ConsumeLineEnd();
    }
    return true;
}

bool ParseNumber(std::string_view text, double& value) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    text = text.substr(b, e - b);
    if (text.empty()) {
        value = 0;
        return true;
    }
    // Plain decimal only: [+-] digits [. digits] [e [+-] digits].
    size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    const size_t bodyStart = i;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != text.size()) return false;
    double v = 0;
    auto res = std::from_chars(text.data() + bodyStart, text.data() + text.size(), v);
    if (res.ptr != text.data() + text.size()) return false;
    if (res.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: a negative exponent or a
        // mantissa below 1 can only mean a value too small to matter.
        const std::string_view body = text.substr(bodyStart);
        const size_t ePos = body.find_first_of("eE");
        const bool negExp = ePos != std::string_view::npos && ePos + 1 < body.size() && body[ePos + 1] == '-';
        const std::string_view intPart = body.substr(0, std::min(body.find('.'), ePos));
        const bool intNonZero = intPart.find_first_not_of('0') != std::string_view::npos;
        v = (negExp || !intNonZero) ? 0.0 : HUGE_VAL;
    }
    value = negative ? -v : v;
    return true;
}

FieldError ToInt16(std::string_view text, int16_t& value) {
    double d = 0;
    if (!ParseNumber(text, d)) return FieldError::NotNumber;
    if (!(d >= -32768.5 && d <= 32767.5)) return FieldError::OutOfRange;
    const double r = std::nearbyint(d);  // half to even under the default rounding mode
    if (r < -32768 || r > 32767) return FieldError::OutOfRange;
    value = static_cast<int16_t>(r);
    return FieldError::None;
}

FieldError ReadTextRecord(FieldReader& r, int count, TextRecord& s) {
    if (count > kTextRecordSize) count = kTextRecordSize;
    for (int k = 0; k < count; ++k)
        if (!r.Next(s[k])) return FieldError::EndOfFile;
    return FieldError::None;
}

FieldError ReadPositionRecord(FieldReader& r, int maxStringIx, PositionRecord& a, int* badField) {
    const int n = RecordFieldCount(maxStringIx);
    std::string field;
    for (int k = 0; k < n; ++k) {
        if (!r.Next(field)) return FieldError::EndOfFile;
        FieldError e = ToInt16(field, a[k]);
        if (e != FieldError::None) {
            if (badField) *badField = k;
            return e;
        }
    }
    return FieldError::None;
}

}  // namespace lw
