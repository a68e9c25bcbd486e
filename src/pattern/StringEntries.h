#pragma once

#include "pattern/CharacterCode.h"
#include "pattern/UserOrder.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kinfold {

// How the characters of a string become entries.
struct StringCoding {
    KanaCodes kana = KanaCodes::GameOrder;
    // A user's order instead of the character codes; it must outlive the call.
    const UserOrder* order = nullptr;
    // A voiced or half-voiced kana becomes its basic kana and a skipped entry,
    // for games that store the voicing mark as a byte of its own after the kana.
    bool splitVoiced = false;
    // Every character that is not a letter, digit or kana is a skipped entry.
    bool lettersOnly = false;
    // This character is a skipped entry wherever it stands.
    std::optional<char32_t> wildcard;
};

// An entry of a string and the character it comes from.
struct StringEntry {
    std::optional<std::int16_t> code;  // nullopt for a skipped entry
    int character = 0;                 // 1-based
    std::size_t byte = 0;              // where the character starts, 0-based
    std::size_t length = 0;            // its UTF-8 bytes
};

// Why a string has no entries: the character (1-based) and what is wrong with it.
struct StringEntryError {
    enum class Reason {
        NotUtf8,     // the bytes from `byte` on are not valid UTF-8
        NoCode,      // neither code page 1252 nor a kana, and above U+7FFF
        NotInOrder,  // the user's order does not list it
    };
    Reason reason = Reason::NotUtf8;
    int character = 0;
    std::size_t byte = 0;  // 0-based
    std::string text;      // the character's UTF-8, empty for NotUtf8
    char32_t codePoint = 0;
};

std::variant<std::vector<StringEntry>, StringEntryError> stringEntries(std::string_view utf8,
                                                                       const StringCoding& coding);

// Whether a character is a letter, digit or kana: ASCII letters and digits,
// the letters of code page 1252 and Latin Extended, Greek, Cyrillic, kana and
// CJK ideographs. Spaces, punctuation and symbols are not.
bool isLetterDigitOrKana(char32_t codePoint);

// For a string of kana coded by their codes (no user's order, not letters
// only): its first character that is neither a letter, digit nor kana nor the
// wildcard (the long vowel mark ー, punctuation, a space), as UTF-8. Games
// keep those apart from their kana, so a search that takes them as steps
// finds nothing. nullopt for a string without kana or without one.
std::optional<std::string> punctuationAmongKana(std::string_view utf8, const StringCoding& coding);

}  // namespace kinfold
