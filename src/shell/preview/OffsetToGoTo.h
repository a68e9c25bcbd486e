#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace kinfold {

// The offset typed into "Go to offset", blanks around it passed over:
// decimal digits, or hex digits after "0x" or "0X". Or why the preview
// can't go there, as a sentence that names the text or the file:
//   "TEXT" is not an offset: give a number in decimal, or in hex after 0x.
//   "TEXT" is too large for an offset: the largest is 18446744073709551615 (0xFFFFFFFFFFFFFFFF).
//   Offset 1024 (400 hex) lies past the end of "FILE": its last byte is at 1023 (3FF hex).
//   "FILE" is empty: it has no offset to go to.
std::variant<std::uint64_t, std::string> offsetToGoTo(std::string_view text, std::uint64_t fileSize,
                                                      std::string_view file);

}  // namespace kinfold
