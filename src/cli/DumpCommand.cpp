#include "cli/DumpCommand.h"

#include "cli/FileCommand.h"
#include "cli/FilePool.h"
#include "cli/FileWalk.h"
#include "cli/JsonLine.h"
#include "cli/Progress.h"
#include "cli/TableArgument.h"
#include "script/ScriptLine.h"
#include "search/FileReader.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>

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

class DumpWorker : public FileWorker {
public:
    DumpWorker(const std::vector<FoundFile>& files, const TableDecoder& table, const DumpCommand& command,
               Progress& progress)
        : files_(files), table_(table), command_(command), progress_(progress) {}

    PoolOutcome search(std::size_t i, OrderedOutput& output) override {
        const FoundFile& file = files_[i];
        PoolOutcome outcome;
        std::string text;
        std::optional<std::string> message = file.problem;
        std::uint64_t counted = 0;
        if (!message) {
            const std::string path = pathText(file.path);
            const DumpOutcome dumped = dumpFile(
                file.path, table_, command_.settings,
                [&](const ScriptStrings& strings) {
                    outcome.matched = true;
                    for (std::size_t k = 0; k < strings.size(); ++k) {
                        const ScriptStrings::Record& string = strings[k];
                        if (command_.json) {
                            appendJsonLine(nlohmann::ordered_json{{"path", path},
                                                                  {"offset", string.offset},
                                                                  {"length", string.length},
                                                                  {"text", std::string(strings.text(k))},
                                                                  {"ended", string.ended}},
                                           text);
                        } else {
                            text += path;
                            text += ':';
                            appendScriptLine(string.offset, strings.text(k), text);
                            text += '\n';
                        }
                    }
                },
                [&](std::uint64_t bytesDone) {
                    progress_.addBytes(command_.settings.start + bytesDone - counted);
                    counted = command_.settings.start + bytesDone;
                    if (text.size() >= kWriteAt) output.write(i, text);
                    return true;
                });
            if (!dumped.problem.empty()) message = dumped.problem;
        }
        outcome.failed = message.has_value();
        // Whatever was not dumped still counts as done.
        progress_.addBytes(file.size > counted ? file.size - counted : 0);
        progress_.addFile();
        output.finish(i, text, message);
        return outcome;
    }

private:
    const std::vector<FoundFile>& files_;
    const TableDecoder& table_;
    const DumpCommand& command_;
    Progress& progress_;
};

}  // namespace

CLI::App* addDumpCommand(CLI::App& app, DumpCommand& command) {
    command.threads = std::max(1u, std::thread::hardware_concurrency());
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
    dump->add_option("--include", command.includes, "in folders, dump only files whose name matches GLOB (repeatable; a GLOB with / matches "
                     "the path below the folder given)")
        ->type_name("GLOB")
        ->allow_extra_args(false);
    dump->add_option("--exclude", command.excludes,
                     "in folders, skip files and folders whose name matches GLOB (repeatable)")
        ->type_name("GLOB")
        ->allow_extra_args(false);
    dump->add_option("-j,--threads", command.threads, "files dumped at once (default: the machine's cores)")
        ->type_name("N")
        ->check(CLI::Range(1, 1024));
    dump->add_flag("-q,--quiet", command.quiet, "no progress line");
    dump->add_option("PATH", command.paths, "files and folders to dump (folders recursively)")
        ->type_name("PATH")
        ->required();
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
    const TableDecoder decoder(std::get<CodeTable>(table));

    return runOverFiles(command.paths, NameFilter(command.includes, command.excludes), errIsTerminal && !command.quiet,
                        out, err, [&](const std::vector<FoundFile>& files, const OrderedOutput::Sink& sink,
                                      Progress& progress) {
                            return runFilePool(files.size(), command.threads, sink, progress, [&] {
                                return std::make_unique<DumpWorker>(files, decoder, command, progress);
                            });
                        });
}

}  // namespace kinfold::cli
