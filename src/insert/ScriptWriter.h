#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kinfold {

// Appends the lines `kinfold insert` reads for the string at offset with its
// text: "OFFSET (HEX hex)  TEXT" when no pointer is given, else a
// pointer-table line "OFFSET (HEX hex) <- POINTER (HEX hex)  TEXT" for each
// pointer, in the order given; each line ended by a line feed. A text such a
// line would not give back whole (see plainLineKeeps) is written as a JSON
// line instead: {"offset":O,"pointer":P,"text":T}.
void appendStringLines(std::uint64_t offset, std::string_view text, std::span<const std::uint64_t> pointers,
                       std::string& out);

}  // namespace kinfold
