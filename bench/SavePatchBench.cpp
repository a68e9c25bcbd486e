// "Save Patch..." in the script window, headless, for 10,000 edited strings
// of a 4 MiB GBA ROM (20,000 strings listed; of the edited ones, half
// shorter and in place, half longer and moved through their pointers into
// free space): from the click to the BPS patch written.
//   ./kinfold-save-patch-bench --benchmark_min_time=2
#include "QtBenchmarkMain.h"
#include "insert/ScriptWriter.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/script/ScriptModel.h"
#include "shell/script/ScriptRun.h"
#include "shell/script/ScriptWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace kinfold;

constexpr std::size_t kRomBytes = std::size_t{4} << 20;
constexpr std::size_t kStrings = 20000;
constexpr std::size_t kEdited = 10000;
constexpr std::uint64_t kPointers = 0x8000;
constexpr std::uint64_t kTexts = 0x20000;
constexpr std::uint32_t kGbaRom = 0x08000000;

// Yes to replacing the patch of the run before; any other box is printed.
class ReplacingMessages : public MessageBoxes {
public:
    int show(const QString& text, int style) override {
        if (style == kStyleReplaceQuestion) return kAnswerYes;
        if (style != kStyleNotice) std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        return kAnswerOk;
    }
};

class ChosenFile : public FileChooser {
public:
    QString choose(Use, std::string_view) override { return path; }
    QString path;
};

CodeTable asciiTable() {
    CodeTable table;
    for (int c = 0x20; c < 0x7F; ++c) {
        if (c != '<' && c != '\\')
            table.set({static_cast<std::uint8_t>(c)}, {EntryKind::Normal, std::string(1, char(c)), 0});
    }
    table.set({0x00}, {EntryKind::End, "", 0});
    return table;
}

void BM_SavePatch(benchmark::State& state) {
    const QDir folder(QDir::temp().filePath(QStringLiteral("kinfold-save-patch-bench")));
    QDir().mkpath(folder.path());
    const QString rom = folder.filePath(QStringLiteral("game.gba"));
    const QString script = folder.filePath(QStringLiteral("game.txt"));
    const QString patch = folder.filePath(QStringLiteral("game.bps"));
    // Each string "Line NNNNN of the script" and its end token, 32 bytes apart, a pointer to it in the table.
    QByteArray bytes(static_cast<qsizetype>(kRomBytes), '\xFF');
    std::string edits;
    for (std::size_t k = 0; k < kStrings; ++k) {
        char text[32];
        std::snprintf(text, sizeof text, "Line %05zu of the script", k);
        const std::uint64_t at = kTexts + k * 32;
        bytes.replace(static_cast<qsizetype>(at), static_cast<qsizetype>(std::strlen(text) + 1),
                      QByteArray(text, static_cast<qsizetype>(std::strlen(text) + 1)));
        const std::uint32_t value = kGbaRom + static_cast<std::uint32_t>(at);
        for (int b = 0; b < 4; ++b) bytes[static_cast<qsizetype>(kPointers + k * 4 + b)] = char(value >> (8 * b));
        if (k >= kEdited) continue;
        const std::uint64_t pointer = kPointers + k * 4;
        const std::string edited =
            k % 2 == 0 ? "Line " + std::to_string(k) : "Line " + std::to_string(k) + " of the script, now longer";
        appendStringLines(at, edited, std::span<const std::uint64_t>(&pointer, 1), edits);
    }
    QFile romFile(rom);
    QFile scriptFile(script);
    if (!romFile.open(QIODevice::WriteOnly) || romFile.write(bytes) != bytes.size() ||
        !scriptFile.open(QIODevice::WriteOnly) ||
        scriptFile.write(edits.data(), static_cast<qint64>(edits.size())) != static_cast<qint64>(edits.size())) {
        state.SkipWithError("could not write the ROM and its script");
        return;
    }
    romFile.close();
    scriptFile.close();

    ReplacingMessages messages;
    ChosenFile files;
    ScriptWindow window(messages, files);
    window.show();
    window.showFile(rom, asciiTable());
    window.run().wait();
    QCoreApplication::sendPostedEvents();
    files.path = script;
    window.OpenScript->click();
    window.FreeSpace->setText(QStringLiteral("0x200000-0x400000"));
    if (window.edits().count() != kEdited) {
        state.SkipWithError("the script did not open");
        return;
    }
    files.path = patch;
    for (auto _ : state) {
        window.SavePatch->click();
        window.waitUntilInserted();
    }
    state.counters["edited"] = static_cast<double>(window.edits().count());
    state.counters["patch_bytes"] = static_cast<double>(QFile(patch).size());
    QFile::remove(rom);
    QFile::remove(script);
    QFile::remove(patch);
}
BENCHMARK(BM_SavePatch)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    kinfold::bench::runQtBenchmarks(argc, argv);
    return 0;
}
