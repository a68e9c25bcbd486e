#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kinfold {

// A character order the user gives for a game whose table follows neither the
// code page nor the kana order (a font's own order, iroha order, Latin and
// kana mixed): each character's code is its place in the sequence, from 1.
// Line breaks in it are ignored, so an order can be written over several
// lines; a character listed twice keeps its first place.
class UserOrder {
public:
    static constexpr std::size_t kMaxCharacters = 32767;  // codes stay 16-bit signed

    // The order of a UTF-8 text (a byte order mark in front is ignored), or
    // why it can't be one: "it is empty", "byte 7 is not valid UTF-8", "it has
    // more than 32767 characters".
    static std::variant<UserOrder, std::string> read(std::string_view utf8);

    // A character's place, or nullopt when the order does not list it.
    std::optional<std::int16_t> code(char32_t codePoint) const;
    // The UTF-8 text of the character at a place, or empty for no place.
    std::string text(int code) const;

    std::size_t size() const { return characters_.size(); }

private:
    std::vector<char32_t> characters_;
    std::map<char32_t, std::int16_t> codes_;
};

}  // namespace kinfold
