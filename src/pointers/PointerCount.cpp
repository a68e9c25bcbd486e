#include "pointers/PointerCount.h"

#include "pointers/MappingChoice.h"
#include "pointers/PointerFileScan.h"
#include "pointers/PointerSearch.h"
#include "pointers/TableMark.h"
#include "search/FileReader.h"

#include <algorithm>
#include <variant>

namespace kinfold {

PointerCounts countPointers(const std::filesystem::path& path, const PointerFormat& format,
                            std::span<const std::uint64_t> targets,
                            const std::function<bool(std::uint64_t done)>& progress,
                            const PointerCountOptions& options) {
    PointerCounts result;
    result.counts.assign(targets.size(), 0);
    const std::string pathText = kinfold::pathText(path);
    FileReader reader;
    if (!reader.open(path)) {
        result.error = ScanError{pathText, reader.reason(), ScanError::Stage::Open, 0};
        return result;
    }
    const auto mapped = mappingOfFile(format.kind, format, path, reader);
    if (const auto* refused = std::get_if<MappingRefusal>(&mapped)) {
        // Not for a format formatProblem() accepts; said as a file that can't be read as asked.
        result.error = ScanError{pathText, refused->reason, ScanError::Stage::Open, 0};
        return result;
    }
    const PointerMapping& mapping = std::get<PointerMapping>(mapped);
    const PointerSearch search(mapping, targets, options.search);
    const std::uint64_t slot = static_cast<std::uint64_t>(mapping.width() / 8);
    std::vector<std::uint8_t> around(static_cast<std::size_t>(3 * slot));

    // A hit names its target; the targets' sorted order finds where it stands.
    std::vector<std::size_t> order(targets.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return targets[a] < targets[b]; });
    std::vector<std::uint64_t> sorted(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) sorted[i] = targets[order[i]];

    const PointerScanEnd end =
        scanForPointers(reader, pathText, search, [&](std::span<const PointerHit> hits, std::uint64_t done) {
            for (const PointerHit& hit : hits) {
                if (options.inTablesOnly) {
                    // The slots on either side, as far as the file has them.
                    const std::uint64_t from = hit.offset >= slot ? hit.offset - slot : 0;
                    const std::size_t got = reader.readAt(from, around).got;
                    if (!sitsInPointerTable(mapping, std::span(around).first(got), from, hit, sorted)) continue;
                }
                // Every copy of a repeated target gets the hit.
                auto at = std::lower_bound(sorted.begin(), sorted.end(), hit.target);
                for (; at != sorted.end() && *at == hit.target; ++at) {
                    ++result.counts[order[static_cast<std::size_t>(at - sorted.begin())]];
                }
            }
            return progress(done);
        });
    result.stopped = end.stopped;
    result.error = end.error;
    return result;
}

}  // namespace kinfold
