#pragma once

#include <string>
#include <string_view>

namespace kinfold {

// Bytes from a file as an error message shows them: in double quotes, cut
// short after 40 bytes ("..."), and with every byte that is not printable
// ASCII written as \xHH (a backslash as \\), so that the message stays one
// line of valid text and shows what is really there: a control byte, an
// invisible mark, a look-alike digit.
std::string quotedText(std::string_view bytes);

// A path or a word the user gave, as a message names it: in double quotes,
// as it is.
std::string quoted(std::string_view text);
// The same for a std::string, so that a call with one never picks
// std::quoted, which argument-dependent lookup also finds.
inline std::string quoted(const std::string& text) { return quoted(std::string_view(text)); }

}  // namespace kinfold
