#pragma once

#include "cli/FileWalk.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kinfold::cli {

// What is printed for the hits.
struct OutputOptions {
    bool json = false;         // JSON Lines instead of text
    bool count = false;        // one count per file instead of the hits
    bool table = false;        // each inferred table once per distinct shift
    std::size_t preview = 0;   // bytes decoded from each hit on; 0 for none
};

// The text of one file's hits, made a batch at a time as the scan finds them.
class HitPrinter {
public:
    HitPrinter(const OutputOptions& options, const FoundFile& file);

    // Appends the lines of a batch of hits in increasing offset order.
    void hits(std::span<const std::uint64_t> offsets, std::string& out);
    // Appends what comes after the last hit: the count, when counting.
    void end(std::uint64_t count, std::string& out) const;

private:
    const OutputOptions& options_;
    const FoundFile& file_;
    std::string pathText_;
};

}  // namespace kinfold::cli
