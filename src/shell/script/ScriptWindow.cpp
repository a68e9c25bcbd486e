#include "shell/script/ScriptWindow.h"

#include "insert/FreeRanges.h"
#include "insert/Replacement.h"
#include "insert/ScriptReader.h"
#include "insert/StringBudget.h"
#include "insert/TextEncoder.h"
#include "pointers/MappingChoice.h"
#include "pointers/PointerCount.h"
#include "script/ScriptLine.h"
#include "search/PathText.h"
#include "search/ResultLine.h"
#include "search/WholeFile.h"
#include "shell/main/ResultsView.h"
#include "shell/platform/CaptionedRow.h"
#include "shell/platform/EscapeCloses.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/FileWriting.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/QuotedPath.h"
#include "shell/platform/ReplaceQuestion.h"
#include "shell/script/EditedScript.h"
#include "shell/script/ScriptModel.h"
#include "shell/script/ScriptRun.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIODevice>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include <QColor>
#include <QPalette>

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace kinfold {

namespace {

constexpr std::string_view kScriptFileFilter = "Text Files (*.txt)|*.txt|All files (*.*)|*.*";
constexpr std::string_view kPatchFileFilter = "BPS Patches (*.bps)|*.bps|IPS Patches (*.ips)|*.ips";
constexpr int kDefaultMinLength = 4;
constexpr int kMostMinLength = 1000;
// A script far larger than any game's, small enough to hold.
constexpr std::uint64_t kMostScriptBytes = std::uint64_t{1} << 30;
// The lines of a list of problems a message box shows; the rest are counted.
constexpr std::size_t kMostListed = 20;
const QString kSaveEditedScript = QStringLiteral("Save the edited script?");

// A refusal of the insertion as the list of them says it: a string that fits nowhere with its figures.
QString refusalLine(const InsertRefusal& refusal) {
    if (!refusal.unplaced) return QString::fromStdString(refusal.message());
    const Unplaced& u = *refusal.unplaced;
    return QStringLiteral(
               "line %1, %2: %3 bytes, %4 over, fits in no free space its pointers reach; %5 bytes of "
               "room left there")
        .arg(refusal.line)
        .arg(QString::fromStdString(resultLine(u.offset)))
        .arg(u.bytes)
        .arg(u.over)
        .arg(u.room);
}

// A list of problems, one a line, the first kMostListed of them.
QString listed(const std::vector<QString>& lines) {
    QString text;
    for (std::size_t k = 0; k < lines.size() && k < kMostListed; ++k) text += QLatin1Char('\n') + lines[k];
    if (lines.size() > kMostListed) text += QStringLiteral("\nand %1 more").arg(lines.size() - kMostListed);
    return text;
}

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
    resize(820, 600);
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
    Show = new QComboBox(this);
    Show->setObjectName(QStringLiteral("Show"));
    Show->setAccessibleName(QStringLiteral("Show"));
    Show->addItem(QStringLiteral("all strings"));
    Show->addItem(QStringLiteral("edited strings"));
    Show->addItem(QStringLiteral("unedited strings"));
    connect(Show, &QComboBox::currentIndexChanged, this, [this](int index) {
        commitTranslation();
        model_->setShow(static_cast<ScriptModel::Show>(index));
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
    auto* filtering = new QHBoxLayout;
    filtering->addWidget(Filter, 1);
    auto* showCaption = new QLabel(QStringLiteral("Sho&w:"), this);
    showCaption->setBuddy(Show);
    filtering->addSpacing(12);
    filtering->addWidget(showCaption);
    filtering->addWidget(Show);
    auto* filterCaption = new QLabel(QStringLiteral("&Filter:"), this);
    filterCaption->setBuddy(Filter);
    header->addRow(filterCaption, filtering);
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
    model_->setEdits(&edits_);
    connect(Strings->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { chooseString(current); });

    Translation = new QLineEdit(this);
    Translation->setObjectName(QStringLiteral("Translation"));
    Translation->setAccessibleName(QStringLiteral("Translation"));
    Translation->setEnabled(false);
    Translation->setToolTip(
        QStringLiteral("The string's new text: \\n for a line break, \\\\ for a backslash, <$HH> for a byte. "
                       "Enter keeps it, Escape takes it back."));
    Translation->installEventFilter(this);
    connect(Translation, &QLineEdit::textEdited, this, [this] { showBudget(); });
    connect(Translation, &QLineEdit::returnPressed, this, [this] { commitTranslation(); });
    Budget = new QLabel(this);
    Budget->setObjectName(QStringLiteral("Budget"));
    Budget->setAccessibleName(QStringLiteral("Bytes"));
    Budget->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Room for the usual budgets, so the box does not change its width with every key.
    Budget->setMinimumWidth(
        Budget->fontMetrics().horizontalAdvance(QStringLiteral("9999 bytes, 999 over: no known pointer")));
    auto* translationCaption = new QLabel(QStringLiteral("Tra&nslation:"), this);
    translationCaption->setBuddy(Translation);
    auto* translationRow = new QHBoxLayout;
    translationRow->addWidget(translationCaption);
    translationRow->addWidget(Translation, 1);
    translationRow->addWidget(Budget);

    FreeSpace = new QLineEdit(this);
    FreeSpace->setObjectName(QStringLiteral("FreeSpace"));
    FreeSpace->setAccessibleName(QStringLiteral("Free space"));
    FreeSpace->setPlaceholderText(QStringLiteral("0x7C000-0x80000, 0x1F000-0x20000"));
    FreeSpace->setToolTip(
        QStringLiteral("Where strings that outgrow their room may move: START-END ranges, END "
                       "exclusive, decimal or 0x hex"));
    connect(FreeSpace, &QLineEdit::textChanged, this, [this] { showFreeSpaceCheck(); });
    FreeSpaceCheck = new QLabel(this);
    FreeSpaceCheck->setObjectName(QStringLiteral("FreeSpaceCheck"));
    FreeSpaceCheck->setAccessibleName(QStringLiteral("Free space check"));
    auto* freeCaption = new QLabel(QStringLiteral("Free spac&e:"), this);
    freeCaption->setBuddy(FreeSpace);
    auto* freeRow = new QHBoxLayout;
    freeRow->addWidget(freeCaption);
    freeRow->addWidget(FreeSpace, 1);
    freeRow->addWidget(FreeSpaceCheck);
    // The captions of the two rows line up.
    freeCaption->setMinimumWidth(std::max(freeCaption->sizeHint().width(), translationCaption->sizeHint().width()));
    translationCaption->setMinimumWidth(freeCaption->minimumWidth());

    // The buttons that save or open, usable once the strings are listed.
    const auto fileButton = [this](const QString& caption, const QString& name, void (ScriptWindow::*click)()) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setEnabled(false);
        connect(button, &QPushButton::clicked, this, click);
        return button;
    };
    SaveScript =
        fileButton(QStringLiteral("Save S&cript..."), QStringLiteral("SaveScript"), &ScriptWindow::SaveScript_Click);
    OpenScript =
        fileButton(QStringLiteral("Open Scr&ipt..."), QStringLiteral("OpenScript"), &ScriptWindow::OpenScript_Click);
    SavePatch =
        fileButton(QStringLiteral("Save Patc&h..."), QStringLiteral("SavePatch"), &ScriptWindow::SavePatch_Click);
    SavePatchedRom = fileButton(QStringLiteral("Save Patched &ROM..."), QStringLiteral("SavePatchedRom"),
                                &ScriptWindow::SavePatchedRom_Click);
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
    Buttons->addWidget(OpenScript);
    Buttons->addWidget(SavePatch);
    Buttons->addWidget(SavePatchedRom);
    Buttons->addWidget(FindPointers);
    Buttons->addStretch(1);
    Buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(progressRow);
    layout->addWidget(stringsCaption);
    layout->addWidget(Strings, 1);
    layout->addWidget(Count);
    layout->addLayout(translationRow);
    layout->addLayout(freeRow);
    layout->addLayout(Buttons);
}

bool ScriptWindow::running() const { return run_->running(); }

bool ScriptWindow::showFile(const QString& path, const CodeTable& table) {
    if (path == path_ && table == table_ && (running() || !stopped_)) return true;
    if (path != path_) {
        // The edits are the old file's.
        if (!path_.isEmpty() && !mayDiscardEdits()) return false;
        edits_.clear();
        // A ROM's extension says how its console maps it; other files start uncounted.
        const std::optional<MappingKind> kind = mappingForExtension(toFilesystemPath(path));
        CountPointers->setCurrentIndex(kind ? CountPointers->findData(static_cast<int>(*kind)) : 0);
        takeDefaultBankRule();
    }
    path_ = path;
    table_ = table;
    decoder_ = std::make_unique<TableDecoder>(table_);
    encoder_ = std::make_unique<TextEncoder>(table_);
    FileName->setText(path);
    restart();
    return true;
}

void ScriptWindow::restart() {
    commitTranslation();
    stopPointerCount();
    inserter_.cancel();
    chosen_.reset();
    model_->clear();
    loadTranslation();
    stopped_ = false;
    Progress->setRange(0, 1);
    Progress->setValue(0);
    StopButton->setEnabled(true);
    // The file is read again: it may have changed.
    file_.close();
    file_.open(toFilesystemPath(path_));
    run_->start(path_, table_, static_cast<std::uint64_t>(MinLength->value()));
    enableSaving();
    showCount();
}

void ScriptWindow::closeEvent(QCloseEvent* event) {
    if (!mayDiscardEdits()) {
        event->ignore();
        return;
    }
    StopButton_Click();
    stopPointerCount();
    inserter_.cancel();
    QWidget::closeEvent(event);
}

bool ScriptWindow::mayDiscardEdits() {
    commitTranslation();
    if (!edits_.unsaved() || (edits_.count() == 0 && edits_.allUsedPointers().empty())) return true;
    const int answer = messages_.showOver(this, kSaveEditedScript, kStyleSaveQuestion);
    if (answer == kAnswerYes) return saveScript();
    if (answer != kAnswerNo) return false;
    // No: the edits go.
    edits_.clear();
    model_->editsChanged();
    loadTranslation();
    showCount();
    return true;
}

void ScriptWindow::StopButton_Click() {
    if (running()) run_->stop();
}

void ScriptWindow::finished(const std::string& problem, bool stopped) {
    stopped_ = stopped || !problem.empty();
    StopButton->setEnabled(false);
    if (!stopped_) Progress->setValue(Progress->maximum());
    // Edits are kept by offset: those whose strings this listing did not find wait for them.
    const std::vector<std::uint64_t> offsets = model_->offsets();
    withoutString_ = edits_.countNotIn(offsets);
    enableSaving();
    showCount();
    if (!problem.empty()) messages_.show(QString::fromStdString(problem), kStyleWarning);
    if (!stopped_) startPointerCount();
}

void ScriptWindow::enableSaving() {
    const bool listed = !running() && model_->found() > 0 && !inserting();
    SaveScript->setEnabled(listed);
    OpenScript->setEnabled(listed);
    SavePatch->setEnabled(listed);
    SavePatchedRom->setEnabled(listed);
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
    } else if (inserting()) {
        text += QStringLiteral(", inserting the script");
    } else if (counter_.running()) {
        text += QStringLiteral(", counting pointers");
    } else if (model_->hasPointerCounts()) {
        text += (CountWhich->currentIndex() == 1 ? QStringLiteral(", pointers in tables counted as ")
                                                 : QStringLiteral(", pointers counted as ")) +
                CountPointers->currentText();
    }
    if (edits_.count() > 0) {
        text += edits_.count() == 1 ? QStringLiteral("; 1 edited") : QStringLiteral("; %1 edited").arg(edits_.count());
    }
    if (withoutString_ > 0 && !running()) {
        text += withoutString_ == 1 ? QStringLiteral(", 1 edit no longer has a string")
                                    : QStringLiteral(", %1 edits no longer have a string").arg(withoutString_);
    }
    Count->setText(text);
}

void ScriptWindow::SaveScript_Click() { saveScript(); }

bool ScriptWindow::saveScript() {
    commitTranslation();
    if (running()) {
        // A script of half the strings would leave out the edits of the rest.
        messages_.showOver(this,
                           QStringLiteral("The strings are still being listed: save the script once the "
                                          "list is complete."),
                           kStyleWarning);
        return false;
    }
    if (model_->found() == 0) return false;
    const QFileInfo rom(path_);
    const QString proposed = rom.dir().filePath(rom.completeBaseName() + QStringLiteral(".txt"));
    const QString path = files_.chooseOver(this, FileChooser::Use::Save, kScriptFileFilter, proposed);
    if (path.isEmpty() || !mayReplace(messages_, this, path)) return false;
    const std::string bytes = editedScript(model_->batches(), edits_);
    if (const std::optional<QString> failure = writeFileAtomically(path, bytes)) {
        messages_.showOver(this, QStringLiteral("Can't save the script %1: %2.").arg(quoted(path), *failure),
                           kStyleWarning);
        return false;
    }
    // Edits the script could not hold are still unsaved.
    if (withoutString_ == 0) edits_.markSaved();
    if (withoutString_ > 0) {
        messages_.showOver(this,
                           QStringLiteral("The script %1 was saved without %2 edits whose strings are not "
                                          "listed now; they stay in this window, not saved.")
                               .arg(quoted(path))
                               .arg(withoutString_),
                           kStyleNotice);
    }
    return true;
}

void ScriptWindow::OpenScript_Click() {
    commitTranslation();
    if (model_->found() == 0 || running()) return;
    const QString path = files_.chooseOver(this, FileChooser::Use::Open, kScriptFileFilter, QString());
    if (path.isEmpty()) return;
    auto read = readWholeFile(toFilesystemPath(path), kMostScriptBytes);
    if (const auto* reason = std::get_if<std::string>(&read)) {
        messages_.showOver(
            this, QStringLiteral("Can't open the script %1: %2.").arg(quoted(path), QString::fromStdString(*reason)),
            kStyleWarning);
        return;
    }
    const auto& bytes = std::get<std::vector<std::uint8_t>>(read);
    const ScriptRead script = readScript(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    std::vector<QString> problems;
    for (const ScriptProblem& problem : script.problems) {
        problems.push_back(QStringLiteral("line %1: %2").arg(problem.line).arg(QString::fromStdString(problem.reason)));
    }
    // Every line must be for a string the window lists.
    const std::vector<std::uint64_t> offsets = model_->offsets();
    std::vector<std::pair<std::uint64_t, std::optional<std::string>>> texts;
    std::map<std::uint64_t, std::vector<std::uint64_t>> pointers;
    for (const ScriptEntry& entry : script.entries) {
        const auto it = std::lower_bound(offsets.begin(), offsets.end(), entry.offset);
        if (it == offsets.end() || *it != entry.offset) {
            problems.push_back(QStringLiteral("line %1: no string listed here starts at %2")
                                   .arg(entry.line)
                                   .arg(QString::fromStdString(resultLine(entry.offset))));
            continue;
        }
        texts.emplace_back(entry.offset, entry.text);
        if (entry.pointer) pointers[entry.offset].push_back(*entry.pointer);
    }
    if (!problems.empty()) {
        messages_.showOver(
            this, QStringLiteral("Can't open the script %1: nothing was changed.").arg(quoted(path)) + listed(problems),
            kStyleWarning);
        return;
    }
    // A text that is the ROM's own is no edit.
    for (auto& [offset, text] : texts) {
        const auto it = std::lower_bound(offsets.begin(), offsets.end(), offset);
        if (text && *text == model_->stringFound(static_cast<std::size_t>(it - offsets.begin())).text) text.reset();
    }
    edits_.editAll(texts);
    for (auto& [target, used] : pointers) edits_.setUsedPointers(target, std::move(used));
    edits_.markSaved();
    model_->editsChanged();
    loadTranslation();
    showCount();
}

void ScriptWindow::chooseString(const QModelIndex& current) {
    if (choosing_) return;
    const std::optional<std::uint64_t> next =
        current.isValid() ? std::optional<std::uint64_t>(current.data(ScriptModel::OffsetRole).toULongLong())
                          : std::nullopt;
    // Moving on keeps the edit of the string left, which may take it out of
    // the list shown: the list then comes back to the string chosen.
    choosing_ = true;
    commitTranslation();
    if (next) {
        const std::optional<std::size_t> row = model_->rowOf(*next);
        const QModelIndex now = Strings->currentIndex();
        if (row && (!now.isValid() || static_cast<std::size_t>(now.row()) != *row)) {
            Strings->setCurrentIndex(model_->index(static_cast<int>(*row)));
        }
    }
    choosing_ = false;
    chosen_.reset();
    if (next && decoder_) chosen_ = readStringInFile(file_, *decoder_, *next);
    loadTranslation();
}

void ScriptWindow::loadTranslation() {
    const QSignalBlocker quiet(Translation);
    Translation->setEnabled(chosen_.has_value());
    if (!chosen_) {
        Translation->clear();
        Budget->clear();
        return;
    }
    const std::string* edit = edits_.editOf(chosen_->offset);
    std::string written;
    appendEscapedText(edit != nullptr ? *edit : chosen_->string.text, written);
    Translation->setText(QString::fromStdString(written));
    showBudget();
}

bool ScriptWindow::translationPending() const {
    if (!chosen_) return false;
    const std::string* edit = edits_.editOf(chosen_->offset);
    std::string written;
    appendEscapedText(edit != nullptr ? *edit : chosen_->string.text, written);
    return Translation->text().toStdString() != written;
}

bool ScriptWindow::commitTranslation() {
    if (!chosen_ || !translationPending()) return false;
    const std::uint64_t offset = chosen_->offset;
    if (!edits_.edit(offset, chosen_->string.text, unescapedText(Translation->text().toStdString()))) return false;
    model_->editChanged(offset);
    showCount();
    return true;
}

void ScriptWindow::showBudget() {
    if (!chosen_ || !encoder_) {
        Budget->clear();
        return;
    }
    const std::vector<std::uint64_t>* used = edits_.usedPointers(chosen_->offset);
    const StringBudget budget = budgetOf(*encoder_, chosen_->bytes, chosen_->string,
                                         unescapedText(Translation->text().toStdString()), used ? used->size() : 0);
    Budget->setText(QString::fromStdString(budgetText(budget)));
    // A problem is said in red as well as in words.
    QPalette palette = Budget->palette();
    palette.setColor(QPalette::WindowText,
                     budget.problem() ? QColor(0xB0, 0x00, 0x20) : Translation->palette().color(QPalette::WindowText));
    Budget->setPalette(palette);
}

bool ScriptWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Translation && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool pending = translationPending();
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && pending) {
            // Escape takes back what was typed since the edit was kept.
            loadTranslation();
            return true;
        }
        // With nothing typed since, undo and redo are the edits'; else the box's own.
        if (!pending && undoOrRedo(*key)) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ScriptWindow::keyPressEvent(QKeyEvent* event) {
    // What the list and the other controls pass on: the boxes keep their own undo.
    if (undoOrRedo(*event)) return;
    QWidget::keyPressEvent(event);
}

bool ScriptWindow::undoOrRedo(const QKeyEvent& key) {
    const bool redo = (key.key() == Qt::Key_Z && key.modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) ||
                      key.matches(QKeySequence::Redo);
    if (redo) {
        Redo_Click();
        return true;
    }
    if ((key.key() == Qt::Key_Z && key.modifiers() == Qt::ControlModifier) || key.matches(QKeySequence::Undo)) {
        Undo_Click();
        return true;
    }
    return false;
}

void ScriptWindow::Undo_Click() {
    commitTranslation();
    showChangeOf(edits_.undo());
}

void ScriptWindow::Redo_Click() {
    commitTranslation();
    showChangeOf(edits_.redo());
}

void ScriptWindow::showChangeOf(std::optional<std::uint64_t> offset) {
    if (!offset) return;
    // The box first shows what its string holds now, so that moving the list keeps nothing old.
    loadTranslation();
    model_->editsChanged();
    // The list goes to the string changed, which the box then shows.
    if (const std::optional<std::size_t> row = model_->rowOf(*offset)) {
        Strings->setCurrentIndex(model_->index(static_cast<int>(*row)));
    }
    loadTranslation();
    showCount();
}

void ScriptWindow::showFreeSpaceCheck() {
    const auto read = readFreeRanges(FreeSpace->text().toStdString());
    QPalette palette = FreeSpaceCheck->palette();
    if (const auto* problem = std::get_if<std::string>(&read)) {
        FreeSpaceCheck->setText(QString::fromStdString(*problem));
        palette.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x20));
    } else {
        std::uint64_t bytes = 0;
        for (const ByteRange& range : std::get<std::vector<ByteRange>>(read)) bytes += range.end - range.start;
        FreeSpaceCheck->setText(FreeSpace->text().trimmed().isEmpty()
                                    ? QString()
                                    : (bytes == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(bytes)));
        palette.setColor(QPalette::WindowText, FreeSpace->palette().color(QPalette::WindowText));
    }
    FreeSpaceCheck->setPalette(palette);
}

void ScriptWindow::SavePatch_Click() {
    commitTranslation();
    if (model_->found() == 0 || running() || inserting()) return;
    const QFileInfo rom(path_);
    const QString proposed = rom.dir().filePath(rom.completeBaseName() + QStringLiteral(".bps"));
    int filter = 0;
    const QString path = files_.chooseFiltered(this, FileChooser::Use::Save, kPatchFileFilter, proposed, filter);
    if (path.isEmpty()) return;
    startInsert(filter == 1 ? static_cast<int>(InsertOutput::IpsPatch) : static_cast<int>(InsertOutput::BpsPatch),
                path);
}

void ScriptWindow::SavePatchedRom_Click() {
    commitTranslation();
    if (model_->found() == 0 || running() || inserting()) return;
    const QFileInfo rom(path_);
    const QString extension = rom.suffix();
    const QString proposed = rom.dir().filePath(rom.completeBaseName() + QStringLiteral(" (patched)") +
                                                (extension.isEmpty() ? QString() : QLatin1Char('.') + extension));
    const std::string filter = extension.isEmpty() ? std::string("All files (*.*)|*.*")
                                                   : "ROM Files (*." + extension.toStdString() + ")|*." +
                                                         extension.toStdString() + "|All files (*.*)|*.*";
    const QString path = files_.chooseOver(this, FileChooser::Use::Save, filter, proposed);
    if (path.isEmpty()) return;
    startInsert(static_cast<int>(InsertOutput::PatchedRom), path);
}

void ScriptWindow::startInsert(int output, const QString& path) {
    const auto what = static_cast<InsertOutput>(output);
    const QString name = what == InsertOutput::PatchedRom ? QStringLiteral("the patched copy")
                         : what == InsertOutput::IpsPatch ? QStringLiteral("the IPS patch")
                                                          : QStringLiteral("the BPS patch");
    const auto refuse = [&](const QString& reason) {
        messages_.showOver(this, QStringLiteral("Can't save %1 %2: %3.").arg(name, quoted(path), reason),
                           kStyleWarning);
    };
    // The ROM is only read.
    if (sameFile(toFilesystemPath(path), toFilesystemPath(path_)) || QFileInfo(path) == QFileInfo(path_)) {
        refuse(QStringLiteral("it is the ROM itself, which is never written; choose a new file"));
        return;
    }
    const auto free = readFreeRanges(FreeSpace->text().toStdString());
    if (const auto* problem = std::get_if<std::string>(&free)) {
        refuse(QStringLiteral("the free space is not right: %1").arg(QString::fromStdString(*problem)));
        return;
    }
    if (!mayReplace(messages_, this, path)) return;
    auto insertion = std::make_shared<EditedInsertion>();
    insertion->rom = toFilesystemPath(path_);
    insertion->table = table_;
    insertion->script = editedScript(model_->batches(), edits_);
    insertion->free = std::get<std::vector<ByteRange>>(free);
    insertion->output = what;
    auto outcome = std::make_shared<InsertOutcome>();
    Progress->setRange(0, 0);
    inserter_.start(
        [insertion, outcome](const BackgroundJob::Work&) { *outcome = insertEdited(*insertion); },
        [this, outcome, name, path] {
            Progress->setRange(0, 1);
            Progress->setValue(1);
            enableSaving();
            showCount();
            if (!outcome->problem.empty()) {
                messages_.showOver(this,
                                   QStringLiteral("Can't save %1 %2: %3.")
                                       .arg(name, quoted(path), QString::fromStdString(outcome->problem)),
                                   kStyleWarning);
                return;
            }
            if (!outcome->refusals.empty()) {
                std::vector<QString> lines;
                for (const InsertRefusal& refusal : outcome->refusals) {
                    lines.push_back(refusalLine(refusal));
                }
                messages_.showOver(this,
                                   QStringLiteral("Nothing was written to %1: the script can't go into "
                                                  "the game as it is.")
                                           .arg(quoted(path)) +
                                       listed(lines),
                                   kStyleWarning);
                return;
            }
            const std::string_view bytes(reinterpret_cast<const char*>(outcome->bytes.data()), outcome->bytes.size());
            if (const std::optional<QString> failure = writeFileAtomically(path, bytes)) {
                messages_.showOver(this, QStringLiteral("Can't save %1 %2: %3.").arg(name, quoted(path), *failure),
                                   kStyleWarning);
                return;
            }
            messages_.showOver(
                this,
                QStringLiteral("Saved %1 %2: %3.").arg(name, quoted(path), QString::fromStdString(outcome->summary)),
                kStyleNotice);
        });
    enableSaving();
    showCount();
}

void ScriptWindow::waitUntilInserted() {
    inserter_.wait();
    QCoreApplication::sendPostedEvents(this);
}

std::optional<std::vector<std::uint8_t>> ScriptWindow::editedBytes(std::uint64_t offset) {
    const std::string* edit = edits_.editOf(offset);
    if (edit == nullptr || !decoder_ || !encoder_) return std::nullopt;
    const std::optional<StringInFile> old = readStringInFile(file_, *decoder_, offset);
    if (!old) return std::nullopt;
    EncodedText encoded;
    if (encodeReplacement(*encoder_, old->bytes, old->string, *edit, encoded)) return std::nullopt;
    return std::move(encoded.bytes);
}

void ScriptWindow::setUsedPointers(const QString& path, std::uint64_t target, std::vector<std::uint64_t> pointers) {
    if (path != path_) return;
    edits_.setUsedPointers(target, std::move(pointers));
    model_->editChanged(target);
    if (chosen_ && chosen_->offset == target) showBudget();
}

std::optional<std::vector<std::uint64_t>> ScriptWindow::usedPointers(const QString& path, std::uint64_t target) const {
    if (path != path_) return std::nullopt;
    const std::vector<std::uint64_t>* used = edits_.usedPointers(target);
    return used ? std::optional<std::vector<std::uint64_t>>(*used) : std::nullopt;
}

}  // namespace kinfold
