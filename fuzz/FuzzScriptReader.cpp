// The script reader and the pointers-file reader on any bytes: no crash, no
// read out of bounds, and every entry's columns within its line.
#include "insert/PointerList.h"
#include "insert/ScriptReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kinfold::ScriptRead read = kinfold::readScript(text);
    for (const kinfold::ScriptEntry& entry : read.entries) {
        if (entry.line < 1 || entry.column < 1) std::abort();
        for (std::size_t at = 0; at <= entry.text.size(); ++at) {
            if (kinfold::columnOf(entry, at) < entry.column) std::abort();
        }
    }
    (void)kinfold::readPointerList(text);
    return 0;
}
