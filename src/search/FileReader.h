#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "search/PathText.h"

#if !defined(KINFOLD_STDIO_READER) && (defined(__unix__) || defined(__APPLE__))
#define KINFOLD_POSIX_READER 1
#elif !defined(KINFOLD_STDIO_READER) && defined(_WIN32)
#define KINFOLD_WINDOWS_READER 1
#else
#include <mutex>
#endif

namespace kinfold {

// What a read at a given offset brought: the bytes read, and why they fall
// short of those asked for (empty when they don't).
struct PositionalRead {
    std::size_t got = 0;
    std::string reason;
};

// Reads one ordinary file up to the size it had when it was opened, in
// pieces the caller chooses, from its start on or at any offset, without a memory map (a file that
// shrinks under a map kills the process) and without buffering of its own.
class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    FileReader(FileReader&& other) noexcept;
    FileReader& operator=(FileReader&& other) noexcept;

    // Opens path; false when it can't, and reason() says why in plain words.
    bool open(const std::filesystem::path& path);
    bool isOpen() const;
    // The size when it was opened: reading stops there even if the file grows.
    std::uint64_t size() const { return size_; }
    // The bytes read so far.
    std::uint64_t offset() const { return offset_; }
    std::uint64_t remaining() const { return size_ - offset_; }

    // Fills destination with the next min(destination.size(), remaining())
    // bytes and returns how many; 0 once everything is read. std::nullopt
    // when the file gives fewer bytes (it shrank) or a read fails; reason()
    // says why and the reader is closed.
    std::optional<std::size_t> read(std::span<std::uint8_t> destination);

    // Fills destination with the min(destination.size(), size() - offset)
    // bytes from offset on, without moving offset(). Fewer bytes mean the
    // read failed or the file shrank, and the result says why. It changes
    // nothing in the reader, so several threads may read at once.
    PositionalRead readAt(std::uint64_t offset, std::span<std::uint8_t> destination) const;

    const std::string& reason() const { return reason_; }
    void close();

private:
    bool fail(std::string reason);
    // The system's own opening of a named file, once the reader is reset.
    bool openFile(const std::filesystem::path& path);
    // Reads between 1 and ask bytes; 0 after a failure, with the reader
    // closed and reason() set.
    std::size_t readSome(std::uint8_t* into, std::size_t ask);
    // Reads all of destination from offset, which the caller has checked lies within size().
    PositionalRead readAtSome(std::uint64_t offset, std::span<std::uint8_t> destination) const;

#if KINFOLD_POSIX_READER
    int fd_ = -1;
#elif KINFOLD_WINDOWS_READER
    // The system's HANDLE, opened for reading and shared with every other
    // opener; nullptr when closed. Every read names its offset, so reads at
    // once on several threads don't disturb each other or read().
    void* handle_ = nullptr;
    std::uint64_t next_ = 0;  // where read() reads next
#else
    std::FILE* file_ = nullptr;
    // A seek and the read after it must not be split by another thread's.
    mutable std::mutex seekAndRead_;
#endif
    std::uint64_t size_ = 0;
    std::uint64_t offset_ = 0;
    std::string reason_;
};

}  // namespace kinfold
