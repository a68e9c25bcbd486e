#pragma once

#include "script/ScriptString.h"
#include "table/TableDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kinfold {

class FileReader;

// The string read at an offset, or why the file could not be read.
struct StringAtRead {
    ScriptString string;
    std::string reason;  // empty when the read went through
};

// The string that starts exactly at offset by the dump rule: entry after
// entry until an end token (which it keeps), a position no entry matches,
// or the end of the file (a control whose parameters would run past it is
// left out). Whatever its length: where the dump finds a string at offset,
// this is that string. Where the dump finds none it is still an answer: an
// end token at offset makes an empty string that ended, and a byte no entry
// matches an empty one of length 0. Reads blocks of blockSize bytes, only as
// far as the string goes; offset lies within the file.
StringAtRead stringAt(const FileReader& reader, const TableDecoder& table, std::uint64_t offset,
                      std::size_t blockSize = 4096);

}  // namespace kinfold
