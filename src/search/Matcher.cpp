#include "search/Matcher.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#if defined(__x86_64__) || defined(_M_X64)
#define KINFOLD_HAVE_SSE2 1
#include <emmintrin.h>
#if defined(__GNUC__) || defined(__clang__)
#define KINFOLD_HAVE_AVX2 1
#include <immintrin.h>
#endif
#endif

namespace kinfold {

namespace {

// The filter as raw bytes: a candidate at s survives when
// low[s + distance] == (low[s] + step) mod 256 for each filter check, where
// low points at the lowest byte of each value (data itself at 8 bits and in
// little-endian order). Matching numbers modulo 256 is necessary for the
// exact check at every width, so no match is lost; survivors are verified
// exactly, and at their offset when only aligned candidates count.
struct Filter {
    std::size_t count = 0;
    std::size_t d1 = 0;
    std::size_t d2 = 0;
    std::uint8_t e1 = 0;
    std::uint8_t e2 = 0;
    std::size_t low = 0;           // from a candidate's first byte to the lowest byte of its first value
    std::uint64_t alignEvery = 1;  // candidates count only at file offsets that are multiples of this
};

Filter makeFilter(const CompiledPattern& pattern) {
    Filter f;
    const MatchOptions& options = pattern.options();
    if (options.byteOrder == ByteOrder::Big) {
        f.low = pattern.unitBytes() - 1;
    }
    if (options.aligned) {
        f.alignEvery = pattern.unitBytes();
    }
    const auto checks = pattern.filterChecks();
    f.count = checks.size();
    if (f.count >= 1) {
        f.d1 = checks[0].distance;
        f.e1 = static_cast<std::uint8_t>(checks[0].expected & 0xFF);
    }
    if (f.count >= 2) {
        f.d2 = checks[1].distance;
        f.e2 = static_cast<std::uint8_t>(checks[1].expected & 0xFF);
    }
    return f;
}

// Whether the candidate at file offset `offset` that passed the filter matches.
inline bool survivorMatches(const CompiledPattern& pattern, const Filter& f, const std::uint8_t* candidate,
                            std::uint64_t offset) {
    if (f.alignEvery != 1 && offset % f.alignEvery != 0) {
        return false;
    }
    return pattern.matchesFrom(candidate);
}

// low is the filter's pointer: candidate s starts at low + s - f.low.
inline void verifyMask(const CompiledPattern& pattern, const Filter& f, const std::uint8_t* low, std::size_t at,
                       std::uint64_t mask, std::uint64_t first, std::vector<std::uint64_t>& out) {
    const std::uint8_t* data = low - f.low;
    while (mask != 0) {
        const auto bit = static_cast<std::size_t>(std::countr_zero(mask));
        mask &= mask - 1;
        if (survivorMatches(pattern, f, data + at + bit, first + at + bit)) {
            out.push_back(first + at + bit);
        }
    }
}

template <std::size_t kFilters>
inline bool passesFilter(const Filter& f, const std::uint8_t* q) {
    const auto base = q[0];
    bool pass = q[f.d1] == static_cast<std::uint8_t>(base + f.e1);
    if constexpr (kFilters == 2) {
        pass = pass && q[f.d2] == static_cast<std::uint8_t>(base + f.e2);
    }
    return pass;
}

// data here and in the scans below is the filter's pointer, f.low bytes after the first candidate's start.
template <std::size_t kFilters>
void scanScalar(const CompiledPattern& pattern, const Filter& f, const std::uint8_t* data, std::size_t begin,
                std::size_t end, std::uint64_t first, std::vector<std::uint64_t>& out) {
    for (std::size_t s = begin; s < end; ++s) {
        if (passesFilter<kFilters>(f, data + s) && survivorMatches(pattern, f, data + s - f.low, first + s)) {
            out.push_back(first + s);
        }
    }
}

#if KINFOLD_HAVE_SSE2

inline __m128i load16(const std::uint8_t* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(static_cast<const void*>(p)));
}

template <std::size_t kFilters>
inline std::uint32_t mask16(const std::uint8_t* q, std::size_t d1, std::size_t d2, __m128i e1, __m128i e2) {
    __m128i base = load16(q);
#if defined(__GNUC__) || defined(__clang__)
    // Keeps the first bytes in a register: folded into both adds they would be loaded twice.
    __asm__("" : "+x"(base));
#endif
    __m128i hit = _mm_cmpeq_epi8(load16(q + d1), _mm_add_epi8(base, e1));
    if constexpr (kFilters == 2) {
        hit = _mm_and_si128(hit, _mm_cmpeq_epi8(load16(q + d2), _mm_add_epi8(base, e2)));
    }
    return static_cast<std::uint32_t>(_mm_movemask_epi8(hit));
}

template <std::size_t kFilters>
void scanSse2(const CompiledPattern& pattern, const Filter& f, const std::uint8_t* data, std::size_t count,
              std::uint64_t first, std::vector<std::uint64_t>& out) {
    // Copies, so that the calls that verify survivors do not force them to be reloaded.
    const std::size_t d1 = f.d1;
    const std::size_t d2 = f.d2;
    const __m128i e1 = _mm_set1_epi8(static_cast<char>(f.e1));
    const __m128i e2 = _mm_set1_epi8(static_cast<char>(f.e2));
    // Up to the first 16-byte boundary one at a time, so the first-byte loads are aligned.
    std::size_t s = std::min(count, (16 - reinterpret_cast<std::uintptr_t>(data) % 16) % 16);
    scanScalar<kFilters>(pattern, f, data, 0, s, first, out);
    for (; s + 64 <= count; s += 64) {
        const std::uint8_t* q = data + s;
        const std::uint64_t m = std::uint64_t{mask16<kFilters>(q, d1, d2, e1, e2)} |
                                std::uint64_t{mask16<kFilters>(q + 16, d1, d2, e1, e2)} << 16 |
                                std::uint64_t{mask16<kFilters>(q + 32, d1, d2, e1, e2)} << 32 |
                                std::uint64_t{mask16<kFilters>(q + 48, d1, d2, e1, e2)} << 48;
        if (m != 0) [[unlikely]] {
            verifyMask(pattern, f, data, s, m, first, out);
        }
    }
    for (; s + 16 <= count; s += 16) {
        const std::uint32_t m = mask16<kFilters>(data + s, d1, d2, e1, e2);
        if (m != 0) {
            verifyMask(pattern, f, data, s, m, first, out);
        }
    }
    scanScalar<kFilters>(pattern, f, data, s, count, first, out);
}

#endif

#if KINFOLD_HAVE_AVX2

__attribute__((target("avx2"))) inline __m256i load32(const std::uint8_t* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(static_cast<const void*>(p)));
}

template <std::size_t kFilters>
__attribute__((target("avx2"))) inline __m256i hits32(const std::uint8_t* q, std::size_t d1, std::size_t d2, __m256i e1,
                                                      __m256i e2) {
    __m256i base = load32(q);
    // Keeps the first bytes in a register: folded into both adds they would be loaded twice.
    __asm__("" : "+x"(base));
    __m256i hit = _mm256_cmpeq_epi8(load32(q + d1), _mm256_add_epi8(base, e1));
    if constexpr (kFilters == 2) {
        hit = _mm256_and_si256(hit, _mm256_cmpeq_epi8(load32(q + d2), _mm256_add_epi8(base, e2)));
    }
    return hit;
}

__attribute__((target("avx2"))) inline std::uint64_t bits32(__m256i hit) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(hit));
}

template <std::size_t kFilters>
__attribute__((target("avx2"))) void scanAvx2(const CompiledPattern& pattern, const Filter& f, const std::uint8_t* data,
                                              std::size_t count, std::uint64_t first, std::vector<std::uint64_t>& out) {
    // Copies, so that the calls that verify survivors do not force them to be reloaded.
    const std::size_t d1 = f.d1;
    const std::size_t d2 = f.d2;
    const __m256i e1 = _mm256_set1_epi8(static_cast<char>(f.e1));
    const __m256i e2 = _mm256_set1_epi8(static_cast<char>(f.e2));
    // Up to the first 32-byte boundary one at a time, so the first-byte loads never straddle two cache lines.
    std::size_t s = std::min(count, (32 - reinterpret_cast<std::uintptr_t>(data) % 32) % 32);
    scanScalar<kFilters>(pattern, f, data, 0, s, first, out);
    // 128 candidates a round; one test for all four keeps the common no-survivor case to a single branch.
    for (; s + 128 <= count; s += 128) {
        const std::uint8_t* q = data + s;
        const __m256i h0 = hits32<kFilters>(q, d1, d2, e1, e2);
        const __m256i h1 = hits32<kFilters>(q + 32, d1, d2, e1, e2);
        const __m256i h2 = hits32<kFilters>(q + 64, d1, d2, e1, e2);
        const __m256i h3 = hits32<kFilters>(q + 96, d1, d2, e1, e2);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(h0, h1), _mm256_or_si256(h2, h3));
        if (!_mm256_testz_si256(any, any)) [[unlikely]] {
            verifyMask(pattern, f, data, s, bits32(h0) | bits32(h1) << 32, first, out);
            verifyMask(pattern, f, data, s + 64, bits32(h2) | bits32(h3) << 32, first, out);
        }
    }
    for (; s + 32 <= count; s += 32) {
        const std::uint64_t m = bits32(hits32<kFilters>(data + s, d1, d2, e1, e2));
        if (m != 0) {
            verifyMask(pattern, f, data, s, m, first, out);
        }
    }
    scanScalar<kFilters>(pattern, f, data, s, count, first, out);
}

bool cpuHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}

#endif

template <std::size_t kFilters>
void scanWith(Isa isa, const CompiledPattern& pattern, const Filter& f, const std::uint8_t* data, std::size_t count,
              std::uint64_t first, std::vector<std::uint64_t>& out) {
    switch (isa) {
#if KINFOLD_HAVE_AVX2
    case Isa::Avx2: scanAvx2<kFilters>(pattern, f, data, count, first, out); return;
#endif
#if KINFOLD_HAVE_SSE2
    case Isa::Sse2: scanSse2<kFilters>(pattern, f, data, count, first, out); return;
#endif
    default: scanScalar<kFilters>(pattern, f, data, 0, count, first, out); return;
    }
}

std::vector<Isa> detectIsas() {
    std::vector<Isa> isas{Isa::Scalar};
#if KINFOLD_HAVE_SSE2
    isas.push_back(Isa::Sse2);
#endif
#if KINFOLD_HAVE_AVX2
    if (cpuHasAvx2()) {
        isas.push_back(Isa::Avx2);
    }
#endif
    return isas;
}

const std::vector<Isa>& isaList() {
    static const std::vector<Isa> isas = detectIsas();
    return isas;
}

}  // namespace

std::vector<Isa> availableIsas() { return isaList(); }

Isa bestIsa() { return isaList().back(); }

bool isaAvailable(Isa isa) {
    for (Isa have : isaList()) {
        if (have == isa) {
            return true;
        }
    }
    return false;
}

const char* isaName(Isa isa) {
    switch (isa) {
    case Isa::Scalar: return "scalar";
    case Isa::Sse2: return "sse2";
    case Isa::Avx2: return "avx2";
    }
    return "unknown";
}

void findMatches(const CompiledPattern& pattern, const std::uint8_t* data, std::size_t candidates, std::uint64_t first,
                 std::vector<std::uint64_t>& out, Isa isa) {
    if (candidates == 0 || !pattern.canMatch()) {
        return;
    }
    if (!isaAvailable(isa)) {
        isa = bestIsa();
    }
    const Filter f = makeFilter(pattern);
    switch (f.count) {
    case 0:
        // Nothing is checked: every candidate matches.
        for (std::size_t s = 0; s < candidates; ++s) {
            if ((first + s) % f.alignEvery == 0) {
                out.push_back(first + s);
            }
        }
        return;
    case 1: scanWith<1>(isa, pattern, f, data + f.low, candidates, first, out); return;
    default: scanWith<2>(isa, pattern, f, data + f.low, candidates, first, out); return;
    }
}

void findMatches(const CompiledPattern& pattern, std::span<const std::uint8_t> data, std::uint64_t first,
                 std::vector<std::uint64_t>& out, Isa isa) {
    if (!pattern.valid() || data.size() < pattern.length()) {
        return;
    }
    findMatches(pattern, data.data(), data.size() - pattern.length() + 1, first, out, isa);
}

}  // namespace kinfold
