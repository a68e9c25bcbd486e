#include "cli/OrderedOutput.h"

namespace kinfold::cli {

OrderedOutput::OrderedOutput(std::size_t files, std::size_t ahead, std::size_t keepLimit, Sink out, Sink messages)
    : files_(files),
      ahead_(ahead < 1 ? 1 : ahead),
      keepLimit_(keepLimit),
      out_(std::move(out)),
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
        keptBytes_ += text.size();
        text.clear();
        if (keptBytes_ <= keepLimit_) {
            return;
        }
        // Too much kept: wait for this file's turn, which comes without this
        // worker's help because every file before it is being searched.
        turn_.wait(lock, [this, i] { return first_ == i; });
    }
    if (!kept.text.empty()) {
        out_(kept.text);
        keptBytes_ -= kept.text.size();
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
    keptBytes_ += text.size();
    text.clear();
    kept.message = message;
    kept.done = true;
    if (i != first_ && keptBytes_ > keepLimit_) {
        // Too much kept: this worker takes no further file until this one is
        // written, which the worker of a file before it may do.
        turn_.wait(lock, [this, i] { return first_ >= i; });
    }
    flushFinished();
}

std::size_t OrderedOutput::keptBytes() {
    const std::lock_guard lock(mutex_);
    return keptBytes_;
}

void OrderedOutput::flushFinished() {
    bool moved = false;
    while (!kept_.empty() && kept_.front().done) {
        Kept& kept = kept_.front();
        if (!kept.text.empty()) {
            out_(kept.text);
            keptBytes_ -= kept.text.size();
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
