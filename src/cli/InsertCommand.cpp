#include "cli/InsertCommand.h"

#include "cli/InsertArguments.h"
#include "cli/JsonLine.h"
#include "cli/TableArgument.h"
#include "files/AtomicWrite.h"
#include "insert/InsertPlan.h"
#include "patch/BpsPatch.h"
#include "patch/IpsPatch.h"
#include "pattern/QuotedText.h"
#include "search/FileReader.h"
#include "search/WholeFile.h"

#include <nlohmann/json.hpp>

#include <string_view>

namespace kinfold::cli {
namespace {

constexpr int kChanged = 0;
constexpr int kUnchanged = 1;
constexpr int kTrouble = 2;

// Far beyond any ROM or script, small enough to hold.
constexpr std::uint64_t kMaxRom = std::uint64_t{1} << 30;
constexpr std::uint64_t kMaxText = std::uint64_t{1} << 30;

// The bytes of a file given on the command line, or the message that says why not.
std::variant<std::vector<std::uint8_t>, std::string> readInput(const std::string& what, const std::string& path,
                                                               std::uint64_t maxBytes) {
    auto read = readWholeFile(pathFromText(path), maxBytes);
    if (auto* reason = std::get_if<std::string>(&read)) {
        return "Can't read the " + what + " " + kinfold::quoted(path) + ": " + *reason + ".";
    }
    return read;
}

std::string_view textOf(const std::vector<std::uint8_t>& bytes) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

struct Output {
    const char* what;
    const std::string* path;
    std::string bytes;
};

}  // namespace

int runInsert(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const auto read = readInsertArguments(argc, argv, out, err);
    if (const int* status = std::get_if<int>(&read)) return *status;
    const InsertArguments& a = std::get<InsertArguments>(read);
    const auto refuse = [&err](const std::string& message) {
        err << "kinfold: " << message << '\n';
        return kTrouble;
    };

    // No output may be the ROM or another input, nor two outputs one file.
    const std::vector<std::pair<const char*, const std::string*>> inputs = {
        {"the ROM", &a.rom}, {"the table", &a.table}, {"the script", &a.script}, {"the pointers file", &a.pointers}};
    const std::vector<std::pair<const char*, const std::string*>> outputs = {
        {"-o", &a.output}, {"--ips", &a.ips}, {"--bps", &a.bps}};
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        const std::string& path = *outputs[k].second;
        if (path.empty()) continue;
        for (const auto& [what, input] : inputs) {
            if (!input->empty() && (sameFile(pathFromText(path), pathFromText(*input)) || path == *input)) {
                return refuse("Can't write " + std::string(outputs[k].first) + " " + kinfold::quoted(path) +
                              ": it is " + what + " itself, which kinfold insert only reads; give a new file.");
            }
        }
        for (std::size_t j = 0; j < k; ++j) {
            const std::string& other = *outputs[j].second;
            if (!other.empty() && (sameFile(pathFromText(path), pathFromText(other)) || path == other)) {
                return refuse(std::string(outputs[k].first) + " and " + outputs[j].first + " both name " +
                              kinfold::quoted(path) + ": give each output a file of its own.");
            }
        }
    }

    auto table = tableArgument(a.table);
    if (const auto* refused = std::get_if<std::string>(&table)) return refuse(*refused);
    auto rom = readInput("ROM", a.rom, kMaxRom);
    if (const auto* refused = std::get_if<std::string>(&rom)) return refuse(*refused);
    auto scriptBytes = readInput("script", a.script, kMaxText);
    if (const auto* refused = std::get_if<std::string>(&scriptBytes)) return refuse(*refused);

    InsertRequest request;
    const std::vector<std::uint8_t>& romBytes = std::get<std::vector<std::uint8_t>>(rom);
    request.rom = romBytes;
    request.table = &std::get<CodeTable>(table);
    request.free = a.free;
    request.pad = a.pad;
    request.keepChecksums = a.keepChecksums;
    request.console = consoleOf(pathFromText(a.rom));

    bool refused = false;
    ScriptRead script = readScript(textOf(std::get<std::vector<std::uint8_t>>(scriptBytes)));
    for (const ScriptProblem& problem : script.problems) {
        refuse(kinfold::quoted(a.script) + " line " + std::to_string(problem.line) + ": " + problem.reason + ".");
        refused = true;
    }
    request.lines = std::move(script.entries);
    if (!a.pointers.empty()) {
        auto pointerBytes = readInput("pointers file", a.pointers, kMaxText);
        if (const auto* problem = std::get_if<std::string>(&pointerBytes)) return refuse(*problem);
        PointerListRead list = readPointerList(textOf(std::get<std::vector<std::uint8_t>>(pointerBytes)));
        for (const ScriptProblem& problem : list.problems) {
            refuse(kinfold::quoted(a.pointers) + " line " + std::to_string(problem.line) + ": " + problem.reason + ".");
            refused = true;
        }
        request.listed = std::move(list.pointers);
    }
    if (refused) return kTrouble;

    // The mapping, needed only when a string moves.
    std::optional<PointerMapping> mapping;
    auto format = readPointerFormat(a.format);
    if (auto* problem = std::get_if<std::string>(&format)) return refuse(*problem);
    FileReader reader;
    if (reader.open(pathFromText(a.rom))) {
        auto chosen = mappingForFile(std::get<PointerFormatChoice>(format), pathFromText(a.rom), a.rom, reader, "read");
        if (auto* problem = std::get_if<std::string>(&chosen)) {
            request.mappingProblem = *problem;
        } else {
            mapping = std::get<PointerMapping>(chosen);
            request.mapping = &*mapping;
        }
    } else {
        request.mappingProblem = reader.reason();
    }

    const InsertPlan plan = planInsert(request);
    if (plan.refused()) {
        for (const InsertRefusal& refusal : plan.refusals) {
            refuse(refusal.line > 0 ? kinfold::quoted(a.script) + " " + refusal.message() + "."
                                    : refusal.message() + ".");
        }
        err << "kinfold: nothing was written.\n";
        return kTrouble;
    }

    std::vector<Output> files;
    const auto bytesText = [](const std::vector<std::uint8_t>& bytes) { return std::string(textOf(bytes)); };
    if (!a.output.empty()) files.push_back({"the patched copy", &a.output, bytesText(plan.output)});
    if (!a.ips.empty()) {
        auto ips = ipsPatch(romBytes, plan.output);
        if (auto* problem = std::get_if<std::string>(&ips)) {
            refuse("Can't write the IPS patch " + kinfold::quoted(a.ips) + ": " + *problem + ".");
            err << "kinfold: nothing was written.\n";
            return kTrouble;
        }
        files.push_back({"the IPS patch", &a.ips, bytesText(std::get<std::vector<std::uint8_t>>(ips))});
    }
    if (!a.bps.empty()) files.push_back({"the BPS patch", &a.bps, bytesText(bpsPatch(romBytes, plan.output))});
    for (const Output& file : files) {
        if (const auto problem = writeFileAtomically(pathFromText(*file.path), file.bytes)) {
            return refuse("Can't write " + std::string(file.what) + " " + kinfold::quoted(*file.path) + ": " +
                          *problem + ".");
        }
    }

    if (a.json) {
        std::string lines;
        for (const StringChange& c : plan.changes) {
            const nlohmann::ordered_json line{{"line", c.line},           {"offset", c.offset},
                                              {"length", c.length},       {"newOffset", c.newOffset},
                                              {"newLength", c.newLength}, {"pointers", c.pointers}};
            appendJsonLine(line, lines);
        }
        out << lines;
    }
    err << insertSummary(plan) << '\n';
    return plan.changes.empty() ? kUnchanged : kChanged;
}

}  // namespace kinfold::cli
