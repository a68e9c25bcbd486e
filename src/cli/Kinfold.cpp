#include "cli/Kinfold.h"

#include "cli/FileCommand.h"
#include "cli/InsertCommand.h"
#include "cli/PatchCommand.h"
#include "cli/PatternArguments.h"
#include "cli/PointersCommand.h"
#include "cli/ScanCommand.h"
#include "cli/ScanPool.h"
#include "cli/TableArgument.h"
#include "search/PathText.h"

namespace kinfold::cli {
namespace {

constexpr int kNothingFound = 1;
constexpr int kTrouble = 2;

// How --string's characters become entries, but for a user's order.
StringCoding codingOf(const ScanCommand& command) {
    StringCoding coding;
    coding.kana = command.kana == "unicode" ? KanaCodes::Unicode : KanaCodes::GameOrder;
    coding.splitVoiced = command.splitVoiced;
    coding.lettersOnly = command.lettersOnly;
    if (command.wildcard) {
        coding.wildcard = decodeFirstCharacter(*command.wildcard)->codePoint;
    }
    return coding;
}

// The pattern, and the user's order when --string's codes are places in one.
PatternResult patternOf(const ScanCommand& command, std::optional<UserOrder>& order) {
    if (command.string) {
        StringCoding coding = codingOf(command);
        if (command.order || command.orderFile) {
            auto read = command.order ? orderFromText(*command.order) : orderFromFile(pathFromText(*command.orderFile));
            if (auto* error = std::get_if<PatternError>(&read)) {
                return *error;
            }
            order = std::get<UserOrder>(std::move(read));
            coding.order = &*order;
        }
        return patternFromString(*command.string, coding);
    }
    if (command.values) {
        return patternFromValues(*command.values);
    }
    return patternFromValuesFile(pathFromText(*command.valuesFile));
}

}  // namespace

int runKinfold(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    if (argc > 1 && std::string_view(argv[1]) == "pointers") {
        return runPointers(argc - 1, argv + 1, out, err, errIsTerminal);
    }
    if (argc > 1 && std::string_view(argv[1]) == "insert") {
        return runInsert(argc - 1, argv + 1, out, err);
    }
    if (argc > 1 && std::string_view(argv[1]) == "patch") {
        return runPatch(argc - 1, argv + 1, out, err);
    }
    const auto read = readScanCommand(argc, argv, out, err);
    if (const int* status = std::get_if<int>(&read)) {
        return *status;
    }
    if (const auto* dump = std::get_if<DumpCommand>(&read)) {
        return runDump(*dump, out, err, errIsTerminal);
    }
    const ScanCommand& command = std::get<ScanCommand>(read);

    std::optional<UserOrder> order;
    const PatternResult pattern = patternOf(command, order);
    if (const auto* refused = std::get_if<PatternError>(&pattern)) {
        err << "kinfold: " << refused->message << '\n';
        return kTrouble;
    }

    CodeTable userTable;
    if (command.tableFile) {
        auto table = tableArgument(*command.tableFile);
        if (const auto* refused = std::get_if<std::string>(&table)) {
            err << "kinfold: " << *refused << '\n';
            return kTrouble;
        }
        userTable = std::move(std::get<CodeTable>(table));
    }

    const ScanSettings settings{
        command.folders.threads,
        command.maxCount,
        {command.output, std::get<SearchPattern>(pattern), command.match, order, std::move(userTable)}};
    const int status =
        runOverFiles(command.folders, errIsTerminal, out, err,
                     [&settings](const std::vector<FoundFile>& files, const OrderedOutput::Sink& sink,
                                 Progress& progress) { return scanFiles(files, settings, sink, progress); });
    if (status == kNothingFound && command.string && !order) {
        if (const auto mark = punctuationAmongKana(*command.string, codingOf(command))) {
            err << "kinfold: nothing matched \"" << *command.string << "\", which holds \"" << *mark
                << "\": --letters-only finds words whose punctuation lies elsewhere in the game's table.\n";
        }
    }
    return status;
}

}  // namespace kinfold::cli
