#pragma once

#include "pattern/SearchPattern.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kinfold {

// A values file of 1000 entries is a few kilobytes; only this much of a file is
// ever read as one.
inline constexpr std::uint64_t kMaxValuesFileBytes = 16 * 1024 * 1024;

// The values file: the entry count on the first line, then one line per entry
// with its value, step and direction as decimal numbers separated by commas.
// Every line ends with CR LF, the last one too.
std::string writeValuesFile(const SearchPattern& p);

// Why a values file could not be read. line is 1-based; 0 when no single line
// is to blame (an empty file, a file that ends too soon).
struct ValuesFileError {
    int line = 0;
    std::string reason;

    // "line 3: "abc" is not a whole number", or the reason alone for line 0.
    std::string describe() const;
    friend bool operator==(const ValuesFileError&, const ValuesFileError&) = default;
};

// Reads a values file. Fields end at a comma or a line end (LF, CR LF, or a
// CR that is the file's last byte); blanks and tabs around a field are
// ignored, blank lines are skipped, and whatever follows the last entry is
// ignored. Every field must be a whole number (optional sign, digits only):
// the count within 0..1000, the entries' numbers within -32768..32767.
// A UTF-8 byte-order mark at the very start is passed over; UTF-16 text is
// refused as a whole. Errors quote a field's bytes that are not printable
// ASCII as \xHH.
std::variant<std::vector<StoredEntry>, ValuesFileError> readValuesFile(std::string_view bytes);

}  // namespace kinfold
