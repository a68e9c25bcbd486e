// IPS and BPS patches against plain appliers written from the formats.
#include "patch/BpsPatch.h"
#include "patch/Crc32.h"
#include "patch/IpsPatch.h"
#include "patch/PatchFile.h"

#include <gtest/gtest.h>

#include <random>
#include <variant>

namespace kinfold {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint64_t big(const Bytes& p, std::size_t at, int n) {
    std::uint64_t v = 0;
    for (int k = 0; k < n; ++k) v = v << 8 | p.at(at + static_cast<std::size_t>(k));
    return v;
}

// The IPS format read plainly; records holds where each record starts.
Bytes referenceIps(const Bytes& patch, Bytes out, std::vector<std::uint64_t>* records = nullptr) {
    EXPECT_EQ(std::string(patch.begin(), patch.begin() + 5), "PATCH");
    std::size_t p = 5;
    while (std::string(patch.begin() + static_cast<std::ptrdiff_t>(p),
                       patch.begin() + static_cast<std::ptrdiff_t>(p) + 3) != "EOF") {
        const std::uint64_t offset = big(patch, p, 3);
        const std::uint64_t size = big(patch, p + 3, 2);
        if (records) records->push_back(offset);
        p += 5;
        Bytes bytes;
        if (size == 0) {
            bytes.assign(big(patch, p, 2), patch.at(p + 2));
            p += 3;
        } else {
            bytes.assign(patch.begin() + static_cast<std::ptrdiff_t>(p),
                         patch.begin() + static_cast<std::ptrdiff_t>(p + size));
            p += size;
        }
        if (out.size() < offset + bytes.size()) out.resize(offset + bytes.size());
        for (std::size_t k = 0; k < bytes.size(); ++k) out[offset + k] = bytes[k];
    }
    p += 3;
    if (patch.size() == p + 3) out.resize(big(patch, p, 3));
    return out;
}

std::uint64_t bpsNumber(const Bytes& p, std::size_t& at) {
    std::uint64_t data = 0, shift = 1;
    while (true) {
        const std::uint8_t x = p.at(at++);
        data += (x & 0x7F) * shift;
        if (x & 0x80) return data;
        shift <<= 7;
        data += shift;
    }
}

// The BPS format read plainly, every CRC checked.
Bytes referenceBps(const Bytes& patch, const Bytes& source) {
    EXPECT_EQ(std::string(patch.begin(), patch.begin() + 4), "BPS1");
    std::size_t p = 4;
    EXPECT_EQ(bpsNumber(patch, p), source.size());
    Bytes out(bpsNumber(patch, p));
    p += bpsNumber(patch, p);
    std::size_t at = 0;
    std::int64_t sourceRel = 0, targetRel = 0;
    while (p < patch.size() - 12) {
        const std::uint64_t data = bpsNumber(patch, p);
        const std::uint64_t length = (data >> 2) + 1;
        for (std::uint64_t k = 0; k < length; ++k) {
            switch (data & 3) {
            case 0: out.at(at) = source.at(at); break;
            case 1: out.at(at) = patch.at(p++); break;
            default: break;
            }
            if ((data & 3) < 2) ++at;
        }
        if ((data & 3) >= 2) {
            const std::uint64_t d = bpsNumber(patch, p);
            std::int64_t& rel = (data & 3) == 2 ? sourceRel : targetRel;
            rel += (d & 1 ? -1 : 1) * static_cast<std::int64_t>(d >> 1);
            for (std::uint64_t k = 0; k < length; ++k) {
                out.at(at++) = (data & 3) == 2 ? source.at(static_cast<std::size_t>(rel++))
                                               : out.at(static_cast<std::size_t>(rel++));
            }
        }
    }
    const auto crc = [&](std::size_t k) {
        return static_cast<std::uint32_t>(patch[k] | patch[k + 1] << 8 | patch[k + 2] << 16 |
                                          std::uint32_t{patch[k + 3]} << 24);
    };
    EXPECT_EQ(crc(patch.size() - 12), crc32Of(source));
    EXPECT_EQ(crc(patch.size() - 8), crc32Of(out));
    EXPECT_EQ(crc(patch.size() - 4), crc32Of(std::span(patch).first(patch.size() - 4)));
    return out;
}

Bytes ips(const Bytes& source, const Bytes& target) {
    auto made = ipsPatch(source, target);
    EXPECT_TRUE(std::holds_alternative<Bytes>(made)) << std::get<std::string>(made);
    return std::get<Bytes>(made);
}

Bytes applied(const Bytes& patch, const Bytes& source) {
    auto out = applyPatch(patch, source);
    EXPECT_TRUE(std::holds_alternative<AppliedPatch>(out)) << std::get<std::string>(out);
    return std::get<AppliedPatch>(out).output;
}

// A ROM-like pair: stretches changed, runs of one byte written, the end grown or cut.
std::pair<Bytes, Bytes> randomPair(std::mt19937& random) {
    Bytes source(random() % 3000);
    for (auto& b : source) b = static_cast<std::uint8_t>(random() % 4);
    Bytes target = source;
    const auto grown = static_cast<long>(source.size() + random() % 200) - static_cast<long>(random() % 100);
    target.resize(static_cast<std::size_t>(std::max(1L, grown)));
    for (int k = 0, n = static_cast<int>(random() % 12); k < n && !target.empty(); ++k) {
        const std::size_t at = random() % target.size();
        const std::size_t length = std::min<std::size_t>(target.size() - at, random() % 40);
        const bool run = random() % 3 == 0;
        const auto value = static_cast<std::uint8_t>(random());
        for (std::size_t j = 0; j < length; ++j) target[at + j] = run ? value : static_cast<std::uint8_t>(random());
    }
    return {source, target};
}

TEST(Patches, RandomPairsApplyAsTheFormatsSay) {
    std::mt19937 random(26);
    for (int round = 0; round < 400; ++round) {
        const auto [source, target] = randomPair(random);
        const Bytes i = ips(source, target);
        EXPECT_EQ(referenceIps(i, source), target) << round;
        EXPECT_EQ(applied(i, source), target) << round;
        const Bytes b = bpsPatch(source, target);
        EXPECT_EQ(referenceBps(b, source), target) << round;
        EXPECT_EQ(applied(b, source), target) << round;
    }
}

TEST(Patches, NoChangeGivesEmptyPatches) {
    const Bytes rom(5000, 0x42);
    EXPECT_EQ(ips(rom, rom), (Bytes{'P', 'A', 'T', 'C', 'H', 'E', 'O', 'F'}));
    // One SourceRead of the whole: ((5000 - 1) << 2) | 0.
    Bytes b = bpsPatch(rom, rom);
    std::size_t p = 4;
    EXPECT_EQ(bpsNumber(b, p), 5000u);
    EXPECT_EQ(bpsNumber(b, p), 5000u);
    EXPECT_EQ(bpsNumber(b, p), 0u);
    EXPECT_EQ(bpsNumber(b, p), (4999u << 2));
    EXPECT_EQ(p, b.size() - 12);
}

struct NumberCase {
    const char* name;
    std::uint64_t value;
    Bytes bytes;
};

class BpsNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(BpsNumbers, WrittenAsTheFormatSays) {
    Bytes out;
    appendBpsNumber(GetParam().value, out);
    EXPECT_EQ(out, GetParam().bytes);
    std::size_t p = 0;
    EXPECT_EQ(bpsNumber(out, p), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Table, BpsNumbers,
                         ::testing::Values(NumberCase{"Zero", 0, {0x80}}, NumberCase{"LargestOneByte", 127, {0xFF}},
                                           NumberCase{"SmallestTwoBytes", 128, {0x00, 0x80}},
                                           NumberCase{"LargestTwoBytes", 16511, {0x7F, 0xFF}},
                                           NumberCase{"SmallestThreeBytes", 16512, {0x00, 0x00, 0x80}}),
                         [](const auto& info) { return info.param.name; });

TEST(Ips, NoRecordStartsAtEof) {
    Bytes source(0x454F60, 0);
    Bytes target = source;
    target[0x454F46] = 1;  // a change right at "EOF"
    target[0x454F50] = 2;
    std::vector<std::uint64_t> records;
    const Bytes patch = ips(source, target);
    EXPECT_EQ(referenceIps(patch, source, &records), target);
    ASSERT_FALSE(records.empty());
    for (const std::uint64_t r : records) EXPECT_NE(r, 0x454F46u);
    EXPECT_EQ(records.front(), 0x454F45u);
    EXPECT_EQ(applied(patch, source), target);
}

TEST(Ips, RunOfOneByteLongerThanARecordIsSplit) {
    const Bytes source(70000, 0);
    Bytes target = source;
    std::fill(target.begin() + 100, target.begin() + 100 + 65536, std::uint8_t{0xFF});
    const Bytes patch = ips(source, target);
    // Two run records of 8 bytes: 65535 and 1.
    EXPECT_EQ(patch.size(), 5u + 8 + 8 + 3);
    EXPECT_EQ(big(patch, 5 + 5, 2), 65535u);
    EXPECT_EQ(big(patch, 13 + 5, 2), 1u);
    EXPECT_EQ(applied(patch, source), target);
}

TEST(Ips, ChangePastSixteenMiBNamesBps) {
    Bytes source((std::size_t{1} << 24) + 10, 0);
    Bytes target = source;
    target[(std::size_t{1} << 24) + 3] = 9;
    const auto made = ipsPatch(source, target);
    ASSERT_TRUE(std::holds_alternative<std::string>(made));
    EXPECT_NE(std::get<std::string>(made).find("16777219"), std::string::npos);
    EXPECT_NE(std::get<std::string>(made).find("BPS"), std::string::npos);
    // The last byte below 16 MiB is still within reach.
    target = source;
    target[(std::size_t{1} << 24) - 1] = 9;
    EXPECT_EQ(applied(ips(source, target), source), target);
}

TEST(Ips, ShorterOutputIsCutAfterEof) {
    const Bytes source = {1, 2, 3, 4, 5, 6};
    const Bytes target = {1, 9, 3};
    const Bytes patch = ips(source, target);
    EXPECT_EQ(patch, (Bytes{'P', 'A', 'T', 'C', 'H', 0, 0, 1, 0, 1, 9, 'E', 'O', 'F', 0, 0, 3}));
    EXPECT_EQ(applied(patch, source), target);
}

struct BadPatch {
    const char* name;
    Bytes patch;
    const char* says;
};

class BadPatches : public ::testing::TestWithParam<BadPatch> {};

TEST_P(BadPatches, AreRefusedWithTheReason) {
    const auto out = applyPatch(GetParam().patch, Bytes{1, 2, 3});
    ASSERT_TRUE(std::holds_alternative<std::string>(out));
    EXPECT_NE(std::get<std::string>(out).find(GetParam().says), std::string::npos) << std::get<std::string>(out);
}

void appendCrc(std::uint32_t crc, Bytes& patch) {
    for (int k = 0; k < 4; ++k) patch.push_back(static_cast<std::uint8_t>(crc >> (8 * k)));
}

// A BPS patch for the source {1, 2, 3} from its header and actions: right source and patch CRCs.
Bytes bpsFor123(Bytes body) {
    appendCrc(crc32Of(Bytes{1, 2, 3}), body);
    appendCrc(0, body);
    appendCrc(crc32Of(body), body);
    return body;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadPatches,
    ::testing::Values(
        BadPatch{"NeitherKind", {'H', 'E', 'L', 'L', 'O'}, "neither an IPS patch"},
        BadPatch{"IpsWithoutEof", {'P', 'A', 'T', 'C', 'H', 0, 0, 1, 0, 1, 9}, "before its \"EOF\""},
        BadPatch{"IpsRecordCutShort", {'P', 'A', 'T', 'C', 'H', 0, 0, 1, 0, 5, 9}, "a record's bytes"},
        BadPatch{
            "BpsDamaged", {'B', 'P', 'S', '1', 0x83, 0x83, 0x80, 0x88, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "damaged"},
        // A TargetRead of 4 bytes into an output of 3.
        BadPatch{"BpsWritesPastItsEnd", bpsFor123({'B', 'P', 'S', '1', 0x83, 0x83, 0x80, 0x8D, 1, 2, 3, 4}),
                 "past the end of the output"},
        // A TargetCopy before anything is written.
        BadPatch{"BpsCopiesWhatIsNotWritten", bpsFor123({'B', 'P', 'S', '1', 0x83, 0x83, 0x80, 0x83, 0x80}),
                 "not written yet"},
        // Three bytes read from the source, then a result whose CRC is not the one named.
        BadPatch{"BpsResultCrcWrong", bpsFor123({'B', 'P', 'S', '1', 0x83, 0x83, 0x80, 0x88}), "its result has"}),
    [](const auto& info) { return info.param.name; });

TEST(Bps, WrongSourceNamesBothCrcs) {
    const Bytes source = {1, 2, 3, 4};
    const Bytes other = {1, 2, 3, 5};
    const Bytes patch = bpsPatch(source, Bytes{9, 9, 9, 9});
    const auto out = applyPatch(patch, other);
    ASSERT_TRUE(std::holds_alternative<std::string>(out));
    const std::string& reason = std::get<std::string>(out);
    EXPECT_NE(reason.find(crc32Text(crc32Of(source))), std::string::npos) << reason;
    EXPECT_NE(reason.find(crc32Text(crc32Of(other))), std::string::npos) << reason;
}

}  // namespace
}  // namespace kinfold
