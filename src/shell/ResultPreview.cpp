#include "shell/ResultPreview.h"

#include "search/ResultLine.h"
#include "shell/FileChooser.h"
#include "shell/FileWriting.h"
#include "shell/MessageBoxes.h"
#include "shell/ScriptWindow.h"
#include "table/HitShift.h"
#include "table/InferredTable.h"
#include "table/TableDecoding.h"
#include "table/TableFile.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIODevice>
#include <QKeySequence>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>
#include <span>
#include <vector>

namespace kinfold {

namespace {

constexpr std::string_view kTableFileFilter = "Table Files (*.tbl)|*.tbl|All files (*.*)|*.*";
constexpr int kBytesPerRow = 16;

QString quoted(const QString& path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

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

// Shows the text with the marks highlighted as a selection is, and the first
// mark in the middle of the view.
void showMarked(QPlainTextEdit* view, const QString& text, const std::vector<Mark>& marks) {
    view->setPlainText(text);
    QList<QTextEdit::ExtraSelection> selections;
    for (const Mark& m : marks) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(view->document());
        selection.cursor.setPosition(m.position);
        selection.cursor.setPosition(m.position + m.length, QTextCursor::KeepAnchor);
        selection.format.setBackground(view->palette().highlight());
        selection.format.setForeground(view->palette().highlightedText());
        selections << selection;
    }
    view->setExtraSelections(selections);
    if (!marks.empty()) {
        QTextCursor at(view->document());
        at.setPosition(marks.front().position);
        view->setTextCursor(at);
        view->centerCursor();
    }
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
        auto* c = new QLabel(caption, this);
        c->setBuddy(value);
        header->addRow(c, value);
        return c;
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
    UpperBlock = box("UpperBlock", QStringLiteral("A-&Z"));
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

    HexView = makeView(this, "HexView", QStringLiteral("Bytes"), QPlainTextEdit::NoWrap);
    TextView = makeView(this, "TextView", QStringLiteral("Decoded text"), QPlainTextEdit::WidgetWidth);
    auto* bytesCaption = new QLabel(QStringLiteral("&Bytes:"), this);
    bytesCaption->setBuddy(HexView);
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
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
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

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Problem);
    layout->addLayout(header);
    layout->addLayout(blocks);
    layout->addWidget(bytesCaption);
    layout->addWidget(HexView, 3);
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
    result_ = result;
    shown_ = true;
    if (!sameSearch) {
        setBlocks(patternBlocks(result_.pattern));
    }

    const int unitBytes = result_.options.unitBytes();
    viewOffset_ = result_.offset;
    target_ = result_.offset;
    readView();
    const FileWindow& w = read_.window;
    shift_ = read_.ok() && result_.pattern.count() > 0 ? hitShift(result_.pattern,
                                   std::span(w.bytes).subspan(static_cast<std::size_t>(result_.offset - w.start)),
                                   result_.options)
                        : std::nullopt;
    if (read_.ok() && !shift_ && result_.pattern.count() > 0) {
        read_.message = "The file ends before the hit's first value.";
    }

    FileName->setText(result_.path);
    Offset->setText(QString::fromStdString(resultLine(result_.offset)));
    PatternText->setText(QString::fromStdString(patternText(result_.pattern)));
    ShiftCaption->setText(unitBytes == 1 ? QStringLiteral("Shift (byte = value + shift):")
                                         : QStringLiteral("Shift (unit = value + shift):"));
    Shift->setText(shift_ ? signedText(*shift_) : QStringLiteral("unknown"));
    refresh();
}

void ResultPreview::showOffset(const QString& path, std::uint64_t offset) {
    showResult({path, static_cast<std::uint64_t>(std::max<qint64>(0, QFileInfo(path).size())), SearchPattern(),
                MatchOptions{}, offset});
}

void ResultPreview::showOffset(std::uint64_t offset) {
    if (!shown_ || offset >= result_.fileSize) return;
    target_ = offset;
    // Whole units from the hit on, so that the units read stay in line with the hit's.
    const auto unitBytes = static_cast<std::uint64_t>(result_.options.unitBytes());
    viewOffset_ = offset >= result_.offset ? offset - (offset - result_.offset) % unitBytes
                                           : offset + (result_.offset - offset) % unitBytes;
    if (viewOffset_ >= result_.fileSize) viewOffset_ -= unitBytes;
    readView();
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
    refresh();
}

void ResultPreview::refresh() {
    Problem->setText(QString::fromStdString(read_.message));
    Problem->setVisible(!read_.message.empty());
    const FileWindow& w = read_.window;
    Earlier->setEnabled(read_.ok() && w.start > 0);
    Later->setEnabled(read_.ok() && w.start + w.bytes.size() < w.fileSize);
    const TableBlocks blocks{UpperBlock->isChecked(), LowerBlock->isChecked(), DigitBlock->isChecked(),
                             SpaceBlock->isChecked(), KanaBlock->isChecked()};
    table_ = shift_ ? codeTableOf(inferTable(result_.pattern, *shift_, blocks, result_.options)) : CodeTable();
    // What the user knows of the game outranks what one hit implies.
    table_.merge(userTable_);
    decoder_ = TableDecoder(table_);
    QString size = table_.size() == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(table_.size());
    if (!userTableName_.isEmpty()) size += QStringLiteral(", with ") + userTableName_;
    TableSize->setText(size);
    SaveTable->setEnabled(!table_.empty());
    drawHexView();
    drawTextView();
}

void ResultPreview::drawHexView() {
    const FileWindow& w = read_.window;
    const int unitBytes = result_.options.unitBytes();
    const std::uint64_t end = w.start + w.bytes.size();
    const std::uint64_t matchEnd = std::min(end, result_.offset + static_cast<std::uint64_t>(result_.pattern.count()) *
                                                                   static_cast<std::uint64_t>(unitBytes));
    const auto matched = [&](std::uint64_t at) { return at >= result_.offset && at < matchEnd; };
    const int digits = std::max(8, static_cast<int>(hexDigits(w.fileSize == 0 ? 0 : w.fileSize - 1, 1).size()));
    const int columns = (kBytesPerRow + unitBytes - 1) / unitBytes;
    const std::vector<std::string> decoded = decodeColumns(decoder_, w.bytes, static_cast<std::size_t>(unitBytes));

    QString text;
    std::vector<Mark> marks;
    for (std::uint64_t row = w.start / kBytesPerRow * kBytesPerRow; row < end; row += kBytesPerRow) {
        if (!text.isEmpty()) text += QLatin1Char('\n');
        text += hexDigits(row, digits) + QStringLiteral("  ");
        for (int i = 0; i < kBytesPerRow; ++i) {
            const std::uint64_t at = row + static_cast<std::uint64_t>(i);
            if (i == kBytesPerRow / 2) text += QLatin1Char(' ');
            if (at < w.start || at >= end) {
                text += QStringLiteral("   ");
                continue;
            }
            if (matched(at)) marks.push_back({static_cast<int>(text.size()), 2});
            text += hexDigits(w.bytes[static_cast<std::size_t>(at - w.start)], 2) + QLatin1Char(' ');
        }
        // The units that start in this row, each in the column of its first byte.
        std::vector<QString> cells(static_cast<std::size_t>(columns), QStringLiteral(" "));
        std::vector<bool> cellMatched(cells.size(), false);
        const std::uint64_t from = std::max(row, w.start);
        const auto unitLength = static_cast<std::uint64_t>(unitBytes);
        for (std::uint64_t unit = w.start + (from - w.start + unitLength - 1) / unitLength * unitLength;
             unit < row + kBytesPerRow && unit + unitLength <= end; unit += unitLength) {
            const auto column = static_cast<std::size_t>((unit - row) / unitLength);
            cells[column] = QString::fromStdString(decoded[static_cast<std::size_t>((unit - w.start) / unitLength)]);
            cellMatched[column] = matched(unit);
        }
        text += QLatin1Char(' ');
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (cellMatched[c]) marks.push_back({static_cast<int>(text.size()), static_cast<int>(cells[c].size())});
            text += cells[c];
        }
    }
    showMarked(HexView, text, marks);
}

void ResultPreview::drawTextView() {
    const FileWindow& w = read_.window;
    const std::span<const std::uint8_t> bytes(w.bytes);
    const std::uint64_t end = w.start + bytes.size();
    const std::uint64_t matchLength =
        static_cast<std::uint64_t>(result_.pattern.count()) * static_cast<std::uint64_t>(result_.options.unitBytes());
    // The window and the match share unit edges, so the three parts split no unit.
    const auto split = [&](std::uint64_t at) { return static_cast<std::size_t>(std::clamp(at, w.start, end) - w.start); };
    const std::size_t matchFrom = split(result_.offset);
    const std::size_t matchTo = split(result_.offset + matchLength);
    const auto step = static_cast<std::size_t>(result_.options.unitBytes());
    const QString before = QString::fromStdString(decodeText(decoder_, bytes.first(matchFrom), step));
    const QString match =
        QString::fromStdString(decodeText(decoder_, bytes.subspan(matchFrom, matchTo - matchFrom), step));
    const QString after = QString::fromStdString(decodeText(decoder_, bytes.subspan(matchTo), step));
    std::vector<Mark> marks;
    if (!match.isEmpty()) marks.push_back({static_cast<int>(before.size()), static_cast<int>(match.size())});
    showMarked(TextView, before + match + after, marks);
}

int ResultPreview::message(const QString& text) { return messages_.show(text, kStyleNotice); }

void ResultPreview::SaveTable_Click() {
    if (table_.empty()) return;
    const QFileInfo rom(result_.path);
    const QString proposed = rom.dir().filePath(rom.completeBaseName() + QStringLiteral(".tbl"));
    const QString path = files_.chooseNamed(FileChooser::Use::Save, kTableFileFilter, proposed);
    if (path.isEmpty()) return;
    const std::string bytes = tableFileText(table_);
    const std::optional<QString> failure = writeFileAtomically(path, [&bytes](QIODevice& out) {
        return out.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    });
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
            showOffset(offset);
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
    const QString path = files_.choose(FileChooser::Use::Open, kTableFileFilter);
    if (path.isEmpty()) return;
    const TableFileRead read = readTableFile(toFilesystemPath(path));
    if (!read.table) {
        const QString reason = QString::fromStdString(read.reason);
        message(read.line > 0 ? QStringLiteral("Can't open the table %1: line %2 is not a table line (%3). Nothing was "
                                               "taken from it.")
                                    .arg(quoted(path), QString::number(read.line), reason)
                              : QStringLiteral("Can't open the table %1: %2.").arg(quoted(path), reason));
        return;
    }
    userTable_ = *read.table;
    userTableName_ = QFileInfo(path).fileName();
    refresh();
}

}  // namespace kinfold
