#include "shell/platform/BackgroundJob.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kinfold {
namespace {

// The interface thread as a queue the test drains itself.
class PostedCalls {
public:
    BackgroundJob::Post post() {
        return [this](std::function<void()> f) {
            const std::lock_guard lock(mutex_);
            calls_.push_back(std::move(f));
            posted_.notify_all();
        };
    }
    // Runs what was posted so far, in order.
    void drain() {
        for (;;) {
            std::function<void()> f;
            {
                const std::lock_guard lock(mutex_);
                if (calls_.empty()) return;
                f = std::move(calls_.front());
                calls_.pop_front();
            }
            f();
        }
    }
    std::size_t size() {
        const std::lock_guard lock(mutex_);
        return calls_.size();
    }
    void waitForCalls(std::size_t n) {
        std::unique_lock lock(mutex_);
        posted_.wait(lock, [&] { return calls_.size() >= n; });
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> calls_;
};

// A job that delivers "name:i" for i below count, then, when told to wait,
// spins until it is asked to stop and delivers "name:stopped".
std::function<void(const BackgroundJob::Work&)> counting(std::vector<std::string>& seen, const std::string& name,
                                                         int count, bool untilStopped) {
    return [&seen, name, count, untilStopped](const BackgroundJob::Work& work) {
        for (int i = 0; i < count; ++i) {
            work.deliver([&seen, name, i] { seen.push_back(name + ":" + std::to_string(i)); });
        }
        if (!untilStopped) return;
        while (!work.stopping()) std::this_thread::yield();
        work.deliver([&seen, name] { seen.push_back(name + ":stopped"); });
    };
}

TEST(BackgroundJob, DeliversInOrderThenFinishesNoLongerRunning) {
    PostedCalls ui;
    std::vector<std::string> seen;
    BackgroundJob job(ui.post());
    bool runningWhenFinished = true;
    job.start(counting(seen, "a", 3, false), [&] {
        runningWhenFinished = job.running();
        seen.push_back("finished");
    });
    EXPECT_TRUE(job.running());
    job.wait();
    ui.drain();
    EXPECT_EQ(seen, (std::vector<std::string>{"a:0", "a:1", "a:2", "finished"}));
    EXPECT_FALSE(runningWhenFinished);
    EXPECT_FALSE(job.running());
}

struct EndCase {
    const char* name;
    bool cancel;  // cancel, or only stop
    std::vector<std::string> expected;
};

class BackgroundJobEnds : public testing::TestWithParam<EndCase> {};

TEST_P(BackgroundJobEnds, StopHandsOnWhatWasFoundCancelDropsIt) {
    PostedCalls ui;
    std::vector<std::string> seen;
    BackgroundJob job(ui.post());
    job.start(counting(seen, "a", 2, true), [&] { seen.push_back("finished"); });
    ui.waitForCalls(2);  // both deliveries posted, none run yet
    if (GetParam().cancel) {
        job.cancel();
    } else {
        job.stop();
        job.wait();
    }
    ui.drain();
    EXPECT_EQ(seen, GetParam().expected);
    EXPECT_FALSE(job.running());
}

INSTANTIATE_TEST_SUITE_P(Table, BackgroundJobEnds,
                         testing::Values(EndCase{"Stopped", false, {"a:0", "a:1", "a:stopped", "finished"}},
                                         EndCase{"Cancelled", true, {}}),
                         [](const testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

TEST(BackgroundJob, AReplacedJobDeliversNothingMoreEvenWhatWasOnItsWay) {
    PostedCalls ui;
    std::vector<std::string> seen;
    BackgroundJob job(ui.post());
    job.start(counting(seen, "old", 5, true), [&] { seen.push_back("old finished"); });
    ui.waitForCalls(5);
    job.start(counting(seen, "new", 2, false), [&] { seen.push_back("new finished"); });
    job.wait();
    ui.drain();
    EXPECT_EQ(seen, (std::vector<std::string>{"new:0", "new:1", "new finished"}));
}

TEST(BackgroundJob, GoingAwayStopsTheWorkWaitsForItAndDropsWhatArrivesLater) {
    PostedCalls ui;
    std::vector<std::string> seen;
    {
        BackgroundJob job(ui.post());
        job.start(counting(seen, "a", 1, true));
        ui.waitForCalls(1);
    }  // would hang here if the work were not asked to stop
    // Its deliveries and its end were posted before its thread ended.
    EXPECT_EQ(ui.size(), 3u);
    ui.drain();
    EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace kinfold
