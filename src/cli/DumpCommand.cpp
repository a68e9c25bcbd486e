#include "cli/DumpCommand.h"

#include "search/ResultLine.h"

#include "cli/DumpPrinter.h"
#include "cli/FileCommand.h"
#include "cli/FilePool.h"
#include "cli/FileWalk.h"
#include "cli/Progress.h"
#include "cli/TableArgument.h"
#include "pattern/QuotedText.h"
#include "pointers/PointerTable.h"
#include "script/StringAt.h"
#include "search/FileReader.h"
#include "search/ScanError.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace kinfold::cli {
namespace {

constexpr int kTrouble = 2;

// Output handed on once it grows past this, so that a file with many strings holds little.
constexpr std::size_t kWriteAt = std::size_t{64} << 10;

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
            const DumpOutcome dumped = dumpFileAsText(
                file.path, table_, command_.settings, dumpLines(path, command_.json),
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
            auto mapping = mappingForFile(reading_->format, file.path, path, reader, "read");
            if (auto* refused = std::get_if<std::string>(&mapping)) {
                message = std::move(*refused);
            } else if (reading_->place.bank && !std::get<PointerMapping>(mapping).banked()) {
                message = quoted(path) + " is read as " +
                          std::string(mappingName(std::get<PointerMapping>(mapping).kind())) + ": " + kBanksOnly;
            } else {
                std::string problem = readPointerTable(
                    reader, path, std::get<PointerMapping>(mapping), reading_->place, [&](const TablePointer& pointer) {
                        std::optional<ScriptString> string;
                        if (pointer.target && *pointer.target < reader.size()) {
                            StringAtRead read = stringAt(reader, table_, *pointer.target);
                            if (!read.reason.empty()) {
                                message =
                                    ScanError{path, read.reason, ScanError::Stage::Read, *pointer.target}.message();
                                return false;
                            }
                            string = std::move(read.string);
                            outcome.matched = true;
                        }
                        appendTableLine(path, pointer, string, reader.size(), command_.json, text);
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

    const std::vector<FoundFile>& files_;
    const TableDecoder& table_;
    const DumpCommand& command_;
    const std::optional<TableReading>& reading_;
    Progress& progress_;
};

}  // namespace

int runDump(const DumpCommand& command, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const DumpSettings& s = command.settings;
    if (s.end && s.start > *s.end) {
        err << "kinfold: the start offset " << resultLine(s.start) << " is past the end offset " << resultLine(*s.end)
            << ".\n";
        return kTrouble;
    }
    auto table = tableArgument(command.tableFile);
    if (const auto* refused = std::get_if<std::string>(&table)) {
        err << "kinfold: " << *refused << '\n';
        return kTrouble;
    }
    auto read = readTableReading(command);
    if (const auto* refused = std::get_if<std::string>(&read)) {
        err << "kinfold: " << *refused << '\n';
        return kTrouble;
    }
    const std::optional<TableReading>& reading = std::get<std::optional<TableReading>>(read);
    const TableDecoder decoder(std::get<CodeTable>(table));

    return runOverFiles(command.folders, errIsTerminal, out, err,
                        [&](const std::vector<FoundFile>& files, const OrderedOutput::Sink& sink, Progress& progress) {
                            return runFilePool(files.size(), command.folders.threads, sink, progress, [&] {
                                return std::make_unique<DumpWorker>(files, decoder, command, reading, progress);
                            });
                        });
}

}  // namespace kinfold::cli
