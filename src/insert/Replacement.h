#pragma once

#include "insert/RomString.h"
#include "insert/TextEncoder.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kinfold {

// The bytes a text takes in place of the string old of rom (old.offset within
// rom): the text encoded, then old's end token when old had one and the text
// does not end with one of its own.
std::optional<EncodeFailure> encodeReplacement(const TextEncoder& encoder, std::span<const std::uint8_t> rom,
                                               const RomString& old, std::string_view text, EncodedText& out);

// Why a text can't be encoded, at its column: "column N: no table entry covers the character ...".
std::string encodeProblem(const EncodeFailure& failure, std::size_t column);

}  // namespace kinfold
