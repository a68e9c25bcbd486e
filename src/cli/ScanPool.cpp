#include "cli/ScanPool.h"

#include "search/FileScanner.h"

#include <algorithm>
#include <string>
#include <thread>

namespace kinfold::cli {
namespace {

// Candidates examined between two hand-overs of hits: bounds the hits held
// at once, and how far past --max-count a scan reads.
constexpr std::uint64_t kSlice = std::uint64_t{1} << 20;
// Blocks that stay in a core's cache between being read and being matched:
// with a worker on every core, larger ones make both wait on memory.
constexpr std::size_t kBlock = std::size_t{256} << 10;

class Worker : public FileWorker {
public:
    Worker(const std::vector<FoundFile>& files, const CompiledPattern& pattern, const ScanSettings& settings,
           Progress& progress)
        : files_(files), scanner_(pattern, kBlock), settings_(settings), progress_(progress) {
        // With a worker on every core, a reading thread per worker would only take turns with them.
        scanner_.setReadAhead(settings.threads < std::max(1u, std::thread::hardware_concurrency()));
    }

    PoolOutcome search(std::size_t i, OrderedOutput& output) override {
        const FoundFile& file = files_[i];
        PoolOutcome outcome;
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
                    output.write(i, text);
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
            outcome.matched = count > 0;
            outcome.failed = message.has_value();
            // A note is no failure: it goes out with the messages all the same.
            if (const std::optional<std::string> note = printer.note()) {
                message = message ? *message + "\n" + *note : *note;
            }
        } else {
            outcome.failed = true;
        }
        endFile(i, file.size, scanned, text, message, progress_, output);
        return outcome;
    }

private:
    const std::vector<FoundFile>& files_;
    FileScanner scanner_;
    const ScanSettings& settings_;
    Progress& progress_;
    std::vector<std::uint64_t> hits_;
};

}  // namespace

ScanOutcome scanFiles(const std::vector<FoundFile>& files, const ScanSettings& settings, const OrderedOutput::Sink& out,
                      Progress& progress) {
    const CompiledPattern pattern = CompiledPattern::fromPattern(settings.print.pattern, settings.print.match);
    return runFilePool(files.size(), settings.threads, out, progress,
                       [&] { return std::make_unique<Worker>(files, pattern, settings, progress); });
}

}  // namespace kinfold::cli
