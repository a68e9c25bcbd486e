#include "cli/HitPrinter.h"

#include "search/FileReader.h"
#include "search/ResultLine.h"

#include <nlohmann/json.hpp>

namespace kinfold::cli {
namespace {

// A path that is not valid UTF-8 still gets a line, with its bad bytes replaced.
void appendJsonLine(const nlohmann::json& value, std::string& out) {
    out += value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    out += '\n';
}

}  // namespace

HitPrinter::HitPrinter(const OutputOptions& options, const FoundFile& file)
    : options_(options), file_(file), pathText_(pathText(file.path)) {}

void HitPrinter::hits(std::span<const std::uint64_t> offsets, std::string& out) {
    if (options_.count) {
        return;
    }
    for (const std::uint64_t offset : offsets) {
        if (options_.json) {
            appendJsonLine({{"path", pathText_}, {"offset", offset}}, out);
        } else {
            out += pathText_;
            out += ':';
            out += resultLine(offset);
            out += '\n';
        }
    }
}

void HitPrinter::end(std::uint64_t count, std::string& out) const {
    if (!options_.count) {
        return;
    }
    if (options_.json) {
        appendJsonLine({{"path", pathText_}, {"count", count}}, out);
    } else {
        out += pathText_ + ":" + std::to_string(count) + "\n";
    }
}

}  // namespace kinfold::cli
