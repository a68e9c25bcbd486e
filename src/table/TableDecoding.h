#pragma once

#include "table/TableDecoder.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kinfold {

// What bytes no entry matches show as: a middle dot, which stands out from
// the text around it.
inline constexpr std::string_view kUndecodedUnit = "\u00B7";

// What a line break shows as in a column one character wide.
inline constexpr std::string_view kLineBreakCell = "\u21B5";

// Bytes decoded as running text from the first byte, by longest match: each
// entry as it decodes (a control with its parameters), and kUndecodedUnit
// for each step of stepBytes bytes no entry matches, for a control whose
// parameters the bytes don't hold, and for a last step the bytes don't fill.
std::string decodeText(const TableDecoder& table, std::span<const std::uint8_t> bytes, std::size_t stepBytes = 1);

// The same with a line break after each end token, so that the strings the
// bytes hold read as lines.
std::string decodeLines(const TableDecoder& table, std::span<const std::uint8_t> bytes, std::size_t stepBytes = 1);

// The same on one line that reads back unambiguously: a backslash as "\\",
// a line break as "\n", and an end token with no text of its own as its
// bytes, "<$HH>" each, so that strings neither split over lines nor run
// together.
std::string decodeOneLine(const TableDecoder& table, std::span<const std::uint8_t> bytes, std::size_t stepBytes = 1);

// The same bytes in columns of columnBytes bytes, one character wide each
// (bytes.size() / columnBytes of them): an entry's characters in the
// columns that start within it when they fit there, one each, and blanks
// after them; kUndecodedUnit in the first column of an entry whose text
// doesn't fit or is empty, and in the columns no entry covers.
std::vector<std::string> decodeColumns(const TableDecoder& table, std::span<const std::uint8_t> bytes,
                                       std::size_t columnBytes = 1);

}  // namespace kinfold
