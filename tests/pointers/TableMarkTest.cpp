// The pointer-table mark against the rule read plainly: every slot beside a
// pointer, every listed string, on random files with tables planted in them.
#include "pointers/TableMark.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace kinfold {
namespace {

std::vector<bool> referenceMarks(const PointerMapping& mapping, const std::vector<std::uint8_t>& file,
                                 const std::vector<PointerHit>& pointers, const std::vector<std::uint64_t>& starts) {
    const auto size = static_cast<std::uint64_t>(mapping.pointerBytes());
    std::vector<bool> marks;
    for (const PointerHit& p : pointers) {
        bool mark = false;
        for (const std::uint64_t slot : {p.offset - size, p.offset + size}) {
            if (slot > p.offset + size || slot + size > file.size()) continue;  // before the file, or past its end
            const std::uint32_t value = readUnit(file.data() + slot, mapping.pointerBytes(), mapping.byteOrder());
            for (const std::uint64_t s : starts) {
                mark = mark || mapping.targetOf(value, mapping.bankOf(p.target).value_or(0)) == s;
            }
        }
        marks.push_back(mark);
    }
    return marks;
}

struct MarkCase {
    const char* name;
    PointerFormat format;
    std::size_t fileBytes;
};

class TableMarks : public ::testing::TestWithParam<MarkCase> {};

TEST_P(TableMarks, AgreeWithTheReference) {
    const MarkCase& c = GetParam();
    std::mt19937_64 random(42);
    for (int round = 0; round < 20; ++round) {
        std::vector<std::uint8_t> file(c.fileBytes);
        for (auto& b : file) b = static_cast<std::uint8_t>(random());
        const PointerMapping mapping(c.format, file.size(), std::span(file).first(16));
        // With banks, the strings and their table in bank 2, as a table leads into its own bank.
        const std::uint64_t low = mapping.banked() ? 2 * mapping.bankSize() : 0;
        const std::uint64_t span = mapping.banked() ? mapping.bankSize() : file.size();
        std::vector<std::uint64_t> starts;
        for (int i = 0; i < 30; ++i) starts.push_back(low + random() % span);
        const auto size = static_cast<std::size_t>(mapping.pointerBytes());
        const std::size_t table = static_cast<std::size_t>(low + random() % (span - 32 * size));
        for (std::size_t i = 0; i < 30; ++i) {
            const PointerValues values = mapping.valuesOf(starts[i]);
            if (values.count == 0) continue;
            for (std::size_t k = 0; k < size; ++k) {
                const int shift = 8 * static_cast<int>(mapping.byteOrder() == ByteOrder::Big ? size - 1 - k : k);
                file[table + i * size + k] = static_cast<std::uint8_t>(values.value[0] >> shift);
            }
        }
        std::vector<PointerHit> pointers;
        for (int i = 0; i < 200; ++i) {
            const std::uint64_t at =
                i < 40 ? table + static_cast<std::uint64_t>(i) * size - size : random() % (file.size() - size + 1);
            if (at + size > file.size()) continue;
            const std::uint32_t value = mapping.valueAt(std::span(file).subspan(at));
            const auto target = mapping.targetOf(value, at, std::nullopt);
            pointers.push_back({at, target.value_or(0), value});
        }
        pointers.push_back({0, starts[0], 0});
        pointers.push_back({file.size() - size, starts[0], 0});
        const std::vector<bool> marks = markTablePointers(mapping, file, pointers, starts);
        EXPECT_EQ(marks, referenceMarks(mapping, file, pointers, starts)) << "round " << round;
        EXPECT_GE(std::count(marks.begin(), marks.end(), true), 20) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, TableMarks,
                         ::testing::Values(MarkCase{"Linear16", {MappingKind::Linear, 16}, 4096},
                                           MarkCase{"Linear32Big", {MappingKind::Linear, 32, ByteOrder::Big}, 4096},
                                           MarkCase{"GameBoyBanks", {MappingKind::Gb}, 0x10000},
                                           MarkCase{"SnesLorom24", {MappingKind::SnesLorom, 24}, 0x20000}),
                         [](const auto& info) { return std::string(info.param.name); });

// Three pointers in a row at 0x10: the middle one has both neighbours, the
// first and last one each; a lone pointer beside unlisted data has none.
TEST(TableMark, ATableOfThree) {
    std::vector<std::uint8_t> file(64, 0xEE);
    const std::vector<std::uint8_t> table = {0x30, 0x00, 0x34, 0x00, 0x38, 0x00};
    std::copy(table.begin(), table.end(), file.begin() + 0x10);
    file[0x20] = 0x30;
    file[0x21] = 0x00;
    const PointerMapping mapping(PointerFormat{MappingKind::Linear, 16}, file.size(), file);
    const std::vector<PointerHit> pointers = {
        {0x10, 0x30, 0x30}, {0x12, 0x34, 0x34}, {0x14, 0x38, 0x38}, {0x20, 0x30, 0x30}, {0x3E, 0x30, 0x30}};
    EXPECT_EQ(markTablePointers(mapping, file, pointers, {0x38, 0x34, 0x30}),
              (std::vector<bool>{true, true, true, false, false}));
    EXPECT_EQ(markTablePointers(mapping, file, pointers, {0x34}), (std::vector<bool>{true, false, true, false, false}));
}

}  // namespace
}  // namespace kinfold
