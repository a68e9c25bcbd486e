#include "pointers/PointerTable.h"

#include "search/FileReader.h"
#include "search/ResultLine.h"
#include "search/ScanError.h"

#include <algorithm>
#include <span>
#include <vector>

namespace kinfold {
namespace {

// Pointers read at once.
constexpr std::uint64_t kPointersPerRead = 4096;

}  // namespace

std::string readPointerTable(const FileReader& reader, const std::string& path, const PointerMapping& mapping,
                             const PointerTablePlace& place, const TablePointerSink& sink) {
    const auto size = static_cast<std::uint64_t>(mapping.pointerBytes());
    const std::uint64_t fileSize = reader.size();
    if (place.offset > fileSize || place.count > (fileSize - place.offset) / size) {
        return "Can't read the pointer table of \"" + path + "\": " + std::to_string(place.count) + " pointers of " +
               std::to_string(size) + " bytes from " + resultLine(place.offset) + " run past the end of the file (" +
               std::to_string(fileSize) + " bytes).";
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(place.count, kPointersPerRead) * size));
    for (std::uint64_t done = 0; done < place.count;) {
        const std::uint64_t n = std::min(place.count - done, kPointersPerRead);
        const std::uint64_t at = place.offset + done * size;
        const std::span<std::uint8_t> bytes = std::span(buffer).first(static_cast<std::size_t>(n * size));
        const PositionalRead read = reader.readAt(at, bytes);
        if (read.got < bytes.size()) {
            return ScanError{path, read.reason, ScanError::Stage::Read, at}.message();
        }
        for (std::uint64_t i = 0; i < n; ++i) {
            TablePointer pointer;
            pointer.offset = at + i * size;
            pointer.value =
                mapping.valueAt(std::span<const std::uint8_t>(bytes).subspan(static_cast<std::size_t>(i * size)));
            pointer.target = mapping.targetOf(pointer.value, place.offset, place.bank);
            if (!sink(pointer)) return {};
        }
        done += n;
    }
    return {};
}

}  // namespace kinfold
