#include "cli/OrderedOutput.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

namespace kinfold::cli {
namespace {

// Workers write their files in a random number of pieces of random length,
// finishing them in whatever order the threads run; many keep more than the
// limit while they wait. What comes out is each file's pieces whole and in
// file order, each file's message right after its output, and what is kept
// meanwhile stays within the limit and a piece of at most 110 bytes a worker.
TEST(OrderedOutput, WritesFilesWholeInOrderWhateverTheThreads) {
    constexpr std::size_t kFiles = 300;
    for (const unsigned threads : {1u, 3u, 8u}) {
        std::string written;
        std::vector<int> pieces(kFiles, 0);
        OrderedOutput output(
            kFiles, 16 * threads, 64, [&written](std::string_view t) { written += t; },
            [&written](std::string_view m) { written.append("!").append(m).append("\n"); });
        const std::size_t bound = 64 + 110 * threads;
        auto work = [&output, &pieces, bound](unsigned seed) {
            std::mt19937 random(seed);
            while (const std::optional<std::size_t> i = output.take()) {
                pieces[*i] = static_cast<int>(random() % 6);
                for (int p = 0; p < pieces[*i]; ++p) {
                    std::string text = std::to_string(*i) + "." + std::to_string(p);
                    text += std::string(random() % 100, ' ') + "\n";
                    output.write(*i, text);
                    EXPECT_TRUE(text.empty());
                    EXPECT_LE(output.keptBytes(), bound);
                    if (random() % 4 == 0) std::this_thread::yield();
                }
                std::string last = std::to_string(*i) + ".end\n";
                output.finish(*i, last, *i % 7 == 0 ? std::optional<std::string>(std::to_string(*i)) : std::nullopt);
                EXPECT_LE(output.keptBytes(), bound);
            }
        };
        std::vector<std::thread> pool;
        for (unsigned t = 0; t < threads; ++t) pool.emplace_back(work, t + 1);
        for (std::thread& t : pool) t.join();

        std::string expected;
        for (std::size_t i = 0; i < kFiles; ++i) {
            for (int p = 0; p < pieces[i]; ++p) expected += std::to_string(i) + "." + std::to_string(p) + "\n";
            expected += std::to_string(i) + ".end\n";
            if (i % 7 == 0) expected.append("!").append(std::to_string(i)).append("\n");
        }
        std::string withoutPadding;
        for (const char c : written) {
            if (c != ' ') withoutPadding += c;
        }
        EXPECT_EQ(withoutPadding, expected) << "threads " << threads;
    }
}

}  // namespace
}  // namespace kinfold::cli
