#pragma once

#include "cli/FileWalk.h"
#include "pattern/SearchPattern.h"
#include "pattern/UserOrder.h"
#include "search/MatchOptions.h"
#include "table/CharacterTable.h"
#include "table/CodeTable.h"
#include "table/InferredTable.h"
#include "table/TableDecoder.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>

namespace kinfold::cli {

// What is printed for the hits.
struct OutputOptions {
    bool json = false;           // JSON Lines instead of text
    bool count = false;          // one count per file instead of the hits
    bool table = false;          // the inferred table of the shift with the most hits, after them
    bool tablePerShift = false;  // with table: one table for each shift, after its first hit
    bool tableOnly = false;      // the tables' lines alone, as a table file holds them
    std::size_t preview = 0;     // bytes decoded from each hit on; 0 for none
};

// What every file's hits are printed with.
struct PrintContext {
    OutputOptions output;
    SearchPattern pattern;
    MatchOptions match;
    std::optional<UserOrder> order;  // the pattern's codes are places in it
    CodeTable userTable;             // merged over each inferred table for the preview; empty for none
};

// The text of one file's hits, made a batch at a time as the scan finds them.
// A hit's shift, table and preview come from the bytes at the hit, read
// again from the file, once for each batch of hits.
class HitPrinter {
public:
    // searchedSize: the size the file had when the scan opened it.
    HitPrinter(const PrintContext& context, const FoundFile& file, std::uint64_t searchedSize);

    // Appends the lines of a batch of hits in increasing offset order.
    void hits(std::span<const std::uint64_t> offsets, std::string& out);
    // Appends what comes after the last hit: the count, when counting; the
    // table of the shift with the most hits, when one table is printed.
    void end(std::uint64_t count, std::string& out);
    // For standard error after end(): which shift's table was printed and
    // what the other shifts were, when the hits had several.
    std::optional<std::string> note() const;
    // Why the bytes at a hit could not be read, once that happened; the
    // hits after it are printed without shift, table or preview.
    const std::optional<std::string>& problem() const { return problem_; }

private:
    struct Details {
        std::optional<std::int64_t> shift;
        const CharacterTable* table = nullptr;  // the first time its shift is seen, when tables are printed
        std::optional<std::string> preview;
    };

    // How many hits had a shift, and the first of them.
    struct ShiftHits {
        std::uint64_t count = 0;
        std::uint64_t first = 0;
    };

    bool needsBytes() const;
    bool tableAfterEachShift() const;
    Details detailsAt(std::uint64_t offset, std::span<const std::uint8_t> fromHit);
    const std::pair<const std::int64_t, ShiftHits>* mostHits() const;
    void appendTable(std::uint64_t offset, std::int64_t shift, const CharacterTable& table, std::string& out) const;
    struct ShiftTable {
        CharacterTable inferred;
        TableDecoder decoder;  // the inferred table with the user's over it
    };
    const ShiftTable& tableFor(std::int64_t shift);
    void appendText(std::uint64_t offset, const Details& details, std::string& out) const;
    void appendJson(std::uint64_t offset, const Details& details, std::string& out) const;

    const PrintContext& context_;
    const FoundFile& file_;
    std::uint64_t searchedSize_;
    std::string pathText_;
    std::size_t bytesAtHit_;  // what the shift and the preview need from the hit on
    TableBlocks blocks_;
    std::map<std::int64_t, ShiftTable> tables_;
    std::set<std::int64_t> printedShifts_;
    std::map<std::int64_t, ShiftHits> shiftHits_;  // with table: the hits of each shift
    std::optional<std::string> problem_;
};

}  // namespace kinfold::cli
