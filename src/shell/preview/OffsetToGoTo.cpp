#include "shell/preview/OffsetToGoTo.h"

#include <charconv>
#include <system_error>

namespace kinfold {
namespace {

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    out += text;
    out += '"';
    return out;
}

// "1024 (400 hex)", as the preview's "Offset:" shows one.
std::string bothBases(std::uint64_t offset) {
    char hex[17] = {};
    const auto end = std::to_chars(hex, hex + 16, offset, 16).ptr;
    std::string digits(hex, end);
    for (char& c : digits) c = static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
    return std::to_string(offset) + " (" + digits + " hex)";
}

}  // namespace

std::variant<std::uint64_t, std::string> offsetToGoTo(std::string_view text, std::uint64_t fileSize,
                                                      std::string_view file) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    std::uint64_t offset = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), offset, base);
    const bool whole = !digits.empty() && end == digits.data() + digits.size();
    if (whole && error == std::errc::result_out_of_range) {
        return quoted(text) + " is too large for an offset: the largest is 18446744073709551615 (0xFFFFFFFFFFFFFFFF).";
    }
    if (!whole || error != std::errc()) {
        return quoted(text) + " is not an offset: give a number in decimal, or in hex after 0x.";
    }
    if (fileSize == 0) return quoted(file) + " is empty: it has no offset to go to.";
    if (offset >= fileSize) {
        return "Offset " + bothBases(offset) + " lies past the end of " + quoted(file) + ": its last byte is at " +
               bothBases(fileSize - 1) + ".";
    }
    return offset;
}

}  // namespace kinfold
