#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kinfold {

// Shift JIS as Windows reads and writes it (code page 932), to and from
// UTF-8. Each gives nullopt for a text that does not convert: bytes that are
// not Shift JIS, or a character Shift JIS has no code for. Nothing is ever
// replaced or approximated.
std::optional<std::string> shiftJisToUtf8(std::string_view shiftJis);
std::optional<std::string> utf8ToShiftJis(std::string_view utf8);

}  // namespace kinfold
