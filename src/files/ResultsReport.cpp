#include "files/ResultsReport.h"

namespace kinfold {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

void appendLineOf(std::string& out, std::string_view text) {
    out += text;
    out += kLineEnd;
}

}  // namespace

bool writeResultsReport(const SearchSummary& s, std::size_t lineCount,
                        const std::function<void(std::size_t k, std::string& out)>& appendLine,
                        const std::function<bool(std::string_view chunk)>& write) {
    std::string buffer;
    // Room for one chunk and the line that tips it over, so the buffer seldom grows.
    buffer.reserve(kReportChunkBytes + 4096);

    appendLineOf(buffer, "You searched:");
    appendLineOf(buffer, s.searchedText);
    appendLineOf(buffer, "");
    buffer += "Date: ";
    appendLineOf(buffer, s.date);
    buffer += "Time: ";
    appendLineOf(buffer, s.time);
    appendLineOf(buffer, "");
    appendLineOf(buffer, "Results were found at:");

    for (std::size_t k = 0; k < lineCount; ++k) {
        if (buffer.size() >= kReportChunkBytes) {
            if (!write(buffer)) return false;
            buffer.clear();
        }
        appendLine(k, buffer);
        buffer += kLineEnd;
    }

    appendLineOf(buffer, "");
    appendLineOf(buffer, "Kinfold Search Version 1.2");
    appendLineOf(buffer, kMakerAddress);
    return write(buffer);
}

}  // namespace kinfold
