#include "pointers/PointerFileScan.h"

#include "search/FileReader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace kinfold {

PointerScanEnd scanForPointers(FileReader& reader, const std::string& path, const PointerSearch& search,
                               const PointerBlockSink& sink, std::size_t blockSize, std::size_t batchHits) {
    PointerScanEnd end;
    if (search.empty()) {
        return end;  // no target has a pointer: nothing to read
    }
    const std::size_t overlap = static_cast<std::size_t>(search.mapping().pointerBytes()) - 1;
    blockSize = std::max<std::size_t>(blockSize, 1);
    std::vector<std::uint8_t> buffer;
    std::vector<PointerHit> hits;
    try {
        buffer.resize(overlap + blockSize);
    } catch (const std::bad_alloc&) {
        end.error = ScanError{path, kNoMemoryReason, ScanError::Stage::Open, 0};
        return end;
    }
    std::uint64_t start = reader.offset();  // the file offset of buffer[0]
    std::size_t kept = 0;                   // bytes of the block before, in front of buffer
    for (;;) {
        const std::optional<std::size_t> got = reader.read(std::span(buffer).subspan(kept, blockSize));
        if (!got) {
            // Every position whose pointer lay wholly in the bytes read was searched.
            const std::uint64_t read = start + kept;
            end.error = ScanError{path, reader.reason(), ScanError::Stage::Read, read >= overlap ? read - overlap : 0};
            return end;
        }
        if (*got == 0) {
            return end;
        }
        const std::size_t size = kept + *got;
        const std::size_t positions = size > overlap ? size - overlap : 0;
        std::size_t from = 0;  // the first position of the block not searched
        do {
            hits.clear();
            from += search.search(std::span(buffer).subspan(from, size - from), start + from, hits, batchHits);
            if (!sink(hits, reader.offset())) {
                end.stopped = true;
                return end;
            }
        } while (from < positions);
        kept = std::min(size, overlap);
        std::memmove(buffer.data(), buffer.data() + size - kept, kept);
        start += size - kept;
    }
}

}  // namespace kinfold
