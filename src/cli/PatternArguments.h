#pragma once

#include "pattern/SearchPattern.h"
#include "pattern/StringEntries.h"
#include "pattern/UserOrder.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <variant>

namespace kinfold::cli {

// A refused pattern: the message to show, which starts with the window's own
// text for the same refusal where the window has one.
struct PatternError {
    std::string message;
};

using PatternResult = std::variant<SearchPattern, PatternError>;

// The entries of a UTF-8 text: by default one per character, with the
// window's character codes.
PatternResult patternFromString(std::string_view text, const StringCoding& coding = {});

// A user's order from the text of --order or the UTF-8 file of --order-file.
std::variant<UserOrder, PatternError> orderFromText(std::string_view text);
std::variant<UserOrder, PatternError> orderFromFile(const std::filesystem::path& path);

// Comma-separated entries: a number as the window's number reader takes it
// in decimal ("72", "&H48"), "0x48" for hex, or "*" for a skipped entry.
PatternResult patternFromValues(std::string_view list);

// A values file as the window writes and reads it.
PatternResult patternFromValuesFile(const std::filesystem::path& path);

}  // namespace kinfold::cli
