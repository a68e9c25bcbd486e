#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kinfold {

// Appends a number as the BPS format writes it: seven bits a byte, the last
// byte's top bit set, each byte after the first counting one more.
void appendBpsNumber(std::uint64_t n, std::vector<std::uint8_t>& out);

// The BPS patch that turns source into target: "BPS1", the two sizes, no
// metadata, the actions (SourceRead for unchanged bytes, TargetRead for
// changed ones, and TargetCopy for a long run of one byte), then the CRC-32
// of the source, of the target and of the patch before it.
std::vector<std::uint8_t> bpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);

// Applies a BPS patch: its own CRC-32 must check out, the source must have
// the size and CRC-32 it names (else the reason names both CRC-32s), every
// action must stay within the files, and the result must have the size and
// CRC-32 the patch names. The reason, in words for the user, when not.
std::variant<std::vector<std::uint8_t>, std::string> applyBps(std::span<const std::uint8_t> patch,
                                                              std::span<const std::uint8_t> source);

}  // namespace kinfold
