#include "insert/Replacement.h"

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

}  // namespace kinfold
