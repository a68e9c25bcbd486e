#include "shell/script/EditedScript.h"

#include "insert/ScriptReader.h"
#include "insert/ScriptWriter.h"
#include "patch/BpsPatch.h"
#include "patch/ConsoleChecksum.h"
#include "patch/IpsPatch.h"
#include "pointers/MappingChoice.h"
#include "search/FileReader.h"
#include "search/WholeFile.h"

namespace kinfold {

namespace {
// Far beyond any ROM, small enough to hold.
constexpr std::uint64_t kMostRomBytes = std::uint64_t{1} << 30;
}  // namespace

std::string editedScript(std::span<const ScriptBatch> strings, const ScriptEdits& edits) {
    std::string out;
    for (const ScriptBatch& batch : strings) {
        for (std::size_t k = 0; k < batch.size(); ++k) {
            const std::uint64_t offset = batch.offsets[k];
            const std::string* edit = edits.editOf(offset);
            const std::vector<std::uint64_t>* used = edits.usedPointers(offset);
            appendStringLines(
                offset, edit != nullptr ? std::string_view(*edit) : batch.text(k),
                used != nullptr ? std::span<const std::uint64_t>(*used) : std::span<const std::uint64_t>(), out);
        }
    }
    return out;
}

InsertOutcome insertEdited(const EditedInsertion& insertion) {
    InsertOutcome outcome;
    auto rom = readWholeFile(insertion.rom, kMostRomBytes);
    if (auto* reason = std::get_if<std::string>(&rom)) {
        outcome.problem = *reason;
        return outcome;
    }
    const std::vector<std::uint8_t>& bytes = std::get<std::vector<std::uint8_t>>(rom);
    ScriptRead script = readScript(insertion.script);
    for (const ScriptProblem& problem : script.problems) outcome.refusals.push_back({problem.line, problem.reason, {}});
    if (!outcome.refusals.empty()) return outcome;

    InsertRequest request;
    request.rom = bytes;
    request.table = &insertion.table;
    request.lines = std::move(script.entries);
    request.free = insertion.free;
    request.console = consoleOf(insertion.rom);
    // The mapping, needed only when a string moves: the one the file itself says.
    std::optional<PointerMapping> mapping;
    FileReader reader;
    if (reader.open(insertion.rom)) {
        auto chosen = mappingOfFile(std::nullopt, PointerFormat{}, insertion.rom, reader);
        if (auto* refused = std::get_if<MappingRefusal>(&chosen)) {
            request.mappingProblem = refused->kind ? std::string(mappingName(*refused->kind)) + ": " + refused->reason
                                                   : "the file's extension names no console's mapping";
        } else {
            mapping = std::get<PointerMapping>(std::move(chosen));
            request.mapping = &*mapping;
        }
    } else {
        request.mappingProblem = reader.reason();
    }

    InsertPlan plan = planInsert(request);
    if (plan.refused()) {
        outcome.refusals = std::move(plan.refusals);
        return outcome;
    }
    outcome.summary = insertSummary(plan);
    outcome.changed = plan.changes.size();
    switch (insertion.output) {
    case InsertOutput::PatchedRom: outcome.bytes = std::move(plan.output); break;
    case InsertOutput::BpsPatch: outcome.bytes = bpsPatch(bytes, plan.output); break;
    case InsertOutput::IpsPatch: {
        auto ips = ipsPatch(bytes, plan.output);
        if (auto* problem = std::get_if<std::string>(&ips)) {
            outcome.problem = *problem;
        } else {
            outcome.bytes = std::get<std::vector<std::uint8_t>>(std::move(ips));
        }
        break;
    }
    }
    return outcome;
}

}  // namespace kinfold
