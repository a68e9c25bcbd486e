#pragma once

#include "search/CompiledPattern.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kinfold {

// The instruction sets the match can use, slowest first.
enum class Isa { Scalar, Sse2, Avx2 };

// The instruction sets this machine runs, in the order of Isa; Scalar is always there.
std::vector<Isa> availableIsas();
// The fastest of availableIsas().
Isa bestIsa();
// Whether this machine runs isa.
bool isaAvailable(Isa isa);
// "scalar", "sse2" or "avx2".
const char* isaName(Isa isa);

// Appends first + s, in increasing order, for every candidate s in
// [0, candidates) that matches; with aligned options only where first + s
// is a multiple of the pattern's unit, first being the file offset of
// data[0]. data must hold candidates + length() - 1 bytes. An instruction
// set the machine lacks falls back to the best one it has.
void findMatches(const CompiledPattern& pattern, const std::uint8_t* data, std::size_t candidates, std::uint64_t first,
                 std::vector<std::uint64_t>& out, Isa isa);

// The same for every candidate lying wholly inside data.
void findMatches(const CompiledPattern& pattern, std::span<const std::uint8_t> data, std::uint64_t first,
                 std::vector<std::uint64_t>& out, Isa isa = bestIsa());

}  // namespace kinfold
