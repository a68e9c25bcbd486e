#include "insert/Replacement.h"

#include "pattern/QuotedText.h"

namespace kinfold {

std::optional<EncodeFailure> encodeReplacement(const TextEncoder& encoder, std::span<const std::uint8_t> rom,
                                               const RomString& old, std::string_view text, EncodedText& out) {
    if (auto failure = encoder.encode(text, out)) return failure;
    if (old.ended && !out.ended) {
        const auto end = rom.begin() + static_cast<std::ptrdiff_t>(old.offset + old.length - old.endLength);
        out.bytes.insert(out.bytes.end(), end, end + old.endLength);
        out.ended = true;
    }
    return std::nullopt;
}

std::string encodeProblem(const EncodeFailure& failure, std::size_t column) {
    const std::string at = "column " + std::to_string(column) + ": ";
    switch (failure.kind) {
    case EncodeFailure::Kind::FewParameters:
        return at + "the control " + quoted(failure.text) + " takes " + std::to_string(failure.parameters) +
               (failure.parameters == 1 ? " parameter" : " parameters") + ", each written <$HH> after its label";
    case EncodeFailure::Kind::EndInside:
        return at + quoted(failure.text) + " is an end token, which can only end the text";
    case EncodeFailure::Kind::NoEntry: break;
    }
    return at + "no table entry covers the character " + quoted(failure.text == "\n" ? "\\n" : failure.text);
}

}  // namespace kinfold
