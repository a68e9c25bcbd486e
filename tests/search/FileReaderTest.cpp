#include "SearchTestSupport.h"
#include "search/FileReader.h"
#include "search/ScanError.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace kinfold {
namespace {

using testing_support::TempFolder;

constexpr std::uint64_t kSize = 1000;

struct ReadAtCase {
    const char* name;
    std::uint64_t newSize;  // the file's size after it was opened
    std::uint64_t offset;
    std::size_t ask;
    std::size_t got;
    const char* reason;
};

void PrintTo(const ReadAtCase& c, std::ostream* os) { *os << c.name; }

class ReadAt : public ::testing::TestWithParam<ReadAtCase> {};

TEST_P(ReadAt, GivesTheBytesAtTheOffsetUpToTheSizeSeenAtOpen) {
    const ReadAtCase& c = GetParam();
    TempFolder folder;
    std::vector<std::uint8_t> bytes(kSize);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 % 251);
    }
    const auto path = folder.write("rom.bin", bytes);
    FileReader reader;
    ASSERT_TRUE(reader.open(path));
    std::filesystem::resize_file(path, c.newSize);
    std::vector<std::uint8_t> into(c.ask, 0xEE);
    const PositionalRead read = reader.readAt(c.offset, into);
    EXPECT_EQ(read.got, c.got);
    EXPECT_EQ(read.reason, c.reason);
    for (std::size_t i = 0; i < read.got; ++i) {
        ASSERT_EQ(into[i], bytes[static_cast<std::size_t>(c.offset) + i]) << "byte " << i;
    }
    // The reader's own place stays at the start, and it stays open.
    EXPECT_EQ(reader.offset(), 0u);
    std::vector<std::uint8_t> first(10);
    EXPECT_EQ(reader.read(first), 10u);
    EXPECT_EQ(first, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 10));
}

INSTANTIATE_TEST_SUITE_P(Table, ReadAt,
                         ::testing::Values(ReadAtCase{"FromTheStart", kSize, 0, 100, 100, ""},
                                           ReadAtCase{"InTheMiddle", kSize, 500, 300, 300, ""},
                                           ReadAtCase{"ClippedAtTheEnd", kSize, 900, 300, 100, ""},
                                           ReadAtCase{"AtTheEnd", kSize, kSize, 10, 0, ""},
                                           ReadAtCase{"FarPastTheEnd", kSize, 1u << 30, 10, 0, ""},
                                           ReadAtCase{"AfterTheFileGrew", kSize + 500, 900, 300, 100, ""},
                                           ReadAtCase{"AcrossTheEndOfAShrunkFile", 950, 900, 100, 50, kShrankReason},
                                           ReadAtCase{"PastTheEndOfAShrunkFile", 950, 960, 20, 0, kShrankReason}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileReader, ReadAtWithoutAFileSaysSo) {
    FileReader reader;
    std::vector<std::uint8_t> into(4);
    const PositionalRead read = reader.readAt(0, into);
    EXPECT_EQ(read.got, 0u);
    EXPECT_EQ(read.reason, "the file is not open");
}

}  // namespace
}  // namespace kinfold
