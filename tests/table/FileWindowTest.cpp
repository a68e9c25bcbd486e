#include "table/FileWindow.h"

#include "search/FileReader.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace kinfold {
namespace {

using testing_support::TempFolder;

constexpr std::uint64_t kFileSize = 4096;

struct WindowCase {
    const char* name;
    std::uint64_t offset;
    std::uint64_t before;
    std::uint64_t after;
    int unitBytes;
    std::uint64_t start;
    std::uint64_t size;
};

class FileWindowTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(FileWindowTest, ReadsTheClippedWindow) {
    const WindowCase& c = GetParam();
    TempFolder folder;
    std::vector<std::uint8_t> bytes(kFileSize);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    const auto path = folder.write("rom.bin", bytes);
    const FileWindowRead read = readFileWindow(path, kFileSize, c.offset, c.before, c.after, c.unitBytes);
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.window.start, c.start);
    EXPECT_EQ(read.window.fileSize, kFileSize);
    const std::vector<std::uint8_t> expected(bytes.begin() + static_cast<std::ptrdiff_t>(c.start),
                                             bytes.begin() + static_cast<std::ptrdiff_t>(c.start + c.size));
    EXPECT_EQ(read.window.bytes, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileWindowTest,
                         ::testing::Values(WindowCase{"Middle", 2000, 256, 768, 1, 1744, 1024},
                                           WindowCase{"NearTheStart", 10, 256, 768, 1, 0, 778},
                                           WindowCase{"NearTheEnd", 4000, 256, 768, 1, 3744, 352},
                                           WindowCase{"AtTheEnd", 4096, 16, 768, 1, 4080, 16},
                                           WindowCase{"LastByte", 4095, 0, 1, 1, 4095, 1},
                                           WindowCase{"UnitsLineUpWithTheHit", 10, 256, 768, 3, 1, 777},
                                           WindowCase{"WholeUnitsBefore", 2000, 7, 4, 2, 1994, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileWindowProblems, GoneChangedAndPastTheEnd) {
    TempFolder folder;
    const std::vector<std::uint8_t> bytes(100, 0x41);
    const auto path = folder.write("rom.bin", bytes);
    struct Case {
        const char* name;
        std::filesystem::path path;
        std::uint64_t searchedSize;
        std::uint64_t offset;
        FileWindowRead::Status status;
    };
    const Case cases[] = {
        {"Gone", folder.path() / "gone.bin", 100, 0, FileWindowRead::Status::Gone},
        {"Shorter", path, 101, 0, FileWindowRead::Status::SizeChanged},
        {"Longer", path, 99, 0, FileWindowRead::Status::SizeChanged},
        {"Folder", folder.path(), 100, 0, FileWindowRead::Status::Failed},
        {"PastTheEnd", path, 100, 101, FileWindowRead::Status::Failed},
    };
    for (const Case& c : cases) {
        const FileWindowRead read = readFileWindow(c.path, c.searchedSize, c.offset, 256, 768);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_TRUE(read.window.bytes.empty()) << c.name;
        EXPECT_NE(read.message.find(pathText(c.path)), std::string::npos) << c.name << ": " << read.message;
    }
}

}  // namespace
}  // namespace kinfold
