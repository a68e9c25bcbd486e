#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace kinfold {

// Reads one ordinary file from its start to the size it had when it was
// opened, in pieces the caller chooses, without a memory map (a file that
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

    // Moves to a position up to size(), so that a window of a large file is
    // read without the bytes before it. false and closed when the system refuses.
    bool seek(std::uint64_t position);

    const std::string& reason() const { return reason_; }
    void close();

private:
    bool fail(std::string reason);
    // The system's own opening of a named file, once the reader is reset.
    bool openFile(const std::filesystem::path& path);
    // Reads between 1 and ask bytes; 0 after a failure, with the reader
    // closed and reason() set.
    std::size_t readSome(std::uint8_t* into, std::size_t ask);
    // The system's own seek; false with the reader closed and reason() set.
    bool seekTo(std::uint64_t position);

#if (defined(__unix__) || defined(__APPLE__)) && !defined(KINFOLD_STDIO_READER)
    int fd_ = -1;
#else
    std::FILE* file_ = nullptr;
#endif
    std::uint64_t size_ = 0;
    std::uint64_t offset_ = 0;
    std::string reason_;
};

// The path as UTF-8 text for messages, whatever the platform's own encoding.
std::string pathText(const std::filesystem::path& path);

}  // namespace kinfold
