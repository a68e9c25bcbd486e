#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace kinfold::cli {

// Hands files out to the workers and writes what they find in the order the
// files were found, each file's output whole, however many workers there are
// and whichever finishes first. The file first in line writes as it goes;
// the others keep their output until their turn. A worker whose write or
// finish takes the output kept for all of them past keepLimit bytes waits
// for its file's turn, so memory stays bounded however many files are handed
// out ahead and however many hits they have: at keepLimit plus one piece
// from each worker.
class OrderedOutput {
public:
    using Sink = std::function<void(std::string_view)>;

    // At most `ahead` files are handed out past the first one not finished.
    OrderedOutput(std::size_t files, std::size_t ahead, std::size_t keepLimit, Sink out, Sink messages);

    // The index of the next file to search; nullopt once every file is taken.
    std::optional<std::size_t> take();
    // Adds to file i's output, and empties text.
    void write(std::size_t i, std::string& text);
    // The rest of file i's output and its message, if any: file i is done.
    void finish(std::size_t i, std::string& text, const std::optional<std::string>& message);
    // The bytes of output kept now, waiting for their files' turn.
    std::size_t keptBytes();

private:
    struct Kept {
        std::string text;
        std::optional<std::string> message;
        bool done = false;
    };

    void flushFinished();  // called with the lock held

    std::mutex mutex_;
    std::condition_variable turn_;
    std::deque<Kept> kept_;  // the files handed out from first_ on
    std::size_t files_;
    std::size_t ahead_;
    std::size_t keepLimit_;
    std::size_t keptBytes_ = 0;  // in the texts of kept_
    std::size_t next_ = 0;       // the next file to hand out
    std::size_t first_ = 0;      // the first file not finished: the one whose output is written
    Sink out_;
    Sink messages_;
};

}  // namespace kinfold::cli
