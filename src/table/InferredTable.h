#pragma once

#include "pattern/SearchPattern.h"
#include "pattern/UserOrder.h"
#include "search/MatchOptions.h"
#include "table/CharacterTable.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kinfold {

// The runs of characters a table takes whole besides the pattern's own.
struct TableBlocks {
    bool upper = false;   // A-Z
    bool lower = false;   // a-z
    bool digits = false;  // 0-9
    bool space = false;   // the space alone
    bool kana = false;    // the kana runs of the pattern's kana (see kanaRuns)
    friend bool operator==(const TableBlocks&, const TableBlocks&) = default;
};

// Whether the pattern reads as characters: it has a checked entry and every
// checked entry is a printable character code.
bool patternIsText(const SearchPattern& pattern);

// The pattern for a header: its characters with "*" for a skipped entry when
// it reads as text ("H*llo"), otherwise its values separated by spaces ("1 2 * 4").
std::string patternText(const SearchPattern& pattern);

// The blocks the pattern's own letters, digits and kana belong to, and the
// space when the pattern has one: what a table takes unless the user says otherwise.
TableBlocks patternBlocks(const SearchPattern& pattern);

// The kana a table takes with the Kana block, as codes from first to last:
// for each script the pattern has kana of, its 46 basic kana, or its whole
// run when the pattern has voiced, half-voiced or small kana of it. The
// hiragana's basic kana for a pattern without kana.
struct CodeRun {
    int first = 0;
    int last = 0;
    friend bool operator==(const CodeRun&, const CodeRun&) = default;
};
std::vector<CodeRun> kanaRuns(const SearchPattern& pattern);

// The text a table gives a value of a pattern of plain numbers: "[12]", the
// bracketed form tables use for codes that are not characters.
std::string numberEntryText(int value);

// The table a hit implies: every checked entry of the pattern (as its
// character when the pattern reads as text, as numberEntryText otherwise)
// and every character of the chosen blocks, each code c at unit c + shift.
// A unit outside 0 .. 2^width - 1 is left out, never wrapped. With a user's
// order the codes are places in it: the table takes the whole order instead
// of the blocks.
CharacterTable inferTable(const SearchPattern& pattern, std::int64_t shift, const TableBlocks& blocks,
                          const MatchOptions& options, const UserOrder* order = nullptr);

}  // namespace kinfold
