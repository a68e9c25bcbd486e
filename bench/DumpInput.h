#pragma once

// The input of the dump benchmarks: a 64 MiB file of random bytes and a
// 200-entry table with multi-byte entries.
#include "table/CodeTable.h"

#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace kinfold::bench {

inline constexpr std::size_t kDumpFileBytes = std::size_t{64} << 20;

class RandomFile {
public:
    RandomFile() {
        const char* root = std::getenv("KINFOLD_BENCH_TMP");
        const std::filesystem::path base =
            root != nullptr && *root != '\0' ? std::filesystem::path(root) : std::filesystem::temp_directory_path();
        path_ = base / ("kinfold-dump-bench-" + std::to_string(::getpid()) + ".bin");
        std::mt19937_64 random(17);
        std::vector<std::uint64_t> words(kDumpFileBytes / sizeof(std::uint64_t));
        for (auto& w : words) w = random();
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(kDumpFileBytes));
        out.close();
        ok_ = out.good();
    }
    ~RandomFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    RandomFile(const RandomFile&) = delete;
    RandomFile& operator=(const RandomFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    bool ok() const { return ok_; }

private:
    std::filesystem::path path_;
    bool ok_ = false;
};

// 150 single bytes (two of them end tokens, one a line break, one a control
// with two parameters), 40 pairs, 10 runs of three to eight bytes.
inline CodeTable benchTable() {
    std::mt19937 random(5);
    CodeTable table;
    std::vector<std::uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::shuffle(bytes.begin(), bytes.end(), random);
    for (std::size_t i = 0; i < 150; ++i) {
        TableEntry entry{EntryKind::Normal, std::string(1, static_cast<char>('a' + i % 26)), 0};
        if (i < 2) entry = {EntryKind::End, "", 0};
        if (i == 2) entry = {EntryKind::LineBreak, "", 0};
        if (i == 3) entry = {EntryKind::Control, "[c]", 2};
        table.set({bytes[i]}, entry);
    }
    for (int i = 0; i < 50; ++i) {
        EntryBytes code(i < 40 ? 2 : 3 + static_cast<std::size_t>(random() % 6));
        for (auto& b : code) b = static_cast<std::uint8_t>(random());
        table.set(code, {EntryKind::Normal, "\u3042\u3044", 0});
    }
    return table;
}

}  // namespace kinfold::bench
