#include "cli/PointersArguments.h"

#include "cli/ParseArguments.h"
#include "cli/PointerFormatArguments.h"
#include "pattern/OffsetReader.h"
#include "pattern/QuotedText.h"
#include "search/FileReader.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <string_view>

namespace kinfold::cli {
namespace {

constexpr int kTrouble = 2;

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Adds the comma-separated offsets of one --to; the message when one isn't a number.
std::optional<std::string> addOffsets(std::string_view list, std::vector<std::uint64_t>& targets) {
    for (std::size_t at = 0; at <= list.size();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        const std::string_view field = trimmed(list.substr(at, comma - at));
        auto offset = readOffset(field);
        if (auto* notOne = std::get_if<std::string>(&offset)) {
            return "--to " + *notOne;
        }
        targets.push_back(std::get<std::uint64_t>(offset));
        at = comma + 1;
    }
    return std::nullopt;
}

// Adds the offsets of a file, one a line; blank lines are passed over.
std::optional<std::string> addOffsetsFile(const std::string& path, std::vector<std::uint64_t>& targets) {
    FileReader reader;
    std::string text;
    if (reader.open(pathFromText(path))) {
        text.resize(static_cast<std::size_t>(reader.size()));
        const std::optional<std::size_t> got =
            reader.read(std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
        if (got) {
            text.resize(*got);
        }
    }
    if (!reader.reason().empty()) {
        return "Can't read the offsets file " + quoted(path) + ": " + reader.reason() + ".";
    }
    std::size_t line = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view field = trimmed(std::string_view(text).substr(at, end - at));
        ++line;
        at = end + 1;
        if (field.empty()) {
            continue;
        }
        auto offset = readOffset(field);
        if (auto* notOne = std::get_if<std::string>(&offset)) {
            return "The offsets file " + quoted(path) + " line " + std::to_string(line) + ": " + *notOne;
        }
        targets.push_back(std::get<std::uint64_t>(offset));
    }
    return std::nullopt;
}

}  // namespace

std::variant<PointersCommand, int> readPointersCommand(int argc, const char* const* argv, std::ostream& out,
                                                       std::ostream& err) {
    PointersCommand command;

    CLI::App app(
        "Lists the places in files that point at the given offsets, as the console the file is for "
        "maps it into memory.",
        "kinfold pointers");
    // Options are --words on Windows too, so a path such as /roms/a.sfc is a path there as well.
    app.allow_windows_style_options(false);
    std::vector<std::string> to;
    std::vector<std::string> toFiles;
    app.add_option("--to", to, "the offsets pointed at, comma-separated: decimal or 0x hex (repeatable)")
        ->type_name("OFFSET[,OFFSET...]")
        ->allow_extra_args(false);
    app.add_option("--to-file", toFiles, "a file of offsets pointed at, one a line (repeatable)")
        ->type_name("FILE")
        ->allow_extra_args(false);
    PointerFormatWords formatWords;
    addPointerFormatOptions(app, formatWords);
    app.add_flag("--align", command.search.aligned, "only pointers at multiples of their size");
    app.add_flag("--bank-of-pointer", command.search.bankOfPointer,
                 "only pointers in their target's bank or in the fixed bank (gb, nes, 16-bit snes)");
    app.add_flag("--json", command.json, "write JSON Lines instead of text");
    addNameFilterOptions(app, command.folders, "search");
    addRunOptions(app, command.folders, "search", "files searched at once (default: the machine's cores)");

    if (const std::optional<int> status = parseArguments(app, argc, argv, out, err)) return *status;

    const auto refuse = [&err](const std::string& message) {
        err << "kinfold: " << message << '\n';
        return kTrouble;
    };
    if (to.empty() && toFiles.empty()) {
        return refuse("Give the offsets pointed at with --to or --to-file.");
    }
    for (const std::string& list : to) {
        if (const auto problem = addOffsets(list, command.targets)) {
            return refuse(*problem);
        }
    }
    for (const std::string& file : toFiles) {
        if (const auto problem = addOffsetsFile(file, command.targets)) {
            return refuse(*problem);
        }
    }
    std::sort(command.targets.begin(), command.targets.end());
    command.targets.erase(std::unique(command.targets.begin(), command.targets.end()), command.targets.end());

    auto format = readPointerFormat(formatWords);
    if (const auto* problem = std::get_if<std::string>(&format)) {
        return refuse(*problem);
    }
    command.map = std::get<PointerFormatChoice>(format).map;
    command.format = std::get<PointerFormatChoice>(format).format;
    if (!command.map) {
        return command;
    }
    if (command.search.bankOfPointer && !isBanked(command.format)) {
        return refuse(
            "--bank-of-pointer is for the mappings with 16-bit pointers into banks: gb, nes, "
            "snes-lorom and snes-hirom.");
    }
    return command;
}

}  // namespace kinfold::cli
