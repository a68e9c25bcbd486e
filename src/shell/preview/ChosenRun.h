#pragma once

#include "shell/preview/HexLayout.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kinfold {

// The bytes chosen in the hex view: one unit, or a run of whole units that
// one table entry can stand for (kMaxEntryBytes at most), from the unit the
// choice started on (its anchor) to the one it was stretched to (its active
// end), either way.
class ChosenRun {
public:
    explicit ChosenRun(int unitBytes = 1);

    bool empty() const { return !anchor_; }
    void clear() { anchor_.reset(); }
    // One unit, the anchor of any run stretched from it.
    void choose(std::uint64_t unit);
    // Stretches the run from its anchor to the unit to; a run that would
    // grow past kMaxEntryBytes ends as far towards to as it may.
    void stretchTo(std::uint64_t to);

    // The run's first byte and its length in bytes (0 when nothing is chosen).
    std::uint64_t first() const;
    std::size_t size() const;
    // Whether one unit is chosen rather than a run.
    bool single() const { return size() == static_cast<std::size_t>(unitBytes_); }
    std::uint64_t active() const { return active_; }

    // The moves of the arrow keys, within the window laid out: the active end
    // moved a unit or a row, either as the one unit chosen or with the anchor
    // kept (Shift). Nothing changes where the window holds no unit there.
    bool move(const HexLayout& layout, std::int64_t by);
    bool stretch(const HexLayout& layout, std::int64_t by);
    // After the run took an entry: the unit that follows it, if the window holds it.
    bool advance(const HexLayout& layout);

private:
    int unitBytes_;
    std::optional<std::uint64_t> anchor_;
    std::uint64_t active_ = 0;
};

}  // namespace kinfold
