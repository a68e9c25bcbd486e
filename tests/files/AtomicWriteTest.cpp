// Writing a file whole or not at all. The cases are POSIX's (modes under a
// umask, a pipe, /dev/null and /dev/full); Windows's rename is run by the
// command line's tests of kinfold insert there.
#include "files/AtomicWrite.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

namespace kinfold {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::size_t filesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(AtomicWrite, NewFileTakesTheUmask) {
    testing_support::TempFolder folder;
    const mode_t old = ::umask(022);
    EXPECT_EQ(writeFileAtomically(folder.path() / "new.bin", std::string("\0abc", 4)), std::nullopt);
    ::umask(old);
    EXPECT_EQ(readAll(folder.path() / "new.bin"), std::string("\0abc", 4));
    struct stat s {};
    ASSERT_EQ(::stat((folder.path() / "new.bin").c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0644u);
    EXPECT_EQ(filesIn(folder.path()), 1u);
}

TEST(AtomicWrite, ReplacedFileKeepsItsMode) {
    testing_support::TempFolder folder;
    const fs::path file = folder.path() / "old.bin";
    std::ofstream(file) << "old contents";
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    EXPECT_EQ(writeFileAtomically(file, "new"), std::nullopt);
    EXPECT_EQ(readAll(file), "new");
    struct stat s {};
    ASSERT_EQ(::stat(file.c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0600u);
    EXPECT_EQ(filesIn(folder.path()), 1u);
}

TEST(AtomicWrite, FoldersAndPipesAreRefused) {
    testing_support::TempFolder folder;
    EXPECT_EQ(writeFileAtomically(folder.path(), "x"), "it is a folder, not a file");
    const fs::path pipe = folder.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(writeFileAtomically(pipe, "x"), "it is not an ordinary file");
}

TEST(AtomicWrite, DevicesAreWrittenDirectly) {
    EXPECT_EQ(writeFileAtomically("/dev/null", "x"), std::nullopt);
    const auto full = writeFileAtomically("/dev/full", "x");
    ASSERT_TRUE(full.has_value());
    EXPECT_NE(full->find("space"), std::string::npos) << *full;
}

TEST(AtomicWrite, MissingFolderLeavesNothing) {
    testing_support::TempFolder folder;
    EXPECT_EQ(writeFileAtomically(folder.path() / "no" / "file.bin", "x"), "its folder does not exist");
    EXPECT_EQ(filesIn(folder.path()), 0u);
}

}  // namespace
}  // namespace kinfold
#endif  // _WIN32
