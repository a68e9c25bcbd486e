#include "shell/platform/BackgroundJob.h"

#include <utility>

namespace kinfold {

void BackgroundJob::Work::deliver(std::function<void()> f) const {
    job_.post_([current = job_.generation_, generation = generation_, f = std::move(f)] {
        if (current->load() == generation) f();
    });
}

BackgroundJob::BackgroundJob(Post post) : post_(std::move(post)) {}

BackgroundJob::~BackgroundJob() { cancel(); }

void BackgroundJob::start(std::function<void(const Work&)> work, std::function<void()> finished) {
    cancel();
    const std::uint64_t generation = ++*generation_;
    stop_ = std::make_shared<std::atomic<bool>>(false);
    running_ = true;
    thread_ = std::thread([this, generation, stop = stop_, work = std::move(work), finished = std::move(finished)] {
        const Work context(*this, generation, stop);
        work(context);
        context.deliver([this, finished] {
            running_ = false;
            if (finished) finished();
        });
    });
}

void BackgroundJob::stop() {
    if (stop_) stop_->store(true);
}

void BackgroundJob::cancel() {
    ++*generation_;  // what is still on its way is dropped where it arrives
    stop();
    wait();
    running_ = false;
}

void BackgroundJob::wait() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace kinfold
