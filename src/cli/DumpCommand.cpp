#include "cli/DumpCommand.h"

#include "cli/FileCommand.h"
#include "cli/FilePool.h"
#include "cli/FileWalk.h"
#include "cli/JsonLine.h"
#include "cli/Progress.h"
#include "cli/TableArgument.h"
#include "pointers/PointerTable.h"
#include "script/ScriptLine.h"
#include "script/StringAt.h"
#include "search/FileReader.h"
#include "search/ResultLine.h"
#include "search/ScanError.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <string_view>
#include <variant>

namespace kinfold::cli {
namespace {

constexpr int kTrouble = 2;

// Output handed on once it grows past this, so that a file with many strings holds little.
constexpr std::size_t kWriteAt = std::size_t{64} << 10;

// An offset in decimal or, after "0x", in hex.
std::optional<std::uint64_t> offsetOf(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

const CLI::Validator kOffset(
    [](std::string& text) {
        return offsetOf(text) ? std::string() : "\"" + text + "\" is not an offset (decimal, or hex after 0x)";
    },
    "");

// A pointer table to read in each file, and how its pointers are read.
struct TableReading {
    PointerTablePlace place;
    PointerFormatChoice format;
};

const char* const kBanksOnly =
    "--bank is for the mappings with 16-bit pointers into banks: gb, nes, snes-lorom and snes-hirom.";

// "OFFSET,COUNT", each in decimal or 0x hex.
std::variant<TableReading, std::string> readTableWords(const DumpCommand& command) {
    TableReading reading;
    const std::string_view words = command.pointerTable;
    const std::size_t comma = words.find(',');
    const std::optional<std::uint64_t> offset = offsetOf(words.substr(0, comma));
    const std::optional<std::uint64_t> count =
        comma == std::string_view::npos ? std::nullopt : offsetOf(words.substr(comma + 1));
    if (!offset || !count) {
        return "--pointer-table \"" + command.pointerTable +
               "\" is not OFFSET,COUNT: give the table's offset and its number of pointers, each in decimal or in "
               "hex after 0x.";
    }
    if (*count == 0) {
        return std::string("--pointer-table: a table of 0 pointers leads to no string; give a COUNT of 1 or more.");
    }
    reading.place.offset = *offset;
    reading.place.count = *count;
    if (!command.bank.empty()) {
        reading.place.bank = offsetOf(command.bank);
        if (!reading.place.bank) {
            return "--bank \"" + command.bank + "\" is not a number: give it in decimal, or in hex after 0x.";
        }
    }
    auto format = readPointerFormat(command.pointerFormat);
    if (auto* refused = std::get_if<std::string>(&format)) return std::move(*refused);
    reading.format = std::get<PointerFormatChoice>(format);
    if (reading.place.bank && reading.format.map && !isBanked(reading.format.format)) return std::string(kBanksOnly);
    return reading;
}

class DumpWorker : public FileWorker {
public:
    DumpWorker(const std::vector<FoundFile>& files, const TableDecoder& table, const DumpCommand& command,
               const std::optional<TableReading>& reading, Progress& progress)
        : files_(files), table_(table), command_(command), reading_(reading), progress_(progress) {}

    PoolOutcome search(std::size_t i, OrderedOutput& output) override {
        if (reading_) return readTable(i, output);
        const FoundFile& file = files_[i];
        PoolOutcome outcome;
        std::string text;
        std::optional<std::string> message = file.problem;
        std::uint64_t counted = 0;
        if (!message) {
            const std::string path = pathText(file.path);
            // The threads the files leave over share the pieces of each.
            DumpWork work;
            work.workers = static_cast<unsigned>(std::max<std::size_t>(1, command_.folders.threads / files_.size()));
            // The lines are made on the threads that find their strings.
            const auto textLines = [&](const ScriptStrings& strings, std::string& lines) {
                for (std::size_t k = 0; k < strings.size(); ++k) {
                    lines += path;
                    lines += ':';
                    appendScriptLine(strings[k].offset, strings.text(k), lines);
                    lines += '\n';
                }
            };
            const auto jsonLines = [&](const ScriptStrings& strings, std::string& lines) {
                // One object for every line, its values changed in place.
                nlohmann::ordered_json line{
                    {"path", path}, {"offset", 0}, {"length", 0}, {"text", ""}, {"ended", false}};
                nlohmann::ordered_json& offset = line["offset"];
                nlohmann::ordered_json& length = line["length"];
                std::string& decoded = line["text"].get_ref<std::string&>();
                nlohmann::ordered_json& ended = line["ended"];
                for (std::size_t k = 0; k < strings.size(); ++k) {
                    offset = strings[k].offset;
                    length = strings[k].length;
                    decoded.assign(strings.text(k));
                    ended = strings[k].ended;
                    appendJsonLine(line, lines);
                }
            };
            const DumpOutcome dumped = dumpFileAsText(
                file.path, table_, command_.settings,
                command_.json ? ScriptStringsFormat(jsonLines) : ScriptStringsFormat(textLines),
                [&](std::string& lines) {
                    outcome.matched = true;
                    if (text.empty()) {
                        text.swap(lines);
                    } else {
                        text += lines;
                    }
                },
                [&](std::uint64_t bytesDone) {
                    progress_.addBytes(command_.settings.start + bytesDone - counted);
                    counted = command_.settings.start + bytesDone;
                    if (text.size() >= kWriteAt) output.write(i, text);
                    return true;
                },
                work);
            if (!dumped.problem.empty()) message = dumped.problem;
        }
        outcome.failed = message.has_value();
        endFile(i, file.size, counted, text, message, progress_, output);
        return outcome;
    }

private:
    // The string each pointer of the file's pointer table leads to.
    PoolOutcome readTable(std::size_t i, OrderedOutput& output) {
        const FoundFile& file = files_[i];
        const std::string path = pathText(file.path);
        PoolOutcome outcome;
        std::string text;
        std::optional<std::string> message = file.problem;
        FileReader reader;
        if (!message && !reader.open(file.path)) {
            message = ScanError{path, reader.reason(), ScanError::Stage::Open, 0}.message();
        }
        if (!message) {
            auto mapping = mappingOfFile(reading_->format, file.path, path, reader, "read");
            if (auto* refused = std::get_if<std::string>(&mapping)) {
                message = std::move(*refused);
            } else if (reading_->place.bank && !std::get<PointerMapping>(mapping).banked()) {
                message = "\"" + path + "\" is read as " +
                          std::string(mappingName(std::get<PointerMapping>(mapping).kind())) + ": " + kBanksOnly;
            } else {
                std::string problem = readPointerTable(
                    reader, path, std::get<PointerMapping>(mapping), reading_->place, [&](const TablePointer& pointer) {
                        std::optional<ScriptString> string;
                        if (pointer.target && *pointer.target < reader.size()) {
                            StringAtRead read = stringAt(reader, table_, *pointer.target);
                            if (!read.reason.empty()) {
                                message = ScanError{path, read.reason, ScanError::Stage::Read, *pointer.target}.message();
                                return false;
                            }
                            string = std::move(read.string);
                            outcome.matched = true;
                        }
                        appendTableLine(path, pointer, string, reader.size(), text);
                        if (text.size() >= kWriteAt) output.write(i, text);
                        return true;
                    });
                if (!problem.empty()) message = std::move(problem);
            }
        }
        outcome.failed = message.has_value();
        progress_.addBytes(file.size);
        progress_.addFile();
        output.finish(i, text, message);
        return outcome;
    }

    // One pointer's line: its string, or why it has none.
    void appendTableLine(const std::string& path, const TablePointer& pointer, const std::optional<ScriptString>& string,
                         std::uint64_t size, std::string& text) const {
        std::string outside;
        if (!pointer.target) {
            outside = "outside the file: the value " + resultLine(pointer.value) + " is no address in the cartridge";
        } else if (!string) {
            outside = "outside the file, which ends at " + resultLine(size);
        }
        if (command_.json) {
            nlohmann::ordered_json line{{"path", path}};
            line["offset"] = pointer.target ? nlohmann::ordered_json(*pointer.target) : nlohmann::ordered_json();
            line["pointer"] = pointer.offset;
            if (string) {
                line["length"] = string->length;
                line["text"] = string->text;
                line["ended"] = string->ended;
            } else {
                line["outside"] = outside;
            }
            appendJsonLine(line, text);
            return;
        }
        text += path;
        text += ':';
        const std::string target = pointer.target ? resultLine(*pointer.target) : "-";
        if (string && string->length > 0) {
            // The script's line, with the pointer after the string's offset.
            std::string line = scriptLine(*string);
            line.insert(target.size(), " <- " + resultLine(pointer.offset));
            text += line;
        } else {
            text += target + " <- " + resultLine(pointer.offset) + "  (" +
                    (string ? std::string("no table entry matches here") : outside) + ")";
        }
        text += '\n';
    }

    const std::vector<FoundFile>& files_;
    const TableDecoder& table_;
    const DumpCommand& command_;
    const std::optional<TableReading>& reading_;
    Progress& progress_;
};

}  // namespace

CLI::App* addDumpCommand(CLI::App& app, DumpCommand& command) {
    CLI::App* dump = app.add_subcommand(
        "dump", "Print every string of files decoded through a table: one line per string, its offset and its text.");
    dump->add_option("--tbl", command.tableFile, "the table file (normal, end, line-break and control entries)")
        ->type_name("FILE")
        ->required();
    dump->add_option_function<std::string>(
            "--start", [&command](const std::string& text) { command.settings.start = *offsetOf(text); },
            "where the strings are looked for from (default 0)")
        ->type_name("OFFSET")
        ->check(kOffset);
    dump->add_option_function<std::string>(
            "--end", [&command](const std::string& text) { command.settings.end = *offsetOf(text); },
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

int runDump(const DumpCommand& command, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const DumpSettings& s = command.settings;
    if (s.end && s.start > *s.end) {
        err << "kinfold: the start offset " << s.start << " is past the end offset " << *s.end << ".\n";
        return kTrouble;
    }
    auto table = tableArgument(command.tableFile);
    if (const auto* refused = std::get_if<std::string>(&table)) {
        err << "kinfold: " << *refused << '\n';
        return kTrouble;
    }
    std::optional<TableReading> reading;
    if (!command.pointerTable.empty()) {
        auto read = readTableWords(command);
        if (const auto* refused = std::get_if<std::string>(&read)) {
            err << "kinfold: " << *refused << '\n';
            return kTrouble;
        }
        reading = std::get<TableReading>(read);
    }
    const TableDecoder decoder(std::get<CodeTable>(table));

    return runOverFiles(command.folders, errIsTerminal, out, err, [&](const std::vector<FoundFile>& files, const OrderedOutput::Sink& sink,
                                      Progress& progress) {
                            return runFilePool(files.size(), command.folders.threads, sink, progress, [&] {
                                return std::make_unique<DumpWorker>(files, decoder, command, reading, progress);
                            });
                        });
}

}  // namespace kinfold::cli
