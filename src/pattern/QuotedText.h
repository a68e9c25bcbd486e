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

}  // namespace kinfold
