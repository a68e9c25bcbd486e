#include "shell/preview/ChosenRun.h"

#include "table/TableEntry.h"

#include <algorithm>

namespace kinfold {

ChosenRun::ChosenRun(int unitBytes) : unitBytes_(std::clamp(unitBytes, 1, static_cast<int>(kMaxEntryBytes))) {}

void ChosenRun::choose(std::uint64_t unit) {
    anchor_ = unit;
    active_ = unit;
}

void ChosenRun::stretchTo(std::uint64_t to) {
    if (!anchor_) {
        choose(to);
        return;
    }
    // The farthest the active end may lie from the anchor: whole units, the run no longer than an entry.
    const auto unit = static_cast<std::uint64_t>(unitBytes_);
    const std::uint64_t reach = (kMaxEntryBytes / unit - 1) * unit;
    const std::uint64_t anchor = *anchor_;
    active_ = to >= anchor ? std::min(to, anchor + reach) : std::max(to, anchor - std::min(anchor, reach));
}

std::uint64_t ChosenRun::first() const { return anchor_ ? std::min(*anchor_, active_) : 0; }

std::size_t ChosenRun::size() const {
    if (!anchor_) return 0;
    const std::uint64_t from = std::min(*anchor_, active_);
    const std::uint64_t to = std::max(*anchor_, active_);
    return static_cast<std::size_t>(to - from) + static_cast<std::size_t>(unitBytes_);
}

bool ChosenRun::move(const HexLayout& layout, std::int64_t by) {
    if (!anchor_) return false;
    const std::optional<std::uint64_t> to = layout.moved(active_, by);
    if (!to) return false;
    choose(*to);
    return true;
}

bool ChosenRun::stretch(const HexLayout& layout, std::int64_t by) {
    if (!anchor_) return false;
    const std::optional<std::uint64_t> to = layout.moved(active_, by);
    if (!to) return false;
    const std::uint64_t before = active_;
    stretchTo(*to);
    return active_ != before;
}

bool ChosenRun::advance(const HexLayout& layout) {
    if (!anchor_) return false;
    const std::uint64_t next = first() + size();
    const std::optional<std::uint64_t> last = layout.lastUnit();
    if (!last || next > *last) return false;
    choose(next);
    return true;
}

}  // namespace kinfold
