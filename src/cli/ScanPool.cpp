#include "cli/ScanPool.h"

#include "search/FileScanner.h"

#include <algorithm>
#include <memory>
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

class ScanSearch : public FileSearch {
public:
    ScanSearch(const CompiledPattern& pattern, const ScanSettings& settings, Progress& progress)
        : scanner_(pattern, kBlock), settings_(settings), progress_(progress) {
        // With a worker on every core, a reading thread per worker would only take turns with them.
        scanner_.setReadAhead(settings.threads < std::max(1u, std::thread::hardware_concurrency()));
    }

    FileDone search(const FoundFile& file, const std::function<void(std::string&)>& write,
                    std::string& text) override {
        FileDone done;
        if (!scanner_.open(file.path)) {
            done.message = scanner_.error()->message();
            return done;
        }
        HitPrinter printer(settings_.print, file, scanner_.fileSize());
        std::uint64_t count = 0;
        while (!scanner_.finished()) {
            const std::uint64_t before = scanner_.position();
            scanner_.scanUntil(before + kSlice, hits_);
            progress_.addBytes(scanner_.position() - before);
            done.counted = scanner_.position();
            const std::uint64_t limit = settings_.maxCount;
            const bool enough = limit != 0 && count + hits_.size() >= limit;
            if (enough) {
                hits_.resize(static_cast<std::size_t>(limit - count));
            }
            count += hits_.size();
            printer.hits(hits_, text);
            hits_.clear();
            if (!text.empty()) {
                write(text);
            }
            if (enough) {
                break;
            }
        }
        if (scanner_.error()) {
            done.message = scanner_.error()->message();
        }
        scanner_.close();
        printer.end(count, text);
        if (!done.message) {
            done.message = printer.problem();
        }
        done.matched = count > 0;
        return done;
    }

private:
    FileScanner scanner_;
    const ScanSettings& settings_;
    Progress& progress_;
    std::vector<std::uint64_t> hits_;
};

}  // namespace

ScanOutcome scanFiles(const std::vector<FoundFile>& files, const ScanSettings& settings,
                      const OrderedOutput::Sink& out, Progress& progress) {
    const CompiledPattern pattern = CompiledPattern::fromPattern(settings.print.pattern, settings.print.match);
    return runFilePool(files, settings.threads, out, progress, [&] {
        return std::make_unique<ScanSearch>(pattern, settings, progress);
    });
}

}  // namespace kinfold::cli
