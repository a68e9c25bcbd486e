#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "shell/main/CommandLine.h"
#include "shell/main/ExternalFile.h"
#include "shell/main/Form1.h"
#include "shell/platform/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kinfold::test {
namespace {

// Test listings name a table's row instead of dumping its bytes.
template <typename Case>
requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const QByteArray kLoadable("2\r\n7,0,0\r\n9,2,1\r\n");

// Drags these addresses onto the middle of the window and lets go, as the
// system delivers a drop (Qt hands the drop to whoever took the drag's
// entry), then lets the window act on it; true when the window took both.
bool drop(Form1& w, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint middle(w.width() / 2, w.height() / 2);
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    QDropEvent let(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &let);
    QCoreApplication::sendPostedEvents();
    return enter.isAccepted() && let.isAccepted();
}

// Everything a drop could change, as one comparable text.
std::string state(const Form1& w) {
    return (w.RomFile->text() + "|" + listLines(w).join(',') + "|" + w.NumVals->text() + "|" +
            (w.ValuesSaved() ? "saved" : "unsaved") + "|" + resultLines(w).join(','))
        .toStdString();
}

// ---- A file handed over by the argument or by a drop -----------------------

enum class Way { Argument, Drop };

struct HandedCase {
    const char* name;
    const char* file;  // written into the test folder
    QByteArray bytes;
    bool unsavedPattern;  // values typed before, so Open Values asks first
    int answer;           // to "Save the current values?", when asked
    const char* romFile;  // "path" for the file's absolute path
    const char* list;
    const char* message;  // after the question, if any; %1 is the quoted path
};

class HandedFile : public ::testing::TestWithParam<std::tuple<HandedCase, Way>> {};

TEST_P(HandedFile, OpensAsTheButtonsWould) {
    const auto& [c, way] = GetParam();
    TestFolder folder;
    const QString path = folder.write(c.file, c.bytes);
    Harness h;
    Form1& w = h.w();
    w.show();
    if (c.unsavedPattern) addValues(w, {1, 2});
    h.messages.answers.push_back(c.answer);

    if (way == Way::Argument) {
        // A relative argument comes out absolute.
        const QString cwd = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder.path(QString())));
        const CommandLine read = readCommandLine({QStringLiteral("kinfold-search"), QString::fromLatin1(c.file)});
        QDir::setCurrent(cwd);
        ASSERT_FALSE(read.exitStatus);
        EXPECT_EQ(read.file, path);
        openExternalFile(w, read.file);
    } else {
        EXPECT_TRUE(drop(w, {QUrl::fromLocalFile(path)}));
    }

    QStringList expected;
    if (c.unsavedPattern && isValuesFileName(path)) expected << QStringLiteral("Save the current values?");
    if (*c.message != '\0') expected << QString::fromLatin1(c.message).arg('"' + path + '"');
    EXPECT_EQ(h.messages.texts(), expected);
    EXPECT_EQ(w.RomFile->text(), std::string(c.romFile) == "path" ? path : QString::fromLatin1(c.romFile));
    EXPECT_EQ(listLines(w).join(','), QString::fromLatin1(c.list));
    EXPECT_TRUE(h.files.uses.empty());  // no chooser: the file is already chosen
    EXPECT_TRUE(resultLines(w).isEmpty());
    EXPECT_TRUE(w.SearchedText().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, HandedFile,
    ::testing::Combine(
        ::testing::Values(
            HandedCase{"RomFillsTheRomBox", "game.gbc", filledBytes(64), false, kAnswerCancel, "path", "", ""},
            HandedCase{"RomKeepsAnUnsavedPattern", "game.nes", filledBytes(8), true, kAnswerCancel, "path", "1,2 (+1)",
                       ""},
            HandedCase{"ValuesFileLoads", "table.ksv", kLoadable, false, kAnswerCancel, "", "7,9 (+2)", ""},
            HandedCase{"ValuesFileInCapitalsLoads", "TABLE.KSV", kLoadable, false, kAnswerCancel, "", "7,9 (+2)", ""},
            HandedCase{"UnsavedPatternCancelKeepsIt", "table.ksv", kLoadable, true, kAnswerCancel, "", "1,2 (+1)", ""},
            HandedCase{"UnsavedPatternNoLoads", "table.ksv", kLoadable, true, kAnswerNo, "", "7,9 (+2)", ""},
            HandedCase{"BadValuesFileSaysWhyAndKeepsThePattern", "empty.ksv", QByteArray(), true, kAnswerNo, "",
                       "1,2 (+1)", "Can't load the values file %1: the file is empty: it has no count of entries."}),
        ::testing::Values(Way::Argument, Way::Drop)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) == Way::Argument ? "_Argument" : "_Drop");
    });

// ---- Refused drops -----------------------------------------------------------

enum class Busy { No, Searching, About };

struct RefusedCase {
    const char* name;
    QList<QUrl> (*urls)(const TestFolder&);
    Busy busy;
};

class RefusedDrop : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedDrop, ChangesNothing) {
    TestFolder folder;
    folder.write("game.gb", filledBytes(100000));
    folder.write("table.ksv", kLoadable);
    ASSERT_TRUE(QDir(folder.path(QString())).mkdir("roms"));
    Harness h;
    Form1& w = h.w();
    w.show();
    addValues(w, {1, 2});
    w.RomFile->setText(folder.path("game.gb"));
    const QList<QUrl> urls = GetParam().urls(folder);

    bool accepted = true;
    std::string before;
    std::string after;
    if (GetParam().busy == Busy::Searching) {
        h.events.onPump = [&](int call) {
            if (call != 1) return;
            before = state(w);
            accepted = drop(w, urls);
            after = state(w);
        };
        click(w.Search);
        ASSERT_GT(h.events.calls, 1);
        QCoreApplication::sendPostedEvents();  // nothing may be left to open after the search
        EXPECT_EQ(w.RomFile->text(), folder.path("game.gb"));
        EXPECT_EQ(listLines(w), (QStringList{"1", "2 (+1)"}));
    } else {
        if (GetParam().busy == Busy::About) click(w.About);
        before = state(w);
        accepted = drop(w, urls);
        after = state(w);
    }
    EXPECT_FALSE(accepted);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(h.messages.shown.empty()) << h.messages.texts().join('\n').toStdString();
    EXPECT_TRUE(h.files.uses.empty());
}

QList<QUrl> local(const TestFolder& f, const char* name) { return {QUrl::fromLocalFile(f.path(name))}; }

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedDrop,
    ::testing::Values(
        RefusedCase{"TwoFiles", [](const TestFolder& f) { return local(f, "game.gb") + local(f, "table.ksv"); },
                    Busy::No},
        RefusedCase{"Folder", [](const TestFolder& f) { return local(f, "roms"); }, Busy::No},
        RefusedCase{"FileThatIsNotThere", [](const TestFolder& f) { return local(f, "gone.gb"); }, Busy::No},
        RefusedCase{"WebAddress",
                    [](const TestFolder&) { return QList<QUrl>{QUrl("https://kinfold.example.org/a.gb")}; }, Busy::No},
        RefusedCase{"NoAddresses", [](const TestFolder&) { return QList<QUrl>{}; }, Busy::No},
        RefusedCase{"DuringASearch", [](const TestFolder& f) { return local(f, "table.ksv"); }, Busy::Searching},
        RefusedCase{"WhileAboutShows", [](const TestFolder& f) { return local(f, "table.ksv"); }, Busy::About}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold::test
