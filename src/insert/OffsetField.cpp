#include "insert/OffsetField.h"

#include <charconv>

namespace kinfold {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The run of digits at text[at] read in base, moving at past it.
std::optional<std::uint64_t> number(std::string_view text, std::size_t& at, int base) {
    const std::size_t from = at;
    while (at < text.size() && (base == 10 ? isDigit(text[at]) : isHex(text[at]))) ++at;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data() + from, text.data() + at, value, base);
    if (at == from || error != std::errc() || end != text.data() + at) return std::nullopt;
    return value;
}

}  // namespace

std::optional<OffsetField> readOffsetField(std::string_view text, std::size_t at) {
    const std::optional<std::uint64_t> decimal = number(text, at, 10);
    if (!decimal || !text.substr(at).starts_with(" (")) return std::nullopt;
    at += 2;
    const std::optional<std::uint64_t> hex = number(text, at, 16);
    if (!hex || !text.substr(at).starts_with(" hex)")) return std::nullopt;
    return OffsetField{*decimal, at + 5, *decimal == *hex};
}

}  // namespace kinfold
