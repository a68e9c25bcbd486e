#include "insert/ScriptReader.h"

#include "insert/OffsetField.h"
#include "script/ScriptLine.h"

#include <nlohmann/json.hpp>

namespace kinfold {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kPointerArrow = " <- ";
// What a pointer-table dump writes in place of a text where a pointer leads to no string.
constexpr std::string_view kNoEntryNote = "(no table entry matches here)";
constexpr std::string_view kOutsideNote = "(outside the file";

bool isNote(std::string_view text) { return text == kNoEntryNote || text.starts_with(kOutsideNote); }

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u; }

std::size_t charactersIn(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += isContinuation(c) ? 0 : 1;
    return count;
}

bool isBlank(std::string_view line) {
    for (const char c : line) {
        if (c != ' ' && c != '\t') return false;
    }
    return true;
}

// What one line held: an entry, nothing to take, or a problem.
struct LineRead {
    std::optional<ScriptEntry> entry;
    std::string problem;
};

// A plain line read from at, where its offset starts (the start of the line, or after "PATH:").
std::optional<LineRead> plainFrom(std::string_view line, std::size_t at) {
    LineRead read;
    if (line.substr(at).starts_with("-" + std::string(kPointerArrow))) {
        // A pointer that leads outside the file: the dump's note, no string.
        if (readOffsetField(line, at + 1 + kPointerArrow.size())) return read;
        return std::nullopt;
    }
    const std::optional<OffsetField> offset = readOffsetField(line, at);
    if (!offset) return std::nullopt;
    ScriptEntry entry;
    entry.offset = offset->value;
    std::size_t end = offset->end;
    bool agrees = offset->agrees;
    if (line.substr(end).starts_with(kPointerArrow)) {
        const std::optional<OffsetField> pointer = readOffsetField(line, end + kPointerArrow.size());
        if (!pointer) return std::nullopt;
        entry.pointer = pointer->value;
        end = pointer->end;
        agrees = agrees && pointer->agrees;
    }
    // Two spaces, then the text; an editor may have taken the spaces off an empty one.
    if (end == line.size()) {
        end = line.size();
    } else if (line.substr(end).starts_with("  ")) {
        end += 2;
    } else {
        return std::nullopt;
    }
    if (!agrees) {
        read.problem = "its decimal offset and its hex offset are not the same number; write both alike";
        return read;
    }
    entry.written = std::string(line.substr(end));
    if (entry.pointer && isNote(entry.written)) return read;
    entry.text = unescapedText(entry.written);
    entry.column = charactersIn(line.substr(0, end)) + 1;
    if (at > 0) entry.path = std::string(line.substr(0, at - 1));
    read.entry = std::move(entry);
    return read;
}

LineRead plainLine(std::string_view line) {
    // The offset comes first, or after the path and its colon; a path may hold colons itself.
    for (std::size_t at = 0; at <= line.size(); at = line.find(':', at) + 1) {
        if (std::optional<LineRead> read = plainFrom(line, at)) return std::move(*read);
        if (line.find(':', at) == std::string_view::npos) break;
    }
    LineRead read;
    read.problem =
        "it is not a script line: OFFSET (HEX hex), perhaps \" <- POINTER (HEX hex)\", two spaces and "
        "the text";
    return read;
}

LineRead jsonLine(std::string_view line) {
    LineRead read;
    const nlohmann::json value = nlohmann::json::parse(line, nullptr, false);
    if (value.is_discarded() || !value.is_object()) {
        read.problem = "it is not a JSON object";
        return read;
    }
    const auto pointer = value.find("pointer");
    const bool hasPointer = pointer != value.end() && !pointer->is_null();
    // A pointer-table dump's line for a pointer with no string.
    if (hasPointer &&
        (value.contains("outside") || (value.value("length", 1) == 0 && value.value("text", "x").empty()))) {
        return read;
    }
    const auto offset = value.find("offset");
    const auto text = value.find("text");
    if (offset == value.end() || !offset->is_number_unsigned() || text == value.end() || !text->is_string()) {
        read.problem = "a JSON line needs \"offset\" (a number) and \"text\" (a string)";
        return read;
    }
    if (hasPointer && !pointer->is_number_unsigned()) {
        read.problem = "its \"pointer\" is not a number";
        return read;
    }
    ScriptEntry entry;
    entry.offset = offset->get<std::uint64_t>();
    if (hasPointer) entry.pointer = pointer->get<std::uint64_t>();
    entry.text = text->get<std::string>();
    entry.written = entry.text;
    entry.escaped = false;
    const auto path = value.find("path");
    if (path != value.end() && path->is_string()) entry.path = path->get<std::string>();
    read.entry = std::move(entry);
    return read;
}

}  // namespace

ScriptRead readScript(std::string_view text) {
    ScriptRead read;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    int number = 0;
    std::string firstPath;  // the file the first line that names one names
    int firstLine = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        while (line.ends_with('\r')) line.remove_suffix(1);
        if (isBlank(line) || line.front() == '#') continue;
        LineRead got = line.front() == '{' ? jsonLine(line) : plainLine(line);
        if (!got.problem.empty()) {
            read.problems.push_back({number, std::move(got.problem)});
            continue;
        }
        if (!got.entry) continue;
        got.entry->line = number;
        const std::string& path = got.entry->path;
        if (!path.empty() && firstLine == 0) {
            firstPath = path;
            firstLine = number;
        } else if (!path.empty() && path != firstPath) {
            read.problems.push_back({number, "it names the file \"" + path + "\", and line " +
                                                 std::to_string(firstLine) + " names \"" + firstPath +
                                                 "\": a script goes into one file at a time"});
            continue;
        }
        read.entries.push_back(std::move(*got.entry));
    }
    return read;
}

bool plainLineKeeps(std::string_view text, bool pointerLine) {
    return !text.ends_with('\r') && !(pointerLine && isNote(text));
}

std::size_t columnOf(const ScriptEntry& entry, std::size_t at) {
    std::size_t produced = 0;
    std::size_t characters = 0;
    const std::string_view written = entry.written;
    for (std::size_t k = 0; k < written.size() && produced < at; ++k) {
        if (entry.escaped && written[k] == '\\' && k + 1 < written.size() &&
            (written[k + 1] == 'n' || written[k + 1] == '\\')) {
            // Two characters of the line for one byte of the text.
            ++k;
            characters += 2;
        } else if (!isContinuation(written[k])) {
            ++characters;
        }
        ++produced;
    }
    return entry.column + characters;
}

}  // namespace kinfold
