#include "pattern/StringEntries.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kinfold {
namespace {

// Entries as text: codes in hex, "*" for a skipped entry; or the refusal.
std::string show(const std::variant<std::vector<StringEntry>, StringEntryError>& read) {
    if (const auto* error = std::get_if<StringEntryError>(&read)) {
        std::string out = "refused ";
        out += std::to_string(static_cast<int>(error->reason)) + " at character " + std::to_string(error->character);
        out += " byte " + std::to_string(error->byte) + " \"" + error->text + '"';
        return out;
    }
    std::string out;
    for (const StringEntry& e : std::get<std::vector<StringEntry>>(read)) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(e.code.value_or(0)));
        if (!out.empty()) out += ' ';
        out += e.code ? buffer : "*";
    }
    return out;
}

const UserOrder& iroha() {
    static const UserOrder order = std::get<UserOrder>(UserOrder::read("いろはにほへとちりぬるを\nわかよたれそ"));
    return order;
}

struct EntriesCase {
    const char* name;
    const char* text;
    StringCoding coding;
    const char* expected;
};

class StringEntriesOf : public ::testing::TestWithParam<EntriesCase> {};

TEST_P(StringEntriesOf, GiveTheExpectedEntries) {
    EXPECT_EQ(show(stringEntries(GetParam().text, GetParam().coding)), GetParam().expected);
}

StringCoding unicodeKana() { return {KanaCodes::Unicode, nullptr, false, false, std::nullopt}; }
StringCoding split() { return {KanaCodes::GameOrder, nullptr, true, false, std::nullopt}; }
StringCoding lettersOnly() { return {KanaCodes::GameOrder, nullptr, false, true, std::nullopt}; }
StringCoding wildcard(char32_t c) { return {KanaCodes::GameOrder, nullptr, false, false, c}; }
StringCoding inIroha(bool splitVoiced = false) {
    return {KanaCodes::GameOrder, &iroha(), splitVoiced, false, std::nullopt};
}

INSTANTIATE_TEST_SUITE_P(
    Table, StringEntriesOf,
    ::testing::Values(
        EntriesCase{"GameOrderByDefault", "さくら", {}, "280A 2807 2826"},
        EntriesCase{"UnicodeKana", "さくら", unicodeKana(), "3055 304F 3089"},
        EntriesCase{"LatinAndCodePage", "Hé€", {}, "48 E9 80"},
        EntriesCase{"SplitVoicedAndHalfVoiced", "どぱヴ", split(), "2813 * 2819 * 2882 *"},
        EntriesCase{"SplitLeavesOthersWhole", "とA", split(), "2813 41"},
        EntriesCase{"VoicedWholeWithoutSplit", "ど", {}, "283C"},
        EntriesCase{"LettersOnlySkipsSpaceAndPunctuation", "Hi-Po tion!", lettersOnly(),
                    "48 69 * 50 6F * 74 69 6F 6E *"},
        EntriesCase{"LettersOnlyKeepsKanaAndDigits", "ポ。ー1", lettersOnly(), "28C6 * * 31"},
        EntriesCase{"WildcardAnywhere", "a_b_", wildcard(U'_'), "61 * 62 *"},
        EntriesCase{"WildcardKana", "あーい", wildcard(U'ー'), "2800 * 2801"},
        EntriesCase{"OrderPlacesFromOne", "いろわそ", inIroha(), "1 2 D 12"},
        EntriesCase{"OrderSkipsLineBreaks", "を\nわ", inIroha(), "refused 2 at character 2 byte 3 \"\n\""},
        EntriesCase{"OrderRefusesUnlisted", "いが", inIroha(), "refused 2 at character 2 byte 3 \"が\""},
        EntriesCase{"OrderWithSplitVoiced", "いが", inIroha(true), "1 E *"},
        EntriesCase{"NoCodeAboveU7FFF", "A\xEF\xBC\xA1", {}, "refused 1 at character 2 byte 1 \"\xEF\xBC\xA1\""},
        EntriesCase{"BadUtf8", "ab\xFF", {}, "refused 0 at character 3 byte 2 \"\""}),
    [](const auto& info) { return std::string(info.param.name); });

struct OrderCase {
    const char* name;
    std::string text;
    const char* expected;  // the refusal, or "" for an order
};

class UserOrders : public ::testing::TestWithParam<OrderCase> {};

TEST_P(UserOrders, AreReadOrRefused) {
    const auto read = UserOrder::read(GetParam().text);
    const auto* reason = std::get_if<std::string>(&read);
    EXPECT_EQ(reason ? *reason : std::string(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UserOrders,
    ::testing::Values(OrderCase{"Empty", "", "it is empty"}, OrderCase{"OnlyLineBreaks", "\r\n\n", "it is empty"},
                      OrderCase{"ByteOrderMarkOnly", "\xEF\xBB\xBF", "it is empty"},
                      OrderCase{"BadByte", "ab\xC3", "byte 3 is not valid UTF-8"},
                      OrderCase{"Largest", std::string(32767, 'a'), ""},
                      OrderCase{"OneTooMany", std::string(32768, 'a'), "it has more than 32767 characters"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserOrder, FirstPlaceWinsAndPlacesReadBack) {
    const UserOrder order =
        std::get<UserOrder>(UserOrder::read("\xEF\xBB\xBF"
                                            "ab\r\nあa"));
    EXPECT_EQ(order.size(), 4u);
    EXPECT_EQ(order.code(U'a'), 1);
    EXPECT_EQ(order.code(U'あ'), 3);
    EXPECT_FALSE(order.code(U'\n'));
    EXPECT_EQ(order.text(3), "あ");
    EXPECT_EQ(order.text(0), "");
    EXPECT_EQ(order.text(5), "");
}

}  // namespace
}  // namespace kinfold
