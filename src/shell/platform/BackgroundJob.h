#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace kinfold {

// A window's long work (a dump, a pointer count, a pointer search) on a thread
// of its own, one job at a time. The work hands what it finds to the
// interface thread through deliver, in the order it was delivered; a job that
// was replaced by a new one or cancelled delivers nothing more, even what it
// had sent before but that had not arrived. No Qt here: how a call reaches the
// interface thread is the owner's (see InterfaceThread.h), so the hand-over
// is tested without a window.
class BackgroundJob {
public:
    // Runs f later on the interface thread, after what it was given before.
    using Post = std::function<void(std::function<void()> f)>;

    // What the work sees of its job, on the job's thread.
    class Work {
    public:
        // True once the job was asked to stop (Stop, a new job, cancel, the
        // owner going): the work ends soon, and what it delivers is still
        // handed on unless the job was replaced or cancelled.
        bool stopping() const { return stop_->load(); }
        // Hands f to the interface thread, to run there unless this job has
        // been replaced or cancelled by then.
        void deliver(std::function<void()> f) const;

    private:
        friend class BackgroundJob;
        Work(const BackgroundJob& job, std::uint64_t generation, std::shared_ptr<std::atomic<bool>> stop)
            : job_(job), generation_(generation), stop_(std::move(stop)) {}
        const BackgroundJob& job_;  // only its post and its shared count are used
        std::uint64_t generation_;
        std::shared_ptr<std::atomic<bool>> stop_;
    };

    explicit BackgroundJob(Post post);
    // Stops the work and waits for its thread; nothing more is delivered.
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Replaces the job under way (stopped, waited for, its deliveries dropped)
    // by work on a new thread. finished runs on the interface thread after
    // everything the work delivered, unless this job is replaced or cancelled first.
    void start(std::function<void(const Work&)> work, std::function<void()> finished = {});
    // Asks the work to stop; what it delivered, and finished, still arrive.
    void stop();
    // Stops the work and waits for it; nothing it delivered arrives any more.
    void cancel();
    // From start until finished has run, or until cancelled: on the interface thread.
    bool running() const { return running_; }
    // Waits for the work's thread to end; what it delivered is still to arrive.
    void wait();

private:
    Post post_;
    std::thread thread_;
    std::shared_ptr<std::atomic<bool>> stop_;
    // Counts the jobs started and cancelled. Shared with what is on its way,
    // which checks it where it arrives, so a delivery that arrives after the
    // job has gone finds it moved on and runs nothing.
    std::shared_ptr<std::atomic<std::uint64_t>> generation_ = std::make_shared<std::atomic<std::uint64_t>>(0);
    bool running_ = false;
};

}  // namespace kinfold
