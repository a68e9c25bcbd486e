#include "SearchTestSupport.h"
#include "search/BlockJobs.h"
#include "search/FileScanner.h"
#include "search/ResultLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <vector>

namespace kinfold {
namespace {

using testing_support::RawPattern;
using testing_support::rawPattern;
using testing_support::referenceScan;
using testing_support::TempFolder;
using testing_support::testScale;
using testing_support::typedPattern;

constexpr std::uint64_t kProgressStep = 32768;

RawPattern fromTyped(std::initializer_list<int> values) {
    const SearchPattern typed = typedPattern(values);
    RawPattern p;
    p.count = typed.count();
    p.directions = typed.directions();
    p.differences = typed.differences();
    return p;
}

// n entries that each want the byte before them again.
RawPattern repeated(int n, int direction, int difference) {
    RawPattern p;
    p.count = n;
    for (int j = 2; j <= n; ++j) {
        p.directions[static_cast<std::size_t>(j)] = static_cast<std::int16_t>(direction);
        p.differences[static_cast<std::size_t>(j)] = static_cast<std::int16_t>(difference);
    }
    return p;
}

struct ScanRun {
    std::vector<std::uint64_t> matches;
    std::vector<std::uint64_t> progress;  // positions the window would show
    std::uint64_t last = 0;
    std::optional<ScanError> error;
};

// The window's loop: a slice up to the next multiple of 32768, then progress.
ScanRun runLikeTheWindow(FileScanner& scanner) {
    ScanRun run;
    std::vector<std::uint64_t> batch;
    while (!scanner.finished()) {
        batch.clear();
        const std::uint64_t before = scanner.position();
        scanner.scanUntil((scanner.position() / kProgressStep + 1) * kProgressStep, batch);
        EXPECT_GT(scanner.position(), before) << "a slice must move on";
        if (scanner.position() % kProgressStep == 0) {
            run.progress.push_back(scanner.position());
        }
        run.matches.insert(run.matches.end(), batch.begin(), batch.end());
    }
    run.last = scanner.position();
    run.error = scanner.error();
    return run;
}

// Slices of random length, from 1 candidate up to maxSlice.
ScanRun runInSlices(FileScanner& scanner, std::mt19937_64& random, std::uint64_t maxSlice) {
    ScanRun run;
    std::uniform_int_distribution<std::uint64_t> slice(1, maxSlice);
    while (!scanner.finished()) {
        const std::uint64_t before = scanner.position();
        const std::uint64_t until = before + slice(random);
        scanner.scanUntil(until, run.matches);
        EXPECT_TRUE(scanner.position() == until || scanner.finished());
        EXPECT_GT(scanner.position(), before);
    }
    run.last = scanner.position();
    run.error = scanner.error();
    return run;
}

struct TailCase {
    const char* name;
    RawPattern pattern;
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint64_t> matches;
    std::uint64_t last;
};

void PrintTo(const TailCase& c, std::ostream* os) { *os << c.name; }

class EndOfFile : public ::testing::TestWithParam<TailCase> {};

TEST_P(EndOfFile, StopsWhereTheByteLoopStops) {
    const TailCase& c = GetParam();
    const auto reference = referenceScan(c.pattern, c.bytes);
    ASSERT_EQ(reference.matches, c.matches) << "the case itself disagrees with the rule";
    ASSERT_EQ(reference.lastPosition, c.last) << "the case itself disagrees with the rule";
    TempFolder folder;
    const auto path = folder.write("rom.bin", c.bytes);
    for (Isa isa : availableIsas()) {
        for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{4096}}) {
            SCOPED_TRACE(std::string(isaName(isa)) + " block " + std::to_string(block));
            FileScanner scanner(c.pattern.compile(), block, isa);
            ASSERT_TRUE(scanner.open(path));
            const ScanRun run = runLikeTheWindow(scanner);
            EXPECT_EQ(run.matches, c.matches);
            EXPECT_EQ(run.last, c.last);
            EXPECT_FALSE(run.error.has_value());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EndOfFile,
    ::testing::Values(
        TailCase{"EmptyFile", fromTyped({65, 67, 69}), {}, {}, 1},
        TailCase{"ShorterThanThePattern", fromTyped({65, 67, 69}), {0x41}, {}, 1},
        TailCase{"ShortFilePassingWhatItHas", fromTyped({65, 67, 69}), {0x41, 0x43}, {}, 1},
        TailCase{"ShortFileFailingWhatItHas", fromTyped({65, 67, 69}), {0x41, 0x44}, {}, 2},
        TailCase{"MatchThenPassingTail", fromTyped({65, 67, 69}), {0x00, 0x41, 0x43, 0x45, 0x41, 0x43}, {1}, 5},
        TailCase{"MatchThenFailingTail", fromTyped({65, 67, 69}), {0x00, 0x41, 0x43, 0x45, 0x41, 0x44}, {1}, 6},
        TailCase{"MatchRightAtTheEnd", fromTyped({65, 67, 69}), {0x00, 0x41, 0x43, 0x45}, {1}, 3},
        TailCase{"OverlappingMatches", fromTyped({1, 2, 3}), {0x05, 0x06, 0x07, 0x08}, {0, 1}, 3},
        TailCase{"AllSkipped", fromTyped({5, -1, -1}), {9, 8, 7, 6, 5}, {0, 1, 2}, 4},
        TailCase{"NeverMatchingStillReadsToTheEnd", rawPattern({{1, 1}, {1, 300}}), {1, 2, 3, 4, 5}, {}, 4},
        TailCase{"ImpossibleStepBeyondTheEnd", rawPattern({{1, 300}}), {1, 2}, {}, 2},
        TailCase{"LongPatternOverShortFile", repeated(1000, 1, 0), std::vector<std::uint8_t>(500, 0), {}, 1},
        TailCase{"LongPatternFailingEarly", repeated(1000, 1, 0), {0, 1, 0, 0, 0, 0}, {}, 3},
        TailCase{"TwoEntriesEndAtTheLastByte", fromTyped({10, 8}), {7, 5, 7, 5}, {0, 2}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

struct ProgressCase {
    const char* name;
    RawPattern pattern;
    std::size_t size;
    std::vector<std::uint8_t> ending;  // the last bytes of a file of zeros
    std::vector<std::uint64_t> progress;
    std::uint64_t last;
};

void PrintTo(const ProgressCase& c, std::ostream* os) { *os << c.name; }

class Progress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(Progress, ShowsOnlyPositionsTheScanReached) {
    const ProgressCase& c = GetParam();
    std::vector<std::uint8_t> bytes(c.size, 0);
    std::copy(c.ending.begin(), c.ending.end(), bytes.end() - static_cast<std::ptrdiff_t>(c.ending.size()));
    ASSERT_EQ(referenceScan(c.pattern, bytes).lastPosition, c.last);
    TempFolder folder;
    const auto path = folder.write("rom.bin", bytes);
    FileScanner scanner(c.pattern.compile(), 4096);
    ASSERT_TRUE(scanner.open(path));
    const ScanRun run = runLikeTheWindow(scanner);
    EXPECT_EQ(run.progress, c.progress);
    EXPECT_EQ(run.last, c.last);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Progress,
    ::testing::Values(ProgressCase{"ReachesTheLastByte", fromTyped({1, 2}), 65536, {}, {32768, 65536}, 65536},
                      ProgressCase{"TailPassesOneShort", fromTyped({1, 2, 3}), 65536, {5, 6}, {32768}, 65535},
                      ProgressCase{"TailFailsAndGoesOn", fromTyped({1, 2, 3}), 65536, {5, 7}, {32768, 65536}, 65536},
                      ProgressCase{"ExactlyOneStep", fromTyped({1, 2}), 32768, {}, {32768}, 32768},
                      ProgressCase{"OneMoreThanAStep", fromTyped({1, 2}), 32769, {}, {32768}, 32769},
                      ProgressCase{"LongPatternStopsEarly", repeated(1000, 1, 0), 33000, {}, {}, 32002}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileScanner, NothingHappensBeforeOpen) {
    FileScanner scanner(fromTyped({1, 2}).compile());
    EXPECT_EQ(scanner.position(), 0u);
    EXPECT_TRUE(scanner.finished());
    std::vector<std::uint64_t> matches;
    scanner.scanUntil(100, matches);
    EXPECT_EQ(scanner.position(), 0u);
    EXPECT_TRUE(matches.empty());
    EXPECT_FALSE(scanner.error().has_value());
}

TEST(FileScanner, SlicesStopExactlyWhereAsked) {
    TempFolder folder;
    const std::vector<std::uint8_t> bytes = {5, 6, 7, 8, 9, 1, 2, 3, 0, 0};
    const auto path = folder.write("rom.bin", bytes);
    FileScanner scanner(fromTyped({1, 2, 3}).compile(), 3);
    ASSERT_TRUE(scanner.open(path));
    EXPECT_EQ(scanner.fileSize(), 10u);
    EXPECT_FALSE(scanner.finished());
    std::vector<std::uint64_t> matches = {999};  // matches are appended, never cleared
    scanner.scanUntil(0, matches);
    EXPECT_EQ(scanner.position(), 0u);
    scanner.scanUntil(1, matches);
    EXPECT_EQ(scanner.position(), 1u);
    EXPECT_EQ(matches, (std::vector<std::uint64_t>{999, 0}));
    scanner.scanUntil(1, matches);
    EXPECT_EQ(scanner.position(), 1u);
    scanner.scanUntil(5, matches);
    EXPECT_EQ(scanner.position(), 5u);
    EXPECT_EQ(matches, (std::vector<std::uint64_t>{999, 0, 1, 2}));
    scanner.scanUntil(6, matches);  // position 6 is the candidate at offset 5
    EXPECT_EQ(matches, (std::vector<std::uint64_t>{999, 0, 1, 2, 5}));
    scanner.scanUntil(100, matches);
    EXPECT_TRUE(scanner.finished());
    EXPECT_EQ(matches, (std::vector<std::uint64_t>{999, 0, 1, 2, 5}));
    EXPECT_EQ(scanner.position(), 10u);  // the tail fails "0 0" at 8, so 9 is the last
    scanner.scanUntil(200, matches);
    EXPECT_EQ(scanner.position(), 10u);
    EXPECT_EQ(matches.size(), 5u);
}

TEST(FileScanner, CloseStopsTheScanAndReopenStartsAgain) {
    TempFolder folder;
    std::vector<std::uint8_t> bytes(1000, 0);
    bytes[100] = 10;
    bytes[101] = 8;
    bytes[900] = 10;
    bytes[901] = 8;
    const auto path = folder.write("rom.bin", bytes);
    FileScanner scanner(fromTyped({10, 8}).compile(), 64);
    ASSERT_TRUE(scanner.open(path));
    std::vector<std::uint64_t> matches;
    scanner.scanUntil(500, matches);
    EXPECT_EQ(matches, (std::vector<std::uint64_t>{100}));
    scanner.close();
    EXPECT_TRUE(scanner.finished());
    EXPECT_EQ(scanner.position(), 500u);
    scanner.scanUntil(2000, matches);
    EXPECT_EQ(scanner.position(), 500u);
    ASSERT_TRUE(scanner.open(path));
    EXPECT_EQ(scanner.position(), 0u);
    const ScanRun run = runLikeTheWindow(scanner);
    EXPECT_EQ(run.matches, (std::vector<std::uint64_t>{100, 900}));
    EXPECT_EQ(run.last, 1000u);
}

TEST(FileScanner, KeepsItsOwnCopyOfThePattern) {
    TempFolder folder;
    const std::vector<std::uint8_t> bytes = {7, 5, 0, 0};
    const auto path = folder.write("rom.bin", bytes);
    auto pattern = std::make_unique<CompiledPattern>(fromTyped({10, 8}).compile());
    FileScanner scanner(*pattern);
    pattern.reset();
    ASSERT_TRUE(scanner.open(path));
    FileScanner moved = std::move(scanner);
    EXPECT_TRUE(scanner.finished());  // NOLINT(bugprone-use-after-move): a moved-from scanner does nothing
    std::vector<std::uint64_t> none;
    scanner.scanUntil(100, none);
    EXPECT_TRUE(none.empty());
    const ScanRun run = runLikeTheWindow(moved);
    EXPECT_EQ(run.matches, (std::vector<std::uint64_t>{0}));
}

// A run the pattern matches, from 40 on; repeated(300, 1, 1) would climb past
// 255, so it never matches and its wrapped run is just noise.
std::vector<std::uint8_t> matchingRun(const RawPattern& pattern, std::mt19937_64& random) {
    const auto n = static_cast<std::size_t>(pattern.count);
    std::vector<std::uint8_t> run(n);
    int r = 40;
    run[0] = 40;
    for (std::size_t j = 1; j < n; ++j) {
        const int direction = pattern.directions[j + 1];
        const int step = pattern.differences[j + 1];
        if (direction == 1 || direction == -1) {
            r += direction * step;
            run[j] = static_cast<std::uint8_t>(r);
        } else {
            run[j] = static_cast<std::uint8_t>(random());
        }
    }
    return run;
}

// Bytes 0 to 3 with the run planted on both sides of every block edge and now and then in between.
std::vector<std::uint8_t> plantedFile(std::size_t size, std::size_t block, const std::vector<std::uint8_t>& run,
                                      std::mt19937_64& random) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random() % 4);
    }
    const std::size_t n = run.size();
    const auto plant = [&](std::size_t at) {
        if (at + n <= bytes.size()) {
            std::copy(run.begin(), run.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        }
    };
    for (std::size_t edge = block; edge < size; edge += block) {
        for (std::size_t back : {n, n - 1, std::size_t{1}, std::size_t{0}}) {
            if (back <= edge && random() % 2 == 0) {
                plant(edge - back);
            }
        }
        plant(edge - block / 2);
    }
    if (size >= n && random() % 2 == 0) {
        plant(size - n);
    }
    return bytes;
}

TEST(FileScanner, MatchesAcrossBlockEdges) {
    // Planted on every side of every block edge, for many block sizes and pattern lengths.
    std::mt19937_64 random(20240611);
    TempFolder folder;
    const std::vector<RawPattern> patterns = {fromTyped({10, 8}), fromTyped({72, 101, 108, 108, 111}),
                                              fromTyped({1, -1, -1, -1, -1, -1, 9}), repeated(300, 1, 1),
                                              repeated(1000, -1, 0)};
    int fileNumber = 0;
    for (const RawPattern& pattern : patterns) {
        const auto n = static_cast<std::size_t>(pattern.count);
        const std::vector<std::uint8_t> run = matchingRun(pattern, random);
        for (std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{4096}}) {
            std::vector<std::uint8_t> bytes(std::max<std::size_t>(6 * block, 3 * n) + 5);
            for (auto& b : bytes) {
                b = static_cast<std::uint8_t>(random() % 4);
            }
            for (std::size_t edge = block; edge < bytes.size(); edge += block) {
                for (std::size_t back : {n, n - 1, std::size_t{1}, std::size_t{0}}) {
                    if (back <= edge && edge - back + n <= bytes.size() && random() % 2 == 0) {
                        std::copy(run.begin(), run.end(), bytes.begin() + static_cast<std::ptrdiff_t>(edge - back));
                    }
                }
                if (block == 1 && edge > 64) {
                    break;
                }
            }
            const auto reference = referenceScan(pattern, bytes);
            const auto path = folder.write("rom" + std::to_string(++fileNumber) + ".bin", bytes);
            for (Isa isa : availableIsas()) {
                SCOPED_TRACE(std::string(isaName(isa)) + " block " + std::to_string(block) + " n " + std::to_string(n));
                FileScanner scanner(pattern.compile(), block, isa);
                ASSERT_TRUE(scanner.open(path));
                const ScanRun got = runInSlices(scanner, random, 3 * block + 1);
                EXPECT_EQ(got.matches, reference.matches);
                EXPECT_EQ(got.last, reference.lastPosition);
            }
        }
    }
}

TEST(FileScanner, ReadsOnlyTheSizeSeenAtOpen) {
    TempFolder folder;
    const std::vector<std::uint8_t> bytes = {7, 5, 0, 0, 0, 0};
    const auto path = folder.write("rom.bin", bytes);
    FileScanner scanner(fromTyped({10, 8}).compile(), 2);
    ASSERT_TRUE(scanner.open(path));
    std::vector<std::uint64_t> matches;
    scanner.scanUntil(1, matches);
    {
        std::FILE* f = std::fopen(path.string().c_str(), "ab");
        ASSERT_NE(f, nullptr);
        const unsigned char more[] = {9, 7, 9, 7};
        std::fwrite(more, 1, sizeof more, f);
        std::fclose(f);
    }
    const ScanRun run = runLikeTheWindow(scanner);
    matches.insert(matches.end(), run.matches.begin(), run.matches.end());
    EXPECT_EQ(matches, (std::vector<std::uint64_t>{0}));
    EXPECT_EQ(run.last, 6u);
    EXPECT_FALSE(run.error.has_value());
}

TEST(FileScanner, FileThatShrinksEndsTheScanWithAReason) {
    TempFolder folder;
    std::vector<std::uint8_t> bytes(100000, 0);
    for (std::size_t at = 100; at + 2 < bytes.size(); at += 1000) {
        bytes[at] = 10;
        bytes[at + 1] = 8;
    }
    const auto path = folder.write("rom.bin", bytes);
    const CompiledPattern pattern = fromTyped({10, 8}).compile();
    FileScanner scanner(pattern, 4096);
    ASSERT_TRUE(scanner.open(path));
    std::vector<std::uint64_t> matches;
    scanner.scanUntil(10000, matches);
    EXPECT_EQ(scanner.position(), 10000u);
    std::filesystem::resize_file(path, 50000);
    scanner.scanUntil(1000000, matches);
    EXPECT_TRUE(scanner.finished());
    ASSERT_TRUE(scanner.error().has_value());
    const ScanError& error = *scanner.error();
    EXPECT_EQ(error.stage, ScanError::Stage::Read);
    EXPECT_EQ(error.reason, "the file became shorter while it was searched");
    // The block from 49152 on comes back short, with the candidates wholly
    // inside the 50000 bytes left examined and the next one needing byte 50000.
    EXPECT_EQ(scanner.position(), 49999u);
    EXPECT_EQ(error.offset, 49999u);
    EXPECT_EQ(error.message(), "Can't read the ROM file \"" + pathText(path) +
                                   "\": the file became shorter while it was searched. "
                                   "The search stopped at offset 49999.");
    std::vector<std::uint64_t> expected;
    for (std::uint64_t m : referenceScan(rawPattern({{-1, 2}}), bytes).matches) {
        if (m < 49999) {
            expected.push_back(m);
        }
    }
    EXPECT_EQ(matches, expected);
    EXPECT_EQ(matches.size(), 50u);
    scanner.scanUntil(2000000, matches);
    EXPECT_EQ(scanner.position(), 49999u);
}

TEST(FileScanner, FileEmptiedBeforeTheFirstSlice) {
    TempFolder folder;
    const std::vector<std::uint8_t> bytes(10, 1);
    const auto path = folder.write("rom.bin", bytes);
    FileScanner scanner(fromTyped({1, -1}).compile());
    ASSERT_TRUE(scanner.open(path));
    std::filesystem::resize_file(path, 0);
    std::vector<std::uint64_t> matches;
    scanner.scanUntil(32768, matches);
    EXPECT_TRUE(scanner.finished());
    ASSERT_TRUE(scanner.error().has_value());
    EXPECT_EQ(scanner.error()->message(), "Can't read the ROM file \"" + pathText(path) +
                                              "\": the file became shorter while it was searched. "
                                              "The search stopped at offset 0.");
    EXPECT_TRUE(matches.empty());
}

struct OpenCase {
    const char* name;
    // Makes the path to open inside the folder; an empty result means no name at all.
    std::filesystem::path (*make)(const std::filesystem::path& folder);
    const char* reason;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

std::filesystem::path noName(const std::filesystem::path&) { return {}; }
std::filesystem::path missing(const std::filesystem::path& folder) { return folder / "missing.nes"; }
std::filesystem::path underAFile(const std::filesystem::path& folder) {
    std::FILE* f = std::fopen((folder / "plain.bin").string().c_str(), "wb");
    if (f != nullptr) {
        std::fclose(f);
    }
    return folder / "plain.bin" / "inside.nes";
}
std::filesystem::path aFolder(const std::filesystem::path& folder) {
    std::filesystem::create_directory(folder / "roms");
    return folder / "roms";
}
#if defined(__unix__) || defined(__APPLE__)
std::filesystem::path aPipe(const std::filesystem::path& folder) {
    // Opening a pipe for reading waits for a writer; the scanner must refuse it instead.
    const auto path = folder / "pipe";
    ::mkfifo(path.c_str(), 0600);
    return path;
}
#endif

// A file the system makes up as it is read: its size says 0.
constexpr const char* kSystemFile = "/proc/self/status";
std::filesystem::path systemFile(const std::filesystem::path&) { return kSystemFile; }

class OpenFailure : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenFailure, IsAValueWithAPlainReason) {
    TempFolder folder;
    const auto path = GetParam().make(folder.path());
    FileScanner scanner(fromTyped({1, 2}).compile());
    EXPECT_FALSE(scanner.open(path));
    EXPECT_TRUE(scanner.finished());
    ASSERT_TRUE(scanner.error().has_value());
    EXPECT_EQ(scanner.error()->stage, ScanError::Stage::Open);
    EXPECT_EQ(scanner.error()->reason, GetParam().reason);
    EXPECT_EQ(scanner.error()->message(),
              "Can't open the ROM file \"" + pathText(path) + "\": " + GetParam().reason + ".");
    std::vector<std::uint64_t> matches;
    scanner.scanUntil(100, matches);
    EXPECT_EQ(scanner.position(), 0u);
    EXPECT_TRUE(matches.empty());
}

std::vector<OpenCase> openCases() {
    std::vector<OpenCase> cases = {OpenCase{"NoName", noName, "no file name was given"},
                                   OpenCase{"Missing", missing, "there is no such file"},
                                   OpenCase{"UnderAFile", underAFile, "there is no such file"},
                                   OpenCase{"Folder", aFolder, "it is a folder, not a file"}};
#if defined(__unix__) || defined(__APPLE__)
    cases.push_back(OpenCase{"NamedPipe", aPipe, "it is not an ordinary file"});
#endif
    if (std::filesystem::exists(kSystemFile)) {
        cases.push_back(OpenCase{"SizeZeroButHasContents", systemFile,
                                 "it reports a size of 0 but has contents, like the system's files under /proc; "
                                 "copy it to an ordinary file to search it"});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, OpenFailure, ::testing::ValuesIn(openCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileScanner, UnreadableFileIsRefused) {
    TempFolder folder;
    const std::vector<std::uint8_t> bytes = {1, 2};
    const auto path = folder.write("locked.bin", bytes);
    std::filesystem::permissions(path, std::filesystem::perms::none);
    if (std::FILE* f = std::fopen(path.string().c_str(), "rb")) {
        std::fclose(f);
        GTEST_SKIP() << "this user reads files whatever their permissions";
    }
    FileScanner scanner(fromTyped({1, 2}).compile());
    EXPECT_FALSE(scanner.open(path));
    ASSERT_TRUE(scanner.error().has_value());
    EXPECT_EQ(scanner.error()->message(), "Can't open the ROM file \"" + pathText(path) + "\": permission denied.");
}

TEST(FileScanner, InvalidPatternIsRefused) {
    TempFolder folder;
    const std::vector<std::uint8_t> bytes = {1, 2};
    const auto path = folder.write("rom.bin", bytes);
    FileScanner scanner(CompiledPattern{});
    EXPECT_FALSE(scanner.open(path));
    ASSERT_TRUE(scanner.error().has_value());
    EXPECT_EQ(scanner.error()->reason, "the search pattern needs 2 to 1000 entries");
    EXPECT_TRUE(scanner.finished());
}

// Offsets past 4 GiB: a sparse file of zeros with a few planted runs near and
// past the 4 GiB mark, on a block edge and at the very end.
TEST(FileScanner, SparseFileBeyondFourGiB) {
    TempFolder folder;
    const auto path = folder.path() / "big.bin";
    constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;
    constexpr std::uint64_t kSize = kFourGiB + 3 * (std::uint64_t{1} << 20) + 5;
    {
        std::FILE* f = std::fopen(path.string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    std::error_code ec;
    std::filesystem::resize_file(path, kSize, ec);
    if (ec) {
        GTEST_SKIP() << "no room for a sparse file here: " << ec.message();
    }
    const char hello[] = "Hello";
    const std::vector<std::uint64_t> planted = {kFourGiB - 2, kFourGiB + 100,
                                                kFourGiB + FileScanner::kDefaultBlockSize - 2, kSize - 8};
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        ASSERT_TRUE(f.is_open());
        for (std::uint64_t at : planted) {
            f.seekp(static_cast<std::streamoff>(at));
            f.write(hello, 5);
        }
        // Ends the file with "Hel": the candidate there passes what it has and ends the scan.
        f.seekp(static_cast<std::streamoff>(kSize - 3));
        f.write(hello, 3);
        f.close();
        ASSERT_TRUE(f.good());
    }
    FileScanner scanner(CompiledPattern::fromPattern(typedPattern({72, 101, 108, 108, 111})));
    ASSERT_TRUE(scanner.open(path));
    EXPECT_EQ(scanner.fileSize(), kSize);
    const ScanRun run = runLikeTheWindow(scanner);
    EXPECT_FALSE(run.error.has_value());
    EXPECT_EQ(run.matches, planted);
    EXPECT_EQ(run.last, kSize - 2);
    ASSERT_FALSE(run.matches.empty());
    EXPECT_EQ(resultLine(run.matches[1]), "4294967396 (100000064 hex)");
    std::filesystem::remove(path, ec);
}

// ---------------------------------------------------------------------------
// Blocks done ahead: blocks of kMinAheadBlock and more, so that a file larger
// than one block has blocks read and matched on the scanner's own thread.

constexpr std::size_t kAheadBlock = BlockJobs::kMinAheadBlock;

TEST(FileScannerReadAhead, AgreesWithThePlainScan) {
    std::mt19937_64 random(20261207);
    TempFolder folder;
    const std::vector<RawPattern> patterns = {fromTyped({10, 8}), fromTyped({72, 101, 108, 108, 111}),
                                              fromTyped({1, -1, -1, 9}), repeated(1000, -1, 0)};
    // One scanner per pattern, reused from file to file as a worker would.
    std::vector<FileScanner> scanners;
    for (const RawPattern& pattern : patterns) {
        scanners.emplace_back(pattern.compile(), kAheadBlock + random() % (3 * kAheadBlock));
    }
    const int files = 16 * testScale();
    for (int i = 0; i < files; ++i) {
        const RawPattern& pattern = patterns[static_cast<std::size_t>(i) % patterns.size()];
        FileScanner& scanner = scanners[static_cast<std::size_t>(i) % patterns.size()];
        const std::size_t block = scanner.blockSize();
        // Within one block, exactly on a block edge, or a byte to either side of one.
        std::size_t size = random() % (4 * block);
        if (i % 3 == 0) {
            size = block * (1 + random() % 3) + random() % 3 - 1;
        }
        const std::vector<std::uint8_t> bytes = plantedFile(size, block, matchingRun(pattern, random), random);
        const auto reference = referenceScan(pattern, bytes);
        const auto path = folder.write("rom" + std::to_string(i) + ".bin", bytes);
        SCOPED_TRACE("file " + std::to_string(i) + " of " + std::to_string(size) + " bytes, block " +
                     std::to_string(block));
        // Every fourth file without the reading thread, as the command line runs it on every core.
        scanner.setReadAhead(i % 4 != 3);
        ASSERT_TRUE(scanner.open(path));
        const ScanRun run = runInSlices(scanner, random, i % 2 == 0 ? 40 : 3 * block);
        EXPECT_EQ(run.matches, reference.matches);
        EXPECT_EQ(run.last, reference.lastPosition);
        EXPECT_FALSE(run.error.has_value());
    }
}

struct ShrinkCase {
    const char* name;
    std::uint64_t newSize;  // at least four blocks: the blocks up to those read ahead stay whole
};

void PrintTo(const ShrinkCase& c, std::ostream* os) { *os << c.name; }

class ShrinkingFile : public ::testing::TestWithParam<ShrinkCase> {};

TEST_P(ShrinkingFile, KeepsTheMatchesSoFarAndNamesTheFile) {
    TempFolder folder;
    std::vector<std::uint8_t> bytes(8 * kAheadBlock, 0);
    for (std::size_t at = 100; at + 2 < bytes.size(); at += 1000) {
        bytes[at] = 10;
        bytes[at + 1] = 8;
    }
    const auto path = folder.write("rom.bin", bytes);
    FileScanner scanner(fromTyped({10, 8}).compile(), kAheadBlock);
    ASSERT_TRUE(scanner.open(path));
    std::vector<std::uint64_t> matches;
    scanner.scanUntil(kAheadBlock + 5000, matches);  // in the second block, with two more read ahead
    std::filesystem::resize_file(path, GetParam().newSize);
    while (!scanner.finished()) {
        scanner.scanUntil(scanner.position() + 32768, matches);
    }
    // The blocks done ahead were read whole, so the scan ends at the first
    // candidate needing a byte past the new end.
    const std::uint64_t stop = GetParam().newSize - 1;
    ASSERT_TRUE(scanner.error().has_value());
    EXPECT_EQ(scanner.position(), stop);
    EXPECT_EQ(scanner.error()->message(), "Can't read the ROM file \"" + pathText(path) +
                                              "\": the file became shorter while it was searched. "
                                              "The search stopped at offset " +
                                              std::to_string(stop) + ".");
    std::vector<std::uint64_t> expected;
    for (std::uint64_t m : referenceScan(fromTyped({10, 8}), bytes).matches) {
        if (m < stop) {
            expected.push_back(m);
        }
    }
    EXPECT_EQ(matches, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ShrinkingFile,
                         ::testing::Values(ShrinkCase{"InsideALaterBlock", 5 * kAheadBlock + 1234},
                                           ShrinkCase{"OnABlockEdge", 5 * kAheadBlock},
                                           ShrinkCase{"ByOneByte", 8 * kAheadBlock - 1},
                                           ShrinkCase{"RightAfterTheBlocksReadAhead", 4 * kAheadBlock + 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// A file that shrank before its blocks were read, with patterns reaching
// over several blocks and candidates that start in one block and end in the
// next: the scan ends at the first candidate needing a byte past the new end.
struct ShrunkCase {
    std::size_t block;
    int entries;
    std::uint64_t newSize;
};

TEST(FileScanner, ShrunkFileStopsAtTheFirstCandidatePastTheNewEnd) {
    const ShrunkCase cases[] = {{1, 40, 25},   {3, 40, 500},  {7, 9, 64},      {64, 40, 128},
                                {64, 40, 150}, {333, 2, 999}, {4096, 150, 700}};
    TempFolder folder;
    std::vector<std::uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i % 200);
    for (const ShrunkCase& c : cases) {
        SCOPED_TRACE("block " + std::to_string(c.block) + ", " + std::to_string(c.entries) + " entries, " +
                     std::to_string(c.newSize) + " bytes");
        const auto path = folder.write("rom.bin", bytes);
        const RawPattern pattern = repeated(c.entries, 1, 1);
        FileScanner scanner(pattern.compile(), c.block);
        scanner.setReadAhead(false);
        ASSERT_TRUE(scanner.open(path));
        std::filesystem::resize_file(path, c.newSize);
        std::vector<std::uint64_t> matches;
        while (!scanner.finished()) scanner.scanUntil(scanner.position() + 50, matches);
        const auto reach = static_cast<std::uint64_t>(c.entries - 1);
        const std::uint64_t stop = c.newSize > reach ? c.newSize - reach : 0;
        ASSERT_TRUE(scanner.error().has_value());
        EXPECT_EQ(scanner.error()->reason, "the file became shorter while it was searched");
        EXPECT_EQ(scanner.position(), stop);
        std::vector<std::uint64_t> expected;
        for (std::uint64_t m : referenceScan(pattern, bytes).matches) {
            if (m < stop) expected.push_back(m);
        }
        EXPECT_EQ(matches, expected);
        EXPECT_FALSE(expected.empty() && stop > 200);
    }
}

// Each case stops, moves or drops a scanner at a position where blocks may be
// in flight, then finishes the search; the outcome must be the plain scan's.
enum class Interruption { Close, Reopen, Move, MoveOverAnother, Drop };

struct InterruptCase {
    const char* name;
    Interruption how;
    std::uint64_t at;
};

void PrintTo(const InterruptCase& c, std::ostream* os) { *os << c.name; }

class InterruptedScan : public ::testing::TestWithParam<InterruptCase> {};

TEST_P(InterruptedScan, EndsAsThePlainScan) {
    const InterruptCase& c = GetParam();
    std::mt19937_64 random(42);
    TempFolder folder;
    const RawPattern pattern = fromTyped({72, 101, 108, 108, 111});
    const std::vector<std::uint8_t> bytes =
        plantedFile(6 * kAheadBlock + 321, kAheadBlock, matchingRun(pattern, random), random);
    const auto reference = referenceScan(pattern, bytes);
    ASSERT_GT(reference.matches.size(), 10u);
    const auto path = folder.write("rom.bin", bytes);

    auto first = std::make_unique<FileScanner>(pattern.compile(), kAheadBlock);
    ASSERT_TRUE(first->open(path));
    std::vector<std::uint64_t> before;
    first->scanUntil(c.at, before);
    ScanRun run;
    switch (c.how) {
    case Interruption::Close:
        first->close();
        first->scanUntil(4 * kAheadBlock, before);
        EXPECT_EQ(first->position(), c.at);
        EXPECT_FALSE(first->error().has_value());
        [[fallthrough]];
    case Interruption::Reopen:
        ASSERT_TRUE(first->open(path));
        run = runLikeTheWindow(*first);
        break;
    case Interruption::Move: {
        FileScanner moved(std::move(*first));
        run = runLikeTheWindow(moved);
        run.matches.insert(run.matches.begin(), before.begin(), before.end());
        break;
    }
    case Interruption::MoveOverAnother: {
        FileScanner other(pattern.compile(), 2 * kAheadBlock);
        ASSERT_TRUE(other.open(path));
        std::vector<std::uint64_t> dropped;
        other.scanUntil(3 * kAheadBlock, dropped);
        other = std::move(*first);
        run = runLikeTheWindow(other);
        run.matches.insert(run.matches.begin(), before.begin(), before.end());
        break;
    }
    case Interruption::Drop: {
        first.reset();
        FileScanner again(pattern.compile(), kAheadBlock);
        ASSERT_TRUE(again.open(path));
        run = runLikeTheWindow(again);
        break;
    }
    }
    EXPECT_EQ(run.matches, reference.matches);
    EXPECT_EQ(run.last, reference.lastPosition);
    EXPECT_FALSE(run.error.has_value());
}

INSTANTIATE_TEST_SUITE_P(Table, InterruptedScan,
                         ::testing::Values(InterruptCase{"CloseRightAfterOpen", Interruption::Close, 0},
                                           InterruptCase{"CloseMidScan", Interruption::Close, 2 * kAheadBlock + 7},
                                           InterruptCase{"ReopenMidScan", Interruption::Reopen, kAheadBlock + 1},
                                           InterruptCase{"MoveRightAfterOpen", Interruption::Move, 0},
                                           InterruptCase{"MoveMidScan", Interruption::Move, kAheadBlock - 3},
                                           InterruptCase{"MoveOverAScanInFlight", Interruption::MoveOverAnother,
                                                         2 * kAheadBlock + 1},
                                           InterruptCase{"DropRightAfterOpen", Interruption::Drop, 0},
                                           InterruptCase{"DropMidScan", Interruption::Drop, 3 * kAheadBlock}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Sizes from outside

class OutlandishBlockSize : public ::testing::TestWithParam<std::size_t> {};

TEST_P(OutlandishBlockSize, IsClampedAndScansAsUsual) {
    TempFolder folder;
    const std::vector<std::uint8_t> bytes = {0, 72, 101, 108, 108, 111, 72, 101};
    const auto path = folder.write("rom.bin", bytes);
    const RawPattern pattern = fromTyped({72, 101, 108, 108, 111});
    FileScanner scanner(pattern.compile(), GetParam());
    EXPECT_EQ(scanner.blockSize(), FileScanner::kMaxBlockSize);
    ASSERT_TRUE(scanner.open(path));
    const ScanRun run = runLikeTheWindow(scanner);
    EXPECT_EQ(run.matches, referenceScan(pattern, bytes).matches);
    EXPECT_EQ(run.last, referenceScan(pattern, bytes).lastPosition);
}

// The largest wraps around size_t with the pattern's length; the others can't be allocated.
INSTANTIATE_TEST_SUITE_P(Table, OutlandishBlockSize,
                         ::testing::Values(SIZE_MAX, SIZE_MAX - 2, SIZE_MAX / 2, std::size_t{1} << 40,
                                           FileScanner::kMaxBlockSize + 1),
                         [](const auto& info) { return "Bytes" + std::to_string(info.param); });

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KINFOLD_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define KINFOLD_SANITIZED 1
#endif
#endif

#if defined(__linux__) && !defined(KINFOLD_SANITIZED)
// Caps the address space a little above what the process uses, so that the
// scanner's two blocks can't be had, opens path and says how that went.
[[noreturn]] void openWithTooLittleMemory(const CompiledPattern& pattern, const std::filesystem::path& path) {
    long pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) {
        std::_Exit(2);
    }
    std::fclose(statm);
    const rlim_t cap =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + FileScanner::kMaxBlockSize / 2;
    const rlimit limit{cap, cap};
    ::setrlimit(RLIMIT_AS, &limit);
    FileScanner scanner(pattern, FileScanner::kMaxBlockSize);
    const bool opened = scanner.open(path);
    std::fprintf(stderr, "%s\n", scanner.error() ? scanner.error()->message().c_str() : "no error");
    std::_Exit(opened ? 1 : 0);
}

TEST(FileScannerDeathTest, NoMemoryForTheBlocksIsAScanError) {
    TempFolder folder;
    const auto path = folder.path() / "big.bin";
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    std::filesystem::resize_file(path, 4 * FileScanner::kMaxBlockSize);
    const CompiledPattern pattern = fromTyped({1, 2}).compile();
    EXPECT_EXIT(openWithTooLittleMemory(pattern, path), ::testing::ExitedWithCode(0),
                "Can't open the ROM file \".*big.bin\": there is not enough memory to search it\\.");
}
#endif

}  // namespace
}  // namespace kinfold
