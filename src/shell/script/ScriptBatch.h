#pragma once

#include "script/ScriptString.h"
#include "script/ScriptStrings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kinfold {

// Strings found, packed for a list of millions: their offsets, and their texts
// one after another in a single string, so a string costs its text and 16 bytes.
struct ScriptBatch {
    std::vector<std::uint64_t> offsets;
    std::vector<std::size_t> ends;  // where each string's text ends in texts
    std::string texts;

    // Makes room for strings strings of bytes bytes of text in all.
    void reserve(std::size_t strings, std::size_t bytes) {
        offsets.reserve(strings);
        ends.reserve(strings);
        texts.reserve(bytes);
    }
    // Gives back the room it won't use.
    void shrink() {
        offsets.shrink_to_fit();
        ends.shrink_to_fit();
        texts.shrink_to_fit();
    }
    std::size_t size() const { return offsets.size(); }
    bool empty() const { return offsets.empty(); }
    void add(const ScriptString& string) {
        offsets.push_back(string.offset);
        texts += string.text;
        ends.push_back(texts.size());
    }
    // Adds the strings of a block, their texts at once.
    void add(const ScriptStrings& strings) {
        const std::size_t before = texts.size();
        for (std::size_t k = 0; k < strings.size(); ++k) {
            offsets.push_back(strings[k].offset);
            ends.push_back(before + strings[k].textEnd);
        }
        texts += strings.texts();
    }
    std::string_view text(std::size_t k) const {
        const std::size_t from = k == 0 ? 0 : ends[k - 1];
        return std::string_view(texts).substr(from, ends[k] - from);
    }
    ScriptString string(std::size_t k) const { return {offsets[k], 0, std::string(text(k)), false}; }
};

}  // namespace kinfold
