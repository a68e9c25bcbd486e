#pragma once

#include "insert/FreeSpace.h"
#include "insert/InsertPlan.h"
#include "shell/script/ScriptBatch.h"
#include "shell/script/ScriptEdits.h"
#include "table/CodeTable.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kinfold {

// The script of a file's listed strings with the translator's work, in the
// form `kinfold insert` reads: a line for each string, in offset order, with
// its new text when it is edited, and a line for each pointer confirmed for
// moving it (a pointer-table line) when there are any.
std::string editedScript(std::span<const ScriptBatch> strings, const ScriptEdits& edits);

// What an insertion from the script window makes.
enum class InsertOutput { BpsPatch, IpsPatch, PatchedRom };

struct EditedInsertion {
    std::filesystem::path rom;
    CodeTable table;
    std::string script;  // as editedScript writes it
    std::vector<ByteRange> free;
    InsertOutput output = InsertOutput::BpsPatch;
};

struct InsertOutcome {
    std::string problem;                  // the ROM could not be read, or the patch not made
    std::vector<InsertRefusal> refusals;  // by the script's lines: nothing is made
    std::vector<std::uint8_t> bytes;      // the patch or the patched copy
    std::string summary;                  // as insertSummary says
    std::size_t changed = 0;              // strings changed
};

// Reads the ROM whole and inserts the script as `kinfold insert` does with
// the same table and free space, no --pad and no --map (the file's own
// mapping), checksums kept right; the output asked for, or why not.
InsertOutcome insertEdited(const EditedInsertion& insertion);

}  // namespace kinfold
