// Feeds arbitrary bytes to the values file reader. Besides never crashing or
// hanging, whatever it accepts must hold 0..1000 entries and survive being
// written back and read again unchanged, byte for byte the second time.
#include "files/ValuesFile.h"
#include "pattern/SearchPattern.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

using Entries = std::vector<kinfold::StoredEntry>;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "values file check failed: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto result = kinfold::readValuesFile(bytes);

    if (const auto* error = std::get_if<kinfold::ValuesFileError>(&result)) {
        check(!error->reason.empty(), "an error has a reason");
        check(error->line >= 0, "an error's line is not negative");
        std::size_t lineEnds = 0;
        for (char c : bytes) lineEnds += c == '\n' || c == '\r';
        check(static_cast<std::size_t>(error->line) <= lineEnds + 1, "an error's line lies within the file");
        check(!error->describe().empty(), "an error describes itself");
        return 0;
    }

    const Entries& entries = std::get<Entries>(result);
    check(entries.size() <= static_cast<std::size_t>(kinfold::SearchPattern::kMaxEntries), "at most 1000 entries");

    kinfold::SearchPattern pattern;
    pattern.replace(entries);
    const std::string written = kinfold::writeValuesFile(pattern);
    const auto again = kinfold::readValuesFile(written);
    check(std::holds_alternative<Entries>(again), "a written file reads back");
    check(std::get<Entries>(again) == entries, "a written file reads back the same entries");

    kinfold::SearchPattern second;
    second.replace(std::get<Entries>(again));
    check(kinfold::writeValuesFile(second) == written, "writing again gives the same bytes");
    return 0;
}
