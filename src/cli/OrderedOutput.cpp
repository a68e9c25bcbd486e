#include "cli/OrderedOutput.h"

namespace kinfold::cli {

OrderedOutput::OrderedOutput(std::size_t files, std::size_t ahead, std::size_t keepLimit, Sink out, Sink messages)
    : files_(files), ahead_(ahead < 1 ? 1 : ahead), keepLimit_(keepLimit), out_(std::move(out)),
      messages_(std::move(messages)) {}

std::optional<std::size_t> OrderedOutput::take() {
    std::unique_lock lock(mutex_);
    turn_.wait(lock, [this] { return next_ >= files_ || next_ < first_ + ahead_; });
    if (next_ >= files_) {
        return std::nullopt;
    }
    kept_.emplace_back();
    return next_++;
}

void OrderedOutput::write(std::size_t i, std::string& text) {
    std::unique_lock lock(mutex_);
    Kept& kept = kept_[i - first_];
    if (i != first_) {
        kept.text += text;
        text.clear();
        if (kept.text.size() <= keepLimit_) {
            return;
        }
        // Too much kept: wait for this file's turn, which comes without this
        // worker's help because every file before it is being searched.
        turn_.wait(lock, [this, i] { return first_ == i; });
    }
    if (!kept.text.empty()) {
        out_(kept.text);
        std::string().swap(kept.text);
    }
    if (!text.empty()) {
        out_(text);
        text.clear();
    }
}

void OrderedOutput::finish(std::size_t i, std::string& text, const std::optional<std::string>& message) {
    std::unique_lock lock(mutex_);
    Kept& kept = kept_[i - first_];
    kept.text += text;
    text.clear();
    kept.message = message;
    kept.done = true;
    flushFinished();
}

void OrderedOutput::flushFinished() {
    bool moved = false;
    while (!kept_.empty() && kept_.front().done) {
        Kept& kept = kept_.front();
        if (!kept.text.empty()) {
            out_(kept.text);
        }
        if (kept.message) {
            messages_(*kept.message);
        }
        kept_.pop_front();
        ++first_;
        moved = true;
    }
    if (moved) {
        turn_.notify_all();
    }
}

}  // namespace kinfold::cli
