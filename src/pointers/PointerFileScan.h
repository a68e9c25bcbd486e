#pragma once

#include "pointers/PointerSearch.h"
#include "search/ScanError.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace kinfold {

class FileReader;

// Called after each block with the block's hits (in order of position, then
// target) and the bytes of the file read so far; false stops the search. A
// block with many hits hands them over in several batches.
using PointerBlockSink = std::function<bool(std::span<const PointerHit> hits, std::uint64_t done)>;

struct PointerScanEnd {
    bool stopped = false;            // the sink asked to stop
    std::optional<ScanError> error;  // a read failed or the file shrank; the hits handed over stand
};

// Blocks that stay in a core's cache between being read and being searched.
inline constexpr std::size_t kPointerBlockSize = std::size_t{256} << 10;
// Hits held at once, give or take one position's: a value that stands for
// thousands of targets must not fill the memory.
inline constexpr std::size_t kPointerBatchHits = std::size_t{1} << 16;

// Searches a file for pointers in one pass, from the reader's offset (0 after
// opening) to the size the file had when it was opened, reading blocks of
// blockSize bytes; the last bytes of a block go in front of the next, so a
// pointer across a block edge is found once. path names the file in an error.
// A search with no values to find reads nothing.
PointerScanEnd scanForPointers(FileReader& reader, const std::string& path, const PointerSearch& search,
                               const PointerBlockSink& sink, std::size_t blockSize = kPointerBlockSize,
                               std::size_t batchHits = kPointerBatchHits);

}  // namespace kinfold
