// The pointer search against the rule read plainly: every position, every
// target, on random files with pointers planted in them.
#include "pointers/PointerFileScan.h"
#include "pointers/PointerSearch.h"
#include "search/FileReader.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace kinfold {
namespace {

using testing_support::TempFolder;

std::vector<PointerHit> referenceSearch(const PointerMapping& mapping, std::span<const std::uint8_t> file,
                                        std::vector<std::uint64_t> targets, PointerSearchOptions options) {
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    const auto size = static_cast<std::size_t>(mapping.pointerBytes());
    std::vector<PointerHit> hits;
    for (std::size_t p = 0; p + size <= file.size(); ++p) {
        if (options.aligned && p % size != 0) continue;
        const std::uint32_t value = readUnit(file.data() + p, static_cast<int>(size), mapping.byteOrder());
        for (const std::uint64_t t : targets) {
            const PointerValues values = mapping.valuesOf(t);
            const bool holds =
                std::find(values.value, values.value + values.count, value) != values.value + values.count;
            if (holds && (!options.bankOfPointer || mapping.reachable(p, t))) hits.push_back({p, t, value});
        }
    }
    return hits;
}

struct SearchCase {
    const char* name;
    PointerFormat format;
    bool nesHeader;  // the file starts with an iNES header
    bool copierHeader;
};

std::string caseName(const SearchCase& c, bool aligned, bool bankOfPointer) {
    return std::string(c.name) + (aligned ? "_Aligned" : "") + (bankOfPointer ? "_BankOfPointer" : "");
}

class PointerSearchAgainstReference : public ::testing::TestWithParam<std::tuple<SearchCase, bool, bool>> {};

// Random files of a few blocks (odd-sized, so pointers cross block edges,
// and with small batches of hits, so blocks are taken in several pieces),
// targets anywhere (in the header too), and each target's values planted at
// random positions in the mapping's byte order.
TEST_P(PointerSearchAgainstReference, FindsTheSamePointers) {
    const auto& [c, aligned, bankOfPointer] = GetParam();
    std::mt19937_64 random(std::hash<std::string>()(caseName(c, aligned, bankOfPointer)));
    TempFolder folder;
    for (int round = 0; round < 4 * testing_support::testScale(); ++round) {
        std::vector<std::uint8_t> file(0x11000 + random() % 0x8000 + (c.copierHeader ? 512 : 0));
        if (c.copierHeader) file.resize(file.size() / 1024 * 1024 + 512);
        for (std::uint8_t& b : file) b = static_cast<std::uint8_t>(random());
        if (c.nesHeader) std::copy_n("NES\x1A\x02", 5, file.begin());
        const PointerMapping mapping(c.format, file.size(), std::span(file).first(16));
        std::vector<std::uint64_t> targets;
        for (int i = 0; i < 40; ++i) targets.push_back(random() % file.size());
        targets.push_back(targets.front());  // repeated targets count once
        const auto size = static_cast<std::size_t>(mapping.pointerBytes());
        for (int i = 0; i < 300; ++i) {
            const PointerValues values = mapping.valuesOf(targets[random() % targets.size()]);
            if (values.count == 0) continue;
            const std::uint32_t value = values.value[random() % static_cast<std::uint64_t>(values.count)];
            const std::size_t at = random() % (file.size() - size + 1);
            for (std::size_t k = 0; k < size; ++k) {
                const std::size_t shift = mapping.byteOrder() == ByteOrder::Little ? k : size - 1 - k;
                file[at + k] = static_cast<std::uint8_t>(value >> (8 * shift));
            }
        }
        const PointerSearchOptions options{aligned, bankOfPointer};
        const std::vector<PointerHit> expected = referenceSearch(mapping, file, targets, options);
        const PointerSearch search(mapping, targets, options);

        std::vector<PointerHit> inMemory;
        search.search(file, 0, inMemory);
        ASSERT_EQ(inMemory, expected);

        FileReader reader;
        ASSERT_TRUE(reader.open(folder.write("rom.bin", file)));
        std::vector<PointerHit> fromFile;
        std::uint64_t lastDone = 0;
        const std::size_t block = 1000 + random() % 3000;
        const std::size_t batch = 1 + random() % 50;
        const PointerScanEnd end = scanForPointers(
            reader, "rom.bin", search,
            [&](auto hits, std::uint64_t done) {
                fromFile.insert(fromFile.end(), hits.begin(), hits.end());
                EXPECT_GE(done, lastDone);
                lastDone = done;
                return true;
            },
            block, batch);
        EXPECT_FALSE(end.stopped);
        EXPECT_FALSE(end.error.has_value());
        EXPECT_EQ(lastDone, file.size());
        ASSERT_EQ(fromFile, expected) << "blocks of " << block << ", batches of " << batch;
        EXPECT_GT(expected.size(), 0u);
    }
}

PointerFormat linear(int width, ByteOrder order, std::uint64_t base = 0) {
    return {MappingKind::Linear, width, order, base};
}

INSTANTIATE_TEST_SUITE_P(
    Pointers, PointerSearchAgainstReference,
    ::testing::Combine(
        ::testing::Values(SearchCase{"Gb", {MappingKind::Gb}, false, false},
                          SearchCase{"Nes", {MappingKind::Nes}, true, false},
                          SearchCase{"SnesLorom", {MappingKind::SnesLorom}, false, true},
                          SearchCase{"SnesLorom24", {MappingKind::SnesLorom, 24}, false, true},
                          SearchCase{"SnesHirom", {MappingKind::SnesHirom}, false, false},
                          SearchCase{"SnesHirom24", {MappingKind::SnesHirom, 24}, false, true},
                          SearchCase{"Gba", {MappingKind::Gba}, false, false},
                          SearchCase{"Linear16Little", linear(16, ByteOrder::Little), false, false},
                          SearchCase{"Linear16Big", linear(16, ByteOrder::Big, 0x1000), false, false},
                          SearchCase{"Linear24Little", linear(24, ByteOrder::Little, 0x123456), false, false},
                          SearchCase{"Linear24Big", linear(24, ByteOrder::Big), false, false},
                          SearchCase{"Linear32Little", linear(32, ByteOrder::Little, 0x80000000), false, false},
                          SearchCase{"Linear32Big", linear(32, ByteOrder::Big, 0x2000000), false, false}),
        ::testing::Bool(), ::testing::Bool()),
    [](const auto& info) {
        return caseName(std::get<0>(info.param), std::get<1>(info.param), std::get<2>(info.param));
    });

// The sink's false stops the search after the block it was given.
TEST(PointerFileScan, StopsWhenAsked) {
    std::vector<std::uint8_t> file(10000, 0);
    TempFolder folder;
    FileReader reader;
    ASSERT_TRUE(reader.open(folder.write("zeros.gb", file)));
    const PointerMapping mapping(PointerFormat{MappingKind::Gb}, file.size(), file);
    const std::vector<std::uint64_t> targets = {0};
    const PointerSearch search(mapping, targets);
    int blocks = 0;
    std::size_t hits = 0;
    const PointerScanEnd end = scanForPointers(
        reader, "zeros.gb", search,
        [&](auto found, std::uint64_t) {
            ++blocks;
            hits += found.size();
            return false;
        },
        4096);
    EXPECT_TRUE(end.stopped);
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(hits, 4095u);  // every position whose two bytes lie in the first block
}

// A file that shrinks after it was opened ends the search with a read error
// at the first position not searched; the blocks before it stand.
TEST(PointerFileScan, FileThatShrinks) {
    std::vector<std::uint8_t> file(10000, 0);
    TempFolder folder;
    const std::filesystem::path path = folder.write("shrinks.gba", file);
    FileReader reader;
    ASSERT_TRUE(reader.open(path));
    std::filesystem::resize_file(path, 5000);
    const PointerMapping mapping(PointerFormat{MappingKind::Linear, 32}, file.size(), file);
    const std::vector<std::uint64_t> targets = {0};
    const PointerSearch search(mapping, targets);
    std::size_t hits = 0;
    const PointerScanEnd end = scanForPointers(
        reader, "shrinks.gba", search,
        [&](auto found, std::uint64_t) {
            hits += found.size();
            return true;
        },
        4096);
    ASSERT_TRUE(end.error.has_value());
    EXPECT_EQ(end.error->stage, ScanError::Stage::Read);
    EXPECT_EQ(end.error->offset, 4093u);
    EXPECT_EQ(hits, 4093u);
}

}  // namespace
}  // namespace kinfold
