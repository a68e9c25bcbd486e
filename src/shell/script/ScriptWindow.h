#pragma once

#include "shell/platform/InterfaceThread.h"

#include "insert/TextEncoder.h"
#include "pointers/PointerCount.h"
#include "shell/script/ScriptEdits.h"
#include "shell/script/StringInFile.h"
#include "table/CodeTable.h"
#include "table/TableDecoder.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QKeyEvent;
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
// the background, filtered as the user types, saved as the dump prints it;
// and the translator's desk: each string's new text typed in, its bytes
// counted against its room as typed, the script saved and opened again, and
// the patch or the patched copy made as `kinfold insert` makes them.
class ScriptWindow : public QWidget {
    Q_OBJECT
public:
    ScriptWindow(MessageBoxes& messages, FileChooser& files, QWidget* parent = nullptr);
    ~ScriptWindow() override;

    // Lists the strings of the file through the table; the same file and table
    // already listed (or being listed) are kept. Another file with edits not
    // saved asks first: false when the user kept the file shown.
    bool showFile(const QString& path, const CodeTable& table);
    const QString& path() const { return path_; }
    const ScriptModel& strings() const { return *model_; }
    ScriptRun& run() { return *run_; }
    bool running() const;
    // Waits for the pointer count under way, if any, and takes its result.
    void waitUntilCounted();
    // Waits for a patch or a patched copy being made, and takes the result.
    void waitUntilInserted();

    const ScriptEdits& edits() const { return edits_; }
    // The bytes the string at offset will have, when it is edited and its text encodes.
    std::optional<std::vector<std::uint8_t>> editedBytes(std::uint64_t offset);
    // The pointers the user confirmed for moving the string at target of the file at path (sorted).
    void setUsedPointers(const QString& path, std::uint64_t target, std::vector<std::uint64_t> pointers);
    // Those confirmed so far, nullopt when none were decided.
    std::optional<std::vector<std::uint64_t>> usedPointers(const QString& path, std::uint64_t target) const;
    // Asks "Save the edited script?" when edits were never saved as a script:
    // false when the user chose Cancel, or the save did not happen.
    bool mayDiscardEdits();

public slots:
    void SaveScript_Click();
    void OpenScript_Click();
    void SavePatch_Click();
    void SavePatchedRom_Click();
    void StopButton_Click();
    void Undo_Click();
    void Redo_Click();

signals:
    // The user chose the string at offset (double-click, Enter).
    void stringChosen(std::uint64_t offset);
    // "Find Pointers" on the current string, at offset of the file at path.
    void findPointers(const QString& path, std::uint64_t offset);

public:
    QLabel* FileName = nullptr;
    QLineEdit* Filter = nullptr;
    // "all strings", "edited strings" or "unedited strings", with the filter.
    QComboBox* Show = nullptr;
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
    // The chosen string's text as a script line writes it, to edit.
    QLineEdit* Translation = nullptr;
    // The text's bytes against the string's room.
    QLabel* Budget = nullptr;
    // Where strings that outgrow their room may move: START-END ranges.
    QLineEdit* FreeSpace = nullptr;
    QLabel* FreeSpaceCheck = nullptr;
    QPushButton* SaveScript = nullptr;
    QPushButton* OpenScript = nullptr;
    QPushButton* SavePatch = nullptr;
    QPushButton* SavePatchedRom = nullptr;
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

    // The Translation box: the chosen string, its text as committed, kept on Enter.
    void chooseString(const QModelIndex& current);
    void loadTranslation();
    bool commitTranslation();
    bool translationPending() const;
    void showBudget();
    // After an undo or redo: the list on the string changed, the box on it.
    void showChangeOf(std::optional<std::uint64_t> offset);
    void showFreeSpaceCheck();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Ctrl+Z undoes an edit, Ctrl+Shift+Z (or the system's redo key) redoes one: whether the key was one.
    bool undoOrRedo(const QKeyEvent& key);
    // Saves the script: false when nothing was saved.
    bool saveScript();
    // Makes a patch or the patched copy in the background and writes it to path.
    void startInsert(int output, const QString& path);
    void enableSaving();
    bool inserting() const { return inserter_.running(); }

    MessageBoxes& messages_;
    FileChooser& files_;
    ScriptModel* model_ = nullptr;
    ScriptRun* run_ = nullptr;
    QString path_;
    CodeTable table_;
    std::unique_ptr<TableDecoder> decoder_;
    std::unique_ptr<TextEncoder> encoder_;
    FileReader file_;  // the file listed, for the strings' bytes
    bool stopped_ = false;
    BackgroundJob counter_{interfaceThreadOf(this)};
    BackgroundJob inserter_{interfaceThreadOf(this)};
    ScriptEdits edits_;
    std::optional<StringInFile> chosen_;  // the string the Translation box is on
    bool choosing_ = false;
    std::size_t withoutString_ = 0;  // edits whose strings the last listing did not find
};

}  // namespace kinfold
