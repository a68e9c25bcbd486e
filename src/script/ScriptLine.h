#pragma once

#include "script/ScriptString.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kinfold {

// A string as a line of a saved script: "OFFSET (HEX hex)  TEXT", each line
// break of the text written as the two characters "\n" and each backslash
// as "\\", so that the line reads back as the text; no line end.
std::string scriptLine(const ScriptString& string);
// The same line, of the string at offset whose text is text, appended to out.
void appendScriptLine(std::uint64_t offset, std::string_view text, std::string& out);
// A text as such a line writes it, appended to out: "\n" for a line break, "\\" for a backslash.
void appendEscapedText(std::string_view text, std::string& out);
// The text such a line's text stands for: "\n" a line break, "\\" a backslash, any other backslash itself.
std::string unescapedText(std::string_view written);

}  // namespace kinfold
