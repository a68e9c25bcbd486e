#pragma once

#include "table/CodeTable.h"

#include <random>
#include <string>
#include <vector>

namespace kinfold::testing_support {

// A table of every kind over a small alphabet of bytes, so that entries
// meet, run long and share their starts; oneByte: every text one byte.
inline CodeTable randomTable(std::mt19937& random, bool singleCharacters, bool oneByte = false) {
    CodeTable table;
    std::uniform_int_distribution<int> byte(0, 11);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> length(1, 8);
    const std::vector<std::string> texts =
        oneByte            ? std::vector<std::string>{"a", " ", "Z"}
        : singleCharacters ? std::vector<std::string>{"a", "\u00E9", "\u3042", " "}
                           : std::vector<std::string>{"a", "\u00E9", "th", "", "\u3042\u3044", "x\ny", " "};
    for (int i = 0; i < 14; ++i) {
        EntryBytes bytes(static_cast<std::size_t>(i < 8 ? 1 : length(random)));
        for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(random));
        const int k = kind(random);
        TableEntry entry{EntryKind::Normal, texts[static_cast<std::size_t>(random() % texts.size())], 0};
        if (k == 7) entry.kind = EntryKind::End;
        if (k == 8) entry.kind = EntryKind::LineBreak;
        // Half the end tokens and line breaks bare, with no text of their own.
        if ((k == 7 || k == 8) && random() % 2 == 0) entry.text.clear();
        if (k == 9) {
            entry = {EntryKind::Control, "[c]", static_cast<int>(random() % 9)};
        }
        table.set(bytes, entry);
    }
    return table;
}

}  // namespace kinfold::testing_support
