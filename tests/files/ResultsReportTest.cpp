#include "files/ResultsReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kinfold {
namespace {

// The report as the writer hands it over, chunk by chunk.
struct Captured {
    std::vector<std::string> chunks;
    bool result = false;

    std::string joined() const {
        std::string all;
        for (const std::string& c : chunks) all += c;
        return all;
    }
};

Captured capture(const SearchSummary& s, const std::vector<std::string>& lines) {
    Captured c;
    c.result = writeResultsReport(
        s, lines.size(), [&](std::size_t k, std::string& out) { out += lines.at(k); },
        [&](std::string_view chunk) {
            c.chunks.emplace_back(chunk);
            return true;
        });
    return c;
}

struct ReportCase {
    const char* name;
    SearchSummary summary;
    std::vector<std::string> lines;
    std::string bytes;
};

class ResultsReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ResultsReports, HaveTheExactBytes) {
    const Captured c = capture(GetParam().summary, GetParam().lines);
    EXPECT_TRUE(c.result);
    EXPECT_EQ(c.chunks.size(), 1u);
    EXPECT_EQ(c.joined(), GetParam().bytes);
}

const SearchSummary kSummary{"65 70 (+5) 60 (-10)", "06/11/2024", "14:05:09"};

INSTANTIATE_TEST_SUITE_P(Table, ResultsReports,
                         ::testing::Values(ReportCase{"NoResults",
                                                      kSummary,
                                                      {},
                                                      "You searched:\r\n"
                                                      "65 70 (+5) 60 (-10)\r\n"
                                                      "\r\n"
                                                      "Date: 06/11/2024\r\n"
                                                      "Time: 14:05:09\r\n"
                                                      "\r\n"
                                                      "Results were found at:\r\n"
                                                      "\r\n"
                                                      "Kinfold Search Version 1.2\r\n"
                                                      "https://kinfold.example.org/\r\n"},
                                           ReportCase{"OneResult",
                                                      kSummary,
                                                      {"Found at 0x0001F3A2"},
                                                      "You searched:\r\n"
                                                      "65 70 (+5) 60 (-10)\r\n"
                                                      "\r\n"
                                                      "Date: 06/11/2024\r\n"
                                                      "Time: 14:05:09\r\n"
                                                      "\r\n"
                                                      "Results were found at:\r\n"
                                                      "Found at 0x0001F3A2\r\n"
                                                      "\r\n"
                                                      "Kinfold Search Version 1.2\r\n"
                                                      "https://kinfold.example.org/\r\n"},
                                           ReportCase{"TwoResults",
                                                      kSummary,
                                                      {"first line", "second line"},
                                                      "You searched:\r\n"
                                                      "65 70 (+5) 60 (-10)\r\n"
                                                      "\r\n"
                                                      "Date: 06/11/2024\r\n"
                                                      "Time: 14:05:09\r\n"
                                                      "\r\n"
                                                      "Results were found at:\r\n"
                                                      "first line\r\n"
                                                      "second line\r\n"
                                                      "\r\n"
                                                      "Kinfold Search Version 1.2\r\n"
                                                      "https://kinfold.example.org/\r\n"},
                                           ReportCase{"TextsAsHeld",
                                                      SearchSummary{"  \"quoted\" \xC3\xA9 ", "", " 9:05 PM "},
                                                      {"", "  x  "},
                                                      "You searched:\r\n"
                                                      "  \"quoted\" \xC3\xA9 \r\n"
                                                      "\r\n"
                                                      "Date: \r\n"
                                                      "Time:  9:05 PM \r\n"
                                                      "\r\n"
                                                      "Results were found at:\r\n"
                                                      "\r\n"
                                                      "  x  \r\n"
                                                      "\r\n"
                                                      "Kinfold Search Version 1.2\r\n"
                                                      "https://kinfold.example.org/\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResultsReport, TwoResultsMakeTwelveLines) {
    const std::string bytes = capture(kSummary, {"a", "b"}).joined();
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 12);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 12);
}

// ---------------------------------------------------------------------------
// Large reports are streamed in bounded chunks

// A result line of varying length, as the search might word it.
void sampleLine(std::size_t k, std::string& out) {
    out += "Offset ";
    out += std::to_string(k * 7919);
    out.append(k % 13, '.');
}

std::string referenceReport(const SearchSummary& s, std::size_t count, void (*line)(std::size_t, std::string&)) {
    std::string r = "You searched:\r\n" + s.searchedText + "\r\n\r\nDate: " + s.date + "\r\nTime: " + s.time +
                    "\r\n\r\nResults were found at:\r\n";
    for (std::size_t k = 0; k < count; ++k) {
        std::string one;
        line(k, one);
        r += one;
        r += "\r\n";
    }
    r += "\r\nKinfold Search Version 1.2\r\nhttps://kinfold.example.org/\r\n";
    return r;
}

struct StreamCase {
    const char* name;
    std::size_t count;
    void (*line)(std::size_t, std::string&);
    std::size_t longestLine;  // bytes, without the line end
};

class ReportStreaming : public ::testing::TestWithParam<StreamCase> {};

TEST_P(ReportStreaming, ChunksAreBoundedAndAddUpToTheReport) {
    const StreamCase& c = GetParam();
    std::vector<std::size_t> sizes;
    std::string joined;
    const bool ok = writeResultsReport(kSummary, c.count, c.line, [&](std::string_view chunk) {
        sizes.push_back(chunk.size());
        joined += chunk;
        return true;
    });
    ASSERT_TRUE(ok);
    const std::string expected = referenceReport(kSummary, c.count, c.line);
    ASSERT_EQ(joined.size(), expected.size());
    ASSERT_TRUE(joined == expected);

    ASSERT_FALSE(sizes.empty());
    const std::size_t bound = kReportChunkBytes + std::max<std::size_t>(c.longestLine + 2, 100);
    EXPECT_LE(*std::max_element(sizes.begin(), sizes.end()), bound);
    // Every chunk but the last is a full one: the report is never written line by line.
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) {
        ASSERT_GE(sizes[i], kReportChunkBytes) << "chunk " << i;
    }
    EXPECT_LE(sizes.size(), expected.size() / kReportChunkBytes + 1);
}

INSTANTIATE_TEST_SUITE_P(Table, ReportStreaming,
                         ::testing::Values(StreamCase{"ThreeMillionLines", 3'000'000, sampleLine, 7 + 11 + 12},
                                           StreamCase{"JustOverOneChunk", 60'000,
                                                      [](std::size_t, std::string& out) { out += "0123456789abcdef"; },
                                                      16},
                                           StreamCase{"SomeLinesLongerThanAChunk", 7,
                                                      [](std::size_t k, std::string& out) {
                                                          out.append(k % 2 == 0 ? 3 * kReportChunkBytes : 5, 'x');
                                                      },
                                                      3 * kReportChunkBytes}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A failed write stops the report

struct FailureCase {
    const char* name;
    std::size_t lineCount;
    int failingCall;  // 1-based
};

class ReportWriteFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ReportWriteFailure, StopsAtOnceAndSaysSo) {
    const FailureCase& c = GetParam();
    int calls = 0;
    std::size_t linesAsked = 0;
    const bool ok = writeResultsReport(
        kSummary, c.lineCount,
        [&](std::size_t k, std::string& out) {
            ++linesAsked;
            sampleLine(k, out);
        },
        [&](std::string_view) { return ++calls != c.failingCall; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(calls, c.failingCall);
    // Lines after the failed chunk are never built.
    EXPECT_LT(linesAsked, c.lineCount);
}

INSTANTIATE_TEST_SUITE_P(Table, ReportWriteFailure,
                         ::testing::Values(FailureCase{"FirstChunk", 1'000'000, 1},
                                           FailureCase{"SecondChunk", 1'000'000, 2},
                                           FailureCase{"FifthChunk", 1'000'000, 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResultsReport, FailedWriteOfASmallReportIsReported) {
    int calls = 0;
    const bool ok = writeResultsReport(
        kSummary, 2, [](std::size_t k, std::string& out) { sampleLine(k, out); },
        [&](std::string_view) {
            ++calls;
            return false;
        });
    EXPECT_FALSE(ok);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace kinfold
