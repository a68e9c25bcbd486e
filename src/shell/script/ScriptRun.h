#pragma once

#include "shell/script/ScriptBatch.h"
#include "table/CodeTable.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kinfold {

// A dump of a whole file on a thread of its own. What it finds reaches the
// window's thread in batches, a few dozen times a second at most, through the
// handlers below; a run started again or stopped sends nothing more.
class ScriptRun : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(ScriptBatch&&)> found;
        std::function<void(std::uint64_t done, std::uint64_t total)> progress;
        // problem is empty unless the file could not be read; stopped says Stop ended it.
        std::function<void(const std::string& problem, bool stopped)> finished;
    };

    explicit ScriptRun(Handlers handlers, QObject* parent = nullptr);
    ~ScriptRun() override;
    ScriptRun(const ScriptRun&) = delete;
    ScriptRun& operator=(const ScriptRun&) = delete;

    // Stops a run going on, then dumps the file through the table.
    void start(const QString& path, const CodeTable& table, std::uint64_t minLength);
    // Asks the run to end after the block it is on.
    void stop() { stopping_ = true; }
    bool running() const { return running_; }
    // Waits until the thread has ended; what it sent is still to be delivered.
    void wait();

    // The bytes read at a time, and a call on the run's thread after each block: for tests.
    std::size_t blockSize = std::size_t{256} << 10;
    std::function<void()> afterBlock;

private:
    // Runs f on the window's thread unless another run started since generation.
    void post(std::uint64_t generation, std::function<void()> f);

    Handlers handlers_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    bool running_ = false;
    std::uint64_t generation_ = 0;  // the window's thread's count of runs started
};

}  // namespace kinfold
