#pragma once

#include "insert/RomString.h"
#include "insert/TextEncoder.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kinfold {

// A text for one string against the string's room, its bytes counted as
// `kinfold insert` writes them (with no --pad).
struct StringBudget {
    enum class Kind {
        Unchanged,     // the ROM's own text: nothing is written
        InPlace,       // fits in the old string's bytes
        Moves,         // longer, and known pointers move it
        NoPointer,     // longer, and no pointer to it is known
        FixedTooLong,  // longer than a string with no end token, which keeps its length
        NeedsPadding,  // shorter than a string with no end token, and the table's space can't fill the rest
        CannotEncode,  // the table can't write the text
    };
    Kind kind = Kind::Unchanged;
    std::uint64_t bytes = 0;  // the new bytes, an end token's included
    std::uint64_t room = 0;   // the old string's
    std::size_t pointers = 0;
    std::string reason;  // CannotEncode: what can't be written, and the column

    // Saving refuses it.
    bool problem() const {
        return kind == Kind::NoPointer || kind == Kind::FixedTooLong || kind == Kind::NeedsPadding ||
               kind == Kind::CannotEncode;
    }
};

// The budget of text (line breaks as '\n') for the string old of rom
// (old.offset within rom) with pointers known pointers to it. What can't be
// encoded is named with its column in the text as a script line writes it.
StringBudget budgetOf(const TextEncoder& encoder, std::span<const std::uint8_t> rom, const RomString& old,
                      std::string_view text, std::size_t pointers);

// "12 of 15 bytes: fits in place", "19 bytes, 4 over: moves, 1 pointer",
// "19 bytes, 4 over: no known pointer", "column 3: ё is not in the table"...
std::string budgetText(const StringBudget& budget);

}  // namespace kinfold
