#include "shell/script/ScriptWindow.h"

#include "pointers/MappingChoice.h"
#include "pointers/PointerCount.h"
#include "shell/main/ResultsView.h"
#include "shell/platform/CaptionedRow.h"
#include "shell/platform/EscapeCloses.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/FileWriting.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/QuotedPath.h"
#include "shell/platform/ReplaceQuestion.h"
#include "shell/script/ScriptModel.h"
#include "shell/script/ScriptRun.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIODevice>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>
#include <string>
#include <utility>

namespace kinfold {

namespace {

constexpr std::string_view kScriptFileFilter = "Text Files (*.txt)|*.txt|All files (*.*)|*.*";
constexpr int kDefaultMinLength = 4;
constexpr int kMostMinLength = 1000;

}  // namespace

ScriptWindow::ScriptWindow(MessageBoxes& messages, FileChooser& files, QWidget* parent)
    : QWidget(parent, Qt::Window), messages_(messages), files_(files) {
    setObjectName(QStringLiteral("ScriptWindow"));
    setWindowTitle(QStringLiteral("Script - ") + kProgramTitle);
    model_ = new ScriptModel(this);
    run_ = new ScriptRun({[this](ScriptBatch&& strings) {
                              model_->append(std::move(strings));
                              showCount();
                          },
                          [this](std::uint64_t done, std::uint64_t total) {
                              // A bar counts in int: the file's size in KiB, up to 2 TiB.
                              Progress->setMaximum(static_cast<int>(std::max<std::uint64_t>(total >> 10, 1)));
                              Progress->setValue(static_cast<int>(std::min(done, total) >> 10));
                          },
                          [this](const std::string& problem, bool stopped) { finished(problem, stopped); }},
                         this);
    createControls();
    resize(640, 560);
}

ScriptWindow::~ScriptWindow() {
    stopPointerCount();
    // The run's thread ends before the model it fills goes.
    delete run_;
}

void ScriptWindow::createControls() {
    FileName = new QLabel(this);
    FileName->setObjectName(QStringLiteral("FileName"));
    FileName->setWordWrap(true);
    FileName->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Filter = new QLineEdit(this);
    Filter->setObjectName(QStringLiteral("Filter"));
    Filter->setAccessibleName(QStringLiteral("Filter"));
    Filter->setClearButtonEnabled(true);
    connect(Filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_->setFilter(text);
        showCount();
    });
    MinLength = new QSpinBox(this);
    MinLength->setObjectName(QStringLiteral("MinLength"));
    MinLength->setAccessibleName(QStringLiteral("Minimum length"));
    MinLength->setRange(1, kMostMinLength);
    MinLength->setValue(kDefaultMinLength);
    MinLength->setSuffix(QStringLiteral(" characters"));
    connect(MinLength, &QSpinBox::valueChanged, this, [this] {
        if (!path_.isEmpty()) restart();
    });

    CountPointers = new QComboBox(this);
    CountPointers->setObjectName(QStringLiteral("CountPointers"));
    CountPointers->setAccessibleName(QStringLiteral("Count pointers as"));
    CountPointers->addItem(QStringLiteral("not counted"));
    for (const MappingKind kind : {MappingKind::Linear, MappingKind::Gb, MappingKind::Nes, MappingKind::SnesLorom,
                                   MappingKind::SnesHirom, MappingKind::Gba}) {
        CountPointers->addItem(QString::fromUtf8(mappingName(kind)), static_cast<int>(kind));
    }
    connect(CountPointers, &QComboBox::activated, this, [this] {
        takeDefaultBankRule();
        if (!running()) startPointerCount();
    });
    CountWhich = new QComboBox(this);
    CountWhich->setObjectName(QStringLiteral("CountWhich"));
    CountWhich->setAccessibleName(QStringLiteral("Count"));
    CountWhich->addItem(QStringLiteral("all pointers"));
    CountWhich->addItem(QStringLiteral("pointers in tables"));
    CountWhich->setToolTip(
        QStringLiteral("Pointers in tables: those with a neighbouring slot that leads to another "
                       "listed string"));
    SameBank = new QCheckBox(QStringLiteral("Same &bank only"), this);
    SameBank->setObjectName(QStringLiteral("SameBank"));
    SameBank->setAccessibleName(QStringLiteral("Same bank only"));
    Aligned = new QCheckBox(QStringLiteral("&Aligned"), this);
    Aligned->setObjectName(QStringLiteral("Aligned"));
    Aligned->setAccessibleName(QStringLiteral("Aligned"));
    connect(CountWhich, &QComboBox::activated, this, [this] {
        if (!running()) startPointerCount();
    });
    for (QCheckBox* box : {SameBank, Aligned}) {
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!running()) startPointerCount();
        });
    }

    auto* header = new QFormLayout;
    const auto row = [&](const QString& caption, QWidget* value) { addCaptionedRow(header, this, caption, value); };
    row(QStringLiteral("File:"), FileName);
    row(QStringLiteral("&Filter:"), Filter);
    row(QStringLiteral("&Minimum length:"), MinLength);
    auto* counting = new QHBoxLayout;
    counting->addWidget(CountPointers);
    auto* whichCaption = new QLabel(QStringLiteral("Co&unt:"), this);
    whichCaption->setBuddy(CountWhich);
    counting->addSpacing(12);
    counting->addWidget(whichCaption);
    counting->addWidget(CountWhich);
    counting->addSpacing(12);
    counting->addWidget(SameBank);
    counting->addWidget(Aligned);
    counting->addStretch(1);
    auto* countCaption = new QLabel(QStringLiteral("Count p&ointers as:"), this);
    countCaption->setBuddy(CountPointers);
    header->addRow(countCaption, counting);

    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setAccessibleName(QStringLiteral("Progress"));
    Progress->setRange(0, 1);
    StopButton = new QPushButton(QStringLiteral("S&top"), this);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    StopButton->setEnabled(false);
    connect(StopButton, &QPushButton::clicked, this, &ScriptWindow::StopButton_Click);
    Count = new QLabel(this);
    Count->setObjectName(QStringLiteral("Count"));
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(Progress, 1);
    progressRow->addWidget(StopButton);

    Strings = new ResultsView(this);
    Strings->setObjectName(QStringLiteral("Strings"));
    Strings->setAccessibleName(QStringLiteral("Strings"));
    Strings->setMessages(&messages_);
    Strings->setModel(model_);
    Strings->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(Strings, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit stringChosen(index.data(ScriptModel::OffsetRole).toULongLong());
    });
    auto* stringsCaption = new QLabel(QStringLiteral("&Strings (offset, offset in hex, text):"), this);
    stringsCaption->setBuddy(Strings);

    SaveScript = new QPushButton(QStringLiteral("Save S&cript..."), this);
    SaveScript->setObjectName(QStringLiteral("SaveScript"));
    SaveScript->setEnabled(false);
    connect(SaveScript, &QPushButton::clicked, this, &ScriptWindow::SaveScript_Click);
    FindPointers = new QPushButton(QStringLiteral("Find &Pointers"), this);
    FindPointers->setObjectName(QStringLiteral("FindPointers"));
    FindPointers->setEnabled(false);
    connect(FindPointers, &QPushButton::clicked, this, [this] {
        const QModelIndex current = Strings->currentIndex();
        if (current.isValid()) emit findPointers(path_, current.data(ScriptModel::OffsetRole).toULongLong());
    });
    // Pointers are looked for to the string the list is on.
    connect(Strings->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { FindPointers->setEnabled(current.isValid()); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { FindPointers->setEnabled(false); });
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    closeOnEscape(this);
    Buttons = new QHBoxLayout;
    Buttons->addWidget(SaveScript);
    Buttons->addWidget(FindPointers);
    Buttons->addStretch(1);
    Buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(progressRow);
    layout->addWidget(stringsCaption);
    layout->addWidget(Strings, 1);
    layout->addWidget(Count);
    layout->addLayout(Buttons);
}

bool ScriptWindow::running() const { return run_->running(); }

void ScriptWindow::showFile(const QString& path, const CodeTable& table) {
    if (path == path_ && table == table_ && (running() || !stopped_)) return;
    if (path != path_) {
        // A ROM's extension says how its console maps it; other files start uncounted.
        const std::optional<MappingKind> kind = mappingForExtension(toFilesystemPath(path));
        CountPointers->setCurrentIndex(kind ? CountPointers->findData(static_cast<int>(*kind)) : 0);
        takeDefaultBankRule();
    }
    path_ = path;
    table_ = table;
    FileName->setText(path);
    restart();
}

void ScriptWindow::restart() {
    stopPointerCount();
    model_->clear();
    stopped_ = false;
    Progress->setRange(0, 1);
    Progress->setValue(0);
    StopButton->setEnabled(true);
    SaveScript->setEnabled(false);
    run_->start(path_, table_, static_cast<std::uint64_t>(MinLength->value()));
    showCount();
}

void ScriptWindow::closeEvent(QCloseEvent* event) {
    StopButton_Click();
    stopPointerCount();
    QWidget::closeEvent(event);
}

void ScriptWindow::StopButton_Click() {
    if (running()) run_->stop();
}

void ScriptWindow::finished(const std::string& problem, bool stopped) {
    stopped_ = stopped || !problem.empty();
    StopButton->setEnabled(false);
    SaveScript->setEnabled(model_->found() > 0);
    if (!stopped_) Progress->setValue(Progress->maximum());
    showCount();
    if (!problem.empty()) messages_.show(QString::fromStdString(problem), kStyleWarning);
    if (!stopped_) startPointerCount();
}

void ScriptWindow::startPointerCount() {
    stopPointerCount();
    model_->setPointerCounts({});
    const QVariant kind = CountPointers->currentData();
    if (!kind.isValid() || model_->found() == 0) {
        showCount();
        return;
    }
    const PointerFormat format{static_cast<MappingKind>(kind.toInt())};
    PointerCountOptions options;
    options.search.bankOfPointer = SameBank->isEnabled() && SameBank->isChecked();
    options.search.aligned = Aligned->isChecked();
    options.inTablesOnly = CountWhich->currentIndex() == 1;
    // Written by the count before it ends, read when it has finished.
    auto counted = std::make_shared<PointerCounts>();
    counter_.start(
        [format, options, path = toFilesystemPath(path_), offsets = model_->offsets(),
         counted](const BackgroundJob::Work& job) {
            *counted = countPointers(
                path, format, offsets, [&job](std::uint64_t) { return !job.stopping(); }, options);
        },
        [this, counted] { takePointerCounts(*counted); });
    showCount();
}

void ScriptWindow::stopPointerCount() { counter_.cancel(); }

void ScriptWindow::waitUntilCounted() {
    counter_.wait();
    QCoreApplication::sendPostedEvents(this);
}

void ScriptWindow::takePointerCounts(PointerCounts& counted) {
    if (counted.stopped) return;
    if (!counted.error) model_->setPointerCounts(std::move(counted.counts));
    showCount();
    if (counted.error) messages_.show(QString::fromStdString(counted.error->message()), kStyleWarning);
}

void ScriptWindow::takeDefaultBankRule() {
    // The banked 16-bit mappings start with the banks' rule, which most chance matches break.
    const QVariant kind = CountPointers->currentData();
    const bool banked = kind.isValid() && isBanked(PointerFormat{static_cast<MappingKind>(kind.toInt())});
    const QSignalBlocker quiet(SameBank);
    SameBank->setEnabled(banked);
    SameBank->setChecked(banked);
}

void ScriptWindow::showCount() {
    const auto strings = [](std::size_t n) {
        return n == 1 ? QStringLiteral("1 string") : QStringLiteral("%1 strings").arg(n);
    };
    QString text = model_->filter().isEmpty()
                       ? strings(model_->found())
                       : QStringLiteral("%1 of %2").arg(QString::number(model_->shown()), strings(model_->found()));
    if (running()) {
        text += QStringLiteral(", still looking");
    } else if (stopped_) {
        text += QStringLiteral(", stopped before the end of the file");
    } else if (counter_.running()) {
        text += QStringLiteral(", counting pointers");
    } else if (model_->hasPointerCounts()) {
        text += (CountWhich->currentIndex() == 1 ? QStringLiteral(", pointers in tables counted as ")
                                                 : QStringLiteral(", pointers counted as ")) +
                CountPointers->currentText();
    }
    Count->setText(text);
}

void ScriptWindow::SaveScript_Click() {
    if (model_->found() == 0) return;
    const QFileInfo rom(path_);
    const QString proposed = rom.dir().filePath(rom.completeBaseName() + QStringLiteral(".txt"));
    const QString path = files_.chooseNamed(FileChooser::Use::Save, kScriptFileFilter, proposed);
    if (path.isEmpty() || !mayReplace(messages_, this, path)) return;
    std::string bytes;
    model_->appendLines(bytes);
    const std::optional<QString> failure = writeFileAtomically(path, bytes);
    if (failure) {
        messages_.show(QStringLiteral("Can't save the script %1: %2.").arg(quoted(path), *failure), kStyleWarning);
    }
}

}  // namespace kinfold
