#include "insert/FreeSpace.h"

#include <algorithm>

namespace kinfold {
namespace {

// Sorted, joined where they meet or overlap.
std::vector<ByteRange> joined(std::vector<ByteRange> ranges) {
    std::sort(ranges.begin(), ranges.end(), [](const ByteRange& a, const ByteRange& b) { return a.start < b.start; });
    std::vector<ByteRange> out;
    for (const ByteRange& r : ranges) {
        if (r.end <= r.start) continue;
        if (!out.empty() && r.start <= out.back().end) {
            out.back().end = std::max(out.back().end, r.end);
        } else {
            out.push_back(r);
        }
    }
    return out;
}

}  // namespace

FreeSpace::FreeSpace(std::vector<ByteRange> ranges, std::vector<ByteRange> taken, std::uint64_t origin,
                     std::uint64_t cut) {
    const std::vector<ByteRange> free = joined(std::move(ranges));
    const std::vector<ByteRange> used = joined(std::move(taken));
    std::size_t u = 0;
    const auto addCut = [&](std::uint64_t start, std::uint64_t end) {
        while (start < end) {
            std::uint64_t stop = end;
            if (cut != 0 && start >= origin) stop = std::min(end, origin + ((start - origin) / cut + 1) * cut);
            if (cut != 0 && start < origin) stop = std::min(end, origin);
            segments_.push_back({start, stop});
            start = stop;
        }
    };
    for (const ByteRange& r : free) {
        std::uint64_t start = r.start;
        while (u < used.size() && used[u].end <= start) ++u;
        for (std::size_t k = u; k < used.size() && used[k].start < r.end; ++k) {
            if (used[k].start > start) addCut(start, used[k].start);
            start = std::max(start, used[k].end);
        }
        if (start < r.end) addCut(start, r.end);
    }
    for (const ByteRange& s : segments_) {
        firstStarts_.push_back(s.start);
        left_ += s.end - s.start;
    }
    while (leaves_ < segments_.size()) leaves_ *= 2;
    tree_.assign(2 * leaves_, 0);
    for (std::size_t k = 0; k < segments_.size(); ++k) tree_[leaves_ + k] = segments_[k].end - segments_[k].start;
    for (std::size_t k = leaves_; k-- > 1;) tree_[k] = std::max(tree_[2 * k], tree_[2 * k + 1]);
}

std::size_t FreeSpace::firstAt(std::uint64_t offset) const {
    return static_cast<std::size_t>(std::lower_bound(firstStarts_.begin(), firstStarts_.end(), offset) -
                                    firstStarts_.begin());
}

void FreeSpace::update(std::size_t segment) {
    std::size_t k = leaves_ + segment;
    tree_[k] = segments_[segment].end - segments_[segment].start;
    for (k /= 2; k >= 1; k /= 2) tree_[k] = std::max(tree_[2 * k], tree_[2 * k + 1]);
}

std::size_t FreeSpace::firstWithRoom(std::size_t node, std::size_t low, std::size_t high, std::size_t from,
                                     std::size_t to, std::uint64_t length) const {
    if (high <= from || low >= to || tree_[node] < length) return to;
    if (high - low == 1) return low;
    const std::size_t middle = (low + high) / 2;
    const std::size_t left = firstWithRoom(2 * node, low, middle, from, to, length);
    if (left != to) return left;
    return firstWithRoom(2 * node + 1, middle, high, from, to, length);
}

std::uint64_t FreeSpace::mostRoom(std::size_t node, std::size_t low, std::size_t high, std::size_t from,
                                  std::size_t to) const {
    if (high <= from || low >= to) return 0;
    if (from <= low && high <= to) return tree_[node];
    const std::size_t middle = (low + high) / 2;
    return std::max(mostRoom(2 * node, low, middle, from, to), mostRoom(2 * node + 1, middle, high, from, to));
}

std::optional<std::uint64_t> FreeSpace::take(std::uint64_t length, ByteRange within) {
    const std::size_t from = firstAt(within.start);
    const std::size_t to = firstAt(within.end);
    if (from >= to || segments_.empty()) return std::nullopt;
    const std::size_t k = firstWithRoom(1, 0, leaves_, from, to, length);
    if (k == to || segments_[k].start >= within.end) return std::nullopt;
    const std::uint64_t place = segments_[k].start;
    segments_[k].start += length;
    left_ -= length;
    update(k);
    return place;
}

std::uint64_t FreeSpace::largestRoom(ByteRange within) const {
    if (segments_.empty()) return 0;
    return mostRoom(1, 0, leaves_, firstAt(within.start), firstAt(within.end));
}

std::vector<ByteRange> FreeSpace::unused() const {
    std::vector<ByteRange> out;
    for (const ByteRange& s : segments_) {
        if (s.end > s.start) out.push_back(s);
    }
    return out;
}

}  // namespace kinfold
