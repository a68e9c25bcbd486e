#pragma once

#include "table/CharacterTable.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kinfold {

// What a unit the table does not hold shows as: a middle dot, which stands
// out from the text around it.
inline constexpr std::string_view kUndecodedUnit = "\u00B7";

// The text of a unit in a column one character wide: the table's text when
// that is a single character, kUndecodedUnit otherwise.
std::string decodeCell(const CharacterTable& table, std::uint32_t unit);

// Bytes decoded as running text, unit by unit from the first byte: each unit
// as the table's text, kUndecodedUnit where the table has none and for a last
// unit the bytes don't fill.
std::string decodeText(const CharacterTable& table, std::span<const std::uint8_t> bytes);

}  // namespace kinfold
