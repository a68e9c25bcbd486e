#pragma once

#include "script/ScriptString.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kinfold {

// Strings found in a block, packed: a record each, their texts one after
// another in a single buffer, so that a string costs no allocation of its own.
class ScriptStrings {
public:
    struct Record {
        std::uint64_t offset = 0;  // of its first byte in the file
        std::uint64_t length = 0;  // its bytes, an end token's included
        std::size_t textEnd = 0;   // where its text ends in the buffer
        bool ended = false;        // an end token closed it
    };

    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    const Record& operator[](std::size_t k) const { return records_[k]; }
    // Every text, one after another.
    std::string_view texts() const { return std::string_view(texts_.data(), used_); }
    std::string_view text(std::size_t k) const {
        const std::size_t from = k == 0 ? 0 : records_[k - 1].textEnd;
        return std::string_view(texts_.data() + from, records_[k].textEnd - from);
    }
    ScriptString string(std::size_t k) const {
        const Record& r = records_[k];
        return {r.offset, r.length, std::string(text(k)), r.ended};
    }
    // Empties it, keeping its room.
    void clear() {
        records_.clear();
        used_ = 0;
    }

    void add(std::uint64_t offset, std::uint64_t length, std::string_view text, bool ended) {
        text.copy(room(text.size()), text.size());
        added(offset, length, text.size(), ended);
    }
    // Room for at least bytes bytes of text after the texts so far: the next
    // string's text is written there, then added says how much of it there is.
    char* room(std::size_t bytes) {
        if (texts_.size() - used_ < bytes) texts_.resize(std::max(2 * texts_.size(), used_ + bytes));
        return texts_.data() + used_;
    }
    void added(std::uint64_t offset, std::uint64_t length, std::size_t textBytes, bool ended) {
        used_ += textBytes;
        records_.push_back({offset, length, used_, ended});
    }

private:
    std::vector<Record> records_;
    std::string texts_;  // its first used_ bytes are the texts
    std::size_t used_ = 0;
};

// Where the strings of each block go as they are found, in offset order.
using ScriptStringsSink = std::function<void(const ScriptStrings&)>;

}  // namespace kinfold
