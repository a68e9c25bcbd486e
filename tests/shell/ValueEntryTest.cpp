#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "shell/main/Form1.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace kinfold {

// Failure messages show an entry as its three numbers. Internal to this file,
// so another test file may print entries its own way.
[[maybe_unused]] static void PrintTo(const StoredEntry& e, std::ostream* out) {
    *out << "{value " << e.value << ", step " << e.difference << ", direction " << e.direction << "}";
}

}  // namespace kinfold

namespace kinfold::test {
namespace {

// ---- Helpers -----------------------------------------------------------------

const char* const kNotValid = "That is not a valid value!";
constexpr int kNotice = 64;

std::string str(const QString& text) { return text.toStdString(); }

// Shows the window and waits until it is the active one, so the focus and the
// Escape key behave as they do for a user.
Form1& shown(Harness& h) {
    Form1& w = h.w();
    w.show();
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    return w;
}

// Adds a value through the window, checking first that the box took the text.
void addValueChecked(Form1& w, const QString& text) {
    w.EnterVal->clear();
    type(w.EnterVal, text);
    ASSERT_EQ(str(w.EnterVal->text()), str(text));
    click(w.AddVal);
}

// Fills the pattern to n entries through the real button, every value a small
// positive number so no step is ever too large.
int fillValue(int entry) { return 1 + (entry - 1) % 50; }
void fillTo(Form1& w, int n) {
    for (int i = w.pattern().count() + 1; i <= n; ++i) addValueChecked(w, QString::number(fillValue(i)));
    ASSERT_EQ(w.pattern().count(), n);
}

enum class Format { Decimal, Hex, Ascii };

void selectFormat(Form1& w, Format f) {
    QRadioButton* option = f == Format::Decimal ? w.DecimalB : f == Format::Hex ? w.HexB : w.Ascii;
    click(option);
    ASSERT_TRUE(option->isChecked());
}

void stringMode(Form1& w) {
    click(w.OptString);
    ASSERT_TRUE(w.OptString->isChecked());
}

void valuesMode(Form1& w) {
    click(w.OptValues);
    ASSERT_TRUE(w.OptValues->isChecked());
}

// Types the string into EnterStr (string mode) and clicks "Add String".
void addString(Form1& w, const QString& text) {
    w.EnterStr->clear();
    type(w.EnterStr, text);
    ASSERT_EQ(str(w.EnterStr->text()), str(text));
    click(w.AddStr);
}

// Saves the pattern through "Save Values", so it counts as saved.
void saveValues(Harness& h, const TestFolder& folder) {
    const std::size_t before = h.messages.shown.size();
    h.files.paths.push_back(folder.path("values.ksv"));
    click(h.w().SaveVals);
    ASSERT_EQ(h.messages.shown.size(), before);
    ASSERT_TRUE(h.w().ValuesSaved());
}

std::vector<std::string> lineStrings(const Form1& w) {
    std::vector<std::string> out;
    for (int i = 0; i < w.ValuesList->count(); ++i) out.push_back(str(w.ValuesList->item(i)->text()));
    return out;
}

std::vector<std::string> resultLines(const Form1& w) {
    std::vector<std::string> out;
    const QAbstractItemModel* model = w.Results->model();
    for (int r = 0; r < model->rowCount(); ++r) out.push_back(str(model->index(r, 0).data().toString()));
    return out;
}

std::vector<StoredEntry> entries(const Form1& w) {
    std::vector<StoredEntry> out;
    for (int i = 1; i <= w.pattern().count(); ++i) out.push_back(w.pattern().stored(i));
    return out;
}

std::vector<bool> skippedFlags(const Form1& w) {
    std::vector<bool> out;
    for (int i = 1; i <= w.pattern().count(); ++i) out.push_back(w.pattern().isSkipped(i));
    return out;
}

std::vector<std::pair<std::string, int>> messages(const Harness& h) {
    std::vector<std::pair<std::string, int>> out;
    for (const auto& s : h.messages.shown) out.emplace_back(str(s.text), s.style);
    return out;
}

std::vector<std::pair<std::string, int>> notices(const char* text, std::size_t times) {
    return std::vector<std::pair<std::string, int>>(times, {text, kNotice});
}

// Everything value and string entry can change.
struct Snapshot {
    std::vector<StoredEntry> entries;
    std::vector<bool> skipped;
    std::vector<std::string> lines;
    std::string numVals;
    std::string enterVal;
    std::string enterStr;
    bool saved = false;
};

Snapshot snapshot(const Form1& w) {
    return {entries(w),
            skippedFlags(w),
            lineStrings(w),
            str(w.NumVals->text()),
            str(w.EnterVal->text()),
            str(w.EnterStr->text()),
            w.ValuesSaved()};
}

void expectPatternSame(const Snapshot& before, const Form1& w) {
    EXPECT_EQ(entries(w), before.entries);
    EXPECT_EQ(skippedFlags(w), before.skipped);
    EXPECT_EQ(lineStrings(w), before.lines);
    EXPECT_EQ(str(w.NumVals->text()), before.numVals);
}

void expectAllSame(const Snapshot& before, const Form1& w) {
    expectPatternSame(before, w);
    EXPECT_EQ(str(w.EnterVal->text()), before.enterVal);
    EXPECT_EQ(str(w.EnterStr->text()), before.enterStr);
    EXPECT_EQ(w.ValuesSaved(), before.saved);
}

// ---- Add Value: the lines and the count ----------------------------------------

TEST(ValueEntry, EachAcceptedValueAddsItsLineAndTheCount) {
    Harness h;
    Form1& w = shown(h);
    struct Step {
        const char* typed;
        std::vector<std::string> lines;
        const char* count;
    };
    const Step steps[] = {
        {"65", {"65"}, "1"},
        {"70", {"65", "70 (+5)"}, "2"},
        {"60", {"65", "70 (+5)", "60 (-10)"}, "3"},
        {"60", {"65", "70 (+5)", "60 (-10)", "60 (0)"}, "4"},
    };
    for (const Step& s : steps) {
        addValueChecked(w, s.typed);
        EXPECT_EQ(lineStrings(w), s.lines) << s.typed;
        EXPECT_EQ(str(w.NumVals->text()), s.count) << s.typed;
        EXPECT_EQ(str(w.EnterVal->text()), "") << s.typed;
        EXPECT_EQ(QApplication::focusWidget(), w.EnterVal) << s.typed;
        EXPECT_FALSE(w.ValuesSaved()) << s.typed;
    }
    EXPECT_TRUE(h.messages.shown.empty());
    const std::vector<StoredEntry> expected = {{65, 0, 0}, {70, 5, 1}, {60, 10, -1}, {60, 0, 0}};
    EXPECT_EQ(entries(w), expected);
}

// ---- Add Value: how each format reads a text ------------------------------------

enum class Outcome {
    Accepted,      // the line is appended and EnterVal emptied
    Refused,       // nothing changes and EnterVal keeps the text
    RefusedAsZero  // nothing changes but EnterVal ends empty
};

struct ReadCase {
    const char* name;
    Format format;
    int anchor;  // the entry already there
    const char* typed;
    Outcome outcome;
    int value;         // the value read, for an accepted text
    const char* line;  // its line, for an accepted text
};

class ValueEntryReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ValueEntryReads, ReadsTheTextInTheSelectedFormat) {
    const ReadCase& c = GetParam();
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    addValueChecked(w, QString::number(c.anchor));
    ASSERT_EQ(w.pattern().count(), 1);
    saveValues(h, folder);
    selectFormat(w, c.format);
    w.EnterVal->clear();
    const QString typed = QString::fromUtf8(c.typed);
    type(w.EnterVal, typed);
    ASSERT_EQ(str(w.EnterVal->text()), c.typed);
    const Snapshot before = snapshot(w);

    click(w.AddVal);

    EXPECT_FALSE(w.ValuesSaved());
    switch (c.outcome) {
    case Outcome::Accepted: {
        EXPECT_TRUE(h.messages.shown.empty());
        ASSERT_EQ(w.pattern().count(), 2);
        EXPECT_EQ(w.pattern().value(2), c.value);
        const std::vector<std::string> lines = {std::to_string(c.anchor), c.line};
        EXPECT_EQ(lineStrings(w), lines);
        EXPECT_EQ(str(w.NumVals->text()), "2");
        EXPECT_EQ(str(w.EnterVal->text()), "");
        EXPECT_EQ(QApplication::focusWidget(), w.EnterVal);
        break;
    }
    case Outcome::Refused:
        EXPECT_EQ(messages(h), notices(kNotValid, 1));
        expectPatternSame(before, w);
        EXPECT_EQ(str(w.EnterVal->text()), c.typed);
        // The click gave the button the focus; a refusal leaves it there.
        EXPECT_EQ(QApplication::focusWidget(), w.AddVal);
        break;
    case Outcome::RefusedAsZero:
        EXPECT_EQ(messages(h), notices(kNotValid, 1));
        expectPatternSame(before, w);
        EXPECT_EQ(str(w.EnterVal->text()), "");
        break;
    }
    EXPECT_EQ(str(w.EnterStr->text()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValueEntryReads,
    ::testing::Values(
        ReadCase{"DecimalPlain", Format::Decimal, 100, "65", Outcome::Accepted, 65, "65 (-35)"},
        ReadCase{"DecimalStopsAtLetters", Format::Decimal, 100, "12abc", Outcome::Accepted, 12, "12 (-88)"},
        ReadCase{"DecimalDropsBlanks", Format::Decimal, 100, "1 2", Outcome::Accepted, 12, "12 (-88)"},
        ReadCase{"DecimalExponent", Format::Decimal, 100, "1e3", Outcome::Accepted, 1000, "1000 (+900)"},
        ReadCase{"DecimalHalfGoesToEvenDown", Format::Decimal, 100, "2.5", Outcome::Accepted, 2, "2 (-98)"},
        ReadCase{"DecimalHalfGoesToEvenUp", Format::Decimal, 100, "3.5", Outcome::Accepted, 4, "4 (-96)"},
        ReadCase{"DecimalStopsAtComma", Format::Decimal, 100, "1,000", Outcome::Accepted, 1, "1 (-99)"},
        ReadCase{"DecimalNegative", Format::Decimal, 100, "-7", Outcome::Accepted, -7, "-7 (-107)"},
        ReadCase{"DecimalHexPrefix", Format::Decimal, 100, "&H41", Outcome::Accepted, 65, "65 (-35)"},
        ReadCase{"DecimalHighest", Format::Decimal, 100, "32767", Outcome::Accepted, 32767, "32767 (+32667)"},
        ReadCase{"DecimalLowest", Format::Decimal, -1, "-32768", Outcome::Accepted, -32768, "-32768 (-32767)"},
        ReadCase{"DecimalOutOfRange", Format::Decimal, 100, "40000", Outcome::Refused, 0, ""},
        ReadCase{"DecimalJustAbove", Format::Decimal, 100, "32768", Outcome::Refused, 0, ""},
        ReadCase{"DecimalJustBelow", Format::Decimal, -1, "-32769", Outcome::Refused, 0, ""},
        ReadCase{"DecimalRoundsOutOfRange", Format::Decimal, 100, "32767.5", Outcome::Refused, 0, ""},
        ReadCase{"DecimalZero", Format::Decimal, 100, "0", Outcome::RefusedAsZero, 0, ""},
        ReadCase{"DecimalLetters", Format::Decimal, 100, "abc", Outcome::RefusedAsZero, 0, ""},
        ReadCase{"DecimalEmpty", Format::Decimal, 100, "", Outcome::RefusedAsZero, 0, ""},
        ReadCase{"DecimalRoundsToZero", Format::Decimal, 100, "0.4", Outcome::RefusedAsZero, 0, ""},
        ReadCase{"HexUpper", Format::Hex, 100, "FF", Outcome::Accepted, 255, "255 (+155)"},
        ReadCase{"HexLower", Format::Hex, 100, "ff", Outcome::Accepted, 255, "255 (+155)"},
        ReadCase{"HexHighest", Format::Hex, 100, "7FFF", Outcome::Accepted, 32767, "32767 (+32667)"},
        ReadCase{"HexSignBit", Format::Hex, -1, "8000", Outcome::Accepted, -32768, "-32768 (-32767)"},
        ReadCase{"HexAllOnes", Format::Hex, 100, "FFFF", Outcome::Accepted, -1, "-1 (-101)"},
        ReadCase{"HexThirtyTwoBitMinusOne", Format::Hex, 100, "FFFFFFFF", Outcome::Accepted, -1, "-1 (-101)"},
        ReadCase{"HexStopsAtNonDigit", Format::Hex, 100, "1G", Outcome::Accepted, 1, "1 (-99)"},
        ReadCase{"HexOutOfRange", Format::Hex, 100, "10000", Outcome::Refused, 0, ""},
        ReadCase{"HexMinusSign", Format::Hex, 100, "-1", Outcome::RefusedAsZero, 0, ""},
        ReadCase{"HexEmpty", Format::Hex, 100, "", Outcome::RefusedAsZero, 0, ""},
        ReadCase{"HexZero", Format::Hex, 100, "0", Outcome::RefusedAsZero, 0, ""},
        ReadCase{"AsciiLetter", Format::Ascii, 100, "A", Outcome::Accepted, 65, "65 (-35)"},
        ReadCase{"AsciiFirstCharacterOnly", Format::Ascii, 100, "AB", Outcome::Accepted, 65, "65 (-35)"},
        ReadCase{"AsciiBlank", Format::Ascii, 100, " ", Outcome::Accepted, 32, "32 (-68)"},
        ReadCase{"AsciiDigitIsItsCode", Format::Ascii, 100, "0", Outcome::Accepted, 48, "48 (-52)"},
        ReadCase{"AsciiLatin1", Format::Ascii, 100, "\xC3\xA9", Outcome::Accepted, 233, "233 (+133)"},
        ReadCase{"AsciiEuroTakesItsCodePageByte", Format::Ascii, 100, "\xE2\x82\xAC", Outcome::Accepted, 128,
                 "128 (+28)"},
        // A kana takes its code in the games' order (see KanaOrder.h), not its code point U+3042.
        ReadCase{"AsciiOutsideTheCodePage", Format::Ascii, 100, "\xE3\x81\x82", Outcome::Accepted, 10240,
                 "10240 (+10140)"},
        ReadCase{"AsciiEmpty", Format::Ascii, 100, "", Outcome::Refused, 0, ""},
        ReadCase{"AsciiAboveSixteenBits", Format::Ascii, 100, "\xF0\x9F\x98\x80", Outcome::Refused, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Add Value: the step from the previous value ----------------------------------

struct StepCase {
    const char* name;
    int first;
    int second;
    const char* line;  // nullptr when the second value is refused
};

class ValueEntrySteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(ValueEntrySteps, AStepMustFitSixteenBits) {
    const StepCase& c = GetParam();
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    addValueChecked(w, QString::number(c.first));
    saveValues(h, folder);
    const Snapshot before = snapshot(w);
    addValueChecked(w, QString::number(c.second));
    EXPECT_FALSE(w.ValuesSaved());
    if (c.line != nullptr) {
        EXPECT_TRUE(h.messages.shown.empty());
        const std::vector<std::string> lines = {std::to_string(c.first), c.line};
        EXPECT_EQ(lineStrings(w), lines);
        EXPECT_EQ(str(w.NumVals->text()), "2");
        EXPECT_EQ(str(w.EnterVal->text()), "");
    } else {
        EXPECT_EQ(messages(h), notices(kNotValid, 1));
        expectPatternSame(before, w);
        EXPECT_EQ(str(w.EnterVal->text()), std::to_string(c.second));
        EXPECT_EQ(QApplication::focusWidget(), w.AddVal);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ValueEntrySteps,
                         ::testing::Values(StepCase{"LargestRise", -32768, -1, "-1 (+32767)"},
                                           StepCase{"LargestFall", 32766, -1, "-1 (-32767)"},
                                           StepCase{"LargeRiseFromOne", 1, 32767, "32767 (+32766)"},
                                           StepCase{"WholeRangeUp", -32768, 32767, nullptr},
                                           StepCase{"WholeRangeDown", 32767, -32768, nullptr},
                                           StepCase{"FallOneTooLarge", 32767, -1, nullptr},
                                           StepCase{"RiseOneTooLargeFromBottom", -32768, 1, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Add Value: the 1000-entry limit -------------------------------------------------

TEST(ValueEntry, TheThousandthValueIsAcceptedAndTheNextRefused) {
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    fillTo(w, 999);
    addValueChecked(w, "500");
    ASSERT_TRUE(h.messages.shown.empty());
    ASSERT_EQ(w.pattern().count(), 1000);
    EXPECT_EQ(str(w.NumVals->text()), "1000");
    ASSERT_EQ(w.ValuesList->count(), 1000);
    const std::string last = "500 (+" + std::to_string(500 - fillValue(999)) + ")";
    EXPECT_EQ(str(w.ValuesList->item(999)->text()), last);
    saveValues(h, folder);
    const Snapshot before = snapshot(w);

    addValueChecked(w, "7");
    EXPECT_EQ(messages(h), notices(kNotValid, 1));
    expectPatternSame(before, w);
    EXPECT_EQ(str(w.EnterVal->text()), "7");
    EXPECT_EQ(QApplication::focusWidget(), w.AddVal);
    EXPECT_FALSE(w.ValuesSaved());
}

// A refusal counts as a change even from a freshly reset pattern.
struct ResetRefusalCase {
    const char* name;
    Format format;
    const char* typed;
    const char* leftInEnterVal;
};

class ValueEntryRefusalAfterReset : public ::testing::TestWithParam<ResetRefusalCase> {};

TEST_P(ValueEntryRefusalAfterReset, MarksThePatternChanged) {
    const ResetRefusalCase& c = GetParam();
    Harness h;
    Form1& w = shown(h);
    addValueChecked(w, "12");
    click(w.Reset);
    ASSERT_TRUE(w.ValuesSaved());
    selectFormat(w, c.format);
    addValueChecked(w, QString::fromUtf8(c.typed));
    EXPECT_EQ(messages(h), notices(kNotValid, 1));
    EXPECT_FALSE(w.ValuesSaved());
    EXPECT_EQ(w.pattern().count(), 0);
    EXPECT_EQ(w.ValuesList->count(), 0);
    EXPECT_EQ(str(w.NumVals->text()), "0");
    EXPECT_EQ(str(w.EnterVal->text()), c.leftInEnterVal);
}

INSTANTIATE_TEST_SUITE_P(Table, ValueEntryRefusalAfterReset,
                         ::testing::Values(ResetRefusalCase{"OutOfRange", Format::Decimal, "40000", "40000"},
                                           ResetRefusalCase{"ReadsAsZero", Format::Decimal, "abc", ""},
                                           ResetRefusalCase{"HexOutOfRange", Format::Hex, "10000", "10000"},
                                           ResetRefusalCase{"NoCharacter", Format::Ascii, "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Skip Value ------------------------------------------------------------------------

struct SkipRefusalCase {
    const char* name;
    std::function<void(Harness&, const TestFolder&)> setUp;
    const char* message;
};

class ValueEntrySkipRefused : public ::testing::TestWithParam<SkipRefusalCase> {};

TEST_P(ValueEntrySkipRefused, ChangesNothing) {
    const SkipRefusalCase& c = GetParam();
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    c.setUp(h, folder);
    h.messages.shown.clear();
    type(w.EnterVal, "42");
    const Snapshot before = snapshot(w);
    click(w.SkipVal);
    EXPECT_EQ(messages(h), notices(c.message, 1));
    expectAllSame(before, w);
}

INSTANTIATE_TEST_SUITE_P(Table, ValueEntrySkipRefused,
                         ::testing::Values(SkipRefusalCase{"NoEntriesFresh", [](Harness&, const TestFolder&) {},
                                                           "You can't skip the first value!"},
                                           SkipRefusalCase{"NoEntriesAfterDelete",
                                                           [](Harness& h, const TestFolder&) {
                                                               addValueChecked(h.w(), "5");
                                                               click(h.w().DelVal);
                                                               ASSERT_FALSE(h.w().ValuesSaved());
                                                           },
                                                           "You can't skip the first value!"},
                                           SkipRefusalCase{"FullUnsaved",
                                                           [](Harness& h, const TestFolder&) { fillTo(h.w(), 1000); },
                                                           "You can't add more than 1000 values!"},
                                           SkipRefusalCase{"FullSaved",
                                                           [](Harness& h, const TestFolder& folder) {
                                                               fillTo(h.w(), 999);
                                                               click(h.w().SkipVal);
                                                               saveValues(h, folder);
                                                           },
                                                           "You can't add more than 1000 values!"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ValueEntry, SkipCopiesThePreviousValueAndLeavesEnterVal) {
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    addValueChecked(w, "10");
    saveValues(h, folder);
    type(w.EnterVal, "77");
    click(w.SkipVal);
    EXPECT_EQ(lineStrings(w), (std::vector<std::string>{"10", "Skipped Value"}));
    EXPECT_EQ(str(w.NumVals->text()), "2");
    EXPECT_EQ(str(w.EnterVal->text()), "77");
    EXPECT_FALSE(w.ValuesSaved());
    EXPECT_EQ(w.pattern().stored(2), (StoredEntry{10, 0, 0}));
    EXPECT_TRUE(w.pattern().isSkipped(2));

    addValueChecked(w, "15");
    EXPECT_EQ(lineStrings(w), (std::vector<std::string>{"10", "Skipped Value", "15 (+5)"}));
    EXPECT_EQ(str(w.NumVals->text()), "3");
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(ValueEntry, TwoSkipsMeasureTheNextStepFromTheLastValue) {
    Harness h;
    Form1& w = shown(h);
    addValueChecked(w, "10");
    click(w.SkipVal);
    click(w.SkipVal);
    addValueChecked(w, "7");
    EXPECT_EQ(lineStrings(w), (std::vector<std::string>{"10", "Skipped Value", "Skipped Value", "7 (-3)"}));
    EXPECT_EQ(str(w.NumVals->text()), "4");
    const std::vector<StoredEntry> expected = {{10, 0, 0}, {10, 0, 0}, {10, 0, 0}, {7, 3, -1}};
    EXPECT_EQ(entries(w), expected);
    EXPECT_TRUE(h.messages.shown.empty());
}

// ---- Delete Value ------------------------------------------------------------------------

struct DeleteEmptyCase {
    const char* name;
    std::function<void(Form1&)> setUp;
};

class ValueEntryDeleteEmpty : public ::testing::TestWithParam<DeleteEmptyCase> {};

TEST_P(ValueEntryDeleteEmpty, SaysSoAndChangesNothing) {
    Harness h;
    Form1& w = shown(h);
    GetParam().setUp(w);
    h.messages.shown.clear();
    type(w.EnterVal, "9");
    const Snapshot before = snapshot(w);
    click(w.DelVal);
    EXPECT_EQ(messages(h), notices("There are no values to delete!", 1));
    expectAllSame(before, w);
}

INSTANTIATE_TEST_SUITE_P(Table, ValueEntryDeleteEmpty,
                         ::testing::Values(DeleteEmptyCase{"Fresh", [](Form1&) {}},
                                           DeleteEmptyCase{"AfterDeletingTheOnlyEntry",
                                                           [](Form1& w) {
                                                               addValueChecked(w, "3");
                                                               click(w.DelVal);
                                                           }},
                                           DeleteEmptyCase{"AfterReset",
                                                           [](Form1& w) {
                                                               addValueChecked(w, "3");
                                                               click(w.Reset);
                                                           }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ValueEntry, DeleteRemovesTheLastLineEvenWithAnotherSelected) {
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    addValueChecked(w, "10");
    addValueChecked(w, "20");
    click(w.SkipVal);
    addValueChecked(w, "30");
    saveValues(h, folder);
    const QRect first = w.ValuesList->visualItemRect(w.ValuesList->item(0));
    QTest::mouseClick(w.ValuesList->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    ASSERT_EQ(w.ValuesList->currentRow(), 0);
    ASSERT_TRUE(w.ValuesList->item(0)->isSelected());
    type(w.EnterVal, "55");

    click(w.DelVal);
    EXPECT_EQ(lineStrings(w), (std::vector<std::string>{"10", "20 (+10)", "Skipped Value"}));
    EXPECT_EQ(str(w.NumVals->text()), "3");
    EXPECT_EQ(w.pattern().count(), 3);
    EXPECT_EQ(str(w.EnterVal->text()), "55");
    // The click gave the button the focus; deleting does not move it.
    EXPECT_EQ(QApplication::focusWidget(), w.DelVal);
    EXPECT_FALSE(w.ValuesSaved());

    click(w.DelVal);
    EXPECT_EQ(lineStrings(w), (std::vector<std::string>{"10", "20 (+10)"}));
    EXPECT_EQ(str(w.NumVals->text()), "2");
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(ValueEntry, AddDeleteAddGivesTheSamePatternUnsaved) {
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    Harness reference;
    addValueChecked(reference.w(), "10");
    addValueChecked(reference.w(), "-20");
    click(reference.w().SkipVal);
    addValueChecked(reference.w(), "5");

    addValueChecked(w, "10");
    addValueChecked(w, "-20");
    click(w.SkipVal);
    addValueChecked(w, "90");
    saveValues(h, folder);
    click(w.DelVal);
    addValueChecked(w, "5");
    const Snapshot got = snapshot(w);
    const Snapshot want = snapshot(reference.w());
    EXPECT_EQ(got.entries, want.entries);
    EXPECT_EQ(got.skipped, want.skipped);
    EXPECT_EQ(got.lines, want.lines);
    EXPECT_EQ(got.lines, (std::vector<std::string>{"10", "-20 (-30)", "Skipped Value", "5 (+25)"}));
    EXPECT_EQ(got.numVals, "4");
    EXPECT_FALSE(w.ValuesSaved());
    EXPECT_TRUE(h.messages.shown.empty());
}

// ---- Reset Values --------------------------------------------------------------------------

struct ResetCase {
    const char* name;
    bool stringMode;
    bool escapeKey;
};

class ValueEntryReset : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ValueEntryReset, EmptiesThePatternAndKeepsTheRest) {
    const ResetCase& c = GetParam();
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    stringMode(w);
    addString(w, "Hi");
    ASSERT_EQ(w.pattern().count(), 2);
    QByteArray bytes = filledBytes(64);
    plant(bytes, 5, {0x10, 0x31});
    search(w, folder.write("rom.bin", bytes));
    ASSERT_EQ(resultLines(w), std::vector<std::string>{"5 (5 hex)"});
    valuesMode(w);
    selectFormat(w, Format::Hex);
    type(w.EnterVal, "7F");
    if (c.stringMode) stringMode(w);
    const bool hexChecked = w.HexB->isChecked();
    const bool asciiChecked = w.Ascii->isChecked();
    ASSERT_FALSE(w.ValuesSaved());

    if (c.escapeKey) {
        ASSERT_TRUE(w.isActiveWindow());
        QTest::keyClick(&w, Qt::Key_Escape);
    } else {
        click(w.Reset);
    }

    EXPECT_EQ(w.ValuesList->count(), 0);
    EXPECT_EQ(w.pattern().count(), 0);
    EXPECT_EQ(str(w.NumVals->text()), "0");
    EXPECT_EQ(str(w.EnterVal->text()), "");
    EXPECT_TRUE(w.ValuesSaved());
    EXPECT_EQ(str(w.EnterStr->text()), "Hi");
    EXPECT_EQ(w.OptString->isChecked(), c.stringMode);
    EXPECT_EQ(w.OptValues->isChecked(), !c.stringMode);
    EXPECT_EQ(w.HexB->isChecked(), hexChecked);
    EXPECT_EQ(w.Ascii->isChecked(), asciiChecked);
    EXPECT_EQ(w.AddStr->isVisible(), c.stringMode);
    EXPECT_EQ(w.AddVal->isVisible(), !c.stringMode);
    EXPECT_EQ(resultLines(w), std::vector<std::string>{"5 (5 hex)"});
    EXPECT_TRUE(h.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, ValueEntryReset,
                         ::testing::Values(ResetCase{"ButtonInValuesMode", false, false},
                                           ResetCase{"EscapeInValuesMode", false, true},
                                           ResetCase{"ButtonInStringMode", true, false},
                                           ResetCase{"EscapeInStringMode", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Add String ------------------------------------------------------------------------------

struct EmptyStringCase {
    const char* name;
    std::function<void(Harness&, const TestFolder&)> setUp;
};

class StringEntryEmpty : public ::testing::TestWithParam<EmptyStringCase> {};

TEST_P(StringEntryEmpty, SaysSoAndChangesNothing) {
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    GetParam().setUp(h, folder);
    stringMode(w);
    h.messages.shown.clear();
    ASSERT_EQ(str(w.EnterStr->text()), "");
    const Snapshot before = snapshot(w);
    click(w.AddStr);
    EXPECT_EQ(messages(h), notices("You have not entered a string!", 1));
    expectAllSame(before, w);
}

INSTANTIATE_TEST_SUITE_P(Table, StringEntryEmpty,
                         ::testing::Values(EmptyStringCase{"FreshAndSaved", [](Harness&, const TestFolder&) {}},
                                           EmptyStringCase{"WithUnsavedEntries",
                                                           [](Harness& h, const TestFolder&) {
                                                               addValueChecked(h.w(), "4");
                                                               addValueChecked(h.w(), "8");
                                                           }},
                                           EmptyStringCase{"WithSavedEntries",
                                                           [](Harness& h, const TestFolder& folder) {
                                                               addValueChecked(h.w(), "4");
                                                               saveValues(h, folder);
                                                           }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StringEntry, HelloGivesOneEntryPerCharacter) {
    Harness h;
    Form1& w = shown(h);
    stringMode(w);
    addString(w, "Hello");
    EXPECT_EQ(lineStrings(w), (std::vector<std::string>{"72", "101 (+29)", "108 (+7)", "108 (0)", "111 (+3)"}));
    EXPECT_EQ(str(w.NumVals->text()), "5");
    EXPECT_EQ(str(w.EnterVal->text()), "");
    EXPECT_EQ(str(w.EnterStr->text()), "Hello");
    EXPECT_FALSE(w.ValuesSaved());
    EXPECT_EQ(QApplication::focusWidget(), w.EnterStr);
    EXPECT_TRUE(h.messages.shown.empty());
}

struct StringCase {
    const char* name;
    const char* text;
    std::vector<std::string> lines;
    std::size_t refusals;
};

class StringEntryTexts : public ::testing::TestWithParam<StringCase> {};

TEST_P(StringEntryTexts, EveryCharacterGoesThroughAddValue) {
    const StringCase& c = GetParam();
    Harness h;
    Form1& w = shown(h);
    stringMode(w);
    addString(w, QString::fromUtf8(c.text));
    EXPECT_EQ(lineStrings(w), c.lines);
    EXPECT_EQ(str(w.NumVals->text()), std::to_string(c.lines.size()));
    EXPECT_EQ(messages(h), notices(kNotValid, c.refusals));
    EXPECT_EQ(str(w.EnterVal->text()), "");
    EXPECT_EQ(str(w.EnterStr->text()), c.text);
    EXPECT_FALSE(w.ValuesSaved());
}

INSTANTIATE_TEST_SUITE_P(
    Table, StringEntryTexts,
    ::testing::Values(StringCase{"BlankBetweenLetters", "a b", {"97", "32 (-65)", "98 (+66)"}, 0},
                      StringCase{"OneCharacter", "Z", {"90"}, 0},
                      StringCase{"DigitsAreCharacters", "09", {"48", "57 (+9)"}, 0},
                      StringCase{"CodePageCharacters", "\xC3\xA9\xE2\x82\xAC", {"233", "128 (-105)"}, 0},
                      StringCase{"OutsideTheCodePage", "A\xE3\x81\x82", {"65", "10240 (+10175)"}, 0},
                      // A surrogate pair is one character, refused once for lying above 16 bits.
                      StringCase{"SurrogatePairIsOneCharacter",
                                 "A\xF0\x9F\x98\x80"
                                 "B",
                                 {"65", "66 (+1)"},
                                 1},
                      StringCase{"OnlyAboveSixteenBits", "\xF0\x9F\x98\x80\xF0\x9F\x98\x81", {}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StringEntry, AppendsAfterTheEntriesAlreadyThere) {
    Harness h;
    Form1& w = shown(h);
    addValueChecked(w, "10");
    click(w.SkipVal);
    addValueChecked(w, "30");
    selectFormat(w, Format::Hex);
    stringMode(w);
    addString(w, "AB");
    EXPECT_EQ(lineStrings(w), (std::vector<std::string>{"10", "Skipped Value", "30 (+20)", "65 (+35)", "66 (+1)"}));
    EXPECT_EQ(str(w.NumVals->text()), "5");
    EXPECT_EQ(str(w.EnterVal->text()), "");
    EXPECT_EQ(str(w.EnterStr->text()), "AB");
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_TRUE(w.Ascii->isChecked());
}

struct StringLimitCase {
    const char* name;
    int before;
    const char* text;
    int added;
};

class StringEntryLimit : public ::testing::TestWithParam<StringLimitCase> {};

TEST_P(StringEntryLimit, RefusesEveryCharacterPastTheThousandth) {
    const StringLimitCase& c = GetParam();
    Harness h;
    Form1& w = shown(h);
    fillTo(w, c.before);
    stringMode(w);
    const Snapshot before = snapshot(w);
    addString(w, c.text);

    const QString text = QString::fromLatin1(c.text);
    const int expectedCount = c.before + c.added;
    ASSERT_EQ(w.pattern().count(), expectedCount);
    EXPECT_EQ(str(w.NumVals->text()), std::to_string(expectedCount));
    ASSERT_EQ(w.ValuesList->count(), expectedCount);
    for (int k = 0; k < c.added; ++k) {
        const int entry = c.before + 1 + k;
        const int value = text.at(k).unicode();
        const int previous = entry == 1 ? 0 : w.pattern().value(entry - 1);
        EXPECT_EQ(w.pattern().value(entry), value) << entry;
        const std::string sign = value > previous ? "+" : value < previous ? "-" : "";
        const std::string line = std::to_string(value) + " (" + sign + std::to_string(std::abs(value - previous)) + ")";
        EXPECT_EQ(str(w.ValuesList->item(entry - 1)->text()), line) << entry;
    }
    const auto refused = static_cast<std::size_t>(text.size() - c.added);
    EXPECT_EQ(messages(h), notices(kNotValid, refused));
    EXPECT_EQ(entries(w).size(), static_cast<std::size_t>(expectedCount));
    const std::vector<StoredEntry> after = entries(w);
    const std::vector<StoredEntry> kept(after.begin(), after.begin() + c.before);
    EXPECT_EQ(kept, before.entries);
    EXPECT_EQ(str(w.EnterVal->text()), "");
    EXPECT_EQ(str(w.EnterStr->text()), c.text);
}

INSTANTIATE_TEST_SUITE_P(Table, StringEntryLimit,
                         ::testing::Values(StringLimitCase{"CrossesTheLimit", 998, "abcd", 2},
                                           StringLimitCase{"EndsOnTheLimit", 999, "a", 1},
                                           StringLimitCase{"StartsFull", 1000, "xy", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// The whole way: a string typed in string mode finds the same word in a ROM
// whose letters are shifted, and nothing that breaks one of its steps.
TEST(StringEntry, SearchFindsTheShiftedWordAndOnlyIt) {
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    stringMode(w);
    addString(w, "Hello");

    QByteArray bytes = filledBytes(80000);
    const std::vector<int> matches = {0, 4660, 32766, 40000, 79995};
    plant(bytes, 0, {0x88, 0xA5, 0xAC, 0xAC, 0xAF});      // "Hello" + 0x40
    plant(bytes, 4660, {0x08, 0x25, 0x2C, 0x2C, 0x2F});   // "Hello" - 0x40
    plant(bytes, 32766, {0x88, 0xA5, 0xAC, 0xAC, 0xAF});  // across the first progress step
    plant(bytes, 40000, {0x88, 0xA5, 0xAC, 0x00, 0xAF});  // the repeated letter is not checked
    plant(bytes, 79995, {0x88, 0xA5, 0xAC, 0xAC, 0xAF});  // ends on the last byte
    plant(bytes, 1000, {0x88, 0xA5, 0xAC, 0xAC, 0xB0});   // last step one off
    plant(bytes, 2000, {0x88, 0xA6, 0xAC, 0xAC, 0xAF});   // second byte one off
    plant(bytes, 3000, {0x88, 0xA5, 0xAB, 0xAC, 0xAF});   // third byte one off
    plant(bytes, 5000, {0x88, 0xA5, 0xAC, 0xAC});         // cut short before its last letter
    plant(bytes, 6000, {0xA5, 0x88, 0xAC, 0xAC, 0xAF});   // first two swapped

    // A plain reference: every offset where each changing letter keeps its
    // distance from the first one.
    const QList<uint> word = QStringLiteral("Hello").toUcs4();
    std::vector<int> reference;
    for (int i = 0; i + word.size() <= bytes.size(); ++i) {
        bool all = true;
        for (qsizetype j = 1; j < word.size() && all; ++j) {
            if (word[j] == word[j - 1]) continue;
            const int got = static_cast<std::uint8_t>(bytes[i + j]) - static_cast<std::uint8_t>(bytes[i]);
            all = got == static_cast<int>(word[j]) - static_cast<int>(word[0]);
        }
        if (all) reference.push_back(i);
    }
    ASSERT_EQ(reference, matches);

    search(w, folder.write("rom.bin", bytes));
    EXPECT_EQ(resultLines(w), (std::vector<std::string>{"0 (0 hex)", "4660 (1234 hex)", "32766 (7FFE hex)",
                                                        "40000 (9C40 hex)", "79995 (1387B hex)"}));
    EXPECT_TRUE(h.messages.shown.empty());
}

// ---- Input mode ---------------------------------------------------------------------------------

TEST(InputMode, StringModeSwapsTheEntryControls) {
    Harness h;
    Form1& w = shown(h);
    selectFormat(w, Format::Hex);
    stringMode(w);
    EXPECT_FALSE(w.EnterVal->isEnabled());
    EXPECT_FALSE(w.DecimalB->isEnabled());
    EXPECT_FALSE(w.HexB->isEnabled());
    EXPECT_FALSE(w.Ascii->isEnabled());
    EXPECT_FALSE(w.AddVal->isVisible());
    EXPECT_TRUE(w.EnterStr->isEnabled());
    EXPECT_TRUE(w.AddStr->isVisible());
    EXPECT_TRUE(w.AddStr->isEnabled());
    EXPECT_EQ(w.AddStr->geometry(), QRect(8, 80, 73, 17));
    EXPECT_EQ(w.AddStr->geometry(), w.AddVal->geometry());
    EXPECT_TRUE(w.Ascii->isChecked());
    EXPECT_FALSE(w.HexB->isChecked());
    EXPECT_FALSE(w.OptValues->isChecked());
}

TEST(InputMode, ValuesModeRestoresTheValueControlsAndKeepsAscii) {
    Harness h;
    Form1& w = shown(h);
    stringMode(w);
    valuesMode(w);
    EXPECT_TRUE(w.EnterVal->isEnabled());
    EXPECT_TRUE(w.DecimalB->isEnabled());
    EXPECT_TRUE(w.HexB->isEnabled());
    EXPECT_TRUE(w.Ascii->isEnabled());
    EXPECT_TRUE(w.AddVal->isVisible());
    EXPECT_FALSE(w.EnterStr->isEnabled());
    EXPECT_FALSE(w.AddStr->isVisible());
    EXPECT_TRUE(w.Ascii->isChecked());
    EXPECT_FALSE(w.DecimalB->isChecked());
    EXPECT_FALSE(w.OptString->isChecked());

    // The value typed next is read as a character.
    addValueChecked(w, "A");
    EXPECT_EQ(lineStrings(w), std::vector<std::string>{"65"});
}

struct ModeKeepCase {
    const char* name;
    std::function<void(Harness&, const TestFolder&)> setUp;
};

class InputModeKeeps : public ::testing::TestWithParam<ModeKeepCase> {};

TEST_P(InputModeKeeps, PatternListCountTextsAndSavedFlag) {
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    stringMode(w);
    type(w.EnterStr, "abc");
    valuesMode(w);
    selectFormat(w, Format::Decimal);
    GetParam().setUp(h, folder);
    type(w.EnterVal, "123");
    const Snapshot before = snapshot(w);
    ASSERT_EQ(before.enterStr, "abc");

    stringMode(w);
    expectAllSame(before, w);
    valuesMode(w);
    expectAllSame(before, w);
    stringMode(w);
    expectAllSame(before, w);
    EXPECT_TRUE(h.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, InputModeKeeps,
                         ::testing::Values(ModeKeepCase{"EmptyAndSaved", [](Harness&, const TestFolder&) {}},
                                           ModeKeepCase{"EntriesUnsaved",
                                                        [](Harness& h, const TestFolder&) {
                                                            addValueChecked(h.w(), "10");
                                                            click(h.w().SkipVal);
                                                            addValueChecked(h.w(), "-4");
                                                        }},
                                           ModeKeepCase{"EntriesSaved",
                                                        [](Harness& h, const TestFolder& folder) {
                                                            addValueChecked(h.w(), "10");
                                                            addValueChecked(h.w(), "20");
                                                            saveValues(h, folder);
                                                        }}),
                         [](const auto& info) { return std::string(info.param.name); });

struct AfterSearchCase {
    const char* name;
    bool stringMode;
    std::function<QString(Harness&, const TestFolder&)> prepare;  // the ROM path
    std::size_t results;
};

class InputModeAfterSearch : public ::testing::TestWithParam<AfterSearchCase> {};

TEST_P(InputModeAfterSearch, EnablesAllTwentyAndKeepsWhichAddButtonShows) {
    const AfterSearchCase& c = GetParam();
    TestFolder folder;
    Harness h;
    Form1& w = shown(h);
    if (c.stringMode) {
        stringMode(w);
        addString(w, "ab");
    } else {
        addValueChecked(w, "97");
        addValueChecked(w, "98");
    }
    const QString rom = c.prepare(h, folder);
    search(w, rom);
    EXPECT_EQ(w.resultsModel().count(), c.results);
    EXPECT_FALSE(w.searching());
    for (QWidget* control : searchControls(w)) EXPECT_TRUE(control->isEnabled()) << str(control->objectName());
    EXPECT_EQ(w.AddStr->isVisible(), c.stringMode);
    EXPECT_EQ(w.AddVal->isVisible(), !c.stringMode);
    EXPECT_EQ(w.OptString->isChecked(), c.stringMode);
}

QString risingRom(const TestFolder& folder) {
    QByteArray bytes = filledBytes(70000);
    plant(bytes, 10, {1, 2});
    plant(bytes, 69000, {7, 8});
    return folder.write("rom.bin", bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InputModeAfterSearch,
    ::testing::Values(
        AfterSearchCase{"StringModeFound", true, [](Harness&, const TestFolder& f) { return risingRom(f); }, 2},
        AfterSearchCase{"StringModeNothingFound", true,
                        [](Harness&, const TestFolder& f) { return f.write("flat.bin", filledBytes(100)); }, 0},
        AfterSearchCase{"StringModeMissingFile", true,
                        [](Harness&, const TestFolder& f) { return f.path("missing.bin"); }, 0},
        AfterSearchCase{"StringModeStopped", true,
                        [](Harness& h, const TestFolder& f) {
                            h.events.onPump = [&h](int) { click(h.w().StopS); };
                            return risingRom(f);
                        },
                        1},
        AfterSearchCase{"ValuesModeFound", false, [](Harness&, const TestFolder& f) { return risingRom(f); }, 2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold::test
