#include "cli/Progress.h"

#include <cstdio>
#include <system_error>

namespace kinfold::cli {
namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(200);

std::string amount(double bytes) {
    static const char* const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 4) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

}  // namespace

Progress::Progress(std::ostream& err, bool showLine, std::uint64_t totalFiles, std::uint64_t totalBytes)
    : err_(err), showLine_(showLine), totalFiles_(totalFiles), totalBytes_(totalBytes) {
    if (showLine_) {
        try {
            drawer_ = std::thread([this] { draw(); });
        } catch (const std::system_error&) {
            showLine_ = false;  // no thread to draw it: the search goes on without a progress line
        }
    }
}

Progress::~Progress() { stop(); }

std::string Progress::line(std::uint64_t files, std::uint64_t totalFiles, std::uint64_t bytes, std::uint64_t totalBytes,
                           double seconds) {
    std::string text = "kinfold: " + std::to_string(files) + "/" + std::to_string(totalFiles) + " files, " +
                       amount(static_cast<double>(bytes)) + " of " + amount(static_cast<double>(totalBytes));
    if (seconds > 0) {
        text += ", " + amount(static_cast<double>(bytes) / seconds) + "/s";
    }
    return text;
}

void Progress::message(std::string_view text) {
    std::lock_guard lock(mutex_);
    clearLine();
    err_ << "kinfold: " << text << '\n';
    err_.flush();
}

void Progress::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (drawer_.joinable()) {
        drawer_.join();
    }
    std::lock_guard lock(mutex_);
    clearLine();
}

void Progress::draw() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kRedrawEvery, [this] { return stopping_; })) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const std::string text = line(files_.load(std::memory_order_relaxed), totalFiles_,
                                      bytes_.load(std::memory_order_relaxed), totalBytes_, seconds);
        // Spaces cover what is left of a longer line drawn before.
        err_ << '\r' << text << std::string(shown_ > text.size() ? shown_ - text.size() : 0, ' ');
        err_.flush();
        shown_ = text.size() > shown_ ? text.size() : shown_;
    }
}

void Progress::clearLine() {
    if (shown_ > 0) {
        err_ << '\r' << std::string(shown_, ' ') << '\r';
        shown_ = 0;
    }
}

}  // namespace kinfold::cli
