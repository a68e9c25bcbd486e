#include "shell/script/ScriptRun.h"

#include "script/ScriptDump.h"
#include "shell/platform/FileWriting.h"
#include "shell/platform/InterfaceThread.h"
#include "table/TableDecoder.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

namespace kinfold {

namespace {
// How often found strings and progress go to the window: often enough to look
// live, seldom enough that the list's growth costs the window nothing.
constexpr auto kBatchEvery = std::chrono::milliseconds(40);
// Room made for a batch at once, so that it seldom grows by copying; a batch
// this full goes at once.
constexpr std::size_t kBatchRoom = std::size_t{1} << 16;
}  // namespace

ScriptRun::ScriptRun(Handlers handlers, QObject* parent)
    : QObject(parent), handlers_(std::move(handlers)), job_(interfaceThreadOf(this)) {}

ScriptRun::~ScriptRun() = default;

void ScriptRun::start(const QString& path, const CodeTable& table, std::uint64_t minLength) {
    const std::filesystem::path file = toFilesystemPath(path);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    const std::uint64_t total = error ? 0 : static_cast<std::uint64_t>(size);
    DumpWork work;
    work.blockSize = blockSize;
    work.workers = std::max(1u, std::thread::hardware_concurrency());
    // Written by the work before it ends, read when it has finished.
    auto outcome = std::make_shared<DumpOutcome>();
    job_.start(
        [this, file, table, minLength, total, work, outcome](const BackgroundJob::Work& job) {
            const TableDecoder decoder(table);
            DumpSettings settings;
            settings.minLength = minLength;
            ScriptBatch batch;
            batch.reserve(kBatchRoom, kBatchRoom * 8);
            auto last = std::chrono::steady_clock::now();
            const auto send = [&](std::uint64_t done) {
                // A small batch gives its room back rather than keep it in the list.
                if (batch.size() < kBatchRoom / 2) batch.shrink();
                job.deliver([this, strings = std::move(batch), done, total]() mutable {
                    if (!strings.empty()) handlers_.found(std::move(strings));
                    handlers_.progress(done, total);
                });
                batch = {};
                batch.reserve(kBatchRoom, kBatchRoom * 8);
                last = std::chrono::steady_clock::now();
            };
            *outcome = dumpFile(
                file, decoder, settings, [&](const ScriptStrings& strings) { batch.add(strings); },
                [&](std::uint64_t done) {
                    if (afterBlock) afterBlock();
                    if (batch.size() >= kBatchRoom || std::chrono::steady_clock::now() - last >= kBatchEvery)
                        send(done);
                    return !job.stopping();
                },
                work);
            send(outcome->done);
        },
        [this, outcome] { handlers_.finished(outcome->problem, outcome->stopped); });
}

}  // namespace kinfold
