#include "cli/PatternArguments.h"

#include "pattern/PatternMessages.h"
#include "files/ValuesFile.h"
#include "pattern/CharacterCode.h"
#include "pattern/NumberReader.h"
#include "search/FileReader.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace kinfold::cli {
namespace {

// A values file of 1000 entries is a few kilobytes; the window reads no more than this either.

PatternError refused(std::string_view windowText, const std::string& detail) {
    return {std::string(windowText) + " " + detail};
}

// Appends a typed value as "Add Value" does: 0, a full pattern and a step
// beyond 16 bits are refused.
std::optional<PatternError> appendTyped(SearchPattern& p, std::optional<std::int16_t> value, const std::string& what) {
    if (p.full()) {
        return PatternError{messages::kTooManyValues};
    }
    if (!value || *value == 0) {
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

std::string codePointName(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    return buffer;
}

}  // namespace

PatternResult patternFromString(std::string_view text) {
    if (text.empty()) {
        return PatternError{messages::kNoString};
    }
    SearchPattern p;
    std::size_t at = 0;
    for (int n = 1; at < text.size(); ++n) {
        const std::string_view rest = text.substr(at);
        const std::optional<DecodedCharacter> c = decodeFirstCharacter(rest);
        if (!c) {
            return refused(messages::kNotValid, "--string byte " + std::to_string(at + 1) + " is not valid UTF-8.");
        }
        const std::string character(rest.substr(0, c->length));
        const std::string what = "--string character " + std::to_string(n) + " \"" + character + "\" (" +
                                 codePointName(c->codePoint) + ")";
        const std::optional<std::int16_t> code = characterCode(character);
        if (!code && !p.full()) {
            return refused(messages::kNotValid, what + ": it is not in Windows-1252 and its code point is above 32767.");
        }
        if (auto error = appendTyped(p, code, what)) {
            return *error;
        }
        at += c->length;
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
        const std::string what = "--values entry " + std::to_string(n) + " \"" + std::string(field) + "\"";
        if (field == "*") {
            if (p.empty()) {
                return PatternError{messages::kCantSkipFirst};
            }
            if (p.full()) {
                return PatternError{messages::kTooManyValues};
            }
            p.appendSkipped();
        } else if (auto error = appendTyped(p, readListNumber(field), what)) {
            return *error;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        at = comma + 1;
    }
    return finished(p);
}

PatternResult patternFromValuesFile(const std::filesystem::path& path) {
    std::string quoted = "\"";
    quoted += pathText(path);
    quoted += '"';
    FileReader reader;
    if (!reader.open(path)) {
        return PatternError{"Can't open the values file " + quoted + ": " + reader.reason() + "."};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min(reader.size(), kMaxValuesFileBytes)));
    const std::optional<std::size_t> got = reader.read(bytes);
    if (!got) {
        return PatternError{"Can't open the values file " + quoted + ": " + reader.reason() + "."};
    }
    const auto read = readValuesFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), *got));
    if (const auto* error = std::get_if<ValuesFileError>(&read)) {
        return PatternError{"Can't load the values file " + quoted + ": " + error->describe() + "."};
    }
    SearchPattern p;
    p.replace(std::get<std::vector<StoredEntry>>(read));
    return finished(p);
}

}  // namespace kinfold::cli
