#include "cli/PointerPool.h"

#include "cli/PointerFormatArguments.h"
#include "cli/PointerPrinter.h"
#include "pattern/QuotedText.h"
#include "pointers/PointerFileScan.h"
#include "search/FileReader.h"
#include "search/ResultLine.h"
#include "search/ScanError.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace kinfold::cli {
namespace {

class PointerWorker : public FileWorker {
public:
    PointerWorker(const std::vector<FoundFile>& files, const PointersCommand& command, Progress& progress)
        : files_(files), command_(command), progress_(progress) {}

    PoolOutcome search(std::size_t i, OrderedOutput& output) override {
        const FoundFile& file = files_[i];
        path_ = pathText(file.path);
        PoolOutcome outcome;
        std::string text;
        std::string messages;
        std::uint64_t done = 0;
        std::optional<std::string> problem = file.problem;
        FileReader reader;
        if (!problem && !reader.open(file.path)) {
            problem = ScanError{path_, reader.reason(), ScanError::Stage::Open, 0}.message();
        }
        std::optional<PointerMapping> mapping;
        if (!problem) {
            mapping = mappingFor(file, reader, problem);
        }
        if (mapping) {
            const PointerSearch& search = searchFor(*mapping, reader.size(), messages);
            std::uint64_t count = 0;
            const PointerScanEnd end =
                scanForPointers(reader, path_, search, [&](std::span<const PointerHit> hits, std::uint64_t read) {
                    for (const PointerHit& hit : hits) {
                        appendPointerLine(path_, hit, command_.json, text);
                    }
                    count += hits.size();
                    if (!text.empty()) {
                        output.write(i, text);
                    }
                    progress_.addBytes(read - done);
                    done = read;
                    return true;
                });
            if (end.error) {
                problem = end.error->message();
            }
            outcome.matched = count > 0;
        }
        outcome.failed = problem.has_value();
        if (problem) {
            messages += messages.empty() ? *problem : "\n" + *problem;
        }
        endFile(i, file.size, done, text, messages.empty() ? std::nullopt : std::optional<std::string>(messages),
                progress_, output);
        return outcome;
    }

private:
    // The file's mapping, chosen by its extension for --map auto; nullopt, with problem set, when there is none.
    std::optional<PointerMapping> mappingFor(const FoundFile& file, const FileReader& reader,
                                             std::optional<std::string>& problem) const {
        auto mapping = mappingForFile({command_.map, command_.format}, file.path, path_, reader, "searched");
        if (auto* refused = std::get_if<std::string>(&mapping)) {
            problem = std::move(*refused);
            return std::nullopt;
        }
        return std::get<PointerMapping>(mapping);
    }

    // The search for the targets that lie in the file, kept for the next file
    // when its mapping and targets are the same; messages gets what was left out.
    const PointerSearch& searchFor(const PointerMapping& mapping, std::uint64_t size, std::string& messages) {
        const std::vector<std::uint64_t>& targets = command_.targets;
        const auto past = std::lower_bound(targets.begin(), targets.end(), size);
        const auto inHeader = std::lower_bound(targets.begin(), past, mapping.headerSize());
        if (inHeader != targets.begin()) {
            messages = skipped(
                targets.begin(), inHeader,
                "in the file's " + std::to_string(mapping.headerSize()) + "-byte header, where no pointer leads");
        }
        if (past != targets.end()) {
            messages += messages.empty() ? "" : "\n";
            messages += skipped(past, targets.end(), "past the end of the file (" + std::to_string(size) + " bytes)");
        }
        const auto count = static_cast<std::size_t>(past - inHeader);
        if (!search_ || !(search_->mapping() == mapping) || searchTargets_ != count) {
            search_.reset();  // one set of values at a time
            search_.emplace(mapping, std::span(targets).subspan(inHeader - targets.begin(), count), command_.search);
            searchTargets_ = count;
        }
        return *search_;
    }

    // "PATH": target T lies WHERE; skipped. / "PATH": N targets, from T on, lie WHERE; skipped.
    std::string skipped(std::vector<std::uint64_t>::const_iterator first,
                        std::vector<std::uint64_t>::const_iterator last, const std::string& where) const {
        const std::string lead = quoted(path_) + ": ";
        if (last - first == 1) {
            return lead + "target " + resultLine(*first) + " lies " + where + "; skipped.";
        }
        return lead + std::to_string(last - first) + " targets, from " + resultLine(*first) + " on, lie " + where +
               "; skipped.";
    }

    const std::vector<FoundFile>& files_;
    const PointersCommand& command_;
    Progress& progress_;
    std::string path_;  // of the file being searched, as text
    std::optional<PointerSearch> search_;
    std::size_t searchTargets_ = 0;
};

}  // namespace

PoolOutcome findPointers(const std::vector<FoundFile>& files, const PointersCommand& command,
                         const OrderedOutput::Sink& out, Progress& progress) {
    return runFilePool(files.size(), command.folders.threads, out, progress,
                       [&] { return std::make_unique<PointerWorker>(files, command, progress); });
}

}  // namespace kinfold::cli
