#pragma once

#include "pattern/SearchPattern.h"
#include "search/MatchOptions.h"
#include "shell/preview/ChangedBytes.h"
#include "shell/preview/ChosenRun.h"
#include "shell/preview/PlacedEntries.h"
#include "shell/preview/TableEdits.h"
#include "table/CodeTable.h"
#include "table/FileWindow.h"
#include "table/InferredTable.h"
#include "table/TableDecoder.h"

#include <QString>
#include <QTextEdit>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kinfold {

class EntryDialog;
class FileChooser;
class MessageBoxes;
class ScriptWindow;

// A line of a search's results with what that search knew: the file, its
// size and the pattern as they were when it ran.
struct SearchedResult {
    QString path;
    std::uint64_t fileSize = 0;
    SearchPattern pattern;
    MatchOptions options;
    std::uint64_t offset = 0;
};

// The result preview: the bytes around a hit, decoded through the table the
// hit implies, and that table written to or widened from table files. A byte
// (or a run of them) chosen in the hex view takes the character typed on it,
// a text given through "Entry...", or becomes an end token or a line break;
// what the user gives a file's table stays with that file, as does the
// history that undo and redo go through.
class ResultPreview : public QWidget {
    Q_OBJECT
public:
    static constexpr std::uint64_t kBytesBefore = 256;
    static constexpr std::uint64_t kBytesAfter = 768;

    ResultPreview(MessageBoxes& messages, FileChooser& files, QWidget* parent = nullptr);

    // Shows a result line, read afresh from its file.
    void showResult(const SearchedResult& result);
    // Shows the bytes at any offset of a file, with no hit to mark.
    void showOffset(const QString& path, std::uint64_t offset);
    // Shows the bytes around another offset of the same file, with the same
    // table, the row holding it in the middle of the hex view.
    void showOffset(std::uint64_t offset);
    // The same with the string the table reads there marked as a hit is.
    void showString(std::uint64_t offset);
    // The same for a pointer of bytes bytes at offset to target; the table
    // stays when path is the file shown.
    void showPointer(const QString& path, std::uint64_t offset, int bytes, std::uint64_t target);
    // The string at offset with new bytes in place of the file's, marked,
    // "changed: 12 bytes" beside it; the file is never written. Anything
    // shown afterwards, but Earlier and Later, shows the file's own bytes.
    void showChangedString(const QString& path, std::uint64_t offset, std::vector<std::uint8_t> bytes);
    // The script window, once "Script..." opened it.
    ScriptWindow* scriptWindow() const { return script_; }
    const SearchedResult& result() const { return result_; }
    // The table in force: the inferred one, a table the user opened over it.
    const CodeTable& table() const { return table_; }
    std::optional<std::int64_t> shift() const { return shift_; }
    // The file offset of the byte (the unit) chosen in the hex view, if any,
    // the first of a run; and how many bytes are chosen.
    std::optional<std::uint64_t> chosenByte() const {
        return chosen_.empty() ? std::nullopt : std::optional<std::uint64_t>(chosen_.first());
    }
    std::size_t chosenBytes() const { return chosen_.size(); }
    // The box "Entry..." opened, while it is open.
    EntryDialog* entryDialog() const { return entryDialog_; }

signals:
    // "Find Pointers": the pointers to the offset shown are wanted.
    void findPointers(const QString& path, std::uint64_t offset);

public slots:
    void SaveTable_Click();
    void OpenTable_Click();
    // The chosen unit as an end token ("/HH"), a line break ("*HH"), or with no entry.
    void EndToken_Click();
    void LineBreak_Click();
    void RemoveEntry_Click();
    // A text for the chosen byte or run, through a small box.
    void EditEntry_Click();
    // Ctrl+Z and Ctrl+Shift+Z: the table edits of the file shown, a step each.
    void Undo();
    void Redo();
    // Enter in "Go to offset".
    void GoToOffset_Enter();
    void Script_Click();

public:
    QLabel* Problem = nullptr;
    QLabel* FileName = nullptr;
    QLabel* Offset = nullptr;
    QLabel* PatternText = nullptr;
    QLabel* ShiftCaption = nullptr;
    QLabel* Shift = nullptr;
    QCheckBox* UpperBlock = nullptr;
    QCheckBox* LowerBlock = nullptr;
    QCheckBox* DigitBlock = nullptr;
    QCheckBox* SpaceBlock = nullptr;
    QCheckBox* KanaBlock = nullptr;
    QLabel* TableSize = nullptr;
    // "Bytes 00000020-000003FF:", the first and the last offset shown.
    QLabel* BytesCaption = nullptr;
    // An offset to show, decimal or 0x hex.
    QLineEdit* GoToOffset = nullptr;
    QPlainTextEdit* HexView = nullptr;
    // "Byte 0000012C: 28 = H", "Bytes 00000130-00000131: 81 82 = the", or how to choose one.
    QLabel* ChosenByte = nullptr;
    QPushButton* EditEntry = nullptr;
    QPushButton* EndToken = nullptr;
    QPushButton* LineBreak = nullptr;
    QPushButton* RemoveEntry = nullptr;
    QPlainTextEdit* TextView = nullptr;
    QPushButton* OpenTable = nullptr;
    QPushButton* SaveTable = nullptr;
    QPushButton* FindPointers = nullptr;
    QPushButton* Script = nullptr;
    QPushButton* CloseButton = nullptr;
    // Move the bytes shown by 1024 towards the start or the end of the file.
    QPushButton* Earlier = nullptr;
    QPushButton* Later = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    // Shows offset of path with length bytes from it marked, and what they are beside the offset.
    // changed: new bytes shown in place of the file's from offset on.
    void showMarked(const QString& path, std::uint64_t offset, std::uint64_t length, const QString& what,
                    std::optional<ChangedBytes> changed = std::nullopt);
    // The length of the string the table reads at offset of the file shown, 0 if none.
    std::uint64_t fileStringLength(std::uint64_t offset);
    void setBlocks(const TableBlocks& blocks);
    // Reads the bytes around viewOffset_, the changed ones in place of the file's.
    void readView();
    void moveView(bool later);
    // The table from the check boxes, the shift and the user's table, then the views.
    void refresh();
    void drawHexView();
    void drawTextView();
    int message(const QString& text);
    // Puts the views' hits in the middle of them once they have their size.
    void centerOnHit();
    // The unit whose hex digits or character lie at a position of the hex view.
    std::optional<std::uint64_t> unitAt(int position) const;
    HexLayout hexLayout() const;
    // Chooses one unit; moveCursor puts the view's cursor on it (not while the mouse drags).
    void choose(std::optional<std::uint64_t> offset, bool moveCursor = true);
    // A selection made with the mouse: the run from where it started to where it is.
    void chooseSelected();
    void drawChosen(bool moveCursor = true);
    // The chosen bytes, as the window holds them.
    EntryBytes chosenEntryBytes() const;
    // Sets the chosen bytes' entry (none: takes it away), then decodes again.
    void editChosen(std::optional<TableEntry> entry);
    // After an undo or a redo: the bytes it changed chosen, if they are shown.
    void chooseStep(const std::optional<TableEdits::Place>& place);

    MessageBoxes& messages_;
    FileChooser& files_;
    SearchedResult result_;
    bool shown_ = false;
    std::uint64_t viewOffset_ = 0;  // the hit, or where Earlier and Later moved the view
    std::uint64_t target_ = 0;
    // The bytes marked as the hit is: the hit, a string or a pointer.
    std::uint64_t markFrom_ = 0;
    std::uint64_t markTo_ = 0;  // what "Find Pointers" looks for: the hit, or the string chosen in the script window
    FileWindowRead read_;
    std::optional<ChangedBytes> changed_;  // a string's new bytes, shown over the file's
    std::optional<std::int64_t> shift_;
    TableEdits edits_;
    CodeTable table_;
    TableDecoder decoder_{table_};
    ChosenRun chosen_;
    std::vector<PlacedEntry> placed_;  // the entries of the window, where they decode
    EntryDialog* entryDialog_ = nullptr;
    std::vector<int> hexPositions_;   // where each byte of the window stands in the hex view
    std::vector<int> cellPositions_;  // where each unit's character stands there
    QList<QTextEdit::ExtraSelection> hitMarks_;
    bool drawing_ = false;
    bool centerPending_ = false;
    ScriptWindow* script_ = nullptr;
};

}  // namespace kinfold
