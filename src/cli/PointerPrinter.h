#pragma once

#include "pointers/PointerSearch.h"

#include <string>

namespace kinfold::cli {

// Appends the line of one (pointer, target) of the file named path:
//   PATH:P (HEX hex) -> T (HEX hex)
// or with json {"path":...,"offset":P,"target":T,"value":V}.
void appendPointerLine(const std::string& path, const PointerHit& hit, bool json, std::string& text);

}  // namespace kinfold::cli
