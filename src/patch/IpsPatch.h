#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kinfold {

// An IPS patch holds offsets of 3 bytes: nothing at or past 16 MiB.
inline constexpr std::uint64_t kIpsReach = std::uint64_t{1} << 24;

// The IPS patch that turns source into target: "PATCH", a record for each
// stretch of changed bytes (a run of one byte repeated as a run record),
// "EOF", and the target's size when it is shorter than the source. A record
// never starts at 0x454F46, which reads as "EOF"; records hold at most
// 65535 bytes. A change at or past 16 MiB can't be written: the reason, in
// words for the user, instead of the patch.
std::variant<std::vector<std::uint8_t>, std::string> ipsPatch(std::span<const std::uint8_t> source,
                                                              std::span<const std::uint8_t> target);

// Applies an IPS patch to source: each record in order (a record past the
// end makes the output longer, zeros before it), until "EOF"; three bytes
// after it are the size the output is cut to. The reason, in words for the
// user, when the bytes are no IPS patch or end too soon.
std::variant<std::vector<std::uint8_t>, std::string> applyIps(std::span<const std::uint8_t> patch,
                                                              std::span<const std::uint8_t> source);

}  // namespace kinfold
