#include "script/PositionClasses.h"

#include <algorithm>
#include <bit>

#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#define KINFOLD_HAVE_AVX2 1
#include <immintrin.h>
#endif

namespace kinfold {
namespace {

// Bit 0 of each byte of x, byte i to bit i: every bit moved by the product
// lands in a place of its own, the eight wanted ones in the top byte.
std::uint64_t lowBits(std::uint64_t x) { return ((x & 0x0101010101010101u) * 0x0102040810204080u) >> 56; }

#if KINFOLD_HAVE_AVX2

// The bytes of 32 that lie in a class, a bit each, by two table lookups on the low nibble.
__attribute__((target("avx2"))) std::uint32_t inClass(__m256i rowsLow, __m256i rowsHigh, __m256i low, __m256i highBit,
                                                      __m256i bytes) {
    // A byte's top bit picks the rows of high nibbles 8-15.
    const __m256i rows =
        _mm256_blendv_epi8(_mm256_shuffle_epi8(rowsLow, low), _mm256_shuffle_epi8(rowsHigh, low), bytes);
    const __m256i out = _mm256_cmpeq_epi8(_mm256_and_si256(rows, highBit), _mm256_setzero_si256());
    return ~static_cast<std::uint32_t>(_mm256_movemask_epi8(out));
}

#endif

}  // namespace

PositionClasses::PositionClasses(const TableDecoder& table, Isa isa) : table_(table) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::uint8_t kind = table.byteClass(static_cast<std::uint8_t>(byte));
        const bool bareBreak = (kind & TableDecoder::kBareBreak) != 0;
        const bool bareEnd = (kind & TableDecoder::kBareEnd) != 0;
        bare_ = bare_ || bareBreak || bareEnd;
        const auto own = static_cast<std::uint8_t>(
            (((kind & TableDecoder::kPlainByte) != 0 || bareBreak) ? 1 : 0) |
            (kind & (TableDecoder::kSpecialByte | TableDecoder::kLongerByte | TableDecoder::kSecondByte)) |
            ((bareBreak || bareEnd) ? 16 : 0));
        classes_[static_cast<std::size_t>(byte)] = own;
        const int high = byte >> 4;
        for (std::size_t k = 0; k < kClasses; ++k) {
            if ((own >> k) & 1) {
                rows_[k][static_cast<std::size_t>(high >> 3)][static_cast<std::size_t>(byte & 15)] |=
                    static_cast<std::uint8_t>(1 << (high & 7));
            }
        }
    }
#if KINFOLD_HAVE_AVX2
    avx2_ = isa == Isa::Avx2 && isaAvailable(Isa::Avx2);
#else
    (void)isa;
#endif
}

Stretch PositionClasses::classify(const std::uint8_t* data, std::size_t width) const {
#if KINFOLD_HAVE_AVX2
    if (avx2_ && width == kWidth) {
        Stretch stretch;
        classifyAvx2(data, 1, &stretch);
        return stretch;
    }
#endif
    return classifyScalar(data, width);
}

void PositionClasses::classify(const std::uint8_t* data, std::size_t count, Stretch* out) const {
#if KINFOLD_HAVE_AVX2
    if (avx2_) {
        classifyAvx2(data, count, out);
        return;
    }
#endif
    for (std::size_t k = 0; k < count; ++k) out[k] = classifyScalar(data + kWidth * k, kWidth);
}

Stretch PositionClasses::classifyScalar(const std::uint8_t* data, std::size_t width) const {
    std::uint8_t kinds[64] = {};
    for (std::size_t i = 0; i < width; ++i) kinds[i] = classes_[data[i]];
    std::uint64_t marks[kClasses] = {};
    for (std::size_t group = 0; group < 64; group += 8) {
        std::uint64_t x = 0;
        for (std::size_t k = 0; k < 8; ++k) x |= std::uint64_t{kinds[group + k]} << (8 * k);
        for (std::size_t k = 0; k < kClasses; ++k) marks[k] |= lowBits(x >> k) << group;
    }
    return finish(data, width, marks);
}

#if KINFOLD_HAVE_AVX2

__attribute__((target("avx2"))) void PositionClasses::classifyAvx2(const std::uint8_t* data, std::size_t count,
                                                                   Stretch* out) const {
    __m256i rows[kClasses][2];
    for (std::size_t k = 0; k < kClasses; ++k) {
        for (std::size_t half = 0; half < 2; ++half) {
            rows[k][half] = _mm256_broadcastsi128_si256(
                _mm_load_si128(static_cast<const __m128i*>(static_cast<const void*>(rows_[k][half].data()))));
        }
    }
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i bitOfHigh = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8,
                                               16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    // Tables without bare line breaks or end tokens, the last class is empty.
    const std::size_t classes = bare_ ? kClasses : kClasses - 1;
    for (std::size_t s = 0; s < count; ++s, data += kWidth) {
        std::uint64_t marks[kClasses] = {};
        for (std::size_t half = 0; half < 2; ++half) {
            const __m256i bytes =
                _mm256_loadu_si256(static_cast<const __m256i*>(static_cast<const void*>(data + 32 * half)));
            const __m256i low = _mm256_and_si256(bytes, nibble);
            const __m256i high = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble);
            const __m256i highBit = _mm256_shuffle_epi8(bitOfHigh, high);
            for (std::size_t k = 0; k < classes; ++k) {
                marks[k] |= std::uint64_t{inClass(rows[k][0], rows[k][1], low, highBit, bytes)} << (32 * half);
            }
        }
        out[s] = finish(data, kWidth, marks);
    }
}

#endif

inline Stretch PositionClasses::finish(const std::uint8_t* data, std::size_t width,
                                       const std::uint64_t (&marks)[kClasses]) const {
    std::uint64_t special = marks[1];
    std::uint64_t longer = marks[2];
    const std::uint64_t second = marks[3];
    // Where a longer entry may start, and the next byte may be its second, the two bytes tell.
    const std::uint64_t secondAfterLast = (classes_[data[width]] & TableDecoder::kSecondByte) != 0 ? 1 : 0;
    longer &= (second >> 1) | (secondAfterLast << (width - 1));
    // Random bytes give a stretch a few such places: the first four are
    // checked without a branch on them, any others one by one.
    const std::uint64_t last = std::uint64_t{1} << (width - 1);
    for (int round = 0; round < 4; ++round) {
        // The last position stands in when none is left: its mark is dropped.
        const auto at = static_cast<std::size_t>(std::countr_zero(longer | last));
        const std::uint64_t mark = longer & (std::uint64_t{0} - longer);
        special |=
            mark & (std::uint64_t{0} - static_cast<std::uint64_t>(table_.longerStartsWith(data[at], data[at + 1])));
        longer &= longer - 1;
    }
    while (longer != 0) {
        const int i = std::countr_zero(longer);
        longer &= longer - 1;
        const auto at = static_cast<std::size_t>(i);
        if (table_.longerStartsWith(data[at], data[at + 1])) {
            special |= std::uint64_t{1} << i;
        }
    }
    Stretch stretch;
    stretch.plain = marks[0];
    stretch.breaks = marks[0] & marks[4];
    stretch.ends = marks[4] & ~marks[0];
    stretch.special = special;
    return stretch;
}

}  // namespace kinfold
