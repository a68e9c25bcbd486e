#pragma once

#include "pattern/SearchPattern.h"
#include "search/MatchOptions.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kinfold {

// The entry (1-based) whose value pins a hit to the file: the first one that
// is not skipped. nullopt for a pattern with none.
std::optional<int> firstCheckedEntry(const SearchPattern& pattern);

// The shift of a hit, so that unit = value + shift for every entry: the unit
// the file holds at the first checked entry less that entry's value. fromHit
// starts at the hit's offset; nullopt when it is too short to hold that unit
// or the pattern has no checked entry.
std::optional<std::int64_t> hitShift(const SearchPattern& pattern, std::span<const std::uint8_t> fromHit,
                                     const MatchOptions& options);

// A shift as a person reads it: signed ("+1", "0", "-3"), and for a pattern
// of kana in the games' order also where the shift puts the first kana of
// each script the pattern has kana of, as the unit's number ("-10190 (あ=50)",
// "-10318 (ア=50)", both for a pattern with both).
std::string shiftText(std::int64_t shift, const SearchPattern& pattern);

}  // namespace kinfold
