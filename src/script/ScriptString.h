#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kinfold {

// One string of a file decoded through a table.
struct ScriptString {
    std::uint64_t offset = 0;  // of its first byte in the file
    std::uint64_t length = 0;  // its bytes, an end token's included
    std::string text;          // decoded, line breaks as '\n'
    bool ended = false;        // an end token closed it

    friend bool operator==(const ScriptString&, const ScriptString&) = default;
};

// Where the strings go as they are found, in offset order.
using ScriptSink = std::function<void(ScriptString&&)>;

}  // namespace kinfold
