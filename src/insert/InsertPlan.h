#pragma once

#include "insert/FreeSpace.h"
#include "insert/PointerList.h"
#include "insert/ScriptReader.h"
#include "patch/ConsoleChecksum.h"
#include "pointers/PointerMapping.h"
#include "table/CodeTable.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kinfold {

// What an insertion goes by.
struct InsertRequest {
    std::span<const std::uint8_t> rom;
    const CodeTable* table = nullptr;
    std::vector<ScriptEntry> lines;           // in the order of the script
    std::vector<ListedPointer> listed;        // known pointers, from the output of `kinfold pointers`
    const PointerMapping* mapping = nullptr;  // nullptr when there is none: mappingProblem says why
    std::string mappingProblem;
    std::vector<ByteRange> free;
    std::optional<std::uint8_t> pad;
    Console console = Console::None;
    bool keepChecksums = false;
};

// A string that fits in no free space its pointers reach.
struct Unplaced {
    std::uint64_t offset = 0;
    std::uint64_t bytes = 0;  // its new length
    std::uint64_t over = 0;   // past its old length
    std::uint64_t room = 0;   // the largest room left where its pointers reach
};

// Why the insertion can't be done: about one line of the script (0 for none).
struct InsertRefusal {
    int line = 0;
    std::string reason;
    std::optional<Unplaced> unplaced;  // when that is why
    // "line N: reason", or the reason alone.
    std::string message() const;
};

// One string that changed.
struct StringChange {
    int line = 0;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::uint64_t newOffset = 0;
    std::uint64_t newLength = 0;
    std::vector<std::uint64_t> pointers;  // the pointers rewritten, by their offsets
};

// The whole insertion worked out before anything is written.
struct InsertPlan {
    std::vector<InsertRefusal> refusals;  // by line; when any, there is no output
    std::vector<std::uint8_t> output;
    std::vector<StringChange> changes;  // in the order of the script
    std::size_t inPlace = 0;
    std::size_t moved = 0;
    std::size_t pointersRewritten = 0;
    std::vector<std::string> checksums;  // those updated
    std::uint64_t freeLeft = 0;

    bool refused() const { return !refusals.empty(); }
};

// Plans an insertion: reads each line's string by the dump's rule (refusing
// a line whose offset holds none, two lines for one string unless they are
// pointer-table lines of one text, and strings that overlap); a line whose
// text is the string's text changes nothing; every other text is encoded by
// fewest bytes and keeps the old end token. A string goes in place when it
// fits in the old one's bytes (the rest padded with the pad byte when there
// is one; a string without an end token, a fixed field, must fit and is
// padded with the pad byte or the table's space); else, in the script's
// order, to the first free range with room that its pointers reach, and its
// pointers are rewritten in the form they had. Free space is the free
// ranges less the strings that stay and the pointers rewritten. Every
// refusal is listed, by line.
InsertPlan planInsert(const InsertRequest& request);

// "N strings changed: M in place, K moved, P pointers rewritten; checksums updated: ...; F bytes of free space left".
std::string insertSummary(const InsertPlan& plan);

}  // namespace kinfold
