#pragma once

#include "pointers/PointerMapping.h"

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

namespace CLI {
class App;
}  // namespace CLI

namespace kinfold {
class FileReader;
}  // namespace kinfold

namespace kinfold::cli {

// The words that say how pointers are read, as given: --map, --width, --byte-order, --base.
struct PointerFormatWords {
    std::string map = "auto";
    int width = 0;
    std::string byteOrder = "little";
    std::string base = "0";
};

// Adds --map, --width, --byte-order and --base to a command.
void addPointerFormatOptions(CLI::App& app, PointerFormatWords& words);

// The pointers the words ask for: map nullopt for auto (by each file's
// extension), and the format. The message when they can't be used.
struct PointerFormatChoice {
    std::optional<MappingKind> map;
    PointerFormat format;
};
std::variant<PointerFormatChoice, std::string> readPointerFormat(const PointerFormatWords& words);

// The mapping of one open file, path its name as text: the chosen one, or
// for auto the one its extension (and a SNES image's header) stands for.
// The message, naming the file, when there is none. verb: how the file is
// taken in the message ("searched", "read").
std::variant<PointerMapping, std::string> mappingForFile(const PointerFormatChoice& choice,
                                                         const std::filesystem::path& file, const std::string& path,
                                                         const FileReader& reader, const std::string& verb);

}  // namespace kinfold::cli
