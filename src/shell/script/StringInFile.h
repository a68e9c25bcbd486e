#pragma once

#include "insert/RomString.h"
#include "search/FileReader.h"
#include "table/TableDecoder.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kinfold {

// The string at an offset of a file as the dump reads it, and the file's
// bytes from there: string.offset is 0, within bytes, so only what the
// string needs is read, however large the file.
struct StringInFile {
    std::uint64_t offset = 0;
    RomString string;
    std::vector<std::uint8_t> bytes;
};

// nullopt when the file can't be read there, or offset lies past its end.
std::optional<StringInFile> readStringInFile(const FileReader& file, const TableDecoder& table, std::uint64_t offset);

}  // namespace kinfold
