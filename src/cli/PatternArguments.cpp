#include "cli/PatternArguments.h"

#include "files/ValuesFile.h"
#include "pattern/CharacterCode.h"
#include "pattern/NumberReader.h"
#include "pattern/PatternMessages.h"
#include "pattern/QuotedText.h"
#include "pattern/StringEntries.h"
#include "search/FileReader.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace kinfold::cli {
namespace {

PatternError refused(std::string_view windowText, const std::string& detail) {
    return {std::string(windowText) + " " + detail};
}

// Whether 0 is taken: "Add Value" refuses it, as a box left empty; a list on
// the command line takes it as the byte it is.
enum class Zero { Refused, Taken };

// Appends a typed value as "Add Value" does: a full pattern and a step beyond
// 16 bits are refused, and 0 unless zero says it is taken.
std::optional<PatternError> appendTyped(SearchPattern& p, std::optional<std::int16_t> value, const std::string& what,
                                        Zero zero) {
    if (p.full()) {
        return PatternError{messages::kTooManyValues};
    }
    if (!value) {
        return refused(messages::kNotValid,
                       what + (zero == Zero::Taken ? ": not a number from -32768 to 32767."
                                                   : ": not a number from -32768 to 32767 other than 0."));
    }
    if (*value == 0 && zero == Zero::Refused) {
        return refused(messages::kNotValid, what + ": not a number from -32768 to 32767 other than 0.");
    }
    if (p.appendValue(*value) == SearchPattern::AppendResult::StepTooLarge) {
        return refused(messages::kNotValid, what + ": the step from the entry before it does not fit 16 bits.");
    }
    return std::nullopt;
}

PatternResult finished(SearchPattern p) {
    if (p.count() < 2) {
        return PatternError{messages::kNeedTwoValues};
    }
    return p;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<std::int16_t> readListNumber(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return readValue(text.substr(2), NumberMode::Hex);
    }
    return readValue(text, NumberMode::Decimal);
}

// An order of 32767 characters takes at most 128 KiB, with line breaks a few more.
constexpr std::uint64_t kMaxOrderFileBytes = 1024 * 1024;

std::string quotedPath(const std::filesystem::path& path) { return quoted(pathText(path)); }

enum class Larger { ReadTheStart, Refuse };

// Reads a file of at most limit bytes into text (of a values file only the
// start is read, as the window reads it); the reason when it can't.
std::optional<std::string> readSmallFile(const std::filesystem::path& path, std::uint64_t limit, Larger larger,
                                         std::string& text) {
    FileReader reader;
    if (!reader.open(path)) {
        return reader.reason();
    }
    if (larger == Larger::Refuse && reader.size() > limit) {
        return "it is larger than " + std::to_string(limit) + " bytes";
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min(reader.size(), limit)));
    const std::optional<std::size_t> got = reader.read(bytes);
    if (!got) {
        return reader.reason();
    }
    text.assign(reinterpret_cast<const char*>(bytes.data()), *got);
    return std::nullopt;
}

std::string codePointName(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    return buffer;
}

// --string character 2 "é" (U+00E9)
std::string characterName(int n, const std::string& text, char32_t codePoint) {
    std::string name = "--string character ";
    name += std::to_string(n) + " " + quoted(text) + " (" + codePointName(codePoint) + ")";
    return name;
}

}  // namespace

PatternResult patternFromString(std::string_view text, const StringCoding& coding) {
    if (text.empty()) {
        return PatternError{messages::kNoString};
    }
    const auto read = stringEntries(text, coding);
    if (const auto* error = std::get_if<StringEntryError>(&read)) {
        if (error->reason == StringEntryError::Reason::NotUtf8) {
            return refused(messages::kNotValid,
                           "--string byte " + std::to_string(error->byte + 1) + " is not valid UTF-8.");
        }
        const std::string what = characterName(error->character, error->text, error->codePoint);
        if (error->reason == StringEntryError::Reason::NotInOrder) {
            return refused(messages::kNotValid, what + ": the order does not list it.");
        }
        return refused(messages::kNotValid, what + ": it is not in Windows-1252 and its code point is above 32767.");
    }
    SearchPattern p;
    for (const StringEntry& entry : std::get<std::vector<StringEntry>>(read)) {
        if (!entry.code) {
            if (p.empty()) {
                return PatternError{messages::kCantSkipFirst};
            }
            if (p.full()) {
                return PatternError{messages::kTooManyValues};
            }
            p.appendSkipped();
            continue;
        }
        const std::string character(text.substr(entry.byte, entry.length));
        const std::string what = characterName(entry.character, character, decodeFirstCharacter(character)->codePoint);
        if (auto error = appendTyped(p, entry.code, what, Zero::Refused)) {
            return *error;
        }
    }
    return finished(p);
}

PatternResult patternFromValues(std::string_view list) {
    SearchPattern p;
    int n = 0;
    std::size_t at = 0;
    while (true) {
        const std::size_t comma = list.find(',', at);
        const std::string_view field = trimmed(list.substr(at, comma == std::string_view::npos ? comma : comma - at));
        ++n;
        const std::string what = "--values entry " + std::to_string(n) + " " + quoted(field);
        if (field == "*") {
            if (p.empty()) {
                return PatternError{messages::kCantSkipFirst};
            }
            if (p.full()) {
                return PatternError{messages::kTooManyValues};
            }
            p.appendSkipped();
        } else if (auto error = appendTyped(p, readListNumber(field), what, Zero::Taken)) {
            return *error;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        at = comma + 1;
    }
    return finished(p);
}

std::variant<UserOrder, PatternError> orderFromText(std::string_view text) {
    auto read = UserOrder::read(text);
    if (const auto* reason = std::get_if<std::string>(&read)) {
        return PatternError{"Can't take the order given: " + *reason + "."};
    }
    return std::get<UserOrder>(std::move(read));
}

std::variant<UserOrder, PatternError> orderFromFile(const std::filesystem::path& path) {
    const std::string quoted = quotedPath(path);
    std::string text;
    if (const auto failure = readSmallFile(path, kMaxOrderFileBytes, Larger::Refuse, text)) {
        return PatternError{"Can't open the order file " + quoted + ": " + *failure + "."};
    }
    auto read = UserOrder::read(text);
    if (const auto* reason = std::get_if<std::string>(&read)) {
        return PatternError{"Can't take the order file " + quoted + ": " + *reason + "."};
    }
    return std::get<UserOrder>(std::move(read));
}

PatternResult patternFromValuesFile(const std::filesystem::path& path) {
    const std::string quoted = quotedPath(path);
    std::string text;
    if (const auto failure = readSmallFile(path, kMaxValuesFileBytes, Larger::ReadTheStart, text)) {
        return PatternError{"Can't open the values file " + quoted + ": " + *failure + "."};
    }
    const auto read = readValuesFile(text);
    if (const auto* error = std::get_if<ValuesFileError>(&read)) {
        return PatternError{"Can't load the values file " + quoted + ": " + error->describe() + "."};
    }
    SearchPattern p;
    p.replace(std::get<std::vector<StoredEntry>>(read));
    return finished(p);
}

}  // namespace kinfold::cli
