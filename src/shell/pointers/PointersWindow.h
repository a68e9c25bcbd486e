#pragma once

#include "shell/platform/InterfaceThread.h"

#include "pointers/PointerMapping.h"
#include "pointers/PointerSearch.h"

#include <QString>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;

namespace kinfold {

class MessageBoxes;

// The pointers to one offset of a file under a console's mapping, searched
// for in the background and listed a line a pointer: where it lies and the
// bytes it holds.
class PointersWindow : public QWidget {
    Q_OBJECT
public:
    // The search stops once it has found this many: a value that a file
    // holds everywhere must not fill the memory with lines.
    static constexpr std::size_t kMostPointers = 100000;

    explicit PointersWindow(MessageBoxes& messages, QWidget* parent = nullptr);
    ~PointersWindow() override;

    // Searches the file for the pointers to target, under the mapping its
    // extension stands for (linear for any other file).
    // stringStarts: the strings the script window lists, when it lists this
    // file's; a pointer whose neighbouring slot leads to one is marked as
    // sitting in a pointer table.
    // used: the pointers the user already chose for moving this string, if
    // they did; a line is ticked when its pointer is one of them. Without
    // them the lines in a pointer table are ticked, and once the search ends
    // those become the string's chosen pointers.
    void findPointers(const QString& path, std::uint64_t target, std::vector<std::uint64_t> stringStarts = {},
                      std::optional<std::vector<std::uint64_t>> used = std::nullopt);
    const QString& path() const { return path_; }
    std::uint64_t target() const { return target_; }
    bool searching() const { return searching_; }
    // Waits for the search to end and takes in everything it found.
    void waitUntilSearched();
    // The offset of a line of the list.
    std::uint64_t pointerOffset(int row) const;
    // The offsets of the ticked lines' pointers, sorted: those to change when the string moves.
    std::vector<std::uint64_t> usedPointers() const;

signals:
    // A line was double-clicked or chosen with Enter.
    void pointerChosen(const QString& path, std::uint64_t offset, int bytes, std::uint64_t target);
    // The user ticked or cleared a line, or a search with nothing chosen yet
    // ended and its ticked lines became the string's: the pointers to change
    // when the string at target moves, sorted.
    void usedPointersChanged(const QString& path, std::uint64_t target, std::vector<std::uint64_t> used);

public slots:
    void Stop_Click();

public:
    QLabel* FileName = nullptr;
    QLabel* Target = nullptr;
    QComboBox* Mapping = nullptr;
    QComboBox* Width = nullptr;
    // Only pointers the banks let reach the string (banked mappings, on by default there); only aligned ones.
    QCheckBox* SameBank = nullptr;
    QCheckBox* Aligned = nullptr;
    // Each line ticked or not: whether its pointer is changed when the string moves.
    QListWidget* Pointers = nullptr;
    // What the ticks mean, under the list.
    QLabel* UseNote = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* Status = nullptr;
    QPushButton* StopButton = nullptr;
    QPushButton* CloseButton = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    // The widths the chosen mapping takes, its default chosen.
    void fillWidths();
    // Stops the search running and starts one with the mapping and width shown.
    void searchAgain();
    void stopWorker();
    // The search, on the job's thread.
    void run(const BackgroundJob::Work& job, const QString& path, std::uint64_t target, const PointerFormat& format,
             const PointerSearchOptions& options, std::span<const std::uint64_t> stringStarts);
    // Called on the window's thread with what the search found, and the bank each pointer lies in.
    struct ListedPointer {
        PointerHit hit;
        std::optional<std::uint64_t> bank;  // for a banked mapping
        bool inTable = false;
    };
    void takeBatch(const std::vector<ListedPointer>& pointers, std::uint64_t done, std::uint64_t size);
    // The mapping and width shown.
    PointerFormat currentFormat() const;
    void finish(const QString& failure, const QString& note, bool stopped);
    void showCount(const QString& ending);

    MessageBoxes& messages_;
    QString path_;
    std::uint64_t target_ = 0;
    int pointerBytes_ = 0;
    ByteOrder byteOrder_ = ByteOrder::Little;
    bool searching_ = false;
    std::vector<std::uint64_t> stringStarts_;         // sorted
    std::optional<std::vector<std::uint64_t>> used_;  // sorted; none until the user or a whole search chose
    bool adding_ = false;                             // lines going in are no choice of the user's
    BackgroundJob worker_{interfaceThreadOf(this)};
};

}  // namespace kinfold
