#include "cli/FilePool.h"

#include <algorithm>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace kinfold::cli {
namespace {

// Output kept for files not yet first in line, for each worker.
constexpr std::size_t kKeepPerWorker = std::size_t{1} << 20;
// Files handed out past the first unfinished one, per worker: enough that
// small files keep the others busy while one worker is on a large one.
constexpr std::size_t kAheadPerWorker = 64;

}  // namespace

void endFile(std::size_t i, std::uint64_t size, std::uint64_t searched, std::string& text,
             const std::optional<std::string>& message, Progress& progress, OrderedOutput& output) {
    progress.addBytes(size > searched ? size - searched : 0);
    progress.addFile();
    output.finish(i, text, message);
}

PoolOutcome runFilePool(std::size_t files, unsigned threads, const OrderedOutput::Sink& out, Progress& progress,
                        const std::function<std::unique_ptr<FileWorker>()>& makeWorker) {
    threads = std::max(1u, threads);
    OrderedOutput output(files, kAheadPerWorker * threads, kKeepPerWorker * threads, out,
                         [&progress](std::string_view messages) {
                             for (std::size_t at = 0; at <= messages.size();) {
                                 const std::size_t end = std::min(messages.find('\n', at), messages.size());
                                 progress.message(messages.substr(at, end - at));
                                 at = end + 1;
                             }
                         });
    PoolOutcome outcome;
    std::mutex outcomeMutex;
    const auto work = [&] {
        const std::unique_ptr<FileWorker> worker = makeWorker();
        PoolOutcome mine;
        while (const std::optional<std::size_t> i = output.take()) {
            const PoolOutcome file = worker->search(*i, output);
            mine.matched = mine.matched || file.matched;
            mine.failed = mine.failed || file.failed;
        }
        std::lock_guard lock(outcomeMutex);
        outcome.matched = outcome.matched || mine.matched;
        outcome.failed = outcome.failed || mine.failed;
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // the system gives no more threads: the ones there do the work
        }
    }
    // The calling thread is a worker too, the only one with -j 1.
    work();
    for (std::thread& t : pool) {
        t.join();
    }
    return outcome;
}

}  // namespace kinfold::cli
