#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>

namespace kinfold::cli {

// Standard error while a scan runs: the messages, one a line, and when
// wanted a progress line (files and bytes done of the total, speed) redrawn
// a few times a second and cleared before each message and at the end.
class Progress {
public:
    Progress(std::ostream& err, bool showLine, std::uint64_t totalFiles, std::uint64_t totalBytes);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void addBytes(std::uint64_t bytes) { bytes_.fetch_add(bytes, std::memory_order_relaxed); }
    void addFile() { files_.fetch_add(1, std::memory_order_relaxed); }
    // Writes "kinfold: <text>" on a line of its own.
    void message(std::string_view text);
    // Stops the progress line and clears it.
    void stop();

    // The progress text for the given counts and seconds since the start.
    static std::string line(std::uint64_t files, std::uint64_t totalFiles, std::uint64_t bytes,
                            std::uint64_t totalBytes, double seconds);

private:
    void draw();
    void clearLine();  // with the lock held

    std::ostream& err_;
    bool showLine_;  // false too when no thread could be had to draw it
    const std::uint64_t totalFiles_;
    const std::uint64_t totalBytes_;
    std::atomic<std::uint64_t> files_{0};
    std::atomic<std::uint64_t> bytes_{0};
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::size_t shown_ = 0;  // characters of the progress line on the terminal now
    std::thread drawer_;
};

}  // namespace kinfold::cli
