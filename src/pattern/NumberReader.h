#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kinfold {

// How the text typed beside "Add Value" is read.
enum class NumberMode { Decimal, Hex, Character };

// The value "Add Value" stores for a typed text, or nullopt when the text is
// refused. A text without a leading number reads as 0, which is a value here:
// refusing 0 is the window's business.
//
// Decimal: blanks, tabs and line feeds are dropped first; "&H" starts a
// hexadecimal number, anything else is read as an optionally signed decimal
// number with an optional point and an optional E or D exponent. Reading stops
// at the first character that cannot continue the number. The number is
// rounded to the nearest whole number (a half goes to the even neighbour) and
// must then lie within -32768..32767.
// Hex: the text is read as if "&H" stood in front of it.
// Character: the code of the first character (see characterCode).
std::optional<std::int16_t> readValue(std::string_view text, NumberMode mode);

// The text without its blanks, tabs and line feeds.
std::string removeBlanks(std::string_view text);

// The part at the start of a text without blanks that the reader takes as the
// number: "&H" with the hexadecimal digits after it, or the decimal number.
// Empty when a decimal text does not start with a number. "1e+x" gives "1",
// because an exponent without digits is not part of the number.
std::string_view leadingNumber(std::string_view compactText);

// The number a text without blanks starts with, rounded and brought to 16 bits
// as readValue does in decimal mode.
std::optional<std::int16_t> readCompactNumber(std::string_view compactText);

}  // namespace kinfold
