#include "shell/script/ScriptRun.h"

#include "script/ScriptDump.h"
#include "shell/platform/FileWriting.h"
#include "table/TableDecoder.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <filesystem>
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

ScriptRun::ScriptRun(Handlers handlers, QObject* parent) : QObject(parent), handlers_(std::move(handlers)) {}

ScriptRun::~ScriptRun() {
    stopping_ = true;
    wait();
}

void ScriptRun::wait() {
    if (thread_.joinable()) thread_.join();
}

void ScriptRun::post(std::uint64_t generation, std::function<void()> f) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, f = std::move(f)] {
            if (generation == generation_) f();
        },
        Qt::QueuedConnection);
}

void ScriptRun::start(const QString& path, const CodeTable& table, std::uint64_t minLength) {
    stopping_ = true;
    wait();
    stopping_ = false;
    running_ = true;
    const std::uint64_t generation = ++generation_;
    const std::filesystem::path file = toFilesystemPath(path);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    const std::uint64_t total = error ? 0 : static_cast<std::uint64_t>(size);
    DumpWork work;
    work.blockSize = blockSize;
    work.workers = std::max(1u, std::thread::hardware_concurrency());
    thread_ = std::thread([this, generation, file, table, minLength, total, work] {
        const TableDecoder decoder(table);
        DumpSettings settings;
        settings.minLength = minLength;
        ScriptBatch batch;
        batch.reserve(kBatchRoom, kBatchRoom * 8);
        auto last = std::chrono::steady_clock::now();
        const auto send = [&](std::uint64_t done) {
            // A small batch gives its room back rather than keep it in the list.
            if (batch.size() < kBatchRoom / 2) batch.shrink();
            post(generation, [this, strings = std::move(batch), done, total]() mutable {
                if (!strings.empty()) handlers_.found(std::move(strings));
                handlers_.progress(done, total);
            });
            batch = {};
            batch.reserve(kBatchRoom, kBatchRoom * 8);
            last = std::chrono::steady_clock::now();
        };
        const DumpOutcome outcome = dumpFile(
            file, decoder, settings, [&](const ScriptStrings& strings) { batch.add(strings); },
            [&](std::uint64_t done) {
                if (afterBlock) afterBlock();
                if (batch.size() >= kBatchRoom || std::chrono::steady_clock::now() - last >= kBatchEvery) send(done);
                return !stopping_;
            },
            work);
        send(outcome.done);
        post(generation, [this, problem = outcome.problem, stopped = outcome.stopped] {
            running_ = false;
            handlers_.finished(problem, stopped);
        });
    });
}

}  // namespace kinfold
