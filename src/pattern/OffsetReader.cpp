#include "pattern/OffsetReader.h"

#include "pattern/QuotedText.h"

#include <charconv>
#include <system_error>

namespace kinfold {

std::variant<std::uint64_t, std::string> readOffset(std::string_view text) {
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    const bool whole = !digits.empty() && end == digits.data() + digits.size();
    if (whole && error == std::errc::result_out_of_range) {
        return quoted(text) + " is too large for an offset: the largest is 18446744073709551615 (0xFFFFFFFFFFFFFFFF).";
    }
    if (!whole || error != std::errc()) {
        return quoted(text) + " is not an offset: give a number in decimal, or in hex after 0x.";
    }
    return value;
}

}  // namespace kinfold
