// Pointer counts against every position read plainly.
#include "pointers/PointerCount.h"
#include "search/FileReader.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace kinfold {
namespace {

using testing_support::TempFolder;

TEST(PointerCount, EveryTargetGetsThePositionsHoldingOneOfItsValues) {
    std::mt19937_64 random(7);
    TempFolder folder;
    const PointerFormat formats[] = {
        {MappingKind::Gb}, {MappingKind::Nes}, {MappingKind::SnesLorom, 24}, {MappingKind::Linear, 16, ByteOrder::Big}};
    for (const PointerFormat& format : formats) {
        std::vector<std::uint8_t> file(0x12000);
        for (std::uint8_t& b : file) b = static_cast<std::uint8_t>(random());
        const PointerMapping mapping(format, file.size(), std::span(file).first(16));
        std::vector<std::uint64_t> targets;
        for (int i = 0; i < 30; ++i) targets.push_back(random() % file.size());
        targets.push_back(targets[3]);  // a repeated target is counted for each copy
        const auto size = static_cast<std::size_t>(mapping.pointerBytes());
        for (int i = 0; i < 200; ++i) {
            const PointerValues values = mapping.valuesOf(targets[random() % targets.size()]);
            if (values.count == 0) continue;  // a linear 16-bit pointer can't reach past 64 KiB
            const std::size_t at = random() % (file.size() - size + 1);
            for (std::size_t k = 0; k < size; ++k) {
                const std::size_t shift = mapping.byteOrder() == ByteOrder::Little ? k : size - 1 - k;
                file[at + k] = static_cast<std::uint8_t>(values.value[i % values.count] >> (8 * shift));
            }
        }
        std::vector<std::uint32_t> expected(targets.size(), 0);
        for (std::size_t p = 0; p + size <= file.size(); ++p) {
            const std::uint32_t value = readUnit(file.data() + p, static_cast<int>(size), mapping.byteOrder());
            for (std::size_t t = 0; t < targets.size(); ++t) {
                const PointerValues values = mapping.valuesOf(targets[t]);
                expected[t] += std::count(values.value, values.value + values.count, value) > 0 ? 1 : 0;
            }
        }
        const PointerCounts counts =
            countPointers(folder.write("rom.bin", file), format, targets, [](std::uint64_t) { return true; });
        EXPECT_FALSE(counts.stopped);
        EXPECT_FALSE(counts.error.has_value());
        EXPECT_EQ(counts.counts, expected) << mappingName(format.kind);
        EXPECT_GT(*std::max_element(expected.begin(), expected.end()), 0u);
    }
}

TEST(PointerCount, AMissingFileOrAStopIsSaid) {
    TempFolder folder;
    const std::uint64_t targets[] = {0x150};
    const PointerCounts missing =
        countPointers(folder.path() / "missing.gb", {MappingKind::Gb}, targets, [](std::uint64_t) { return true; });
    ASSERT_TRUE(missing.error.has_value());
    EXPECT_EQ(missing.error->stage, ScanError::Stage::Open);
    EXPECT_EQ(missing.counts, std::vector<std::uint32_t>{0});

    const std::vector<std::uint8_t> file(0x80000, 0x50);  // every position holds 5050, a pointer to 0x5050 in bank 1
    const std::uint64_t held[] = {0x5050};
    const PointerCounts stopped =
        countPointers(folder.write("rom.gb", file), {MappingKind::Gb}, held, [](std::uint64_t) { return false; });
    EXPECT_TRUE(stopped.stopped);
    EXPECT_GT(stopped.counts[0], 0u);
    EXPECT_LT(stopped.counts[0], file.size() - 1);
}

}  // namespace
}  // namespace kinfold
