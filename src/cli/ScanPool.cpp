#include "cli/ScanPool.h"

#include "search/FileScanner.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <system_error>
#include <thread>

namespace kinfold::cli {
namespace {

// Candidates examined between two hand-overs of hits: bounds the hits held
// at once, and how far past --max-count a scan reads.
constexpr std::uint64_t kSlice = std::uint64_t{1} << 20;
// Output kept for files not yet first in line, for each worker.
constexpr std::size_t kKeepPerWorker = std::size_t{1} << 20;
// Blocks that stay in a core's cache between being read and being matched:
// with a worker on every core, larger ones make both wait on memory.
constexpr std::size_t kBlock = std::size_t{256} << 10;
// Files handed out past the first unfinished one, per worker: enough that
// small files keep the others busy while one worker is on a large one.
constexpr std::size_t kAheadPerWorker = 64;

class Worker {
public:
    Worker(const std::vector<FoundFile>& files, const CompiledPattern& pattern, const ScanSettings& settings,
           OrderedOutput& output, Progress& progress, ScanOutcome& outcome, std::mutex& outcomeMutex)
        : files_(files), scanner_(pattern, kBlock), settings_(settings), output_(output), progress_(progress),
          outcome_(outcome), outcomeMutex_(outcomeMutex) {
        // With a worker on every core, a reading thread per worker would only take turns with them.
        scanner_.setReadAhead(settings.threads < std::max(1u, std::thread::hardware_concurrency()));
    }

    void run() {
        while (const std::optional<std::size_t> i = output_.take()) {
            search(*i);
        }
        std::lock_guard lock(outcomeMutex_);
        outcome_.matched = outcome_.matched || matched_;
        outcome_.failed = outcome_.failed || failed_;
    }

private:
    void search(std::size_t i) {
        const FoundFile& file = files_[i];
        std::string text;
        std::optional<std::string> message = file.problem;
        std::uint64_t scanned = 0;
        if (!message && !scanner_.open(file.path)) {
            message = scanner_.error()->message();
        }
        if (!message) {
            HitPrinter printer(settings_.print, file, scanner_.fileSize());
            std::uint64_t count = 0;
            while (!scanner_.finished()) {
                const std::uint64_t before = scanner_.position();
                scanner_.scanUntil(before + kSlice, hits_);
                progress_.addBytes(scanner_.position() - before);
                scanned = scanner_.position();
                const std::uint64_t limit = settings_.maxCount;
                const bool enough = limit != 0 && count + hits_.size() >= limit;
                if (enough) {
                    hits_.resize(static_cast<std::size_t>(limit - count));
                }
                count += hits_.size();
                printer.hits(hits_, text);
                hits_.clear();
                if (!text.empty()) {
                    output_.write(i, text);
                }
                if (enough) {
                    break;
                }
            }
            if (scanner_.error()) {
                message = scanner_.error()->message();
            }
            scanner_.close();
            printer.end(count, text);
            if (!message) {
                message = printer.problem();
            }
            matched_ = matched_ || count > 0;
        }
        failed_ = failed_ || message.has_value();
        // Whatever was not scanned still counts as done.
        progress_.addBytes(file.size > scanned ? file.size - scanned : 0);
        progress_.addFile();
        output_.finish(i, text, message);
    }

    const std::vector<FoundFile>& files_;
    FileScanner scanner_;
    const ScanSettings& settings_;
    OrderedOutput& output_;
    Progress& progress_;
    ScanOutcome& outcome_;
    std::mutex& outcomeMutex_;
    std::vector<std::uint64_t> hits_;
    bool matched_ = false;
    bool failed_ = false;
};

}  // namespace

ScanOutcome scanFiles(const std::vector<FoundFile>& files, const ScanSettings& settings,
                      const OrderedOutput::Sink& out, Progress& progress) {
    const CompiledPattern pattern = CompiledPattern::fromPattern(settings.print.pattern, settings.print.match);
    const unsigned threads = std::max(1u, settings.threads);
    OrderedOutput output(files.size(), kAheadPerWorker * threads, kKeepPerWorker * threads, out,
                         [&progress](std::string_view message) { progress.message(message); });
    ScanOutcome outcome;
    std::mutex outcomeMutex;
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            pool.emplace_back([&] { Worker(files, pattern, settings, output, progress, outcome, outcomeMutex).run(); });
        } catch (const std::system_error&) {
            break;  // the system gives no more threads: the ones there do the work
        }
    }
    // The calling thread is a worker too, the only one with -j 1.
    Worker(files, pattern, settings, output, progress, outcome, outcomeMutex).run();
    for (std::thread& t : pool) {
        t.join();
    }
    return outcome;
}

}  // namespace kinfold::cli
