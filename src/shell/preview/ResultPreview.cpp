#include "shell/preview/ResultPreview.h"

#include "shell/preview/EntryDialog.h"
#include "shell/preview/EntryLine.h"
#include "shell/preview/HexLayout.h"
#include "shell/preview/OffsetToGoTo.h"

#include "script/StringAt.h"
#include "search/FileReader.h"
#include "search/ResultLine.h"
#include "shell/platform/CaptionedRow.h"
#include "shell/platform/EscapeCloses.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/FileWriting.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/QuotedPath.h"
#include "shell/platform/ReplaceQuestion.h"
#include "shell/script/ScriptWindow.h"
#include "table/HitShift.h"
#include "table/InferredTable.h"
#include "table/TableDecoding.h"
#include "table/TableDocument.h"
#include "table/TableFile.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIODevice>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <span>
#include <vector>

namespace kinfold {

namespace {

constexpr std::string_view kTableFileFilter = "Table Files (*.tbl)|*.tbl|All files (*.*)|*.*";
constexpr int kBytesPerRow = HexLayout::kBytesPerRow;

QString hexDigits(std::uint64_t value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

// "+56 (+38 hex)", "-3 (-3 hex)", "0 (0 hex)".
QString signedText(std::int64_t value) {
    const QString sign = value > 0 ? QStringLiteral("+") : value < 0 ? QStringLiteral("-") : QString();
    const auto magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return QStringLiteral("%1%2 (%1%3 hex)").arg(sign, QString::number(magnitude), hexDigits(magnitude, 1));
}

struct Mark {
    int position;
    int length;
};

// "a string of 5 bytes", "a string of 1 byte".
QString stringOfBytes(std::uint64_t length) {
    return length == 1 ? QStringLiteral("a string of 1 byte") : QStringLiteral("a string of %1 bytes").arg(length);
}

// The marks as the view draws a selection, or with colours of their own.
QList<QTextEdit::ExtraSelection> selectionsOf(QPlainTextEdit* view, const std::vector<Mark>& marks,
                                              const QBrush& background, const QBrush& foreground) {
    QList<QTextEdit::ExtraSelection> selections;
    for (const Mark& m : marks) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(view->document());
        selection.cursor.setPosition(m.position);
        selection.cursor.setPosition(m.position + m.length, QTextCursor::KeepAnchor);
        selection.format.setBackground(background);
        selection.format.setForeground(foreground);
        selections << selection;
    }
    return selections;
}

QList<QTextEdit::ExtraSelection> hitSelectionsOf(QPlainTextEdit* view, const std::vector<Mark>& marks) {
    return selectionsOf(view, marks, view->palette().highlight(), view->palette().highlightedText());
}

// Shows the text where the user had the view: a redraw of the same bytes
// (a check box ticked, an entry changed) stays where it was.
void showText(QPlainTextEdit* view, const QString& text) {
    const int vertical = view->verticalScrollBar()->value();
    const int horizontal = view->horizontalScrollBar()->value();
    view->setPlainText(text);
    view->verticalScrollBar()->setValue(vertical);
    view->horizontalScrollBar()->setValue(horizontal);
}

// Puts the position in the middle of the view.
void centerAt(QPlainTextEdit* view, int position) {
    QTextCursor at(view->document());
    at.setPosition(position);
    view->setTextCursor(at);
    view->centerCursor();
}

QPlainTextEdit* makeView(QWidget* parent, const char* name, const QString& accessibleName,
                         QPlainTextEdit::LineWrapMode wrap) {
    auto* view = new QPlainTextEdit(parent);
    view->setObjectName(QLatin1String(name));
    view->setReadOnly(true);
    // Read-only text still takes the keyboard for moving and selecting.
    view->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setLineWrapMode(wrap);
    view->setAccessibleName(accessibleName);
    view->setTabChangesFocus(true);
    return view;
}

}  // namespace

ResultPreview::ResultPreview(MessageBoxes& messages, FileChooser& files, QWidget* parent)
    : QWidget(parent, Qt::Window), messages_(messages), files_(files) {
    setObjectName(QStringLiteral("ResultPreview"));
    setWindowTitle(QStringLiteral("Result Preview - ") + kProgramTitle);
    createControls();
    resize(720, 600);
}

void ResultPreview::createControls() {
    const auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        return l;
    };
    Problem = label("Problem");
    Problem->setWordWrap(true);
    Problem->setStyleSheet(QStringLiteral("QLabel { color: #a00000; font-weight: bold; }"));
    Problem->hide();
    FileName = label("FileName");
    FileName->setWordWrap(true);
    Offset = label("Offset");
    PatternText = label("PatternText");
    PatternText->setWordWrap(true);
    Shift = label("Shift");

    auto* header = new QFormLayout;
    const auto row = [&](const QString& caption, QLabel* value) {
        return addCaptionedRow(header, this, caption, value);
    };
    row(QStringLiteral("File:"), FileName);
    row(QStringLiteral("Offset:"), Offset);
    row(QStringLiteral("Pattern:"), PatternText);
    ShiftCaption = row(QString(), Shift);

    const auto box = [this](const char* name, const QString& text) {
        auto* b = new QCheckBox(text, this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QCheckBox::toggled, this, [this] { refresh(); });
        return b;
    };
    UpperBlock = box("UpperBlock", QStringLiteral("&A-Z"));
    LowerBlock = box("LowerBlock", QStringLiteral("a-&z"));
    DigitBlock = box("DigitBlock", QStringLiteral("&0-9"));
    SpaceBlock = box("SpaceBlock", QStringLiteral("&Space"));
    KanaBlock = box("KanaBlock", QStringLiteral("&Kana"));
    TableSize = label("TableSize");
    auto* blocks = new QHBoxLayout;
    blocks->addWidget(new QLabel(QStringLiteral("Table takes:"), this));
    for (QCheckBox* b : {UpperBlock, LowerBlock, DigitBlock, SpaceBlock, KanaBlock}) blocks->addWidget(b);
    blocks->addStretch(1);
    blocks->addWidget(TableSize);

    GoToOffset = new QLineEdit(this);
    GoToOffset->setObjectName(QStringLiteral("GoToOffset"));
    GoToOffset->setAccessibleName(QStringLiteral("Go to offset"));
    GoToOffset->setAccessibleDescription(QStringLiteral("An offset in decimal, or in hex after 0x, then Enter."));
    GoToOffset->setPlaceholderText(QStringLiteral("decimal or 0x hex"));
    GoToOffset->setMaximumWidth(GoToOffset->fontMetrics().horizontalAdvance(QStringLiteral("0x0000000000000000")) + 16);
    connect(GoToOffset, &QLineEdit::returnPressed, this, &ResultPreview::GoToOffset_Enter);
    auto* goToCaption = new QLabel(QStringLiteral("&Go to offset:"), this);
    goToCaption->setBuddy(GoToOffset);

    HexView = makeView(this, "HexView", QStringLiteral("Bytes"), QPlainTextEdit::NoWrap);
    TextView = makeView(this, "TextView", QStringLiteral("Decoded text"), QPlainTextEdit::WidgetWidth);
    HexView->setAccessibleDescription(
        QStringLiteral("Choose a byte with a click or the arrow keys, then type the character it stands for; "
                       "Shift with the arrows, or a drag, chooses a run of bytes for one entry. F2 gives the "
                       "chosen bytes a text, Ctrl+Z and Ctrl+Shift+Z undo and redo."));
    HexView->installEventFilter(this);
    HexView->viewport()->installEventFilter(this);
    connect(HexView, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (drawing_) return;
        if (HexView->textCursor().hasSelection()) {
            chooseSelected();
        } else {
            choose(unitAt(HexView->textCursor().position()));
        }
    });
    BytesCaption = new QLabel(QStringLiteral("&Bytes:"), this);
    BytesCaption->setObjectName(QStringLiteral("BytesCaption"));
    BytesCaption->setBuddy(HexView);
    ChosenByte = label("ChosenByte");
    auto* textCaption = new QLabel(QStringLiteral("&Decoded text:"), this);
    textCaption->setBuddy(TextView);

    const auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    OpenTable = button("OpenTable", QStringLiteral("&Open Table..."));
    SaveTable = button("SaveTable", QStringLiteral("Save &Table..."));
    FindPointers = button("FindPointers", QStringLiteral("Find &Pointers"));
    EditEntry = button("EditEntry", QStringLiteral("Entr&y..."));
    EditEntry->setToolTip(QStringLiteral("A text for the chosen bytes (F2)"));
    EndToken = button("EndToken", QStringLiteral("End Toke&n"));
    LineBreak = button("LineBreak", QStringLiteral("Line B&reak"));
    RemoveEntry = button("RemoveEntry", QStringLiteral("Remo&ve Entry"));
    connect(EditEntry, &QPushButton::clicked, this, &ResultPreview::EditEntry_Click);
    connect(EndToken, &QPushButton::clicked, this, &ResultPreview::EndToken_Click);
    connect(LineBreak, &QPushButton::clicked, this, &ResultPreview::LineBreak_Click);
    connect(RemoveEntry, &QPushButton::clicked, this, &ResultPreview::RemoveEntry_Click);
    auto* editing = new QHBoxLayout;
    editing->addWidget(ChosenByte, 1);
    editing->addWidget(EditEntry);
    editing->addWidget(EndToken);
    editing->addWidget(LineBreak);
    editing->addWidget(RemoveEntry);
    Script = button("Script", QStringLiteral("S&cript..."));
    CloseButton = button("CloseButton", QStringLiteral("Close"));
    Earlier = button("Earlier", QStringLiteral("&Earlier"));
    Later = button("Later", QStringLiteral("&Later"));
    connect(Earlier, &QPushButton::clicked, this, [this] { moveView(false); });
    connect(Later, &QPushButton::clicked, this, [this] { moveView(true); });
    connect(OpenTable, &QPushButton::clicked, this, &ResultPreview::OpenTable_Click);
    connect(SaveTable, &QPushButton::clicked, this, &ResultPreview::SaveTable_Click);
    connect(FindPointers, &QPushButton::clicked, this, [this] { emit findPointers(result_.path, target_); });
    connect(Script, &QPushButton::clicked, this, &ResultPreview::Script_Click);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    closeOnEscape(this);
    auto* entry = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(entry, &QShortcut::activated, this, &ResultPreview::EditEntry_Click);
    auto* undo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    connect(undo, &QShortcut::activated, this, &ResultPreview::Undo);
    auto* redo = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this);
    connect(redo, &QShortcut::activated, this, &ResultPreview::Redo);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(OpenTable);
    buttons->addWidget(SaveTable);
    buttons->addWidget(FindPointers);
    buttons->addWidget(Script);
    buttons->addStretch(1);
    buttons->addWidget(Earlier);
    buttons->addWidget(Later);
    buttons->addSpacing(12);
    buttons->addWidget(CloseButton);

    // The keyboard goes through the controls as they stand, top to bottom.
    QWidget* previous = KanaBlock;
    for (QWidget* next :
         std::initializer_list<QWidget*>{GoToOffset, HexView, EditEntry, EndToken, LineBreak, RemoveEntry, TextView,
                                         OpenTable, SaveTable, FindPointers, Script, Earlier, Later, CloseButton}) {
        setTabOrder(previous, next);
        previous = next;
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Problem);
    layout->addLayout(header);
    layout->addLayout(blocks);
    auto* bytesRow = new QHBoxLayout;
    bytesRow->addWidget(BytesCaption);
    bytesRow->addStretch(1);
    bytesRow->addWidget(goToCaption);
    bytesRow->addWidget(GoToOffset);
    layout->addLayout(bytesRow);
    layout->addWidget(HexView, 3);
    layout->addLayout(editing);
    layout->addWidget(textCaption);
    layout->addWidget(TextView, 2);
    layout->addLayout(buttons);
}

void ResultPreview::setBlocks(const TableBlocks& blocks) {
    // One refresh for the five, not one per box.
    const QSignalBlocker a(UpperBlock), b(LowerBlock), c(DigitBlock), d(SpaceBlock), e(KanaBlock);
    UpperBlock->setChecked(blocks.upper);
    LowerBlock->setChecked(blocks.lower);
    DigitBlock->setChecked(blocks.digits);
    SpaceBlock->setChecked(blocks.space);
    KanaBlock->setChecked(blocks.kana);
}

void ResultPreview::showResult(const SearchedResult& result) {
    // A line of the same search keeps the user's choice of blocks.
    const bool sameSearch = shown_ && result.path == result_.path && result.fileSize == result_.fileSize &&
                            patternText(result.pattern) == patternText(result_.pattern) &&
                            result.options == result_.options;
    edits_.switchTo(result.path.toStdString());
    result_ = result;
    changed_.reset();
    shown_ = true;
    if (!sameSearch) {
        setBlocks(patternBlocks(result_.pattern));
    }

    const int unitBytes = result_.options.unitBytes();
    viewOffset_ = result_.offset;
    target_ = result_.offset;
    readView();
    const FileWindow& w = read_.window;
    shift_ =
        read_.ok() && result_.pattern.count() > 0
            ? hitShift(result_.pattern, std::span(w.bytes).subspan(static_cast<std::size_t>(result_.offset - w.start)),
                       result_.options)
            : std::nullopt;
    if (read_.ok() && !shift_ && result_.pattern.count() > 0) {
        read_.message = "The file ends before the hit's first value.";
    }

    markFrom_ = result_.offset;
    markTo_ =
        result_.offset + static_cast<std::uint64_t>(result_.pattern.count()) * static_cast<std::uint64_t>(unitBytes);
    FileName->setText(result_.path);
    Offset->setText(QString::fromStdString(resultLine(result_.offset)));
    PatternText->setText(QString::fromStdString(patternText(result_.pattern)));
    ShiftCaption->setText(unitBytes == 1 ? QStringLiteral("Shift (byte = value + shift):")
                                         : QStringLiteral("Shift (unit = value + shift):"));
    Shift->setText(shift_ ? signedText(*shift_) : QStringLiteral("unknown"));
    chosen_ = ChosenRun(result_.options.unitBytes());
    refresh();
    centerOnHit();
}

void ResultPreview::showOffset(const QString& path, std::uint64_t offset) { showMarked(path, offset, 0, QString()); }

void ResultPreview::showOffset(std::uint64_t offset) { showMarked(result_.path, offset, 0, QString()); }

std::uint64_t ResultPreview::fileStringLength(std::uint64_t offset) {
    FileReader reader;
    if (!reader.open(toFilesystemPath(result_.path)) || offset >= reader.size()) return 0;
    return stringAt(reader, decoder_, offset).string.length;
}

void ResultPreview::showString(std::uint64_t offset) {
    if (!shown_) return;
    const std::uint64_t length = fileStringLength(offset);
    showMarked(result_.path, offset, length, stringOfBytes(length));
}

void ResultPreview::showChangedString(const QString& path, std::uint64_t offset, std::vector<std::uint8_t> bytes) {
    // Another file opens first, so that its table reads the file's own string there.
    if (!shown_ || path != result_.path) showOffset(path, offset);
    ChangedBytes changed(offset, std::move(bytes));
    const auto length = static_cast<std::uint64_t>(changed.size());
    const QString what =
        stringOfBytes(fileStringLength(offset)) + QStringLiteral(", ") + QString::fromStdString(changed.caption());
    showMarked(path, offset, length, what, std::move(changed));
}

void ResultPreview::showPointer(const QString& path, std::uint64_t offset, int bytes, std::uint64_t target) {
    showMarked(path, offset, static_cast<std::uint64_t>(std::max(bytes, 0)),
               QStringLiteral("a pointer to ") + QString::fromStdString(resultLine(target)));
}

void ResultPreview::showMarked(const QString& path, std::uint64_t offset, std::uint64_t length, const QString& what,
                               std::optional<ChangedBytes> changed) {
    // Another file starts afresh; the same file keeps its hit's table, check boxes and shift.
    if (!shown_ || path != result_.path) {
        showResult({path, static_cast<std::uint64_t>(std::max<qint64>(0, QFileInfo(path).size())), SearchPattern(),
                    MatchOptions{}, offset});
    }
    if (offset >= result_.fileSize) return;
    changed_ = std::move(changed);
    target_ = offset;
    // Whole units from the hit on, so that the units read stay in line with the hit's.
    const auto unitBytes = static_cast<std::uint64_t>(result_.options.unitBytes());
    viewOffset_ = offset >= result_.offset ? offset - (offset - result_.offset) % unitBytes
                                           : offset + (result_.offset - offset) % unitBytes;
    if (viewOffset_ >= result_.fileSize) viewOffset_ -= unitBytes;
    markFrom_ = offset;
    markTo_ = changed_ ? changed_->endIn(result_.fileSize) : offset + std::min(length, result_.fileSize - offset);
    QString line = QString::fromStdString(resultLine(offset));
    if (!what.isEmpty()) line += QStringLiteral(", ") + what;
    Offset->setText(line);
    readView();
    chosen_ = ChosenRun(result_.options.unitBytes());
    refresh();
    const FileWindow& w = read_.window;
    if (!read_.ok() || w.bytes.empty()) return;
    const std::uint64_t firstRow = w.start / kBytesPerRow;
    QTextCursor at(HexView->document()->findBlockByNumber(static_cast<int>(offset / kBytesPerRow - firstRow)));
    HexView->setTextCursor(at);
    HexView->centerCursor();
}

void ResultPreview::readView() {
    read_ = readFileWindow(toFilesystemPath(result_.path), result_.fileSize, viewOffset_, kBytesBefore, kBytesAfter,
                           result_.options.unitBytes());
    if (changed_ && read_.ok()) changed_->putInto(read_.window);
}

void ResultPreview::moveView(bool later) {
    // Whole units, so that the units read stay in line with the hit's.
    const auto unitBytes = static_cast<std::uint64_t>(result_.options.unitBytes());
    const std::uint64_t step = (kBytesBefore + kBytesAfter) / unitBytes * unitBytes;
    if (later) {
        const std::uint64_t room = (result_.fileSize - viewOffset_) / unitBytes * unitBytes;
        viewOffset_ += std::min(step, room);
    } else {
        viewOffset_ -= std::min(step, viewOffset_ / unitBytes * unitBytes);
    }
    readView();
    chosen_ = ChosenRun(result_.options.unitBytes());
    refresh();
    centerOnHit();
}

void ResultPreview::refresh() {
    Problem->setText(QString::fromStdString(read_.message));
    Problem->setVisible(!read_.message.empty());
    const FileWindow& w = read_.window;
    Earlier->setEnabled(read_.ok() && w.start > 0);
    Later->setEnabled(read_.ok() && w.start + w.bytes.size() < w.fileSize);
    const TableBlocks blocks{UpperBlock->isChecked(), LowerBlock->isChecked(), DigitBlock->isChecked(),
                             SpaceBlock->isChecked(), KanaBlock->isChecked()};
    table_ = edits_.applyTo(shift_ ? codeTableOf(inferTable(result_.pattern, *shift_, blocks, result_.options))
                                   : CodeTable());
    decoder_ = TableDecoder(table_);
    QString size = table_.size() == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(table_.size());
    if (!edits_.name().empty()) size += QStringLiteral(", with ") + QString::fromStdString(edits_.name());
    // Shift JIS is a guess from the bytes: the user sees it was made.
    if (edits_.document() != nullptr && edits_.document()->encoding() == TableEncoding::ShiftJis) {
        size +=
            QStringLiteral(", read as ") + QString::fromStdString(std::string(encodingName(TableEncoding::ShiftJis)));
    }
    if (edits_.edited()) size += QStringLiteral(", edited");
    TableSize->setText(size);
    SaveTable->setEnabled(!table_.empty());
    drawHexView();
    drawTextView();
    drawChosen();
}

void ResultPreview::drawHexView() {
    const FileWindow& w = read_.window;
    const int unitBytes = result_.options.unitBytes();
    const HexLayout layout(w.start, w.bytes.size(), w.fileSize, unitBytes);
    const std::uint64_t end = w.start + w.bytes.size();
    const std::uint64_t matchEnd = std::min(end, markTo_);
    const auto matched = [&](std::uint64_t at) { return at >= markFrom_ && at < matchEnd; };
    const int digits = layout.offsetDigits();
    std::vector<std::string> decoded = decodeColumns(decoder_, w.bytes, static_cast<std::size_t>(unitBytes));
    placed_ = placedEntries(decoder_, w.bytes, static_cast<std::size_t>(unitBytes));
    markEndTokens(decoded, placed_, static_cast<std::size_t>(unitBytes));
    const auto indexOf = [&](std::uint64_t at) { return static_cast<std::size_t>(at - w.start); };

    QString text;
    std::vector<Mark> marks;
    hexPositions_.assign(w.bytes.size(), -1);
    cellPositions_.assign(decoded.size(), -1);
    for (std::size_t row = 0; row < layout.rows(); ++row) {
        if (row > 0) text += QLatin1Char('\n');
        text += hexDigits(layout.rowOffset(row), digits) + QStringLiteral("  ");
        for (int column = 0; column < HexLayout::kBytesPerRow; ++column) {
            if (column == HexLayout::kBytesPerRow / 2) text += QLatin1Char(' ');
            const std::optional<std::uint64_t> at = layout.byteAt(row, column);
            if (!at) {
                text += QStringLiteral("   ");
                continue;
            }
            if (matched(*at)) marks.push_back({static_cast<int>(text.size()), 2});
            hexPositions_[indexOf(*at)] = static_cast<int>(text.size());
            text += hexDigits(w.bytes[indexOf(*at)], 2) + QLatin1Char(' ');
        }
        text += QLatin1Char(' ');
        for (int cell = 0; cell < layout.cells(); ++cell) {
            const std::optional<std::uint64_t> unit = layout.unitInCell(row, cell);
            if (!unit) {
                text += QLatin1Char(' ');
                continue;
            }
            const std::size_t index = indexOf(*unit) / static_cast<std::size_t>(unitBytes);
            const QString character = QString::fromStdString(decoded[index]);
            if (matched(*unit)) marks.push_back({static_cast<int>(text.size()), static_cast<int>(character.size())});
            cellPositions_[index] = static_cast<int>(text.size());
            text += character;
        }
    }
    const QString range = layout.first() ? QStringLiteral(" %1-%2").arg(hexDigits(*layout.first(), digits),
                                                                        hexDigits(*layout.last(), digits))
                                         : QString();
    BytesCaption->setText(QStringLiteral("&Bytes%1:").arg(range));
    const QSignalBlocker quiet(HexView);
    drawing_ = true;
    showText(HexView, text);
    hitMarks_ = hitSelectionsOf(HexView, marks);
    drawing_ = false;
}

void ResultPreview::drawTextView() {
    const FileWindow& w = read_.window;
    const std::span<const std::uint8_t> bytes(w.bytes);
    const std::uint64_t end = w.start + bytes.size();
    const auto step = static_cast<std::size_t>(result_.options.unitBytes());
    // The parts split no unit: a mark that doesn't fall on the units' edges takes in the units it touches.
    const auto split = [&](std::uint64_t at, bool up) {
        const std::size_t in = static_cast<std::size_t>(std::clamp(at, w.start, end) - w.start);
        const std::size_t down = in / step * step;
        return std::min(up && down < in ? down + step : down, bytes.size() / step * step);
    };
    const std::size_t matchFrom = split(markFrom_, false);
    const std::size_t matchTo = std::max(matchFrom, split(markTo_, true));
    const QString before = QString::fromStdString(decodeLines(decoder_, bytes.first(matchFrom), step));
    const QString match =
        QString::fromStdString(decodeLines(decoder_, bytes.subspan(matchFrom, matchTo - matchFrom), step));
    const QString after = QString::fromStdString(decodeLines(decoder_, bytes.subspan(matchTo), step));
    std::vector<Mark> marks;
    if (!match.isEmpty()) marks.push_back({static_cast<int>(before.size()), static_cast<int>(match.size())});
    showText(TextView, before + match + after);
    TextView->setExtraSelections(hitSelectionsOf(TextView, marks));
}

int ResultPreview::message(const QString& text) { return messages_.showOver(this, text, kStyleWarning); }

void ResultPreview::SaveTable_Click() {
    if (table_.empty()) return;
    const QFileInfo rom(result_.path);
    const QString proposed = rom.dir().filePath(rom.completeBaseName() + QStringLiteral(".tbl"));
    const QString path = files_.chooseOver(this, FileChooser::Use::Save, kTableFileFilter, proposed);
    if (path.isEmpty() || !mayReplace(messages_, this, path)) return;
    // An opened table saves back as its user wrote it, with only the edits; an inferred one as plain lines.
    std::string bytes;
    if (const TableDocument* document = edits_.document()) {
        TableSave saved = document->savedBytes(table_);
        if (!saved.bytes) {
            message(
                QStringLiteral("Can't save the table %1: %2.").arg(quoted(path), QString::fromStdString(saved.reason)));
            return;
        }
        bytes = std::move(*saved.bytes);
    } else {
        bytes = tableFileText(table_);
    }
    const std::optional<QString> failure = writeFileAtomically(path, bytes);
    if (failure) {
        message(QStringLiteral("Can't save the table %1: %2.").arg(quoted(path), *failure));
    }
}

void ResultPreview::Script_Click() {
    if (!shown_) return;
    if (script_ == nullptr) {
        script_ = new ScriptWindow(messages_, files_, this);
        connect(script_, &ScriptWindow::findPointers, this, &ResultPreview::findPointers);
        connect(script_, &ScriptWindow::stringChosen, this, [this](std::uint64_t offset) {
            showString(offset);
            // An edited string shows the bytes it will have.
            if (std::optional<std::vector<std::uint8_t>> bytes = script_->editedBytes(offset)) {
                showChangedString(script_->path(), offset, std::move(*bytes));
            }
            show();
            raise();
            activateWindow();
        });
    }
    script_->showFile(result_.path, table_);
    script_->show();
    script_->raise();
    script_->activateWindow();
}

void ResultPreview::OpenTable_Click() {
    const QString path = files_.chooseOver(this, FileChooser::Use::Open, kTableFileFilter, QString());
    if (path.isEmpty()) return;
    TableDocumentRead read = TableDocument::read(toFilesystemPath(path));
    if (!read.document) {
        const QString reason = QString::fromStdString(read.reason);
        message(read.line > 0 ? QStringLiteral("Can't open the table %1: line %2 is not a table line (%3). Nothing was "
                                               "taken from it.")
                                    .arg(quoted(path), QString::number(read.line), reason)
                              : QStringLiteral("Can't open the table %1: %2.").arg(quoted(path), reason));
        return;
    }
    const CodeTable opened = read.document->table();
    edits_.open(opened, QFileInfo(path).fileName().toStdString(),
                std::make_shared<const TableDocument>(std::move(*read.document)));
    refresh();
}

void ResultPreview::EndToken_Click() { editChosen(TableEntry{EntryKind::End, {}, 0}); }

void ResultPreview::LineBreak_Click() { editChosen(TableEntry{EntryKind::LineBreak, {}, 0}); }

void ResultPreview::RemoveEntry_Click() { editChosen(std::nullopt); }

void ResultPreview::centerOnHit() {
    // A window not shown yet has no size to center in.
    centerPending_ = !isVisible();
    if (centerPending_) return;
    const QSignalBlocker quiet(HexView);
    drawing_ = true;
    centerAt(HexView, hitMarks_.isEmpty() ? 0 : hitMarks_.front().cursor.selectionStart());
    const QList<QTextEdit::ExtraSelection> textMarks = TextView->extraSelections();
    centerAt(TextView, textMarks.isEmpty() ? 0 : textMarks.front().cursor.selectionStart());
    drawing_ = false;
    drawChosen();
}

void ResultPreview::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (centerPending_) centerOnHit();
}

std::optional<std::uint64_t> ResultPreview::unitAt(int position) const {
    const FileWindow& w = read_.window;
    const auto unitBytes = static_cast<std::size_t>(result_.options.unitBytes());
    const auto unitOf = [&](std::size_t i) -> std::optional<std::uint64_t> {
        const std::size_t first = i / unitBytes * unitBytes;
        if (first + unitBytes > w.bytes.size()) return std::nullopt;
        return w.start + first;
    };
    for (std::size_t i = 0; i < hexPositions_.size(); ++i) {
        if (hexPositions_[i] >= 0 && position >= hexPositions_[i] && position < hexPositions_[i] + 3) return unitOf(i);
    }
    // A click on the right half of a row's last character puts the cursor after it.
    for (const int at : {position, position - 1}) {
        const auto found = std::find(cellPositions_.begin(), cellPositions_.end(), at);
        if (found != cellPositions_.end()) {
            return unitOf(static_cast<std::size_t>(found - cellPositions_.begin()) * unitBytes);
        }
    }
    return std::nullopt;
}

HexLayout ResultPreview::hexLayout() const {
    const FileWindow& w = read_.window;
    return HexLayout(w.start, w.bytes.size(), w.fileSize, result_.options.unitBytes());
}

void ResultPreview::choose(std::optional<std::uint64_t> offset, bool moveCursor) {
    if (offset) {
        chosen_.choose(*offset);
    } else {
        chosen_.clear();
    }
    drawChosen(moveCursor);
}

void ResultPreview::chooseSelected() {
    // A selection that starts outside the bytes (the offsets, all of the text) is for copying.
    const QTextCursor cursor = HexView->textCursor();
    const std::optional<std::uint64_t> from = unitAt(cursor.anchor());
    if (!from) return;
    // The end of a selection lies after the last character it takes.
    const int position = cursor.position();
    const std::optional<std::uint64_t> to = unitAt(position > cursor.anchor() ? position - 1 : position);
    chosen_.choose(*from);
    if (to) chosen_.stretchTo(*to);
    drawChosen(false);
}

EntryBytes ResultPreview::chosenEntryBytes() const {
    const FileWindow& w = read_.window;
    if (chosen_.empty()) return {};
    const auto index = static_cast<std::ptrdiff_t>(chosen_.first() - w.start);
    return EntryBytes(w.bytes.begin() + index, w.bytes.begin() + index + static_cast<std::ptrdiff_t>(chosen_.size()));
}

void ResultPreview::drawChosen(bool moveCursor) {
    const FileWindow& w = read_.window;
    const auto unitBytes = static_cast<std::size_t>(result_.options.unitBytes());
    if (!chosen_.empty() &&
        (chosen_.first() < w.start || chosen_.first() - w.start + chosen_.size() > w.bytes.size())) {
        chosen_.clear();
    }
    for (QPushButton* b : {EditEntry, EndToken, LineBreak, RemoveEntry}) b->setEnabled(!chosen_.empty());
    QList<QTextEdit::ExtraSelection> selections = hitMarks_;
    if (chosen_.empty()) {
        ChosenByte->setText(w.bytes.empty() ? QString()
                                            : QStringLiteral("Click a byte or use the arrow keys, then type its "
                                                             "character."));
        HexView->setExtraSelections(selections);
        return;
    }
    const auto index = static_cast<std::size_t>(chosen_.first() - w.start);
    const EntryBytes bytes = chosenEntryBytes();
    QString line;
    if (chosen_.single()) {
        // One unit: the entry it decodes in, whole, else its own.
        const PlacedEntry* covering = entryCovering(placed_, index);
        if (covering != nullptr) {
            const auto at = static_cast<std::ptrdiff_t>(covering->at);
            const EntryBytes code(w.bytes.begin() + at,
                                  w.bytes.begin() + at + static_cast<std::ptrdiff_t>(covering->length));
            line = QString::fromStdString(entryLine(code, &covering->entry));
        } else {
            line = QString::fromStdString(entryLine(bytes, table_.find(bytes)));
        }
        line = QStringLiteral("Byte %1: %2").arg(hexDigits(chosen_.first(), 8), line);
    } else {
        line = QStringLiteral("Bytes %1-%2: %3")
                   .arg(hexDigits(chosen_.first(), 8), hexDigits(chosen_.first() + chosen_.size() - 1, 8),
                        QString::fromStdString(entryLine(bytes, table_.find(bytes))));
    }
    ChosenByte->setText(line);
    // The chosen bytes stand out from the hit: their colours turned round.
    std::vector<Mark> marks;
    for (std::size_t i = index; i < index + chosen_.size(); ++i) {
        marks.push_back({hexPositions_[i], 2});
        if (i % unitBytes == 0 && cellPositions_[i / unitBytes] >= 0)
            marks.push_back({cellPositions_[i / unitBytes], 1});
    }
    selections += selectionsOf(HexView, marks, HexView->palette().text(), HexView->palette().base());
    HexView->setExtraSelections(selections);
    if (!moveCursor) return;
    const QSignalBlocker quiet(HexView);
    drawing_ = true;
    QTextCursor at(HexView->document());
    at.setPosition(hexPositions_[static_cast<std::size_t>(chosen_.active() - w.start)]);
    HexView->setTextCursor(at);
    HexView->ensureCursorVisible();
    drawing_ = false;
}

void ResultPreview::editChosen(std::optional<TableEntry> entry) {
    if (chosen_.empty()) return;
    const EntryBytes bytes = chosenEntryBytes();
    if (entry) {
        edits_.set(bytes, std::move(*entry), chosen_.first());
    } else {
        edits_.remove(bytes, chosen_.first());
    }
    refresh();
}

void ResultPreview::chooseStep(const std::optional<TableEdits::Place>& place) {
    if (!place) return;
    refresh();
    const FileWindow& w = read_.window;
    // Bytes of another window (Earlier, Later) are not chosen: the table changed all the same.
    if (place->at < w.start || place->at - w.start + place->bytes > w.bytes.size()) return;
    chosen_.choose(place->at);
    chosen_.stretchTo(place->at + place->bytes - static_cast<std::uint64_t>(result_.options.unitBytes()));
    drawChosen();
}

void ResultPreview::Undo() { chooseStep(edits_.undo()); }

void ResultPreview::Redo() { chooseStep(edits_.redo()); }

void ResultPreview::EditEntry_Click() {
    if (chosen_.empty() || entryDialog_ != nullptr) return;
    const EntryBytes bytes = chosenEntryBytes();
    const TableEntry* own = table_.find(bytes);
    const QString text =
        own != nullptr && own->kind == EntryKind::Normal ? QString::fromStdString(own->text) : QString();
    QString hex;
    for (const std::uint8_t b : bytes) hex += (hex.isEmpty() ? QString() : QStringLiteral(" ")) + hexDigits(b, 2);
    entryDialog_ = new EntryDialog(hex, text, this);
    entryDialog_->setAttribute(Qt::WA_DeleteOnClose);
    const std::uint64_t at = chosen_.first();
    const std::size_t length = chosen_.size();
    const QString file = result_.path;
    connect(entryDialog_, &QDialog::finished, this, [this, at, length, file](int result) {
        const QString given = entryDialog_->text();
        entryDialog_ = nullptr;
        // The bytes chosen when the box opened, if the view still shows them: the main
        // window may have shown another result meanwhile.
        const FileWindow& w = read_.window;
        if (result != QDialog::Accepted || given.isEmpty() || file != result_.path || at < w.start ||
            at - w.start + length > w.bytes.size()) {
            return;
        }
        chosen_.choose(at);
        chosen_.stretchTo(at + length - static_cast<std::uint64_t>(result_.options.unitBytes()));
        editChosen(TableEntry{EntryKind::Normal, given.toStdString(), 0});
        HexView->setFocus();
    });
    entryDialog_->open();
}

void ResultPreview::GoToOffset_Enter() {
    if (!shown_) return;
    const auto offset = offsetToGoTo(GoToOffset->text().toStdString(), result_.fileSize, result_.path.toStdString());
    if (const auto* why = std::get_if<std::string>(&offset)) {
        message(QString::fromStdString(*why));
        return;
    }
    const std::uint64_t to = std::get<std::uint64_t>(offset);
    showOffset(to);
    if (const std::optional<std::uint64_t> unit = hexLayout().unitOf(to)) choose(*unit);
    HexView->setFocus();
}

bool ResultPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == HexView->viewport() && event->type() == QEvent::MouseButtonPress &&
        (static_cast<QMouseEvent*>(event)->modifiers() & Qt::ShiftModifier) == 0) {
        // A press starts a choice afresh, never a drag of the text a choice left selected.
        QTextCursor cursor = HexView->textCursor();
        if (cursor.hasSelection()) {
            cursor.clearSelection();
            const QSignalBlocker quiet(HexView);
            HexView->setTextCursor(cursor);
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched != HexView || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const FileWindow& w = read_.window;
    const auto unitBytes = static_cast<std::int64_t>(result_.options.unitBytes());
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    std::int64_t move = 0;
    switch (key->key()) {
    case Qt::Key_Left: move = -unitBytes; break;
    case Qt::Key_Right: move = unitBytes; break;
    case Qt::Key_Up: move = -kBytesPerRow; break;
    case Qt::Key_Down: move = kBytesPerRow; break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (chosen_.empty() || modifiers != Qt::NoModifier) return false;
        RemoveEntry_Click();
        return true;
    default: break;
    }
    if (move != 0 && (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
        const HexLayout shown = hexLayout();
        const std::optional<std::uint64_t> last = shown.lastUnit();
        if (!last) return true;
        if (chosen_.empty()) {
            // With nothing chosen yet, the first move lands on what is marked, or on the first unit.
            const std::optional<std::uint64_t> marked = shown.unitOf(markFrom_);
            choose(marked ? *marked : w.start);
        } else if (modifiers == Qt::ShiftModifier ? chosen_.stretch(shown, move) : chosen_.move(shown, move)) {
            drawChosen();
        }
        return true;
    }
    const QString text = key->text();
    if (!chosen_.empty() && !text.isEmpty() && text.at(0).isPrint() &&
        (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0) {
        editChosen(TableEntry{EntryKind::Normal, text.toStdString(), 0});
        // On to the next byte, as a hex editor types.
        if (chosen_.advance(hexLayout())) drawChosen();
        return true;
    }
    return false;
}

}  // namespace kinfold
