#pragma once

#include "cli/DumpCommand.h"
#include "cli/FolderArguments.h"
#include "cli/HitPrinter.h"
#include "search/MatchOptions.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace kinfold::cli {

// The words of `kinfold scan ...`, read and checked.
struct ScanCommand {
    // Exactly one of the three is set.
    std::optional<std::string> string;
    std::optional<std::string> values;
    std::optional<std::string> valuesFile;

    // How --string's characters become entries.
    std::string kana = "gojuon";  // or "unicode"
    std::optional<std::string> order;
    std::optional<std::string> orderFile;
    bool splitVoiced = false;
    bool lettersOnly = false;
    std::optional<std::string> wildcard;  // one character

    MatchOptions match;
    FolderWords folders;
    OutputOptions output;
    std::optional<std::string> tableFile;  // --tbl: merged over the inferred tables for --preview
    std::uint64_t maxCount = 0;            // 0 for no limit
};

// Reads the arguments of `scan` or `dump`. On --help or --version, or on arguments it can't take,
// it writes what the user should see (help and version to out, mistakes to
// err) and gives the exit status instead: 0, or 2 for a mistake.
std::variant<ScanCommand, DumpCommand, int> readScanCommand(int argc, const char* const* argv, std::ostream& out,
                                                            std::ostream& err);

// The program's name and version, "kinfold 1.02".
std::string versionText();

}  // namespace kinfold::cli
