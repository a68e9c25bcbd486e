#pragma once

#include "shell/platform/InterfaceThread.h"

#include "pointers/PointerCount.h"
#include "table/CodeTable.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace kinfold {

class FileChooser;
class MessageBoxes;
class ResultsView;
class ScriptModel;
class ScriptRun;

// The script window: every string of a file decoded through a table, found in
// the background, filtered as the user types, saved as the dump prints it.
class ScriptWindow : public QWidget {
    Q_OBJECT
public:
    ScriptWindow(MessageBoxes& messages, FileChooser& files, QWidget* parent = nullptr);
    ~ScriptWindow() override;

    // Lists the strings of the file through the table; the same file and table
    // already listed (or being listed) are kept.
    void showFile(const QString& path, const CodeTable& table);
    const QString& path() const { return path_; }
    const ScriptModel& strings() const { return *model_; }
    ScriptRun& run() { return *run_; }
    bool running() const;
    // Waits for the pointer count under way, if any, and takes its result.
    void waitUntilCounted();

public slots:
    void SaveScript_Click();
    void StopButton_Click();

signals:
    // The user chose the string at offset (double-click, Enter).
    void stringChosen(std::uint64_t offset);
    // "Find Pointers" on the current string, at offset of the file at path.
    void findPointers(const QString& path, std::uint64_t offset);

public:
    QLabel* FileName = nullptr;
    QLineEdit* Filter = nullptr;
    QSpinBox* MinLength = nullptr;
    // "not counted", or the mapping under which the pointers to each string are counted.
    QComboBox* CountPointers = nullptr;
    // "all pointers", or "pointers in tables": those a neighbouring slot shows to sit in a table.
    QComboBox* CountWhich = nullptr;
    // Only pointers the banks let reach the string; only aligned ones.
    QCheckBox* SameBank = nullptr;
    QCheckBox* Aligned = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* StopButton = nullptr;
    QLabel* Count = nullptr;
    ResultsView* Strings = nullptr;
    QPushButton* SaveScript = nullptr;
    QPushButton* FindPointers = nullptr;
    QPushButton* CloseButton = nullptr;
    // The row of buttons under the list, where more actions on the strings go.
    QHBoxLayout* Buttons = nullptr;

protected:
    // A window closed while it lists stops looking; "Script..." lists the file again.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void restart();
    void finished(const std::string& problem, bool stopped);
    void showCount();
    // Counts the pointers to every string found, in the background, under
    // the mapping CountPointers names; nothing when it says "not counted".
    void startPointerCount();
    // Same bank only: on, and offered, for the banked 16-bit mappings.
    void takeDefaultBankRule();
    void stopPointerCount();
    void takePointerCounts(PointerCounts& counted);

    MessageBoxes& messages_;
    FileChooser& files_;
    ScriptModel* model_ = nullptr;
    ScriptRun* run_ = nullptr;
    QString path_;
    CodeTable table_;
    bool stopped_ = false;
    BackgroundJob counter_{interfaceThreadOf(this)};
};

}  // namespace kinfold
