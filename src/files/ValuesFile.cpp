#include "files/ValuesFile.h"

#include "pattern/QuotedText.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kinfold {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

// UTF-16 without a mark: a digit or sign with a zero byte on one side of it.
bool looksLikeUtf16(std::string_view bytes) { return bytes.size() >= 2 && (bytes[0] == '\0') != (bytes[1] == '\0'); }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

struct Field {
    std::string_view text;  // blanks and tabs around it removed
    int line = 0;
};

// Hands out the fields of a values file one after another.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

    // The next field, or nullopt at the end of the file.
    std::optional<Field> next() {
        if (atLineStart_) skipBlankLines();
        if (pos_ >= bytes_.size() && atLineStart_) return std::nullopt;
        const std::size_t begin = pos_;
        const int line = line_;
        while (pos_ < bytes_.size() && bytes_[pos_] != ',' && lineEndLength(pos_) == 0) ++pos_;
        const std::string_view text = trimBlanks(bytes_.substr(begin, pos_ - begin));
        if (pos_ >= bytes_.size()) {
            atLineStart_ = true;  // nothing more follows
        } else if (bytes_[pos_] == ',') {
            ++pos_;
            atLineStart_ = false;
        } else {
            pos_ += lineEndLength(pos_);
            ++line_;
            atLineStart_ = true;
        }
        return Field{text, line};
    }

private:
    // The length of the line end at i: LF, CR LF, or a CR that ends the file.
    std::size_t lineEndLength(std::size_t i) const {
        if (bytes_[i] == '\n') return 1;
        if (bytes_[i] == '\r') {
            if (i + 1 == bytes_.size()) return 1;
            if (bytes_[i + 1] == '\n') return 2;
        }
        return 0;
    }

    void skipBlankLines() {
        while (pos_ < bytes_.size()) {
            std::size_t i = pos_;
            while (i < bytes_.size() && isBlank(bytes_[i])) ++i;
            if (i >= bytes_.size()) {
                pos_ = i;  // blanks up to the end: nothing more follows
                return;
            }
            const std::size_t end = lineEndLength(i);
            if (end == 0) return;
            pos_ = i + end;
            ++line_;
        }
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool atLineStart_ = true;
};

enum class WholeNumber { Ok, NotWhole, OutOfRange };

// Reads an optional sign and digits, nothing else, into a number within
// [low, high]. Long digit strings are judged by their length, never summed up.
WholeNumber readWholeNumber(std::string_view text, int low, int high, int& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return WholeNumber::NotWhole;
    for (char c : text) {
        if (c < '0' || c > '9') return WholeNumber::NotWhole;
    }
    while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
    if (text.size() > 9) return WholeNumber::OutOfRange;
    std::int64_t n = 0;
    for (char c : text) n = n * 10 + (c - '0');
    if (negative) n = -n;
    if (n < low || n > high) return WholeNumber::OutOfRange;
    value = static_cast<int>(n);
    return WholeNumber::Ok;
}

ValuesFileError notWhole(const Field& f) {
    if (f.text.empty()) return {f.line, "an empty field is not a whole number"};
    return {f.line, quotedText(f.text) + " is not a whole number"};
}

}  // namespace

std::string writeValuesFile(const SearchPattern& p) {
    std::string out;
    out.reserve(8 + static_cast<std::size_t>(p.count()) * 22);
    out += std::to_string(p.count());
    out += kLineEnd;
    for (int i = 1; i <= p.count(); ++i) {
        const StoredEntry e = p.stored(i);
        out += std::to_string(e.value);
        out += ',';
        out += std::to_string(e.difference);
        out += ',';
        out += std::to_string(e.direction);
        out += kLineEnd;
    }
    return out;
}

std::string ValuesFileError::describe() const {
    if (line <= 0) return reason;
    return "line " + std::to_string(line) + ": " + reason;
}

std::variant<std::vector<StoredEntry>, ValuesFileError> readValuesFile(std::string_view bytes) {
    // Windows editors start UTF-8 text with a byte-order mark; the numbers after it are what counts.
    if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
    if (bytes.starts_with(kUtf16LittleEndianMark) || bytes.starts_with(kUtf16BigEndianMark) || looksLikeUtf16(bytes)) {
        return ValuesFileError{0, "the file is not a text file of numbers: it is saved as UTF-16"};
    }
    FieldReader fields(bytes);
    const std::optional<Field> countField = fields.next();
    if (!countField) return ValuesFileError{0, "the file is empty: it has no count of entries"};

    int count = 0;
    switch (readWholeNumber(countField->text, 0, SearchPattern::kMaxEntries, count)) {
    case WholeNumber::Ok: break;
    case WholeNumber::NotWhole:
        if (countField->text.empty()) return ValuesFileError{countField->line, "the count of entries is empty"};
        return ValuesFileError{countField->line,
                               "the count of entries " + quotedText(countField->text) + " is not a whole number"};
    case WholeNumber::OutOfRange:
        return ValuesFileError{countField->line,
                               "the count of entries " + quotedText(countField->text) + " is outside 0 to 1000"};
    }

    std::vector<StoredEntry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (int k = 1; k <= count; ++k) {
        std::int16_t numbers[3] = {};
        for (std::int16_t& number : numbers) {
            const std::optional<Field> f = fields.next();
            if (!f) return ValuesFileError{0, "the file ends before entry " + std::to_string(k) + " is complete"};
            int n = 0;
            switch (readWholeNumber(f->text, -32768, 32767, n)) {
            case WholeNumber::Ok: break;
            case WholeNumber::NotWhole: return notWhole(*f);
            case WholeNumber::OutOfRange:
                return ValuesFileError{f->line, quotedText(f->text) + " is outside -32768 to 32767"};
            }
            number = static_cast<std::int16_t>(n);
        }
        entries.push_back({numbers[0], numbers[1], numbers[2]});
    }
    return entries;
}

}  // namespace kinfold
