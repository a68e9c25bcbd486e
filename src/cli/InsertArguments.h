#pragma once

#include "cli/PointerFormatArguments.h"
#include "insert/FreeSpace.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace kinfold::cli {

// The words of `kinfold insert ...`, read and checked.
struct InsertArguments {
    std::string table;
    std::string script;
    std::string pointers;  // empty for none
    PointerFormatWords format;
    std::vector<ByteRange> free;
    std::optional<std::uint8_t> pad;
    bool keepChecksums = false;
    std::string output;  // -o, empty for none
    std::string ips;
    std::string bps;
    bool json = false;
    std::string rom;
};

// Reads the arguments after the program's name ("insert" first). On --help,
// or on arguments it can't take, it writes what the user should see (help
// to out, mistakes to err) and gives the exit status instead: 0, or 2.
std::variant<InsertArguments, int> readInsertArguments(int argc, const char* const* argv, std::ostream& out,
                                                       std::ostream& err);

}  // namespace kinfold::cli
