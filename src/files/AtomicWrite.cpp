#include "files/AtomicWrite.h"

#include <cerrno>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kinfold {
namespace {

constexpr const char* kFolder = "it is a folder, not a file";
constexpr const char* kNotOrdinary = "it is not an ordinary file";

std::string reasonOf(std::error_code code) {
    if (code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory) {
        return "its folder does not exist";
    }
    if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted) {
        return "permission denied";
    }
    if (code == std::errc::is_a_directory) return kFolder;
    std::string text = code.message();
    return text.empty() ? "error " + std::to_string(code.value()) : text;
}

[[maybe_unused]] std::string reasonOf(int error) { return reasonOf(std::error_code(error, std::generic_category())); }

// A name for the temporary file beside target that no other writer picks.
std::filesystem::path temporaryBeside(const std::filesystem::path& target, std::mt19937_64& random) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix;
    std::uint64_t r = random();
    for (int k = 0; k < 12; ++k, r >>= 4) suffix += kDigits[r & 15];
    std::string name(1, '.');
    name += target.filename().string();
    name += ".kinfold-";
    name += suffix;
    return target.parent_path() / name;
}

#ifndef _WIN32

bool writeAll(int fd, std::string_view bytes, int& error) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::optional<std::string> writeDevice(const std::filesystem::path& path, std::string_view bytes) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return reasonOf(errno);
    int error = 0;
    const bool wrote = writeAll(fd, bytes, error);
    if (::close(fd) != 0 && wrote && errno != EINTR) return reasonOf(errno);
    if (!wrote) return reasonOf(error);
    return std::nullopt;
}

#endif

}  // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& given, std::string_view bytes) {
    std::error_code code;
    // The file a link names is the one replaced, in its own folder.
    std::filesystem::path path = given;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(given, code))) {
        path = std::filesystem::weakly_canonical(given, code);
        if (code) return reasonOf(code);
    }
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    const bool exists = std::filesystem::exists(status);
    if (std::filesystem::is_directory(status)) return std::string(kFolder);
    if (exists && !std::filesystem::is_regular_file(status) && !std::filesystem::is_character_file(status)) {
        // A pipe or a socket would wait for a reader, and renaming over it would take it away.
        return std::string(kNotOrdinary);
    }
    std::random_device seed;
    std::mt19937_64 random((std::uint64_t{seed()} << 32) ^ seed());
#ifdef _WIN32
    if (std::filesystem::is_character_file(status)) {
        std::ofstream device(path, std::ios::binary);
        device.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        device.close();
        if (!device) return std::string("it could not be written");
        return std::nullopt;
    }
    std::filesystem::path temporary;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryBeside(path, random);
        if (!std::filesystem::exists(temporary, code)) break;
    }
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return std::string("a temporary file could not be made in its folder");
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, code);
            return std::string("the disk could not take it");
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::string reason = reasonOf(std::error_code(static_cast<int>(GetLastError()), std::system_category()));
        std::filesystem::remove(temporary, code);
        return reason;
    }
    return std::nullopt;
#else
    if (std::filesystem::is_character_file(status)) {
        // A device can't be replaced, only written to.
        return writeDevice(path, bytes);
    }
    struct stat old {};
    const bool replacing = exists && ::stat(path.c_str(), &old) == 0;
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryBeside(path, random);
        // 0666 here, so that the umask gives a new file its mode.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR) return reasonOf(errno);
    }
    if (fd < 0) return std::string("no temporary file could be made in its folder");
    int error = 0;
    bool ok = writeAll(fd, bytes, error);
    if (ok && replacing && ::fchmod(fd, old.st_mode & 07777) != 0) {
        ok = false;
        error = errno;
    }
    // On the disk before it takes the old file's name, so that a crash leaves one or the other whole.
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        error = errno;
    }
    if (::close(fd) != 0 && ok && errno != EINTR) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return reasonOf(error);
    }
    return std::nullopt;
#endif
}

}  // namespace kinfold
