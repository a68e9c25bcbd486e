#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kinfold {

// One entry as a values file stores it: value, step and direction.
struct StoredEntry {
    std::int16_t value = 0;
    std::int16_t difference = 0;
    std::int16_t direction = 0;
    friend bool operator==(const StoredEntry&, const StoredEntry&) = default;
};

// The search pattern: up to 1000 entries held in three parallel arrays whose
// slot i belongs to entry i (slot 0 is never used), the entry count and the
// flag that says whether the pattern has changed since it was last cleared,
// saved or loaded. Slots above the count keep whatever they last held;
// nothing reads them until an entry is written there again.
class SearchPattern {
public:
    static constexpr int kMaxEntries = 1000;

    enum class AppendResult {
        Added,
        Full,          // 1000 entries are there already
        StepTooLarge,  // the step from the predecessor does not fit 16 bits
    };

    int count() const { return count_; }
    bool empty() const { return count_ == 0; }
    bool full() const { return count_ >= kMaxEntries; }

    // Entry i, 1-based, for i from 1 to count().
    std::int16_t value(int i) const { return values_[slot(i)]; }
    std::int16_t direction(int i) const { return directions_[slot(i)]; }
    std::int16_t difference(int i) const { return differences_[slot(i)]; }
    bool isSkipped(int i) const { return skipped_[slot(i)]; }
    StoredEntry stored(int i) const { return {value(i), difference(i), direction(i)}; }

    // The arrays whole, slots 0 to 1000, as the search reads them.
    const std::array<std::int16_t, kMaxEntries + 1>& directions() const { return directions_; }
    const std::array<std::int16_t, kMaxEntries + 1>& differences() const { return differences_; }

    // Appends a value entry; its direction and step follow from its predecessor.
    AppendResult appendValue(std::int16_t v);
    // Appends a skipped entry: a copy of the previous value, direction 0, step 0.
    // Refused (false) with an empty or a full pattern.
    bool appendSkipped();
    // Removes the last entry; false when there is none. Its slots keep their numbers.
    bool removeLast();
    // Sets the count to 0; the slots keep their numbers.
    void clear() { count_ = 0; }
    // Replaces the whole pattern with stored entries (at most 1000). A loaded
    // pattern knows no skipped entries.
    void replace(std::span<const StoredEntry> entries);

    // The text of entry i's line in the values list.
    std::string lineText(int i) const;

    bool saved() const { return saved_; }
    void setSaved(bool saved) { saved_ = saved; }

private:
    static std::size_t slot(int i) { return static_cast<std::size_t>(i); }

    std::array<std::int16_t, kMaxEntries + 1> values_{};
    std::array<std::int16_t, kMaxEntries + 1> directions_{};
    std::array<std::int16_t, kMaxEntries + 1> differences_{};
    std::array<bool, kMaxEntries + 1> skipped_{};
    int count_ = 0;
    bool saved_ = false;
};

// The line text of an entry from its numbers: the value alone for entry 1;
// otherwise the value, " (", "+" for direction 1, "-" for direction -1 and
// nothing for any other direction, the step, ")".
std::string entryLineText(int position, const StoredEntry& entry);

}  // namespace kinfold
