#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kinfold {

// What the report says about the search, as the shell hands it over.
struct SearchSummary {
    std::string searchedText;
    std::string date;
    std::string time;
};

inline constexpr std::string_view kMakerAddress = "https://kinfold.example.org/";

// The report goes to the writer in pieces of about this size.
inline constexpr std::size_t kReportChunkBytes = std::size_t{1} << 20;

// Writes the results report: "You searched:", the searched text, a blank line,
// "Date: " and "Time: " lines, a blank line, "Results were found at:", the
// result lines, a blank line, the program's name and version and the maker's
// address. Every line ends with CR LF, the last one too; texts are written as
// they are held. appendLine(k, out) appends result line k (0-based) to out
// without a line end. The report reaches write in chunks of kReportChunkBytes
// and a little more (at most one result line more), never line by line.
// Returns false as soon as write returns false, true when all was written.
bool writeResultsReport(const SearchSummary& s, std::size_t lineCount,
                        const std::function<void(std::size_t k, std::string& out)>& appendLine,
                        const std::function<bool(std::string_view chunk)>& write);

}  // namespace kinfold
