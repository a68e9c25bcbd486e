#pragma once

#include "table/TableEntry.h"

#include <string>

namespace kinfold {

// What the line under the hex view says of a run of bytes and the entry
// that stands for them, the bytes spaced: "81 82 = the", "00 = space",
// "FF = end token", "FE = line break", "4F = ! (end token)",
// "F0 = <color> (control, 1 parameter byte)", or "EE, no entry". A text
// with a blank at an end shows in quotes, a line break in it as "↵".
std::string entryLine(const EntryBytes& bytes, const TableEntry* entry);

}  // namespace kinfold
