#include "pointers/PointerCount.h"

#include "pointers/PointerFileScan.h"
#include "pointers/PointerSearch.h"
#include "search/FileReader.h"

#include <algorithm>
#include <array>

namespace kinfold {
namespace {

// Enough of the file's start for the mappings' header rules.
constexpr std::size_t kFirstBytes = 16;

}  // namespace

PointerCounts countPointers(const std::filesystem::path& path, const PointerFormat& format,
                            std::span<const std::uint64_t> targets,
                            const std::function<bool(std::uint64_t done)>& progress) {
    PointerCounts result;
    result.counts.assign(targets.size(), 0);
    const std::string pathText = kinfold::pathText(path);
    FileReader reader;
    if (!reader.open(path)) {
        result.error = ScanError{pathText, reader.reason(), ScanError::Stage::Open, 0};
        return result;
    }
    std::array<std::uint8_t, kFirstBytes> first{};
    const std::size_t got = reader.readAt(0, first).got;
    const PointerMapping mapping(format, reader.size(), std::span(first).first(got));
    const PointerSearch search(mapping, targets);

    // A hit names its target; the targets' sorted order finds where it stands.
    std::vector<std::size_t> order(targets.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return targets[a] < targets[b]; });
    std::vector<std::uint64_t> sorted(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) sorted[i] = targets[order[i]];

    const PointerScanEnd end = scanForPointers(reader, pathText, search, [&](std::span<const PointerHit> hits,
                                                                             std::uint64_t done) {
        for (const PointerHit& hit : hits) {
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
