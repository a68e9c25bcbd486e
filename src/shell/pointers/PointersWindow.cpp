#include "shell/pointers/PointersWindow.h"

#include "pointers/MappingChoice.h"
#include "pointers/PointerFileScan.h"
#include "pointers/TableMark.h"
#include "search/FileReader.h"
#include "search/ResultLine.h"
#include "search/ScanError.h"
#include "shell/platform/CaptionedRow.h"
#include "shell/platform/EscapeCloses.h"
#include "shell/platform/FileWriting.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/QuotedPath.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace kinfold {

namespace {

constexpr int kProgressSteps = 1000;
constexpr MappingKind kMappings[] = {MappingKind::Linear,    MappingKind::Gb,        MappingKind::Nes,
                                     MappingKind::SnesLorom, MappingKind::SnesHirom, MappingKind::Gba};
constexpr int kWidths[] = {16, 24, 32};

// "16400 (4010 hex)  34 52": where the pointer lies and its bytes in the file's order.
// "336 (150 hex)  34 52", the bank the pointer lies in for a banked mapping ("  bank 0"), and
// "  in a table" when it sits in a pointer table.
QString pointerLine(const PointerHit& hit, int bytes, ByteOrder order, std::optional<std::uint64_t> bank,
                    bool inTable) {
    QString line = QString::fromStdString(resultLine(hit.offset)) + QStringLiteral(" ");
    for (int i = 0; i < bytes; ++i) {
        const int shift = 8 * (order == ByteOrder::Little ? i : bytes - 1 - i);
        line += QStringLiteral(" %1").arg((hit.value >> shift) & 0xFFu, 2, 16, QLatin1Char('0')).toUpper();
    }
    if (bank) line += QStringLiteral("  bank %1").arg(*bank);
    if (inTable) line += QStringLiteral("  in a table");
    return line;
}

// What a line's tick stands for, read by accessibility tools and shown over the line.
QString useWhenMoved() { return QStringLiteral("Use when the string moves"); }

}  // namespace

PointersWindow::PointersWindow(MessageBoxes& messages, QWidget* parent)
    : QWidget(parent, Qt::Window), messages_(messages) {
    setObjectName(QStringLiteral("PointersWindow"));
    setWindowTitle(QStringLiteral("Pointers - ") + kProgramTitle);
    createControls();
    resize(560, 420);
}

PointersWindow::~PointersWindow() { stopWorker(); }

void PointersWindow::createControls() {
    const auto label = [this](const char* name, const QString& accessibleName) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setAccessibleName(accessibleName);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        return l;
    };
    FileName = label("FileName", QStringLiteral("File"));
    FileName->setWordWrap(true);
    Target = label("Target", QStringLiteral("Pointers to"));
    Status = label("Status", QStringLiteral("Status"));
    Status->setWordWrap(true);

    Mapping = new QComboBox(this);
    Mapping->setObjectName(QStringLiteral("Mapping"));
    Mapping->setAccessibleName(QStringLiteral("Mapping"));
    for (MappingKind kind : kMappings) {
        Mapping->addItem(QString::fromUtf8(mappingName(kind).data(), static_cast<qsizetype>(mappingName(kind).size())),
                         static_cast<int>(kind));
    }
    Width = new QComboBox(this);
    Width->setObjectName(QStringLiteral("Width"));
    Width->setAccessibleName(QStringLiteral("Pointer width"));
    connect(Mapping, &QComboBox::currentIndexChanged, this, [this] {
        fillWidths();
        searchAgain();
    });
    connect(Width, &QComboBox::currentIndexChanged, this, [this] { searchAgain(); });
    SameBank = new QCheckBox(QStringLiteral("Same &bank only"), this);
    SameBank->setObjectName(QStringLiteral("SameBank"));
    SameBank->setAccessibleName(QStringLiteral("Same bank only"));
    SameBank->setToolTip(
        QStringLiteral("Only pointers the console's banks let reach the string: in its bank, or in "
                       "the fixed bank"));
    Aligned = new QCheckBox(QStringLiteral("&Aligned"), this);
    Aligned->setObjectName(QStringLiteral("Aligned"));
    Aligned->setAccessibleName(QStringLiteral("Aligned"));
    Aligned->setToolTip(QStringLiteral("Only pointers at offsets that are multiples of their size"));
    for (QCheckBox* box : {SameBank, Aligned}) connect(box, &QCheckBox::toggled, this, [this] { searchAgain(); });

    auto* header = new QFormLayout;
    const auto row = [&](const QString& caption, QWidget* value) { addCaptionedRow(header, this, caption, value); };
    row(QStringLiteral("File:"), FileName);
    row(QStringLiteral("Pointers to:"), Target);
    auto* format = new QHBoxLayout;
    format->addWidget(Mapping);
    auto* widthCaption = new QLabel(QStringLiteral("&Width:"), this);
    widthCaption->setBuddy(Width);
    format->addSpacing(12);
    format->addWidget(widthCaption);
    format->addWidget(Width);
    format->addSpacing(12);
    format->addWidget(SameBank);
    format->addWidget(Aligned);
    format->addStretch(1);
    auto* mappingCaption = new QLabel(QStringLiteral("&Mapping:"), this);
    mappingCaption->setBuddy(Mapping);
    header->addRow(mappingCaption, format);

    Pointers = new QListWidget(this);
    Pointers->setObjectName(QStringLiteral("Pointers"));
    Pointers->setAccessibleName(QStringLiteral("Pointers found"));
    Pointers->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Pointers->setUniformItemSizes(true);
    connect(Pointers, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        emit pointerChosen(path_, pointerOffset(Pointers->row(item)), pointerBytes_, target_);
    });
    connect(Pointers, &QListWidget::itemChanged, this, [this] {
        if (adding_) return;
        used_ = usedPointers();
        emit usedPointersChanged(path_, target_, *used_);
    });
    UseNote = label("UseNote", QStringLiteral("Ticked lines"));
    UseNote->setWordWrap(true);
    UseNote->setText(QStringLiteral("Ticked lines: use when the string moves (Space ticks or clears a line)."));
    auto* listCaption = new QLabel(QStringLiteral("&Pointers (offset, bytes):"), this);
    listCaption->setBuddy(Pointers);

    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setAccessibleName(QStringLiteral("Search progress"));
    Progress->setRange(0, kProgressSteps);
    Progress->setValue(0);
    StopButton = new QPushButton(QStringLiteral("&Stop"), this);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    StopButton->setEnabled(false);
    connect(StopButton, &QPushButton::clicked, this, &PointersWindow::Stop_Click);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    closeOnEscape(this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Progress, 1);
    bottom->addWidget(StopButton);
    bottom->addSpacing(12);
    bottom->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(listCaption);
    layout->addWidget(Pointers, 1);
    layout->addWidget(UseNote);
    layout->addWidget(Status);
    layout->addLayout(bottom);
    setTabOrder(Mapping, Width);
    setTabOrder(Width, Pointers);
    setTabOrder(Pointers, StopButton);
    setTabOrder(StopButton, CloseButton);
}

void PointersWindow::fillWidths() {
    const QSignalBlocker blocker(Width);
    const auto kind = static_cast<MappingKind>(Mapping->currentData().toInt());
    Width->clear();
    for (int bits : kWidths) {
        if (takesWidth(kind, bits)) Width->addItem(QStringLiteral("%1 bits").arg(bits), bits);
    }
    Width->setCurrentIndex(Width->findData(defaultWidth(kind)));
    Width->setEnabled(Width->count() > 1);
    // The banked 16-bit mappings start with the banks' rule, which most chance matches break.
    const QSignalBlocker quiet(SameBank);
    const bool banked = isBanked(currentFormat());
    SameBank->setEnabled(banked);
    SameBank->setChecked(banked);
}

PointerFormat PointersWindow::currentFormat() const {
    PointerFormat format;
    format.kind = static_cast<MappingKind>(Mapping->currentData().toInt());
    format.width = Width->currentData().toInt();
    return format;
}

void PointersWindow::findPointers(const QString& path, std::uint64_t target, std::vector<std::uint64_t> stringStarts,
                                  std::optional<std::vector<std::uint64_t>> used) {
    stopWorker();
    path_ = path;
    target_ = target;
    std::sort(stringStarts.begin(), stringStarts.end());
    stringStarts_ = std::move(stringStarts);
    if (used) std::sort(used->begin(), used->end());
    used_ = std::move(used);
    FileName->setText(path);
    Target->setText(QString::fromStdString(resultLine(target)));
    FileReader reader;
    // A file that can't be opened is reported by the search; its extension still tells the mapping.
    const std::optional<MappingKind> kind = reader.open(toFilesystemPath(path))
                                                ? chooseMapping(toFilesystemPath(path), reader)
                                                : mappingForExtension(toFilesystemPath(path));
    {
        const QSignalBlocker blocker(Mapping);
        Mapping->setCurrentIndex(Mapping->findData(static_cast<int>(kind.value_or(MappingKind::Linear))));
    }
    fillWidths();
    searchAgain();
}

void PointersWindow::searchAgain() {
    if (path_.isEmpty()) return;
    stopWorker();
    const PointerFormat format = currentFormat();
    PointerSearchOptions options;
    options.bankOfPointer = SameBank->isEnabled() && SameBank->isChecked();
    options.aligned = Aligned->isChecked();
    pointerBytes_ = format.width / 8;
    byteOrder_ = format.byteOrder;
    Pointers->clear();
    Progress->setValue(0);
    Status->setText(QStringLiteral("Searching..."));
    StopButton->setEnabled(true);
    searching_ = true;
    worker_.start([this, path = path_, target = target_, format, options, starts = stringStarts_](
                      const BackgroundJob::Work& job) { run(job, path, target, format, options, starts); });
}

void PointersWindow::run(const BackgroundJob::Work& job, const QString& path, std::uint64_t target,
                         const PointerFormat& format, const PointerSearchOptions& options,
                         std::span<const std::uint64_t> stringStarts) {
    const auto finishWith = [&](const QString& failure, const QString& note, bool stopped) {
        job.deliver([this, failure, note, stopped] { finish(failure, note, stopped); });
    };
    const std::string pathText = path.toStdString();
    FileReader reader;
    if (!reader.open(toFilesystemPath(path))) {
        finishWith(QString::fromStdString(ScanError{pathText, reader.reason(), ScanError::Stage::Open, 0}.message()),
                   {}, false);
        return;
    }
    const std::uint64_t size = reader.size();
    if (target >= size) {
        finishWith(QStringLiteral("Can't search %1 for pointers: the offset %2 lies past the end of the file (%3 "
                                  "bytes).")
                       .arg(quoted(path), QString::number(target), QString::number(size)),
                   {}, false);
        return;
    }
    const auto mapped = mappingOfFile(format.kind, format, toFilesystemPath(path), reader);
    if (const auto* refused = std::get_if<MappingRefusal>(&mapped)) {
        finishWith(QStringLiteral("Can't search %1 for pointers: %2")
                       .arg(quoted(path), QString::fromStdString(refused->reason)),
                   {}, false);
        return;
    }
    const PointerMapping& mapping = std::get<PointerMapping>(mapped);
    const std::uint64_t targets[] = {target};
    const PointerSearch search(mapping, targets, options);
    QString note;
    if (search.empty()) {
        note = target < mapping.headerSize()
                   ? QStringLiteral("No pointer leads into the file's %1-byte header.").arg(mapping.headerSize())
                   : QStringLiteral("No %1-bit pointer can hold this offset.").arg(mapping.width());
    }
    std::size_t listed = 0;
    const PointerScanEnd end =
        scanForPointers(reader, pathText, search, [&](std::span<const PointerHit> hits, std::uint64_t done) {
            const std::size_t take = std::min(hits.size(), kMostPointers - listed);
            listed += take;
            std::vector<ListedPointer> batch;
            batch.reserve(take);
            const std::uint64_t slot = static_cast<std::uint64_t>(mapping.width() / 8);
            std::vector<std::uint8_t> around(static_cast<std::size_t>(3 * slot));
            for (const PointerHit& hit : hits.first(take)) {
                // The slots on either side, as far as the file has them.
                bool inTable = false;
                if (!stringStarts.empty()) {
                    const std::uint64_t from = hit.offset >= slot ? hit.offset - slot : 0;
                    const std::size_t got = reader.readAt(from, around).got;
                    inTable = sitsInPointerTable(mapping, std::span(around).first(got), from, hit, stringStarts);
                }
                batch.push_back({hit, mapping.bankOf(hit.offset), inTable});
            }
            job.deliver([this, batch = std::move(batch), done, size] { takeBatch(batch, done, size); });
            return listed < kMostPointers && !job.stopping();
        });
    if (listed == kMostPointers) {
        note = QStringLiteral("Only the first %1 pointers are listed.").arg(kMostPointers);
    }
    finishWith(end.error ? QString::fromStdString(end.error->message()) : QString(), note, end.stopped);
}

void PointersWindow::takeBatch(const std::vector<ListedPointer>& pointers, std::uint64_t done, std::uint64_t size) {
    adding_ = true;
    for (const ListedPointer& pointer : pointers) {
        auto* item =
            new QListWidgetItem(pointerLine(pointer.hit, pointerBytes_, byteOrder_, pointer.bank, pointer.inTable));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(pointer.hit.offset)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const bool used =
            used_ ? std::binary_search(used_->begin(), used_->end(), pointer.hit.offset) : pointer.inTable;
        item->setCheckState(used ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(useWhenMoved());
        item->setData(Qt::AccessibleDescriptionRole, useWhenMoved());
        Pointers->addItem(item);
    }
    adding_ = false;
    if (Pointers->currentRow() < 0 && Pointers->count() > 0) Pointers->setCurrentRow(0);
    showCount(QStringLiteral("so far"));
    Progress->setValue(static_cast<int>(done / std::max<std::uint64_t>(1, size / kProgressSteps + 1)));
}

void PointersWindow::finish(const QString& failure, const QString& note, bool stopped) {
    searching_ = false;
    StopButton->setEnabled(false);
    if (!stopped && failure.isEmpty()) Progress->setValue(kProgressSteps);
    if (!note.isEmpty()) {
        Status->setText(note);
    } else if (stopped) {
        showCount(QStringLiteral("before the search was stopped"));
    } else if (!failure.isEmpty()) {
        showCount(QStringLiteral("before the search failed"));
    } else {
        showCount(QString());
    }
    if (!failure.isEmpty()) messages_.show(failure, kStyleWarning);
    // A whole search with nothing chosen: its ticks are the string's pointers from now on.
    if (!stopped && failure.isEmpty() && !used_) {
        used_ = usedPointers();
        emit usedPointersChanged(path_, target_, *used_);
    }
}

void PointersWindow::showCount(const QString& ending) {
    const int n = Pointers->count();
    QString text = n == 1 ? QStringLiteral("1 pointer") : QStringLiteral("%1 pointers").arg(n);
    if (!ending.isEmpty()) text += QLatin1Char(' ') + ending;
    Status->setText(text + QLatin1Char('.'));
}

std::uint64_t PointersWindow::pointerOffset(int row) const {
    const QListWidgetItem* item = Pointers->item(row);
    return item == nullptr ? 0 : item->data(Qt::UserRole).toULongLong();
}

std::vector<std::uint64_t> PointersWindow::usedPointers() const {
    std::vector<std::uint64_t> used;
    for (int row = 0; row < Pointers->count(); ++row) {
        if (Pointers->item(row)->checkState() == Qt::Checked) used.push_back(pointerOffset(row));
    }
    std::sort(used.begin(), used.end());
    return used;
}

void PointersWindow::Stop_Click() { worker_.stop(); }

void PointersWindow::stopWorker() {
    worker_.cancel();  // what the stopped search left in the queue is passed over
    searching_ = false;
    StopButton->setEnabled(false);
}

void PointersWindow::waitUntilSearched() {
    worker_.wait();
    QCoreApplication::sendPostedEvents(this);
}

void PointersWindow::closeEvent(QCloseEvent* event) {
    const bool wasSearching = searching_;
    stopWorker();
    if (wasSearching) showCount(QStringLiteral("before the search was stopped"));
    event->accept();
}

}  // namespace kinfold
