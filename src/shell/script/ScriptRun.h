#pragma once

#include "shell/platform/BackgroundJob.h"
#include "shell/script/ScriptBatch.h"
#include "table/CodeTable.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

namespace kinfold {

// A dump of a whole file on the window's background job. What it finds reaches
// the window's thread in batches, a few dozen times a second at most, through
// the handlers below; a run started again sends nothing more of the old one.
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
    void stop() { job_.stop(); }
    bool running() const { return job_.running(); }
    // Waits until the thread has ended; what it sent is still to be delivered.
    void wait() { job_.wait(); }

    // The bytes read at a time, and a call on the run's thread after each block: for tests.
    std::size_t blockSize = std::size_t{256} << 10;
    std::function<void()> afterBlock;

private:
    Handlers handlers_;
    BackgroundJob job_;
};

}  // namespace kinfold
