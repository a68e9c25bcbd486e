// What only Windows has: UTF-16 paths, its own reads at an offset, files
// other programs hold open, and kinfold.exe started as a Windows program.
#include "RunKinfold.h"
#include "WindowsProcess.h"
#include "search/FileReader.h"
#include "search/SearchTestSupport.h"
#include "table/FileWindow.h"

#include <gtest/gtest.h>

#include <winioctl.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

namespace kinfold {
namespace {

namespace fs = std::filesystem;
using testing_support::ChildProcess;
using testing_support::Hold;
using testing_support::Outcome;
using testing_support::TempFolder;

fs::path writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// A folder and a ROM named in kana, named to the program as UTF-8.
class KanaPath : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(folder_.path() / u8"ドラゴン");
        rom_ = writeFile(folder_.path() / u8"ドラゴン" / u8"ドラゴン.sfc", "xxABCDxx");
    }
    TempFolder folder_;
    fs::path rom_;
};

TEST_F(KanaPath, OpensFromUtf8AndPrintsUtf8) {
    const std::string text = pathText(rom_);
    ASSERT_NE(text.find("\xE3\x83\x89\xE3\x83\xA9\xE3\x82\xB4\xE3\x83\xB3.sfc"), std::string::npos);  // ドラゴン.sfc
    FileReader reader;
    ASSERT_TRUE(reader.open(pathFromText(text))) << reader.reason();
    EXPECT_EQ(reader.size(), 8u);
    const Outcome run = testing_support::runKinfoldWith({"scan", "--string", "ABCD"}, {pathText(rom_.parent_path())});
    EXPECT_EQ(run.out, text + ":2 (2 hex)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

// kinfold.exe takes its arguments as UTF-16 and writes UTF-8, a line ending
// in "\n" alone.
TEST_F(KanaPath, KinfoldExeReadsWideArgumentsAndWritesUtf8) {
    const std::wstring exe = fs::path(KINFOLD_EXE).make_preferred().wstring();
    ChildProcess kinfold(testing_support::quotedArgument(exe) + L" scan --string ABCD " +
                         testing_support::quotedArgument(rom_.wstring()));
    ASSERT_TRUE(kinfold.started()) << "could not start " << KINFOLD_EXE;
    EXPECT_EQ(kinfold.readAll(), pathText(rom_) + ":2 (2 hex)\n");
    EXPECT_EQ(kinfold.wait(), 0);
}

// A sparse file just past 4 GiB: its size, and reads at offsets that need
// more than 32 bits, one of them across the 4 GiB mark.
TEST(WindowsFiles, ReadsPastFourGiB) {
    TempFolder folder;
    const fs::path path = folder.path() / "big.bin";
    constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;
    constexpr std::uint64_t kSize = kFourGiB + 4096;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    // Not every file system keeps holes; where it can't, the zeros are written.
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &done, nullptr);
    const auto writeAt = [&](std::uint64_t offset, const char* bytes, DWORD count) {
        OVERLAPPED place{};
        place.Offset = static_cast<DWORD>(offset);
        place.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD put = 0;
        return ::WriteFile(file, bytes, count, &put, &place) && put == count;
    };
    const bool written = writeAt(kFourGiB - 2, "ABCD", 4) && writeAt(kSize - 3, "xyz", 3);
    ::CloseHandle(file);
    ASSERT_TRUE(written);

    FileReader reader;
    ASSERT_TRUE(reader.open(path)) << reader.reason();
    EXPECT_EQ(reader.size(), kSize);
    std::array<std::uint8_t, 4> across{};
    EXPECT_EQ(reader.readAt(kFourGiB - 2, across).got, 4u);
    EXPECT_EQ(std::string(across.begin(), across.end()), "ABCD");
    std::array<std::uint8_t, 8> end{};
    const PositionalRead last = reader.readAt(kSize - 3, end);
    EXPECT_EQ(last.got, 3u);
    EXPECT_EQ(last.reason, "");
    EXPECT_EQ(std::string(end.begin(), end.begin() + 3), "xyz");

    const FileWindowRead window = readFileWindow(path, kSize, kFourGiB + 1, 3, 2);
    ASSERT_TRUE(window.ok()) << window.message;
    EXPECT_EQ(window.window.start, kFourGiB - 2);
    EXPECT_EQ(std::string(window.window.bytes.begin(), window.window.bytes.end()), std::string("ABCD\0", 5));
}

// An emulator has the ROM open for writing and lets others read: the search
// reads it all the same, up to the size it had when it was opened.
TEST(WindowsFiles, ReadsAFileAnotherProgramHoldsOpenForWriting) {
    TempFolder folder;
    const fs::path rom = writeFile(folder.path() / "held.gb", "xxHelloxx");
    ChildProcess holder(testing_support::holderCommandLine(Hold::Writing, rom.wstring()));
    ASSERT_TRUE(holder.started());
    ASSERT_EQ(holder.readLine(), "held\n");
    const Outcome run = testing_support::runKinfoldWith({"scan", "--string", "Hello"}, {pathText(rom)});
    EXPECT_EQ(run.out, pathText(rom) + ":2 (2 hex)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    FileReader reader;
    ASSERT_TRUE(reader.open(rom)) << reader.reason();
    EXPECT_EQ(reader.size(), 10u);  // the holder's byte at the end is there
}

// A folder where another program has one file to itself: that file is an
// error that says so, the others are searched.
TEST(WindowsFiles, FolderWithALockedFile) {
    TempFolder folder;
    const fs::path locked = writeFile(folder.path() / "a.gb", "xxHelloxx");
    const fs::path open = writeFile(folder.path() / "b.gb", "Hello");
    ChildProcess holder(testing_support::holderCommandLine(Hold::Exclusively, locked.wstring()));
    ASSERT_TRUE(holder.started());
    ASSERT_EQ(holder.readLine(), "held\n");
    const Outcome run = testing_support::runKinfoldWith({"scan", "--string", "Hello"}, {pathText(folder.path())});
    EXPECT_EQ(run.out, pathText(open) + ":0 (0 hex)\n");
    EXPECT_EQ(run.err,
              "kinfold: Can't open the ROM file \"" + pathText(locked) + "\": another program has locked it.\n");
    EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace kinfold
