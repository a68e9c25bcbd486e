#include "cli/FilePool.h"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>

namespace kinfold::cli {
namespace {

// Output kept for files not yet first in line, for each worker.
constexpr std::size_t kKeepPerWorker = std::size_t{1} << 20;
// Files handed out past the first unfinished one, per worker: enough that
// small files keep the others busy while one worker is on a large one.
constexpr std::size_t kAheadPerWorker = 64;

void work(const std::vector<FoundFile>& files, FileSearch& searcher, OrderedOutput& output, Progress& progress,
          PoolOutcome& outcome, std::mutex& outcomeMutex) {
    PoolOutcome mine;
    while (const std::optional<std::size_t> i = output.take()) {
        const FoundFile& file = files[*i];
        std::string text;
        FileDone done;
        done.message = file.problem;
        if (!file.problem) {
            done = searcher.search(file, [&output, i](std::string& piece) { output.write(*i, piece); }, text);
        }
        mine.matched = mine.matched || done.matched;
        mine.failed = mine.failed || done.message.has_value();
        // Whatever was not searched still counts as done.
        progress.addBytes(file.size > done.counted ? file.size - done.counted : 0);
        progress.addFile();
        output.finish(*i, text, done.message);
    }
    std::lock_guard lock(outcomeMutex);
    outcome.matched = outcome.matched || mine.matched;
    outcome.failed = outcome.failed || mine.failed;
}

}  // namespace

PoolOutcome runFilePool(const std::vector<FoundFile>& files, unsigned threads, const OrderedOutput::Sink& out,
                        Progress& progress, const std::function<std::unique_ptr<FileSearch>()>& makeSearch) {
    threads = std::max(1u, threads);
    OrderedOutput output(files.size(), kAheadPerWorker * threads, kKeepPerWorker * threads, out,
                         [&progress](std::string_view message) { progress.message(message); });
    PoolOutcome outcome;
    std::mutex outcomeMutex;
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            pool.emplace_back([&] {
                const std::unique_ptr<FileSearch> searcher = makeSearch();
                work(files, *searcher, output, progress, outcome, outcomeMutex);
            });
        } catch (const std::system_error&) {
            break;  // the system gives no more threads: the ones there do the work
        }
    }
    // The calling thread is a worker too, the only one with -j 1.
    const std::unique_ptr<FileSearch> searcher = makeSearch();
    work(files, *searcher, output, progress, outcome, outcomeMutex);
    for (std::thread& t : pool) {
        t.join();
    }
    return outcome;
}

}  // namespace kinfold::cli
