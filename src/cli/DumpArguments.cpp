#include "cli/DumpArguments.h"

#include "pattern/OffsetReader.h"
#include "pattern/QuotedText.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace kinfold::cli {
namespace {

// The offset a text reads as, nullopt for a text that is none.
std::optional<std::uint64_t> offsetIn(std::string_view text) {
    const auto read = readOffset(text);
    if (const auto* offset = std::get_if<std::uint64_t>(&read)) return *offset;
    return std::nullopt;
}

const CLI::Validator kOffset(
    [](std::string& text) {
        auto read = readOffset(text);
        if (std::holds_alternative<std::uint64_t>(read)) return std::string();
        std::string& reason = std::get<std::string>(read);
        reason.pop_back();  // without its full stop, as CLI11's own messages are
        return std::move(reason);
    },
    "");

}  // namespace

CLI::App* addDumpCommand(CLI::App& app, DumpCommand& command) {
    CLI::App* dump = app.add_subcommand(
        "dump", "Print every string of files decoded through a table: one line per string, its offset and its text.");
    dump->add_option("--tbl", command.tableFile, "the table file (normal, end, line-break and control entries)")
        ->type_name("FILE")
        ->required();
    dump->add_option_function<std::string>(
            "--start", [&command](const std::string& text) { command.settings.start = *offsetIn(text); },
            "where the strings are looked for from (default 0)")
        ->type_name("OFFSET")
        ->check(kOffset);
    dump->add_option_function<std::string>(
            "--end", [&command](const std::string& text) { command.settings.end = *offsetIn(text); },
            "where they are looked for up to, exclusive (default the end of each file)")
        ->type_name("OFFSET")
        ->check(kOffset);
    dump->add_option("--min-length", command.settings.minLength,
                     "the characters a string's text needs to be printed (line breaks, controls and end tokens "
                     "don't count)")
        ->type_name("N")
        ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1} << 32))
        ->default_str("4");
    dump->add_flag("--json", command.json,
                   "write JSON Lines: path, offset, length in bytes, text (with real line breaks), ended (by an "
                   "end token)");
    addNameFilterOptions(*dump, command.folders, "dump");
    addRunOptions(*dump, command.folders, "dump",
                  "threads (default: the machine's cores): files dumped at once, those left over sharing the "
                  "pieces of each file");
    CLI::Option* table =
        dump->add_option("--pointer-table", command.pointerTable,
                         "instead of every string: the string each of COUNT pointers from OFFSET on leads to, "
                         "whatever its length, in table order (decimal or 0x hex)")
            ->type_name("OFFSET,COUNT");
    addPointerFormatOptions(*dump, command.pointerFormat);
    dump->add_option("--bank", command.bank,
                     "the bank 16-bit pointers lead into (gb, nes, 16-bit snes; default the table's own)")
        ->type_name("N");
    for (const char* name : {"--map", "--width", "--byte-order", "--base", "--bank"}) {
        dump->get_option(name)->needs(table);
    }
    for (const char* name : {"--start", "--end", "--min-length"}) {
        table->excludes(dump->get_option(name));
    }
    return dump;
}

std::variant<std::optional<TableReading>, std::string> readTableReading(const DumpCommand& command) {
    if (command.pointerTable.empty()) {
        return std::optional<TableReading>();
    }
    TableReading reading;
    // "OFFSET,COUNT", each in decimal or 0x hex.
    const std::string_view words = command.pointerTable;
    const std::size_t comma = words.find(',');
    const std::optional<std::uint64_t> offset = offsetIn(words.substr(0, comma));
    const std::optional<std::uint64_t> count =
        comma == std::string_view::npos ? std::nullopt : offsetIn(words.substr(comma + 1));
    if (!offset || !count) {
        return "--pointer-table " + quoted(command.pointerTable) +
               " is not OFFSET,COUNT: give the table's offset and its number of pointers, each in decimal or in "
               "hex after 0x.";
    }
    if (*count == 0) {
        return std::string("--pointer-table: a table of 0 pointers leads to no string; give a COUNT of 1 or more.");
    }
    reading.place.offset = *offset;
    reading.place.count = *count;
    if (!command.bank.empty()) {
        reading.place.bank = offsetIn(command.bank);
        if (!reading.place.bank) {
            return "--bank " + quoted(command.bank) + " is not a number: give it in decimal, or in hex after 0x.";
        }
    }
    auto format = readPointerFormat(command.pointerFormat);
    if (auto* refused = std::get_if<std::string>(&format)) return std::move(*refused);
    reading.format = std::get<PointerFormatChoice>(format);
    if (reading.place.bank && reading.format.map && !isBanked(reading.format.format)) return std::string(kBanksOnly);
    return reading;
}

}  // namespace kinfold::cli
