#pragma once

#include "cli/FolderArguments.h"
#include "cli/PointerFormatArguments.h"
#include "pointers/PointerTable.h"
#include "script/ScriptDump.h"

#include <optional>
#include <string>
#include <variant>

namespace CLI {
class App;
}  // namespace CLI

namespace kinfold::cli {

// The words of `kinfold dump ...`, read and checked.
struct DumpCommand {
    std::string tableFile;
    DumpSettings settings;
    bool json = false;
    FolderWords folders;
    // --pointer-table OFFSET,COUNT, --bank N and the pointers' format, as given:
    // the strings a table of pointers leads to instead of those of a range.
    std::string pointerTable;
    std::string bank;
    PointerFormatWords pointerFormat;
};

// Adds the `dump` subcommand to the program's arguments; command is filled
// in when the arguments choose it.
CLI::App* addDumpCommand(CLI::App& app, DumpCommand& command);

// A pointer table to read in each file, and how its pointers are read.
struct TableReading {
    PointerTablePlace place;
    PointerFormatChoice format;
};

// The pointer table the command's --pointer-table, --bank and pointer format
// ask for (nullopt without --pointer-table), or the message when they can't
// be used.
std::variant<std::optional<TableReading>, std::string> readTableReading(const DumpCommand& command);

// Why a --bank can't be used with a mapping that has no banks.
inline constexpr const char* kBanksOnly =
    "--bank is for the mappings with 16-bit pointers into banks: gb, nes, snes-lorom and snes-hirom.";

}  // namespace kinfold::cli
