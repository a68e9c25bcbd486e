#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "files/DialogFilter.h"
#include "files/ResultsReport.h"
#include "pattern/SearchPattern.h"
#include "shell/main/Form1.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/MessageBoxes.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace kinfold::test {
namespace {

using ChooserUse = FileChooser::Use;

// Failure messages name a table's row instead of dumping its bytes.
template <typename Case>
requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// ---- Helpers -----------------------------------------------------------------

// A shown main window on scripted platform pieces.
struct Window {
    Harness h;
    Form1& w;
    Window() : w(h.w()) { w.show(); }

    // Forgets what the setting up showed and chose, so a test sees only its own step.
    void forgetSetup() {
        h.messages.shown.clear();
        h.files.uses.clear();
    }
};

// Picks the ROM through Open File and runs the search, as a user would.
void searchRom(Window& win, const QString& path) {
    win.h.files.paths.push_back(path);
    click(win.w.OpenFile);
    click(win.w.Search);
}

std::vector<StoredEntry> storedEntries(const Form1& w) {
    std::vector<StoredEntry> out;
    for (int i = 1; i <= w.pattern().count(); ++i) out.push_back(w.pattern().stored(i));
    return out;
}

std::string show(const std::vector<StoredEntry>& entries) {
    std::string s;
    for (const StoredEntry& e : entries) {
        s += std::to_string(e.value) + "," + std::to_string(e.difference) + "," + std::to_string(e.direction) + ";";
    }
    return s;
}

// Everything a files action could change, as one comparable text.
std::string windowState(const Form1& w) {
    std::string s;
    s += "pattern: " + show(storedEntries(w)) + "\n";
    s += "list: " + listLines(w).join(QLatin1Char('|')).toStdString() + "\n";
    s += "NumVals: " + w.NumVals->text().toStdString() + "\n";
    s += "EnterVal: " + w.EnterVal->text().toStdString() + "\n";
    s += std::string("ValuesSaved: ") + (w.ValuesSaved() ? "True" : "False") + "\n";
    s += "RomFile: " + w.RomFile->text().toStdString() + "\n";
    s += "Results: " + resultLines(w).join(QLatin1Char('|')).toStdString() + "\n";
    s += "SearchedText: " + w.SearchedText().toStdString() + "\n";
    s += std::string("mode: ") + (w.OptValues->isChecked() ? "values" : "") +
         (w.OptString->isChecked() ? "string" : "") + "\n";
    s += std::string("format: ") + (w.DecimalB->isChecked() ? "decimal" : "") + (w.HexB->isChecked() ? "hex" : "") +
         (w.Ascii->isChecked() ? "ascii" : "") + "\n";
    return s;
}

// The names inside a folder, hidden ones too, so a left-over temporary file shows.
QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

std::string useText(const std::vector<ScriptedFiles::Use>& uses) {
    std::string s;
    for (const auto& u : uses) s += std::string(u.use == ChooserUse::Open ? "Open " : "Save ") + u.filter + "\n";
    return s;
}

std::string messageText(const std::vector<ScriptedMessages::Shown>& shown) {
    std::string s;
    for (const auto& m : shown) s += std::to_string(m.style) + " " + m.text.toStdString() + "\n";
    return s;
}

QString quotedPath(const QString& path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

// A ROM in which the pattern 65, 70, 60 (+5 then -10) is found at exactly
// the given offsets: every other byte is 0xEE, which never rises.
QString romWithMatches(const TestFolder& folder, const QString& name, std::initializer_list<int> offsets) {
    QByteArray bytes = filledBytes(5000);
    for (int offset : offsets) plant(bytes, offset, {40, 45, 35});
    return folder.write(name, bytes);
}

constexpr const char* kTwoPlaces[] = {"17 (11 hex)", "4660 (1234 hex)"};

// ---- Open File -----------------------------------------------------------------

TEST(RomFileChoice, OneOpenUseWithTheRomFilterAndResultsKept) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    addValues(w, {65, 70, 60});
    searchRom(win, romWithMatches(folder, "first.gb", {17, 4660}));
    ASSERT_EQ(resultLines(w), (QStringList{kTwoPlaces[0], kTwoPlaces[1]}));
    win.forgetSetup();
    const std::string before = windowState(w);

    const QString other = folder.write("other.gbc", QByteArray("x"));
    win.h.files.paths.push_back(other);
    click(w.OpenFile);

    ASSERT_EQ(win.h.files.uses.size(), 1u);
    EXPECT_EQ(win.h.files.uses[0].use, ChooserUse::Open);
    EXPECT_EQ(win.h.files.uses[0].filter,
              "Game Boy ROMs (*.gb, *.gbc)|*.gb;*.gbc|NES ROMs (*.nes)|*.nes|SNES ROMs (*.smc, *.fig)|*.smc;*.fig|"
              "All files (*.*)|*.*");
    EXPECT_EQ(w.RomFile->text(), other);
    EXPECT_EQ(resultLines(w), (QStringList{kTwoPlaces[0], kTwoPlaces[1]}));
    EXPECT_EQ(w.SearchedText(), folder.path("first.gb"));
    EXPECT_TRUE(win.h.messages.shown.empty()) << messageText(win.h.messages.shown);
    // Only the ROM box changed.
    std::string expected = before;
    const std::string oldRom = "RomFile: " + folder.path("first.gb").toStdString() + "\n";
    expected.replace(expected.find(oldRom), oldRom.size(), "RomFile: " + other.toStdString() + "\n");
    EXPECT_EQ(windowState(w), expected);
}

struct RomAnswerCase {
    const char* name;
    const char* typedBefore;  // what the user had typed into the ROM box
    const char* chosen;       // what the dialog gives back; "" is a cancel
};

class RomFileChoiceAnswer : public ::testing::TestWithParam<RomAnswerCase> {};

TEST_P(RomFileChoiceAnswer, GoesIntoTheRomBoxAsItCame) {
    Window win;
    Form1& w = win.w;
    QTest::keyClicks(w.RomFile, QString::fromUtf8(GetParam().typedBefore));
    ASSERT_EQ(w.RomFile->text(), QString::fromUtf8(GetParam().typedBefore));
    win.h.files.paths.push_back(QString::fromUtf8(GetParam().chosen));
    click(w.OpenFile);
    EXPECT_EQ(w.RomFile->text(), QString::fromUtf8(GetParam().chosen));
    EXPECT_EQ(win.h.files.uses.size(), 1u);
    EXPECT_TRUE(win.h.messages.shown.empty());
    EXPECT_EQ(w.resultsModel().count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, RomFileChoiceAnswer,
                         ::testing::Values(RomAnswerCase{"PathIntoEmptyBox", "", "/roms/Zelda.gb"},
                                           RomAnswerCase{"PathReplacesTypedText", "/roms/old.nes", "/roms/new.smc"},
                                           RomAnswerCase{"NonAsciiPathKept", "", "/roms/Pok\xC3\xA9mon Rot.gb"},
                                           RomAnswerCase{"PathWithBlanksKept", "x", "/roms/a b/ c .fig"},
                                           RomAnswerCase{"CancelEmptiesTheBox", "/roms/old.gb", ""},
                                           RomAnswerCase{"CancelOnEmptyBoxStaysEmpty", "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Save Values ---------------------------------------------------------------

TEST(ValuesFileSave, EmptyPatternSaysSoAndNeverAsksForAFile) {
    Window win;
    Form1& w = win.w;
    click(w.SaveVals);  // a new window
    addValues(w, {4});
    click(w.DelVal);  // emptied again, now counted as changed
    ASSERT_FALSE(w.ValuesSaved());
    click(w.SaveVals);
    ASSERT_EQ(win.h.messages.shown.size(), 2u);
    for (const auto& m : win.h.messages.shown) {
        EXPECT_EQ(m.text, "There are no values to save!");
        EXPECT_EQ(m.style, 64);
    }
    EXPECT_TRUE(win.h.files.uses.empty());
    EXPECT_FALSE(w.ValuesSaved());
}

TEST(ValuesFileSave, CancelWritesNothingAndKeepsValuesSaved) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    addValues(w, {10, 15, 12});
    const std::string before = windowState(w);
    win.h.files.paths.push_back(QString());
    click(w.SaveVals);
    EXPECT_EQ(useText(win.h.files.uses), "Save Kinfold Search Values (*.ksv)|*.ksv|All files (*.*)|*.*\n");
    EXPECT_EQ(windowState(w), before);
    EXPECT_FALSE(w.ValuesSaved());
    EXPECT_TRUE(win.h.messages.shown.empty()) << messageText(win.h.messages.shown);
    EXPECT_TRUE(folderEntries(folder.path(QString())).isEmpty());
}

struct SaveBytesCase {
    const char* name;
    std::function<void(Form1&)> enter;
    const char* fileName;  // inside the test's folder
    QByteArray expected;
};

class ValuesFileSaveBytes : public ::testing::TestWithParam<SaveBytesCase> {};

TEST_P(ValuesFileSaveBytes, WritesTheFileByteExactAndMarksTheValuesSaved) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    GetParam().enter(w);
    ASSERT_FALSE(w.ValuesSaved());
    const std::string before = windowState(w);
    const QString path = folder.path(QString::fromUtf8(GetParam().fileName));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    win.h.files.paths.push_back(path);
    click(w.SaveVals);

    EXPECT_EQ(useText(win.h.files.uses), "Save Kinfold Search Values (*.ksv)|*.ksv|All files (*.*)|*.*\n");
    EXPECT_EQ(TestFolder::read(path), GetParam().expected);
    EXPECT_EQ(QFileInfo(path).size(), GetParam().expected.size());
    EXPECT_TRUE(w.ValuesSaved());
    EXPECT_TRUE(win.h.messages.shown.empty()) << messageText(win.h.messages.shown);
    // Saving touches nothing but the saved mark.
    std::string expected = before;
    expected.replace(expected.find("ValuesSaved: False"), 18, "ValuesSaved: True");
    EXPECT_EQ(windowState(w), expected);
    EXPECT_EQ(folderEntries(QFileInfo(path).absolutePath()), QStringList{QFileInfo(path).fileName()});
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValuesFileSaveBytes,
    ::testing::Values(
        SaveBytesCase{"RiseThenFall",
                      [](Form1& w) {
                          addValues(w, {10, 15, 12});
                      },
                      "values.ksv", QByteArray("3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r\n")},
        SaveBytesCase{"SkipStoresACopyOfThePreviousValue",
                      [](Form1& w) {
                          addValues(w, {10});
                          click(w.SkipVal);
                          addValues(w, {14});
                      },
                      "values.ksv", QByteArray("3\r\n10,0,0\r\n10,0,0\r\n14,4,1\r\n")},
        SaveBytesCase{"OneValue", [](Form1& w) { addValues(w, {-7}); }, "one.ksv", QByteArray("1\r\n-7,0,0\r\n")},
        SaveBytesCase{"EqualValuesAndWidestSteps",
                      [](Form1& w) {
                          addValues(w, {-32768, -1, -1, 32766, 32767});
                      },
                      "wide.ksv",
                      QByteArray("5\r\n-32768,0,0\r\n-1,32767,1\r\n-1,0,0\r\n32766,32767,1\r\n32767,1,1\r\n")},
        SaveBytesCase{"HexEntry",
                      [](Form1& w) {
                          click(w.HexB);
                          addValue(w, "1F");
                          addValue(w, "A");
                      },
                      "hex.ksv", QByteArray("2\r\n31,0,0\r\n10,21,-1\r\n")},
        SaveBytesCase{"NonAsciiFolder",
                      [](Form1& w) {
                          addValues(w, {10, 15, 12});
                      },
                      "Pok\xC3\xA9mon/values.ksv", QByteArray("3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r\n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValuesFileSave, ReplacesALongerFileWhole) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    const QString path = folder.write("values.ksv", QByteArray(4000, 'Z'));
    addValues(w, {10, 15, 12});
    win.h.files.paths.push_back(path);
    click(w.SaveVals);
    EXPECT_EQ(TestFolder::read(path), QByteArray("3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r\n"));
    EXPECT_TRUE(w.ValuesSaved());
    EXPECT_EQ(folderEntries(folder.path(QString())), QStringList{"values.ksv"});
}

struct WriteFailureCase {
    const char* name;
    std::function<QString(const TestFolder&)> path;
    const char* reason;  // as the message gives it after the file name
    // The reason an ordinary user gets where the system refuses a user sooner than root.
    const char* userReason = nullptr;

    const char* expectedReason() const { return geteuid() != 0 && userReason ? userReason : reason; }
};

// Paths that can't be written, for both save handlers.
const auto kUnwritable = ::testing::Values(
    WriteFailureCase{"MissingFolder", [](const TestFolder& f) { return f.path("missing/out.ksv"); },
                     "No such file or directory"},
    // Root is refused the new file; a user is refused the folder first.
    WriteFailureCase{"ReadOnlyProc", [](const TestFolder&) { return QStringLiteral("/proc/kinfold-test.ksv"); },
                     "No such file or directory", "Permission denied"},
    WriteFailureCase{"FullDisk", [](const TestFolder&) { return QStringLiteral("/dev/full"); },
                     "No space left on device"},
    WriteFailureCase{"Folder", [](const TestFolder& f) { return f.path("sub"); }, "it is a folder, not a file"});

// The message names the file and gives the reason.
void expectWriteFailure(const ScriptedMessages& messages, const QString& lead, const QString& path,
                        const char* reason) {
    ASSERT_EQ(messages.shown.size(), 1u) << messageText(messages.shown);
    const QString text = messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].style, 64);
    const QString start = lead + QLatin1Char(' ') + quotedPath(path) + QStringLiteral(": ");
    ASSERT_TRUE(text.startsWith(start)) << text.toStdString();
    ASSERT_TRUE(text.endsWith(QLatin1Char('.'))) << text.toStdString();
    const QString given = text.mid(start.size(), text.size() - start.size() - 1);
    EXPECT_EQ(given.toStdString(), reason) << text.toStdString();
}

// What the failed write must have left as it was.
void expectNothingBroken(const TestFolder& folder, const QString& path) {
    EXPECT_FALSE(QFileInfo::exists(folder.path("missing")));
    EXPECT_TRUE(QFileInfo(folder.path("sub")).isDir());
    if (path == "/dev/full") {
        const QFileInfo full(path);
        EXPECT_TRUE(full.exists());
        EXPECT_FALSE(full.isFile());  // still the device, not a file put in its place
    }
    EXPECT_FALSE(QFileInfo::exists("/proc/kinfold-test.ksv"));
}

class ValuesFileSaveFailure : public ::testing::TestWithParam<WriteFailureCase> {};

TEST_P(ValuesFileSaveFailure, SaysWhichFileAndWhyAndKeepsTheValuesUnsaved) {
    TestFolder folder;
    ASSERT_TRUE(QDir().mkpath(folder.path("sub")));
    Window win;
    Form1& w = win.w;
    addValues(w, {10, 15, 12});
    const std::string before = windowState(w);
    const QString path = GetParam().path(folder);
    win.h.files.paths.push_back(path);
    click(w.SaveVals);

    EXPECT_EQ(win.h.files.uses.size(), 1u);
    expectWriteFailure(win.h.messages, QStringLiteral("Can't save the values file"), path, GetParam().expectedReason());
    EXPECT_FALSE(w.ValuesSaved());
    EXPECT_EQ(windowState(w), before);
    expectNothingBroken(folder, path);
    EXPECT_EQ(folderEntries(folder.path(QString())), QStringList{"sub"});
    EXPECT_TRUE(folderEntries(folder.path("sub")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, ValuesFileSaveFailure, kUnwritable,
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Open Values ---------------------------------------------------------------

const QByteArray kLoadable("2\r\n7,0,0\r\n9,2,1\r\n");
constexpr const char* kValuesFilter = "Kinfold Search Values (*.ksv)|*.ksv|All files (*.*)|*.*";

struct QuestionCase {
    const char* name;
    std::vector<int> answers;
    // Paths handed out in turn; "load" stands for the loadable file, "save"
    // for a fresh file in the test's folder, "missing" for a path in a folder
    // that does not exist.
    std::vector<const char*> paths;
    std::vector<ChooserUse> uses;
    bool loads;
    const char* savedFile;  // the bytes the save wrote, or nullptr
    int notices;            // messages after the question
};

class ValuesFileOpenQuestion : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(ValuesFileOpenQuestion, AnswerDecidesWhatHappens) {
    TestFolder folder;
    const QString load = folder.write("load.ksv", kLoadable);
    Window win;
    Form1& w = win.w;
    addValues(w, {10, 15, 12});
    QTest::keyClicks(w.EnterVal, "55");
    ASSERT_FALSE(w.ValuesSaved());
    const std::string before = windowState(w);

    for (int a : GetParam().answers) win.h.messages.answers.push_back(a);
    for (const char* p : GetParam().paths) {
        const std::string key = p;
        win.h.files.paths.push_back(key == "load"      ? load
                                    : key == "save"    ? folder.path("saved.ksv")
                                    : key == "missing" ? folder.path("missing/saved.ksv")
                                                       : QString());
    }
    click(w.OpenVals);

    ASSERT_GE(win.h.messages.shown.size(), 1u);
    EXPECT_EQ(win.h.messages.shown[0].text, "Save the current values?");
    EXPECT_EQ(win.h.messages.shown[0].style, 67);
    EXPECT_EQ(static_cast<int>(win.h.messages.shown.size()), 1 + GetParam().notices)
        << messageText(win.h.messages.shown);
    for (std::size_t i = 1; i < win.h.messages.shown.size(); ++i) {
        // The only notice here is the failed save, naming the file it could not write.
        EXPECT_EQ(win.h.messages.shown[i].style, 64);
        EXPECT_TRUE(win.h.messages.shown[i].text.startsWith("Can't save the values file " +
                                                            quotedPath(folder.path("missing/saved.ksv")) + ": "))
            << messageText(win.h.messages.shown);
    }
    std::string expectedUses;
    for (ChooserUse u : GetParam().uses) {
        expectedUses += std::string(u == ChooserUse::Open ? "Open " : "Save ") + kValuesFilter + "\n";
    }
    EXPECT_EQ(useText(win.h.files.uses), expectedUses);
    EXPECT_TRUE(win.h.files.paths.empty());
    if (GetParam().savedFile != nullptr) {
        EXPECT_EQ(TestFolder::read(folder.path("saved.ksv")), QByteArray(GetParam().savedFile));
    } else {
        EXPECT_FALSE(QFileInfo::exists(folder.path("saved.ksv")));
    }
    if (GetParam().loads) {
        EXPECT_EQ(listLines(w), (QStringList{"7", "9 (+2)"}));
        EXPECT_EQ(w.NumVals->text(), "2");
        EXPECT_EQ(w.EnterVal->text(), "");
        EXPECT_TRUE(w.ValuesSaved());
    } else {
        EXPECT_EQ(windowState(w), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValuesFileOpenQuestion,
    ::testing::Values(QuestionCase{"CancelChangesNothing", {kAnswerCancel}, {}, {}, false, nullptr, 0},
                      QuestionCase{"NoGoesStraightToOpen", {kAnswerNo}, {"load"}, {ChooserUse::Open}, true, nullptr, 0},
                      QuestionCase{"NoThenOpenCancelled", {kAnswerNo}, {""}, {ChooserUse::Open}, false, nullptr, 0},
                      QuestionCase{"YesSavesThenOpens",
                                   {kAnswerYes},
                                   {"save", "load"},
                                   {ChooserUse::Save, ChooserUse::Open},
                                   true,
                                   "3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r\n",
                                   0},
                      QuestionCase{"YesWithSaveCancelledStillOpens",
                                   {kAnswerYes},
                                   {"", "load"},
                                   {ChooserUse::Save, ChooserUse::Open},
                                   true,
                                   nullptr,
                                   0},
                      QuestionCase{"YesWithSaveFailedStillOpens",
                                   {kAnswerYes},
                                   {"missing", "load"},
                                   {ChooserUse::Save, ChooserUse::Open},
                                   true,
                                   nullptr,
                                   1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValuesFileOpen, YesSavedThenOpenCancelledLeavesTheValuesSaved) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    addValues(w, {10, 15, 12});
    win.h.messages.answers.push_back(kAnswerYes);
    win.h.files.paths = {folder.path("saved.ksv"), QString()};
    click(w.OpenVals);
    EXPECT_EQ(useText(win.h.files.uses), std::string("Save ") + kValuesFilter + "\nOpen " + kValuesFilter + "\n");
    EXPECT_EQ(TestFolder::read(folder.path("saved.ksv")), QByteArray("3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r\n"));
    EXPECT_TRUE(w.ValuesSaved());  // the save went through even though nothing was opened
    EXPECT_EQ(listLines(w), (QStringList{"10", "15 (+5)", "12 (-3)"}));
    EXPECT_EQ(w.NumVals->text(), "3");
}

TEST(ValuesFileOpen, NoQuestionWhenTheValuesAreSaved) {
    TestFolder folder;
    const QString load = folder.write("load.ksv", kLoadable);
    Window win;
    Form1& w = win.w;
    // A new window, a saved pattern and a reset pattern all count as saved.
    const std::vector<std::function<void()>> ways = {
        [] {},
        [&] {
            addValues(w, {3, 4});
            win.h.files.paths.push_back(folder.path("saved.ksv"));
            click(w.SaveVals);
        },
        [&] {
            addValues(w, {5, 6});
            click(w.Reset);
        },
    };
    for (std::size_t i = 0; i < ways.size(); ++i) {
        ways[i]();
        ASSERT_TRUE(w.ValuesSaved()) << i;
        win.forgetSetup();
        win.h.files.paths.push_back(load);
        click(w.OpenVals);
        EXPECT_TRUE(win.h.messages.shown.empty()) << i << messageText(win.h.messages.shown);
        EXPECT_EQ(useText(win.h.files.uses), std::string("Open ") + kValuesFilter + "\n") << i;
        EXPECT_EQ(listLines(w), (QStringList{"7", "9 (+2)"})) << i;
    }
}

TEST(ValuesFileOpen, CancelledDialogLeavesPatternAndBoxes) {
    Window win;
    Form1& w = win.w;
    addValues(w, {10});
    click(w.SkipVal);
    addValues(w, {14});
    QTest::keyClicks(w.EnterVal, "99");
    const std::string before = windowState(w);
    win.h.messages.answers.push_back(kAnswerNo);
    win.h.files.paths.push_back(QString());
    click(w.OpenVals);
    EXPECT_EQ(windowState(w), before);
    EXPECT_EQ(listLines(w), (QStringList{"10", "Skipped Value", "14 (+4)"}));
    EXPECT_EQ(w.EnterVal->text(), "99");
    EXPECT_EQ(w.NumVals->text(), "3");
}

struct GoodFileCase {
    const char* name;
    QByteArray bytes;
    QStringList lines;
    std::vector<StoredEntry> entries;
};

class ValuesFileOpenGood : public ::testing::TestWithParam<GoodFileCase> {};

TEST_P(ValuesFileOpenGood, ReplacesThePatternAndRebuildsTheList) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    // A pattern with a skip, results of a search, Hex chosen and text typed:
    // only the pattern, its list, the count and the typed text may change.
    addValues(w, {65, 70, 60});
    searchRom(win, romWithMatches(folder, "rom.gb", {17, 4660}));
    ASSERT_EQ(resultLines(w), (QStringList{kTwoPlaces[0], kTwoPlaces[1]}));
    click(w.SkipVal);
    click(w.HexB);
    QTest::keyClicks(w.EnterVal, "7F");
    const QString rom = w.RomFile->text();
    win.forgetSetup();

    const QString path = folder.write("load.ksv", GetParam().bytes);
    win.h.messages.answers.push_back(kAnswerNo);
    win.h.files.paths.push_back(path);
    click(w.OpenVals);

    EXPECT_EQ(messageText(win.h.messages.shown), "67 Save the current values?\n");
    EXPECT_EQ(listLines(w), GetParam().lines);
    EXPECT_EQ(show(storedEntries(w)), show(GetParam().entries));
    EXPECT_EQ(w.NumVals->text(), QString::number(GetParam().entries.size()));
    EXPECT_EQ(w.EnterVal->text(), "");
    EXPECT_TRUE(w.ValuesSaved());
    EXPECT_EQ(resultLines(w), (QStringList{kTwoPlaces[0], kTwoPlaces[1]}));
    EXPECT_EQ(w.RomFile->text(), rom);
    EXPECT_TRUE(w.OptValues->isChecked());
    EXPECT_TRUE(w.HexB->isChecked());
    EXPECT_TRUE(w.EnterVal->isEnabled());
    EXPECT_EQ(TestFolder::read(path), GetParam().bytes);  // opening never writes
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValuesFileOpenGood,
    ::testing::Values(GoodFileCase{"SkipComesBackAsAPlainEntry",
                                   QByteArray("3\r\n10,0,0\r\n10,0,0\r\n14,4,1\r\n"),
                                   {"10", "10 (0)", "14 (+4)"},
                                   {{10, 0, 0}, {10, 0, 0}, {14, 4, 1}}},
                      GoodFileCase{"RiseAndFallShowTheirSigns",
                                   QByteArray("3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r\n"),
                                   {"10", "15 (+5)", "12 (-3)"},
                                   {{10, 0, 0}, {15, 5, 1}, {12, 3, -1}}},
                      GoodFileCase{"OtherDirectionShowsTheStepWithoutSign",
                                   QByteArray("3\r\n9,0,0\r\n12,3,5\r\n4,8,0\r\n"),
                                   {"9", "12 (3)", "4 (8)"},
                                   {{9, 0, 0}, {12, 3, 5}, {4, 8, 0}}},
                      GoodFileCase{"LineFeedsOnly",
                                   QByteArray("3\n10,0,0\n15,5,1\n12,3,-1\n"),
                                   {"10", "15 (+5)", "12 (-3)"},
                                   {{10, 0, 0}, {15, 5, 1}, {12, 3, -1}}},
                      GoodFileCase{"Extremes",
                                   QByteArray("4\r\n-32768,0,0\r\n-1,32767,1\r\n32766,32767,1\r\n-1,32767,-1\r\n"),
                                   {"-32768", "-1 (+32767)", "32766 (+32767)", "-1 (-32767)"},
                                   {{-32768, 0, 0}, {-1, 32767, 1}, {32766, 32767, 1}, {-1, 32767, -1}}},
                      GoodFileCase{"FirstEntryShowsItsValueOnly", QByteArray("1\r\n5,9,1\r\n"), {"5"}, {{5, 9, 1}}},
                      GoodFileCase{"CountZeroGivesAnEmptyPattern", QByteArray("0\r\n"), {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValuesFileOpen, StringModeStaysAsItWas) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    w.OptString->click();
    ASSERT_TRUE(w.OptString->isChecked());
    win.h.files.paths.push_back(folder.write("load.ksv", kLoadable));
    click(w.OpenVals);
    EXPECT_EQ(listLines(w), (QStringList{"7", "9 (+2)"}));
    EXPECT_TRUE(w.OptString->isChecked());
    EXPECT_TRUE(w.Ascii->isChecked());
    EXPECT_FALSE(w.EnterVal->isEnabled());
    EXPECT_TRUE(w.EnterStr->isEnabled());
    EXPECT_TRUE(w.AddStr->isVisible());
    EXPECT_FALSE(w.AddVal->isVisible());
}

struct BadFileCase {
    const char* name;
    // The file's bytes; ignored when make is set.
    QByteArray bytes;
    // Makes a path that is not a readable file.
    std::function<QString(const TestFolder&)> make;
    // The words after the file name.
    const char* reason;
    bool openFailure;  // the file could not be read at all, rather than read wrong
};

class ValuesFileOpenBad : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(ValuesFileOpenBad, SaysWhatIsWrongAndKeepsEverything) {
    const BadFileCase& c = GetParam();
    // Once with changed values (the question comes first) and once with saved ones.
    for (const bool savedBefore : {false, true}) {
        SCOPED_TRACE(savedBefore ? "saved values" : "changed values");
        TestFolder folder;
        Window win;
        Form1& w = win.w;
        addValues(w, {10});
        click(w.SkipVal);
        addValues(w, {14});
        if (savedBefore) {
            win.h.files.paths.push_back(folder.path("kept.ksv"));
            click(w.SaveVals);
            ASSERT_TRUE(w.ValuesSaved());
        }
        QTest::keyClicks(w.EnterVal, "77");
        win.forgetSetup();
        const std::string before = windowState(w);

        const QString path = c.make ? c.make(folder) : folder.write("bad.ksv", c.bytes);
        ASSERT_FALSE(path.isEmpty());
        if (!savedBefore) win.h.messages.answers.push_back(kAnswerNo);
        win.h.files.paths.push_back(path);
        click(w.OpenVals);

        const QString expected =
            QStringLiteral("Can't %1 the values file %2: %3.")
                .arg(QLatin1String(c.openFailure ? "open" : "load"), quotedPath(path), QString::fromUtf8(c.reason));
        EXPECT_EQ(messageText(win.h.messages.shown),
                  (savedBefore ? std::string() : std::string("67 Save the current values?\n")) + "64 " +
                      expected.toStdString() + "\n");
        EXPECT_EQ(windowState(w), before);
        EXPECT_EQ(listLines(w), (QStringList{"10", "Skipped Value", "14 (+4)"}));
        EXPECT_EQ(w.NumVals->text(), "3");
        EXPECT_EQ(w.EnterVal->text(), "77");
        EXPECT_EQ(w.ValuesSaved(), savedBefore);
        EXPECT_EQ(useText(win.h.files.uses), std::string("Open ") + kValuesFilter + "\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValuesFileOpenBad,
    ::testing::Values(BadFileCase{"EmptyFile", QByteArray(), nullptr, "the file is empty: it has no count of entries",
                                  false},
                      BadFileCase{"CountNotANumber", QByteArray("abc\r\n1,0,0\r\n"), nullptr,
                                  "line 1: the count of entries \"abc\" is not a whole number", false},
                      BadFileCase{"CountAboveTheMost", QByteArray("1001\r\n"), nullptr,
                                  "line 1: the count of entries \"1001\" is outside 0 to 1000", false},
                      BadFileCase{"CountNegative", QByteArray("-1\r\n"), nullptr,
                                  "line 1: the count of entries \"-1\" is outside 0 to 1000", false},
                      BadFileCase{"FewerFieldsThanTheCount", QByteArray("2\r\n1,0,0\r\n"), nullptr,
                                  "the file ends before entry 2 is complete", false},
                      BadFileCase{"EntryCutShort", QByteArray("2\r\n1,0,0\r\n5,4\r\n"), nullptr,
                                  "the file ends before entry 2 is complete", false},
                      BadFileCase{"FieldWithAPoint", QByteArray("2\r\n1,0,0\r\n1.5,0,0\r\n"), nullptr,
                                  "line 3: \"1.5\" is not a whole number", false},
                      BadFileCase{"FieldAWord", QByteArray("2\r\n1,0,0\r\n5,abc,1\r\n"), nullptr,
                                  "line 3: \"abc\" is not a whole number", false},
                      BadFileCase{"NumberAboveTheMost", QByteArray("2\r\n5,0,0\r\n40000,1,1\r\n"), nullptr,
                                  "line 3: \"40000\" is outside -32768 to 32767", false},
                      BadFileCase{"NumberBelowTheLeast", QByteArray("1\r\n-32769,0,0\r\n"), nullptr,
                                  "line 2: \"-32769\" is outside -32768 to 32767", false},
                      BadFileCase{"BadNumberAfterBlankLines", QByteArray("1\r\n\r\n\r\n3,0,x\r\n"), nullptr,
                                  "line 4: \"x\" is not a whole number", false},
                      BadFileCase{"MissingFile", QByteArray(), [](const TestFolder& f) { return f.path("gone.ksv"); },
                                  "there is no such file", true},
                      BadFileCase{"Folder", QByteArray(),
                                  [](const TestFolder& f) {
                                      QDir().mkpath(f.path("values.ksv"));
                                      return f.path("values.ksv");
                                  },
                                  "it is a folder, not a file", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Round trip ------------------------------------------------------------------

// One user action: a value typed and added, or Skip Value.
struct Entry {
    bool skip;
    int value;
};

// 1000 entries of every kind, steps always within 16 bits and never 0 typed.
std::vector<Entry> everyKindOfEntry() {
    std::vector<Entry> out = {{false, -32768}, {false, -1},     {false, 32766},  {false, 32767},  {false, 32767},
                              {true, 0},       {false, 1},      {false, -32766}, {false, -32768}, {true, 0},
                              {true, 0},       {false, -32768}, {false, -1}};
    std::mt19937 rng(1000);
    int previous = -1;
    while (out.size() < static_cast<std::size_t>(SearchPattern::kMaxEntries)) {
        switch (rng() % 4) {
        case 0: out.push_back({true, 0}); break;
        case 1: out.push_back({false, previous}); break;
        default: {
            std::uniform_int_distribution<int> pick(std::max(-32768, previous - 32767),
                                                    std::min(32767, previous + 32767));
            int v = 0;
            while (v == 0) v = pick(rng);
            out.push_back({false, v});
            previous = v;
        }
        }
    }
    return out;
}

// What the pattern must hold for the actions, worked out here without the window.
std::vector<StoredEntry> storedFor(const std::vector<Entry>& actions) {
    std::vector<StoredEntry> out;
    int previous = 0;
    for (const Entry& a : actions) {
        if (out.empty()) {
            out.push_back({static_cast<std::int16_t>(a.value), 0, 0});
        } else if (a.skip) {
            out.push_back({static_cast<std::int16_t>(previous), 0, 0});
        } else {
            const int step = std::abs(a.value - previous);
            const int direction = a.value > previous ? 1 : a.value < previous ? -1 : 0;
            out.push_back({static_cast<std::int16_t>(a.value), static_cast<std::int16_t>(step),
                           static_cast<std::int16_t>(direction)});
        }
        previous = out.back().value;
    }
    return out;
}

QByteArray fileFor(const std::vector<StoredEntry>& entries) {
    QByteArray out = QByteArray::number(static_cast<int>(entries.size())) + "\r\n";
    for (const StoredEntry& e : entries) {
        out += QByteArray::number(e.value) + ',' + QByteArray::number(e.difference) + ',' +
               QByteArray::number(e.direction) + "\r\n";
    }
    return out;
}

TEST(ValuesFileRoundTrip, ThousandEntriesOfEveryKindComeBackAsSaved) {
    const std::vector<Entry> actions = everyKindOfEntry();
    const std::vector<StoredEntry> expected = storedFor(actions);
    ASSERT_EQ(expected.size(), 1000u);
    int ups = 0, downs = 0, equals = 0, skips = 0;
    for (std::size_t i = 1; i < actions.size(); ++i) {
        if (actions[i].skip)
            ++skips;
        else if (expected[i].direction == 1)
            ++ups;
        else if (expected[i].direction == -1)
            ++downs;
        else
            ++equals;
    }
    ASSERT_GT(ups, 0);
    ASSERT_GT(downs, 0);
    ASSERT_GT(equals, 0);
    ASSERT_GT(skips, 0);

    TestFolder folder;
    Window win;
    Form1& w = win.w;
    for (const Entry& a : actions) {
        if (a.skip)
            click(w.SkipVal);
        else
            addValue(w, QString::number(a.value));
    }
    ASSERT_TRUE(win.h.messages.shown.empty()) << messageText(win.h.messages.shown);
    ASSERT_EQ(w.pattern().count(), 1000);
    ASSERT_EQ(show(storedEntries(w)), show(expected));

    const QString first = folder.path("first.ksv");
    win.h.files.paths.push_back(first);
    click(w.SaveVals);
    ASSERT_TRUE(w.ValuesSaved());
    EXPECT_EQ(TestFolder::read(first), fileFor(expected));

    click(w.Reset);
    ASSERT_EQ(w.pattern().count(), 0);
    win.h.files.paths.push_back(first);
    click(w.OpenVals);
    ASSERT_EQ(w.pattern().count(), 1000);
    EXPECT_EQ(w.NumVals->text(), "1000");
    for (int i = 1; i <= 1000; ++i) {
        const StoredEntry& e = expected[static_cast<std::size_t>(i - 1)];
        ASSERT_EQ(w.pattern().stored(i), e) << "entry " << i;
        ASSERT_EQ(w.pattern().value(i), e.value) << "entry " << i;
        ASSERT_EQ(w.pattern().difference(i), e.difference) << "entry " << i;
        ASSERT_EQ(w.pattern().direction(i), e.direction) << "entry " << i;
        ASSERT_FALSE(w.pattern().isSkipped(i)) << "entry " << i;
        QString line = QString::number(e.value);
        if (i > 1) {
            const char* sign = e.direction == 1 ? "+" : e.direction == -1 ? "-" : "";
            line += QStringLiteral(" (%1%2)").arg(QLatin1String(sign), QString::number(e.difference));
        }
        ASSERT_EQ(w.ValuesList->item(i - 1)->text(), line) << "entry " << i;
    }
    EXPECT_EQ(w.ValuesList->count(), 1000);

    // Saved again, the loaded pattern gives the very same file.
    const QString second = folder.path("second.ksv");
    win.h.files.paths.push_back(second);
    click(w.SaveVals);
    EXPECT_EQ(TestFolder::read(second), TestFolder::read(first));
    EXPECT_TRUE(win.h.messages.shown.empty()) << messageText(win.h.messages.shown);
}

// ---- Save Results ----------------------------------------------------------------

constexpr const char* kReportFilter = "Text Files (*.txt)|*.txt|All files (*.*)|*.*";

// The report as the window must write it, from what the window shows.
QByteArray reportFor(const Form1& w, const QString& searched, const QStringList& lines) {
    QByteArray out;
    const auto line = [&out](const QByteArray& text) { out += text + "\r\n"; };
    line("You searched:");
    line(searched.toUtf8());
    line("");
    line("Date: " + w.SearchDate().toUtf8());
    line("Time: " + w.SearchTime().toUtf8());
    line("");
    line("Results were found at:");
    for (const QString& l : lines) line(l.toUtf8());
    line("");
    line("Kinfold Search Version 1.2");
    line(QByteArray(kMakerAddress.data(), static_cast<qsizetype>(kMakerAddress.size())));
    return out;
}

TEST(ResultsReport, NoResultsSaysSoAndNeverAsksForAFile) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    click(w.SaveResults);  // a new window
    addValues(w, {65, 70, 60});
    searchRom(win, romWithMatches(folder, "rom.gb", {}));  // a search that found nothing
    ASSERT_EQ(w.resultsModel().count(), 0u);
    win.h.files.uses.clear();
    click(w.SaveResults);
    EXPECT_EQ(messageText(win.h.messages.shown),
              "64 There are no results to save!\n"
              "64 There are no results to save!\n");
    EXPECT_TRUE(win.h.files.uses.empty());
    EXPECT_EQ(folderEntries(folder.path(QString())), QStringList{"rom.gb"});
}

TEST(ResultsReport, CancelWritesNothing) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    addValues(w, {65, 70, 60});
    searchRom(win, romWithMatches(folder, "rom.gb", {17, 4660}));
    win.forgetSetup();
    const std::string before = windowState(w);
    win.h.files.paths.push_back(QString());
    click(w.SaveResults);
    EXPECT_EQ(useText(win.h.files.uses), std::string("Save ") + kReportFilter + "\n");
    EXPECT_TRUE(win.h.messages.shown.empty()) << messageText(win.h.messages.shown);
    EXPECT_EQ(windowState(w), before);
    EXPECT_EQ(folderEntries(folder.path(QString())), QStringList{"rom.gb"});
}

struct ReportCase {
    const char* name;
    const char* romFolder;  // inside the test's folder; "" for the folder itself
    const char* reportName;
};

class ResultsReportContents : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ResultsReportContents, TwoPlacesGiveExactlyTwelveLines) {
    TestFolder folder;
    const QString romFolder = folder.path(QString::fromUtf8(GetParam().romFolder));
    ASSERT_TRUE(QDir().mkpath(romFolder));
    Window win;
    Form1& w = win.w;
    addValues(w, {65, 70, 60});
    const QString rom = QDir(romFolder).filePath("rom.gb");
    {
        QByteArray bytes = filledBytes(5000);
        plant(bytes, 17, {40, 45, 35});
        plant(bytes, 4660, {40, 45, 35});
        QFile f(rom);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    searchRom(win, rom);
    ASSERT_EQ(resultLines(w), (QStringList{kTwoPlaces[0], kTwoPlaces[1]}));
    win.forgetSetup();

    const QString report = folder.path(QString::fromUtf8(GetParam().reportName));
    win.h.files.paths.push_back(report);
    click(w.SaveResults);

    EXPECT_EQ(useText(win.h.files.uses), std::string("Save ") + kReportFilter + "\n");
    EXPECT_TRUE(win.h.messages.shown.empty()) << messageText(win.h.messages.shown);
    const QByteArray written = TestFolder::read(report);
    const QByteArray expected = "You searched:\r\n" + rom.toUtf8() + "\r\n\r\nDate: " + w.SearchDate().toUtf8() +
                                "\r\nTime: " + w.SearchTime().toUtf8() +
                                "\r\n\r\nResults were found at:\r\n17 (11 hex)\r\n4660 (1234 hex)\r\n\r\n"
                                "Kinfold Search Version 1.2\r\n" +
                                QByteArray(kMakerAddress.data(), static_cast<qsizetype>(kMakerAddress.size())) + "\r\n";
    EXPECT_EQ(written, expected);
    EXPECT_EQ(written.count("\r\n"), 12);
    EXPECT_EQ(written.count('\n'), 12);  // no bare line feeds
    EXPECT_TRUE(written.endsWith("\r\n"));
    EXPECT_FALSE(w.SearchDate().isEmpty());
    EXPECT_FALSE(w.SearchTime().isEmpty());
    // Writing the report leaves the window as it was.
    EXPECT_EQ(resultLines(w), (QStringList{kTwoPlaces[0], kTwoPlaces[1]}));
}

INSTANTIATE_TEST_SUITE_P(Table, ResultsReportContents,
                         ::testing::Values(ReportCase{"PlainPath", "", "report.txt"},
                                           ReportCase{"NonAsciiFolderAsUtf8", "Pok\xC3\xA9mon", "report.txt"},
                                           ReportCase{"NonAsciiReportName", "roms", "Pok\xC3\xA9mon report.txt"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResultsReport, NonAsciiPathIsWrittenAsItsUtf8Bytes) {
    TestFolder folder;
    ASSERT_TRUE(QDir().mkpath(folder.path(QString::fromUtf8("Pok\xC3\xA9mon"))));
    Window win;
    Form1& w = win.w;
    addValues(w, {65, 70, 60});
    const QString rom = romWithMatches(folder, QString::fromUtf8("Pok\xC3\xA9mon/rom.gb"), {17});
    ASSERT_FALSE(rom.isEmpty());
    searchRom(win, rom);
    win.h.files.paths.push_back(folder.path("report.txt"));
    click(w.SaveResults);
    const QByteArray written = TestFolder::read(folder.path("report.txt"));
    const QByteArray path = folder.path(QStringLiteral("x")).chopped(1).toUtf8() + "Pok\xC3\xA9mon/rom.gb";
    EXPECT_TRUE(written.startsWith("You searched:\r\n" + path + "\r\n")) << written.left(200).toStdString();
    EXPECT_TRUE(written.contains("\r\n17 (11 hex)\r\n"));
}

TEST(ResultsReport, ReplacesALongerFileWhole) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    addValues(w, {65, 70, 60});
    const QString rom = romWithMatches(folder, "rom.gb", {17, 4660});
    searchRom(win, rom);
    // A ROM picked after the search does not change what the report says was searched.
    win.h.files.paths.push_back(folder.path("other.gb"));
    click(w.OpenFile);
    const QString report = folder.write("report.txt", QByteArray(20000, 'Q'));
    win.h.files.paths.push_back(report);
    click(w.SaveResults);
    EXPECT_EQ(TestFolder::read(report), reportFor(w, rom, {kTwoPlaces[0], kTwoPlaces[1]}));
    EXPECT_EQ(folderEntries(folder.path(QString())), (QStringList{"report.txt", "rom.gb"}));
}

TEST(ResultsReport, StoppedSearchListsExactlyTheLinesShown) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    addValues(w, {3});
    click(w.SkipVal);  // every offset matches
    int stoppedAt = 0;
    win.h.events.onPump = [&](int call) {
        if (call == 2) {
            stoppedAt = call;
            click(w.StopS);
        }
    };
    const QString rom = folder.write("rom.bin", filledBytes(300000));
    searchRom(win, rom);
    win.h.events.onPump = nullptr;
    ASSERT_EQ(stoppedAt, 2);
    const QStringList shown = resultLines(w);
    ASSERT_GT(shown.size(), 0);
    ASSERT_LT(shown.size(), 299999);  // stopped before the end

    const QString report = folder.path("report.txt");
    win.h.files.paths.push_back(report);
    click(w.SaveResults);
    const QByteArray written = TestFolder::read(report);
    EXPECT_EQ(written, reportFor(w, rom, shown));
    EXPECT_EQ(written.count("\r\n"), 10 + shown.size());
}

class ResultsReportFailure : public ::testing::TestWithParam<WriteFailureCase> {};

TEST_P(ResultsReportFailure, SaysWhichFileAndKeepsTheResults) {
    TestFolder folder;
    ASSERT_TRUE(QDir().mkpath(folder.path("sub")));
    Window win;
    Form1& w = win.w;
    addValues(w, {65, 70, 60});
    searchRom(win, romWithMatches(folder, "rom.gb", {17, 4660}));
    win.forgetSetup();
    const std::string before = windowState(w);
    const QString path = GetParam().path(folder);
    win.h.files.paths.push_back(path);
    click(w.SaveResults);

    EXPECT_EQ(useText(win.h.files.uses), std::string("Save ") + kReportFilter + "\n");
    expectWriteFailure(win.h.messages, QStringLiteral("Can't save the results report"), path,
                       GetParam().expectedReason());
    EXPECT_EQ(windowState(w), before);
    EXPECT_EQ(resultLines(w), (QStringList{kTwoPlaces[0], kTwoPlaces[1]}));
    expectNothingBroken(folder, path);
    EXPECT_EQ(folderEntries(folder.path(QString())), (QStringList{"rom.gb", "sub"}));
    EXPECT_TRUE(folderEntries(folder.path("sub")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, ResultsReportFailure, kUnwritable,
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The dialogs' type lists -------------------------------------------------------

// The patterns Qt takes from a name filter: the text inside the last
// parentheses, which must close the filter, split at blanks.
QStringList patternsAsQtReadsThem(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    if (open < 0 || !nameFilter.endsWith(QLatin1Char(')'))) return {nameFilter};
    return nameFilter.mid(open + 1, nameFilter.size() - open - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The text in front of the last parentheses, which is what the dialog shows
// when it hides the pattern list.
QString shownDescription(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    return open < 0 ? nameFilter : nameFilter.left(open).trimmed();
}

struct NameFilterCase {
    const char* name;
    std::string_view filter;
    std::vector<std::pair<QString, QStringList>> expected;  // description, patterns
};

class FileFiltersQt : public ::testing::TestWithParam<NameFilterCase> {};

TEST_P(FileFiltersQt, EachEntryFiltersByExactlyItsPatterns) {
    const QStringList filters = qtNameFilters(GetParam().filter);
    ASSERT_EQ(filters.size(), static_cast<qsizetype>(GetParam().expected.size())) << filters.join('\n').toStdString();
    for (qsizetype i = 0; i < filters.size(); ++i) {
        const auto& [description, patterns] = GetParam().expected[static_cast<std::size_t>(i)];
        EXPECT_EQ(patternsAsQtReadsThem(filters[i]), patterns) << filters[i].toStdString();
        EXPECT_EQ(shownDescription(filters[i]), description) << filters[i].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileFiltersQt,
    ::testing::Values(NameFilterCase{"RomFiles",
                                     kRomFileFilter,
                                     {{"Game Boy ROMs (*.gb, *.gbc)", {"*.gb", "*.gbc"}},
                                      {"NES ROMs (*.nes)", {"*.nes"}},
                                      {"SNES ROMs (*.smc, *.fig)", {"*.smc", "*.fig"}},
                                      {"All files (*.*)", {"*.*"}}}},
                      NameFilterCase{"ValuesFiles",
                                     kValuesFileFilter,
                                     {{"Kinfold Search Values (*.ksv)", {"*.ksv"}}, {"All files (*.*)", {"*.*"}}}},
                      NameFilterCase{"ReportFiles",
                                     kReportFileFilter,
                                     {{"Text Files (*.txt)", {"*.txt"}}, {"All files (*.*)", {"*.*"}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileFilters, GameBoyComesFirst) {
    const QStringList filters = qtNameFilters(kRomFileFilter);
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_TRUE(filters.first().startsWith("Game Boy ROMs")) << filters.first().toStdString();
    EXPECT_EQ(patternsAsQtReadsThem(filters.first()), (QStringList{"*.gb", "*.gbc"}));
}

TEST(FileFilters, RealDialogKeepsTheFourRomChoices) {
    QFileDialog dialog(nullptr, QStringLiteral("Kinfold Search"));
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = qtNameFilters(kRomFileFilter);
    dialog.setNameFilters(filters);
    EXPECT_EQ(dialog.nameFilters().size(), 4);
    EXPECT_EQ(dialog.nameFilters(), filters);
    // The type list shows each description alone, with the first one chosen.
    const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QStringList shown;
    for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
    EXPECT_EQ(shown, (QStringList{"Game Boy ROMs (*.gb, *.gbc)", "NES ROMs (*.nes)", "SNES ROMs (*.smc, *.fig)",
                                  "All files (*.*)"}));
    EXPECT_EQ(types->currentIndex(), 0);
    EXPECT_FALSE(dialog.isVisible());
}

struct DialogCase {
    const char* name;
    QPushButton* Form1::*button;
    std::vector<int> answers;
    ChooserUse use;
    std::string_view filter;
    bool emptiesRomFile;
};

class FileFiltersEveryDialog : public ::testing::TestWithParam<DialogCase> {};

TEST_P(FileFiltersEveryDialog, UsesItsTypeListAndACancelChangesNothing) {
    TestFolder folder;
    Window win;
    Form1& w = win.w;
    addValues(w, {65, 70, 60});
    const QString rom = romWithMatches(folder, "rom.gb", {17, 4660});
    searchRom(win, rom);
    ASSERT_EQ(w.resultsModel().count(), 2u);
    QTest::keyClicks(w.EnterVal, "12");
    win.forgetSetup();
    std::string expected = windowState(w);
    if (GetParam().emptiesRomFile) {
        const std::string romLine = "RomFile: " + rom.toStdString() + "\n";
        expected.replace(expected.find(romLine), romLine.size(), "RomFile: \n");
    }

    for (int a : GetParam().answers) win.h.messages.answers.push_back(a);
    win.h.files.paths.push_back(QString());
    click(w.*GetParam().button);

    ASSERT_EQ(win.h.files.uses.size(), 1u);
    EXPECT_EQ(win.h.files.uses[0].use, GetParam().use);
    EXPECT_EQ(win.h.files.uses[0].filter, GetParam().filter);
    EXPECT_EQ(windowState(w), expected);
    EXPECT_EQ(win.h.messages.shown.size(), GetParam().answers.size()) << messageText(win.h.messages.shown);
    EXPECT_EQ(folderEntries(folder.path(QString())), QStringList{"rom.gb"});
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileFiltersEveryDialog,
    ::testing::Values(DialogCase{"OpenFile", &Form1::OpenFile, {}, ChooserUse::Open, kRomFileFilter, true},
                      DialogCase{"SaveValues", &Form1::SaveVals, {}, ChooserUse::Save, kValuesFileFilter, false},
                      DialogCase{
                          "OpenValues", &Form1::OpenVals, {kAnswerNo}, ChooserUse::Open, kValuesFileFilter, false},
                      DialogCase{"SaveResults", &Form1::SaveResults, {}, ChooserUse::Save, kReportFileFilter, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold::test

#ifndef _WIN32
#include <sys/stat.h>

namespace kinfold::test {
namespace {

// A named pipe would block the window until someone wrote to it or read it.
TEST(ValuesFilePipe, OpeningOrSavingAPipeIsRefusedAtOnce) {
    TestFolder folder;
    const QString pipe = folder.path("values.ksv");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    Harness h;
    Form1& w = h.w();
    w.EnterVal->setText("10");
    w.AddVal_Click();
    h.files.paths = {pipe};
    w.SaveVals_Click();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].text,
              QStringLiteral("Can't save the values file \"%1\": it is not an ordinary file.").arg(pipe));
    EXPECT_FALSE(w.ValuesSaved());

    w.pattern().setSaved(true);
    h.files.paths = {pipe};
    w.OpenVals_Click();
    ASSERT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.messages.shown[1].text,
              QStringLiteral("Can't open the values file \"%1\": it is not an ordinary file.").arg(pipe));
    EXPECT_EQ(w.pattern().count(), 1);
}

}  // namespace
}  // namespace kinfold::test
#endif
