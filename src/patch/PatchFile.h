#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kinfold {

enum class PatchKind { Ips, Bps };

// A patch applied: the output and which kind the patch was.
struct AppliedPatch {
    PatchKind kind = PatchKind::Ips;
    std::vector<std::uint8_t> output;
};

// Applies an IPS or a BPS patch, told apart by their first bytes ("PATCH",
// "BPS1"). The reason, in words for the user, when the patch is neither or
// can't be applied to source.
std::variant<AppliedPatch, std::string> applyPatch(std::span<const std::uint8_t> patch,
                                                   std::span<const std::uint8_t> source);

}  // namespace kinfold
