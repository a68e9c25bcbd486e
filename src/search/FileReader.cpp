#include "search/FileReader.h"

#include "search/ScanError.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

#if KINFOLD_POSIX_READER
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#elif KINFOLD_WINDOWS_READER
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace kinfold {

namespace {

// One call never asks for more than this, which every system accepts.
constexpr std::size_t kMaxRequest = std::size_t{1} << 30;

}  // namespace

FileReader::~FileReader() { close(); }

FileReader::FileReader(FileReader&& other) noexcept { *this = std::move(other); }

FileReader& FileReader::operator=(FileReader&& other) noexcept {
    if (this != &other) {
        close();
#if KINFOLD_POSIX_READER
        fd_ = std::exchange(other.fd_, -1);
#elif KINFOLD_WINDOWS_READER
        handle_ = std::exchange(other.handle_, nullptr);
        next_ = std::exchange(other.next_, 0);
#else
        file_ = std::exchange(other.file_, nullptr);
#endif
        size_ = std::exchange(other.size_, 0);
        offset_ = std::exchange(other.offset_, 0);
        reason_ = std::move(other.reason_);
    }
    return *this;
}

bool FileReader::fail(std::string reason) {
    close();
    reason_ = std::move(reason);
    return false;
}

std::optional<std::size_t> FileReader::read(std::span<std::uint8_t> destination) {
    if (!isOpen()) {
        if (reason_.empty()) {
            reason_ = "the file is not open";
        }
        return std::nullopt;
    }
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(destination.size(), remaining()));
    std::size_t got = 0;
    while (got < want) {
        const std::size_t n = readSome(destination.data() + got, std::min(want - got, kMaxRequest));
        if (n == 0) {
            return std::nullopt;  // readSome has closed the reader and said why
        }
        got += n;
    }
    offset_ += got;
    return got;
}

PositionalRead FileReader::readAt(std::uint64_t offset, std::span<std::uint8_t> destination) const {
    if (!isOpen()) {
        return {0, "the file is not open"};
    }
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(destination.size(), offset < size_ ? size_ - offset : 0));
    return readAtSome(offset, destination.first(want));
}

bool FileReader::open(const std::filesystem::path& path) {
    close();
    size_ = 0;
    offset_ = 0;
    reason_.clear();
    if (path.empty()) {
        return fail(kNoFileNameReason);
    }
    return openFile(path);
}

#if KINFOLD_POSIX_READER

bool FileReader::isOpen() const { return fd_ >= 0; }

bool FileReader::openFile(const std::filesystem::path& path) {
    // Non-blocking, so that a named pipe can't hang the open; it is refused below.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return fail(errorReason(errno));
    }
    fd_ = fd;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        return fail(errorReason(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        return fail(kFolderReason);
    }
    if (!S_ISREG(info.st_mode) || info.st_size < 0) {
        return fail(kNotAFileReason);
    }
    // A size of 0 is either an empty file or one the system makes up as it is
    // read (/proc): the scan needs the size up front, so the second kind is refused.
    if (info.st_size == 0) {
        unsigned char probe = 0;
        ssize_t n = 0;
        do {
            n = ::read(fd_, &probe, 1);
        } while (n < 0 && errno == EINTR);
        if (n > 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))) {
            return fail(kNoSizeReason);
        }
        if (n < 0) {
            return fail(errorReason(errno));
        }
    }
    // O_NONBLOCK is the only status flag it was opened with: reads may block again.
    ::fcntl(fd_, F_SETFL, 0);
#if defined(POSIX_FADV_SEQUENTIAL)
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
}

std::size_t FileReader::readSome(std::uint8_t* into, std::size_t ask) {
    for (;;) {
        const ssize_t n = ::read(fd_, into, ask);
        if (n > 0) {
            return static_cast<std::size_t>(n);
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        fail(n == 0 ? std::string(kShrankReason) : errorReason(errno));
        return 0;
    }
}

PositionalRead FileReader::readAtSome(std::uint64_t offset, std::span<std::uint8_t> destination) const {
    PositionalRead result;
    while (result.got < destination.size()) {
        const std::size_t ask = std::min(destination.size() - result.got, kMaxRequest);
        const ssize_t n = ::pread(fd_, destination.data() + result.got, ask, static_cast<off_t>(offset + result.got));
        if (n > 0) {
            result.got += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            result.reason = n == 0 ? std::string(kShrankReason) : errorReason(errno);
            break;
        }
    }
    return result;
}

void FileReader::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

#elif KINFOLD_WINDOWS_READER

namespace {

std::string windowsReason(DWORD error) {
    return errorReason(std::error_code(static_cast<int>(error), std::system_category()));
}

// One ReadFile at offset: the bytes it gave, 0 with reason set at the end of
// the file or on a failure.
std::size_t readOnceAt(HANDLE handle, std::uint64_t offset, std::uint8_t* into, std::size_t ask, std::string& reason) {
    OVERLAPPED place{};
    place.Offset = static_cast<DWORD>(offset);
    place.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(handle, into, static_cast<DWORD>(ask), &got, &place)) {
        const DWORD error = ::GetLastError();
        reason = error == ERROR_HANDLE_EOF ? std::string(kShrankReason) : windowsReason(error);
        return 0;
    }
    if (got == 0) {
        reason = kShrankReason;
    }
    return got;
}

}  // namespace

bool FileReader::isOpen() const { return handle_ != nullptr; }

bool FileReader::openFile(const std::filesystem::path& path) {
    // Shared for reading, writing and deleting: a file an emulator or an
    // editor holds open can be read, and they keep working on it meanwhile.
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder can't be opened as a file at all: the system just says no.
        const DWORD attributes =
            error == ERROR_ACCESS_DENIED ? ::GetFileAttributesW(path.c_str()) : INVALID_FILE_ATTRIBUTES;
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return fail(kFolderReason);
        }
        return fail(windowsReason(error));
    }
    handle_ = handle;
    next_ = 0;
    // Consoles, pipes and devices (NUL, COM1) have no size to search up to.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        return fail(kNotAFileReason);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        return fail(windowsReason(::GetLastError()));
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return fail(kFolderReason);
    }
    const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    // A size of 0 is an empty file or, under Wine, one of Linux's made up as
    // it is read (/proc): refused as on Linux.
    if (size == 0) {
        std::uint8_t probe = 0;
        std::string unused;
        if (readOnceAt(handle, 0, &probe, 1, unused) > 0) {
            return fail(kNoSizeReason);
        }
    }
    size_ = size;
    return true;
}

std::size_t FileReader::readSome(std::uint8_t* into, std::size_t ask) {
    std::string reason;
    const std::size_t got = readOnceAt(handle_, next_, into, ask, reason);
    if (got == 0) {
        fail(std::move(reason));
        return 0;
    }
    next_ += got;
    return got;
}

PositionalRead FileReader::readAtSome(std::uint64_t offset, std::span<std::uint8_t> destination) const {
    PositionalRead result;
    while (result.got < destination.size()) {
        const std::size_t ask = std::min(destination.size() - result.got, kMaxRequest);
        const std::size_t got =
            readOnceAt(handle_, offset + result.got, destination.data() + result.got, ask, result.reason);
        if (got == 0) {
            break;
        }
        result.got += got;
    }
    return result;
}

void FileReader::close() {
    if (handle_ != nullptr) {
        ::CloseHandle(handle_);
        handle_ = nullptr;
    }
}

#else

bool FileReader::isOpen() const { return file_ != nullptr; }

bool FileReader::openFile(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return fail(kNoSuchFileReason);
    }
    if (ec) {
        return fail(errorReason(ec));
    }
    if (std::filesystem::is_directory(status)) {
        return fail(kFolderReason);
    }
    if (!std::filesystem::is_regular_file(status)) {
        return fail(kNotAFileReason);
    }
    errno = 0;
#if defined(_WIN32)
    file_ = _wfopen(path.c_str(), L"rb");
#else
    file_ = std::fopen(path.c_str(), "rb");
#endif
    if (file_ == nullptr) {
        return fail(errorReason(errno != 0 ? errno : ENOENT));
    }
    // The blocks are large already; a second copy through a stdio buffer would only cost time.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        return fail(errorReason(ec));
    }
    if (size == 0 && std::fgetc(file_) != EOF) {
        return fail(kNoSizeReason);
    }
    size_ = size;
    return true;
}

std::size_t FileReader::readSome(std::uint8_t* into, std::size_t ask) {
    std::unique_lock lock(seekAndRead_);
    errno = 0;
    const std::size_t n = std::fread(into, 1, ask, file_);
    lock.unlock();
    if (n == ask) {
        return n;
    }
    // Fewer bytes than the size seen at open: a read error, or the file shrank.
    fail(std::ferror(file_) ? errorReason(errno != 0 ? errno : EIO) : std::string(kShrankReason));
    return 0;
}

PositionalRead FileReader::readAtSome(std::uint64_t offset, std::span<std::uint8_t> destination) const {
    PositionalRead result;
    if (destination.empty()) {
        return result;
    }
    const std::lock_guard lock(seekAndRead_);
    // The stream's own place belongs to read(), so it goes back there afterwards.
#if defined(_WIN32)
    const long long place = _ftelli64(file_);
    const auto seek = [this](std::uint64_t to) { return _fseeki64(file_, static_cast<long long>(to), SEEK_SET) == 0; };
#else
    const off_t place = ftello(file_);
    const auto seek = [this](std::uint64_t to) { return fseeko(file_, static_cast<off_t>(to), SEEK_SET) == 0; };
#endif
    errno = 0;
    if (place < 0 || !seek(offset)) {
        result.reason = errorReason(errno != 0 ? errno : EIO);
        return result;
    }
    result.got = std::fread(destination.data(), 1, destination.size(), file_);
    if (result.got < destination.size()) {
        // Fewer bytes than the size seen at open: a read error, or the file shrank.
        result.reason = std::ferror(file_) ? errorReason(errno != 0 ? errno : EIO) : std::string(kShrankReason);
        std::clearerr(file_);
    }
    if (!seek(static_cast<std::uint64_t>(place)) && result.reason.empty()) {
        result.reason = errorReason(errno != 0 ? errno : EIO);
    }
    return result;
}

void FileReader::close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

#endif

}  // namespace kinfold
