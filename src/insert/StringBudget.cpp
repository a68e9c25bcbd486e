#include "insert/StringBudget.h"

#include "insert/Replacement.h"
#include "insert/ScriptReader.h"
#include "script/ScriptLine.h"

namespace kinfold {

namespace {

// What can't be encoded, at its column in the text as a script line writes it.
std::string encodeReason(const EncodeFailure& failure, std::string_view text) {
    ScriptEntry entry;
    entry.text = std::string(text);
    appendEscapedText(text, entry.written);
    const std::size_t column = columnOf(entry, failure.at);
    if (failure.kind != EncodeFailure::Kind::NoEntry) return encodeProblem(failure, column);
    return "column " + std::to_string(column) + ": " +
           (failure.text == "\n" ? std::string("a line break") : failure.text) + " is not in the table";
}

}  // namespace

StringBudget budgetOf(const TextEncoder& encoder, std::span<const std::uint8_t> rom, const RomString& old,
                      std::string_view text, std::size_t pointers) {
    StringBudget budget;
    budget.room = old.length;
    budget.pointers = pointers;
    if (text == old.text) {
        budget.bytes = old.length;
        return budget;
    }
    EncodedText encoded;
    if (const auto failure = encodeReplacement(encoder, rom, old, text, encoded)) {
        budget.kind = StringBudget::Kind::CannotEncode;
        budget.reason = encodeReason(*failure, text);
        return budget;
    }
    budget.bytes = encoded.bytes.size();
    if (!old.ended) {
        if (budget.bytes > old.length) {
            budget.kind = StringBudget::Kind::FixedTooLong;
        } else if (budget.bytes < old.length) {
            // The rest is filled with the table's space, which must fit it exactly.
            EncodedText space;
            const bool spaced = !encoder.encode(" ", space) && !space.bytes.empty() &&
                                (old.length - budget.bytes) % space.bytes.size() == 0;
            budget.kind = spaced ? StringBudget::Kind::InPlace : StringBudget::Kind::NeedsPadding;
        } else {
            budget.kind = StringBudget::Kind::InPlace;
        }
        return budget;
    }
    if (budget.bytes <= old.length) {
        budget.kind = StringBudget::Kind::InPlace;
    } else {
        budget.kind = pointers > 0 ? StringBudget::Kind::Moves : StringBudget::Kind::NoPointer;
    }
    return budget;
}

std::string budgetText(const StringBudget& budget) {
    const std::string ofRoom = std::to_string(budget.bytes) + " of " + std::to_string(budget.room) + " bytes: ";
    const std::string over =
        std::to_string(budget.bytes) + " bytes, " + std::to_string(budget.bytes - budget.room) + " over: ";
    switch (budget.kind) {
    case StringBudget::Kind::Unchanged: return ofRoom + "as in the ROM";
    case StringBudget::Kind::InPlace: return ofRoom + "fits in place";
    case StringBudget::Kind::Moves:
        return over + "moves, " + std::to_string(budget.pointers) + (budget.pointers == 1 ? " pointer" : " pointers");
    case StringBudget::Kind::NoPointer: return over + "no known pointer";
    case StringBudget::Kind::FixedTooLong:
        return over + "a string with no end token keeps its " + std::to_string(budget.room) + " bytes";
    case StringBudget::Kind::NeedsPadding:
        return ofRoom + "a string with no end token keeps its length, and the table's space can't fill the " +
               std::to_string(budget.room - budget.bytes) + " left";
    case StringBudget::Kind::CannotEncode: return budget.reason;
    }
    return {};
}

}  // namespace kinfold
