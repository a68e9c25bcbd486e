#pragma once

#include "script/ScriptString.h"

#include <string>

namespace kinfold {

// A string as a line of a saved script: "OFFSET (HEX hex)  TEXT", each line
// break of the text written as the two characters "\n"; no line end.
std::string scriptLine(const ScriptString& string);

}  // namespace kinfold
