#include "shell/main/Form1.h"

#include "files/DialogFilter.h"
#include "files/ResultsReport.h"
#include "files/ValuesFile.h"
#include "pattern/NumberReader.h"
#include "pattern/PatternMessages.h"
#include "search/CompiledPattern.h"
#include "search/FileScanner.h"
#include "shell/main/AboutForm.h"
#include "shell/main/FileDrop.h"
#include "shell/main/ResultsView.h"
#include "shell/platform/Clock.h"
#include "shell/platform/EventPump.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/FileWriting.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/QuotedPath.h"
#include "shell/pointers/PointersWindow.h"
#include "shell/preview/ResultPreview.h"
#include "shell/script/ScriptModel.h"
#include "shell/script/ScriptWindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>

#include <variant>
#include <vector>

namespace kinfold {

namespace {

const QString kNotValid = QString::fromUtf8(messages::kNotValid);
const QString kCantSkipFirst = QString::fromUtf8(messages::kCantSkipFirst);
const QString kNoValuesToDelete = QStringLiteral("There are no values to delete!");
const QString kNoString = QString::fromUtf8(messages::kNoString);
const QString kTooManyValues = QString::fromUtf8(messages::kTooManyValues);
const QString kNeedTwoValues = QString::fromUtf8(messages::kNeedTwoValues);
const QString kNoValuesToSave = QStringLiteral("There are no values to save!");
const QString kSaveCurrentValues = QStringLiteral("Save the current values?");
const QString kNoResultsToSave = QStringLiteral("There are no results to save!");
const QString kQuitQuestion = QStringLiteral("Do you want to quit Kinfold Search?");
const QString kIdleStatus = QStringLiteral("Tessarine Version 1.2");
const QString kSearchingStatus = QStringLiteral("Searching ROM...");

// Progress is shown at every multiple of this 1-based position.
constexpr std::uint64_t kProgressStep = 32768;

// Twips to pixels at 96 dots per inch.
constexpr int px(int twips) { return twips / 15; }

template <typename W>
W* make(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(px(left), px(top), px(width), px(height));
    return w;
}

}  // namespace

Form1::Form1(Platform platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      platform_(platform) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kProgramTitle);
    setFixedSize(kClientWidth, kClientHeight);
    createControls();
    setTabOrder();
    connectHandlers();
    Form_Load();
    new FileDrop(*this);
}

Form1::~Form1() = default;

void Form1::createControls() {
    // Controls in the window's own order; positions and sizes in twips.
    auto button = [this](const char* name, const QString& caption, int left, int top, int width, int height) {
        auto* b = make<QPushButton>(this, name, left, top, width, height);
        b->setText(caption);
        b->setAutoDefault(false);
        return b;
    };
    auto option = [](QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                     int height) {
        auto* o = make<QRadioButton>(parent, name, left, top, width, height);
        o->setText(caption);
        return o;
    };
    auto label = [this](const char* name, const QString& caption, int left, int top, int width, int height) {
        auto* l = make<QLabel>(this, name, left, top, width, height);
        l->setTextFormat(Qt::PlainText);
        l->setFocusPolicy(Qt::NoFocus);
        l->setText(caption);
        return l;
    };

    BitMode = make<QComboBox>(this, "BitMode", 3840, 840, 975, 315);
    BitMode->addItems(
        {QStringLiteral("8-bit"), QStringLiteral("16-bit"), QStringLiteral("24-bit"), QStringLiteral("32-bit")});
    BitMode->setEditable(false);
    BitMode->hide();
    SaveResults = button("SaveResults", QStringLiteral("Save Results"), 2520, 3840, 1095, 255);
    AddStr = button("AddStr", QStringLiteral("Add String"), 120, 1200, 1095, 255);
    AddStr->hide();
    Picture1 = make<QFrame>(this, "Picture1", 120, 480, 855, 615);
    Picture1->setFrameShape(QFrame::NoFrame);
    OptString = option(Picture1, "OptString", QStringLiteral("String:"), 0, 360, 855, 255);
    OptValues = option(Picture1, "OptValues", QStringLiteral("Values:"), 0, 0, 855, 255);
    OptValues->setChecked(true);
    EnterStr = make<QLineEdit>(this, "EnterStr", 1080, 840, 3735, 285);
    EnterStr->setEnabled(false);
    About = button("About", QStringLiteral("About"), 3720, 3840, 1095, 255);
    OpenVals = button("OpenVals", QStringLiteral("Open Values"), 1320, 3840, 1095, 255);
    SaveVals = button("SaveVals", QStringLiteral("Save Values"), 120, 3840, 1095, 255);
    DelVal = button("DelVal", QStringLiteral("Delete Value"), 1320, 1200, 1095, 255);
    StopS = button("StopS", QStringLiteral("Stop"), 4200, 1560, 615, 255);
    ValuesList = make<QListWidget>(this, "ValuesList", 120, 2160, 2295, 1620);
    ValuesList->setSelectionMode(QAbstractItemView::SingleSelection);
    ValuesList->setUniformItemSizes(true);
    OpenFile = button("OpenFile", QStringLiteral("Open File"), 3960, 120, 855, 255);
    Results = make<ResultsView>(this, "Results", 2520, 2160, 2295, 1620);
    Results->setModel(&results_);
    Results->setMessages(&platform_.messages);
    NumVals = make<QLineEdit>(this, "NumVals", 1560, 1560, 855, 285);
    NumVals->setReadOnly(true);
    NumVals->setText(QStringLiteral("0"));
    Search = button("Search", QStringLiteral("Kinfold Search"), 2520, 1560, 1575, 255);
    Ascii = option(this, "Ascii", QStringLiteral("Ascii Character"), 3480, 480, 1455, 255);
    Reset = button("Reset", QStringLiteral("Reset Values"), 3720, 1200, 1095, 255);
    SkipVal = button("SkipVal", QStringLiteral("Skip Value"), 2520, 1200, 1095, 255);
    AddVal = button("AddVal", QStringLiteral("Add Value"), 120, 1200, 1095, 255);
    HexB = option(this, "HexB", QStringLiteral("Hex"), 2760, 480, 855, 255);
    DecimalB = option(this, "DecimalB", QStringLiteral("Decimal"), 1800, 480, 975, 255);
    DecimalB->setChecked(true);
    EnterVal = make<QLineEdit>(this, "EnterVal", 1080, 480, 615, 285);
    RomFile = make<QLineEdit>(this, "RomFile", 720, 120, 3135, 285);
    AmountDone = label("AmountDone", kIdleStatus, 120, 4200, 4695, 255);
    AmountDone->setAlignment(Qt::AlignCenter);
    Label5 = label("Label5", QStringLiteral("Values:"), 120, 1920, 2295, 255);
    Label4 = label("Label4", QStringLiteral("Results:"), 2520, 1920, 2295, 255);
    Label3 = label("Label3", QStringLiteral("Number of values:"), 120, 1560, 1335, 255);
    Label1 = label("Label1", QStringLiteral("Rom:"), 120, 120, 495, 255);
    // Screen readers name a box after the label it is the buddy of.
    Label5->setBuddy(ValuesList);
    Label4->setBuddy(Results);
    Label1->setBuddy(RomFile);

    // Two option groups: the number format on the window and the input mode
    // in its panel. Explicit groups, because Qt's automatic grouping looks at
    // every button below the parent, the panel's included.
    auto* formatGroup = new QButtonGroup(this);
    for (QRadioButton* o : {DecimalB, HexB, Ascii}) formatGroup->addButton(o);
    auto* modeGroup = new QButtonGroup(Picture1);
    for (QRadioButton* o : {OptValues, OptString}) modeGroup->addButton(o);
    Picture1->setFocusPolicy(Qt::NoFocus);

    // Escape presses "Reset Values", the window's cancel button.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (Reset->isEnabled() && Reset->isVisible()) {
            Reset->click();
        }
    });
}

void Form1::setTabOrder() {
    // The keyboard order of the controls that take the focus; labels and the
    // panel hold places in it but never take the focus.
    const std::vector<QWidget*> order = {RomFile,    EnterVal,  DecimalB,  HexB,     AddVal,      SkipVal,
                                         Reset,      Ascii,     Search,    NumVals,  Results,     OpenFile,
                                         ValuesList, StopS,     DelVal,    SaveVals, OpenVals,    About,
                                         EnterStr,   OptValues, OptString, AddStr,   SaveResults, BitMode};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    RomFile->setFocus();
}

void Form1::connectHandlers() {
    connect(AddVal, &QPushButton::clicked, this, &Form1::AddVal_Click);
    connect(SkipVal, &QPushButton::clicked, this, &Form1::SkipVal_Click);
    connect(DelVal, &QPushButton::clicked, this, &Form1::DelVal_Click);
    connect(Reset, &QPushButton::clicked, this, &Form1::Reset_Click);
    connect(AddStr, &QPushButton::clicked, this, &Form1::AddStr_Click);
    connect(OptString, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected) OptString_Click();
    });
    connect(OptValues, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected) OptValues_Click();
    });
    connect(Search, &QPushButton::clicked, this, &Form1::Search_Click);
    connect(StopS, &QPushButton::clicked, this, &Form1::StopS_Click);
    connect(OpenFile, &QPushButton::clicked, this, &Form1::OpenFile_Click);
    connect(SaveVals, &QPushButton::clicked, this, &Form1::SaveVals_Click);
    connect(OpenVals, &QPushButton::clicked, this, &Form1::OpenVals_Click);
    connect(SaveResults, &QPushButton::clicked, this, &Form1::SaveResults_Click);
    connect(About, &QPushButton::clicked, this, &Form1::About_Click);
    connect(Results, &QAbstractItemView::activated, this, &Form1::Results_Activated);
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first showing places the window in the middle of its screen; later
    // ones leave it where the user put it.
    if (!centred_ && !event->spontaneous()) {
        centred_ = true;
        if (const QScreen* where = screen()) {
            move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frameGeometry().size(),
                                     where->availableGeometry())
                     .topLeft());
        }
    }
}

// ---- Start-up --------------------------------------------------------------

void Form1::Form_Load() {
    for (std::size_t i = 1; i < romBytes_.size(); ++i) {
        romBytes_[i] = QStringLiteral(" ");
    }
    pattern_.setSaved(true);
    BitMode->setCurrentIndex(0);
    valueSize_ = 1;
}

// ---- Small pieces the handlers share ---------------------------------------

int Form1::message(const QString& text, int style) { return platform_.messages.show(text, style); }

void Form1::showCount() { NumVals->setText(QString::number(pattern_.count())); }

void Form1::appendListLine(int entry) { ValuesList->addItem(QString::fromStdString(pattern_.lineText(entry))); }

void Form1::focusEntryBox() {
    if (EnterVal->isEnabled()) {
        EnterVal->setFocus();
    } else {
        EnterStr->setFocus();
    }
}

// A refused value leaves the pattern, the list, the count and the typed text
// as they were; the pattern still counts as changed.
void Form1::refuseValue() {
    message(kNotValid);
    pattern_.setSaved(false);
}

// ---- Value entry -----------------------------------------------------------

void Form1::AddVal_Click() {
    NumberMode mode = NumberMode::Character;
    if (DecimalB->isChecked()) {
        mode = NumberMode::Decimal;
    } else if (HexB->isChecked()) {
        mode = NumberMode::Hex;
    }
    if (pattern_.full()) {
        refuseValue();
        return;
    }
    const std::optional<std::int16_t> value = readValue(EnterVal->text().toStdString(), mode);
    if (!value || pattern_.appendValue(*value) != SearchPattern::AppendResult::Added) {
        refuseValue();
        return;
    }
    showCount();
    appendListLine(pattern_.count());
    EnterVal->clear();
    focusEntryBox();
    if (*value == 0) {
        // 0 is never a value the user may enter: take the entry back.
        pattern_.removeLast();
        showCount();
        delete ValuesList->takeItem(ValuesList->count() - 1);
        message(kNotValid);
    }
    pattern_.setSaved(false);
}

void Form1::SkipVal_Click() {
    if (pattern_.empty()) {
        message(kCantSkipFirst);
        return;
    }
    if (pattern_.full()) {
        message(kTooManyValues);
        return;
    }
    pattern_.appendSkipped();
    showCount();
    appendListLine(pattern_.count());
    focusEntryBox();
    pattern_.setSaved(false);
}

void Form1::DelVal_Click() {
    if (pattern_.empty()) {
        message(kNoValuesToDelete);
        return;
    }
    pattern_.removeLast();
    showCount();
    delete ValuesList->takeItem(ValuesList->count() - 1);
    pattern_.setSaved(false);
}

void Form1::Reset_Click() {
    pattern_.clear();
    EnterVal->clear();
    NumVals->setText(QStringLiteral("0"));
    ValuesList->clear();
    pattern_.setSaved(true);
}

// ---- String entry and input mode -------------------------------------------

void Form1::AddStr_Click() {
    if (EnterStr->text().isEmpty()) {
        message(kNoString);
        return;
    }
    // A character is a whole code point: a surrogate pair counts once. The
    // text can't change while its characters are added (every message box is
    // modal), so it is taken once.
    const QList<uint> characters = EnterStr->text().toUcs4();
    for (const uint code : characters) {
        const char32_t character = code;
        EnterVal->setText(QString::fromUcs4(&character, 1));
        AddVal_Click();
    }
    EnterVal->clear();
}

void Form1::OptString_Click() {
    EnterVal->setEnabled(false);
    DecimalB->setEnabled(false);
    HexB->setEnabled(false);
    Ascii->setEnabled(false);
    AddVal->hide();
    EnterStr->setEnabled(true);
    AddStr->show();
    Ascii->setChecked(true);
}

void Form1::OptValues_Click() {
    EnterVal->setEnabled(true);
    DecimalB->setEnabled(true);
    HexB->setEnabled(true);
    Ascii->setEnabled(true);
    AddVal->show();
    EnterStr->setEnabled(false);
    AddStr->hide();
}

// ---- The search --------------------------------------------------------------

void Form1::setSearchControlsEnabled(bool enabled) {
    QWidget* const controls[] = {Search,      AddVal, Ascii,    DecimalB,  HexB,      DelVal,   EnterVal,
                                 OpenFile,    Reset,  RomFile,  SkipVal,   NumVals,   SaveVals, OpenVals,
                                 SaveResults, AddStr, EnterStr, OptString, OptValues, BitMode};
    for (QWidget* control : controls) {
        control->setEnabled(enabled);
    }
}

void Form1::Search_Click() {
    if (pattern_.count() < 2) {
        message(kNeedTwoValues);
        return;
    }
    setSearchControlsEnabled(false);
    searchedText_ = RomFile->text();
    searchedPattern_ = pattern_;
    const QDateTime started = platform_.clock.now();
    searchDate_ = searchDateText(started).trimmed();
    searchTime_ = searchTimeText(started).trimmed();
    results_.clear();
    keepSearching_ = true;
    valueSize_ = BitMode->currentIndex() <= 0 ? 1 : BitMode->currentIndex() + 1;
    searching_ = true;

    FileScanner scanner(CompiledPattern::fromPattern(pattern_));
    if (!scanner.open(toFilesystemPath(searchedText_))) {
        message(QString::fromStdString(scanner.error()->message()));
    } else {
        searchedSize_ = scanner.fileSize();
        AmountDone->setText(kSearchingStatus);
        std::vector<std::uint64_t> found;
        while (!scanner.finished() && keepSearching_ && !ending_) {
            const std::uint64_t next = (scanner.position() / kProgressStep + 1) * kProgressStep;
            scanner.scanUntil(next, found);
            if (!found.empty()) {
                results_.append(found);
                found.clear();
            }
            if (scanner.position() == next) {
                AmountDone->setText(QStringLiteral("Searching ROM... %1 done").arg(next));
            }
            platform_.events.pump();
        }
        scanner.close();
        if (ending_) {
            return;  // the program is ending: nothing more to show
        }
        if (scanner.error()) {
            message(QString::fromStdString(scanner.error()->message()));
        }
    }
    searching_ = false;
    setSearchControlsEnabled(true);
    AmountDone->setText(kIdleStatus);
}

void Form1::StopS_Click() { keepSearching_ = false; }

// ---- Files -------------------------------------------------------------------

void Form1::OpenFile_Click() { RomFile->setText(platform_.files.choose(FileChooser::Use::Open, kRomFileFilter)); }

Form1::SaveOutcome Form1::saveValues() {
    if (pattern_.count() < 1) {
        message(kNoValuesToSave);
        return SaveOutcome::NothingToSave;
    }
    const QString path = platform_.files.choose(FileChooser::Use::Save, kValuesFileFilter);
    if (path.isEmpty()) {
        return SaveOutcome::Cancelled;
    }
    const std::string bytes = writeValuesFile(pattern_);
    showCount();
    const std::optional<QString> failure = writeFileAtomically(path, bytes);
    if (failure) {
        message(QStringLiteral("Can't save the values file %1: %2.").arg(quoted(path), *failure));
        return SaveOutcome::Failed;
    }
    pattern_.setSaved(true);
    return SaveOutcome::Saved;
}

void Form1::SaveVals_Click() { saveValues(); }

// Open Values asks this first when the pattern is unsaved; false when the
// user cancelled.
bool Form1::offerToSaveValues() {
    if (!pattern_.saved()) {
        const int answer = message(kSaveCurrentValues, kStyleSaveQuestion);
        if (answer == kAnswerCancel) {
            return false;
        }
        if (answer == kAnswerYes) {
            saveValues();
        }
    }
    return true;
}

void Form1::OpenVals_Click() {
    if (!offerToSaveValues()) {
        return;
    }
    const QString path = platform_.files.choose(FileChooser::Use::Open, kValuesFileFilter);
    if (path.isEmpty()) {
        return;
    }
    loadValues(path);
}

void Form1::openValues(const QString& path) {
    if (offerToSaveValues()) {
        loadValues(path);
    }
}

void Form1::loadValues(const QString& path) {
    // The whole file is read and checked before the pattern is touched, so a
    // bad file never costs the user the pattern they have.
    QByteArray contents;
    if (const std::optional<QString> failure =
            readSmallFile(path, static_cast<qint64>(kMaxValuesFileBytes), contents)) {
        message(QStringLiteral("Can't open the values file %1: %2.").arg(quoted(path), *failure));
        return;
    }
    const auto read = readValuesFile(std::string_view(contents.constData(), static_cast<std::size_t>(contents.size())));
    if (const auto* error = std::get_if<ValuesFileError>(&read)) {
        message(QStringLiteral("Can't load the values file %1: %2.")
                    .arg(quoted(path), QString::fromStdString(error->describe())));
        return;
    }
    const auto& entries = std::get<std::vector<StoredEntry>>(read);
    pattern_.replace(entries);
    EnterVal->clear();
    ValuesList->clear();
    QStringList lines;
    lines.reserve(pattern_.count());
    for (int i = 1; i <= pattern_.count(); ++i) {
        lines << QString::fromStdString(pattern_.lineText(i));
    }
    ValuesList->addItems(lines);
    showCount();
    pattern_.setSaved(true);
}

void Form1::SaveResults_Click() {
    if (results_.count() == 0) {
        message(kNoResultsToSave);
        return;
    }
    const QString path = platform_.files.choose(FileChooser::Use::Save, kReportFileFilter);
    if (path.isEmpty()) {
        return;
    }
    // The report holds the searched path as the system writes file names, so
    // a name with accents comes back exactly as it was.
    const SearchSummary summary{QFile::encodeName(searchedText_).toStdString(), searchDate_.toLocal8Bit().toStdString(),
                                searchTime_.toLocal8Bit().toStdString()};
    const std::optional<QString> failure = writeFileAtomically(path, [this, &summary](QIODevice& out) {
        return writeResultsReport(
            summary, results_.count(), [this](std::size_t k, std::string& line) { results_.appendLine(k, line); },
            [&out](std::string_view chunk) {
                return out.write(chunk.data(), static_cast<qint64>(chunk.size())) == static_cast<qint64>(chunk.size());
            });
    });
    if (failure) {
        message(QStringLiteral("Can't save the results report %1: %2.").arg(quoted(path), *failure));
    }
}

// ---- About and closing -------------------------------------------------------

void Form1::About_Click() {
    if (aboutForm_ == nullptr) {
        aboutForm_ = new AboutForm(this);
        connect(aboutForm_, &AboutForm::dismissed, this, [this] { setEnabled(true); });
    }
    aboutForm_->show();
    setEnabled(false);
}

void Form1::Results_Activated(const QModelIndex& index) {
    if (!index.isValid()) return;
    preview()->showResult({searchedText_, searchedSize_, searchedPattern_, MatchOptions{},
                           results_.offset(static_cast<std::size_t>(index.row()))});
    showWindow(preview_);
}

ResultPreview* Form1::preview() {
    if (preview_ == nullptr) {
        preview_ = new ResultPreview(platform_.messages, platform_.files, this);
        connect(preview_, &ResultPreview::findPointers, this, &Form1::openPointers);
    }
    return preview_;
}

void Form1::showWindow(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void Form1::openPointers(const QString& path, std::uint64_t offset) {
    if (pointers_ == nullptr) {
        pointers_ = new PointersWindow(platform_.messages, this);
        connect(pointers_, &PointersWindow::pointerChosen, this,
                [this](const QString& file, std::uint64_t at, int bytes, std::uint64_t target) {
                    preview()->showPointer(file, at, bytes, target);
                    showWindow(preview_);
                });
        // The pointers ticked for moving a string are the script window's to keep.
        connect(pointers_, &PointersWindow::usedPointersChanged, this,
                [this](const QString& file, std::uint64_t target, const std::vector<std::uint64_t>& used) {
                    ScriptWindow* script = preview_ != nullptr ? preview_->scriptWindow() : nullptr;
                    if (script != nullptr) script->setUsedPointers(file, target, used);
                });
    }
    showWindow(pointers_);
    // The strings the script window lists for the file tell which pointers sit in pointer tables,
    // and the pointers its user confirmed for moving the string are ticked.
    ScriptWindow* script = preview_ != nullptr ? preview_->scriptWindow() : nullptr;
    const bool listed = script != nullptr && script->path() == path;
    pointers_->findPointers(path, offset, listed ? script->strings().offsets() : std::vector<std::uint64_t>(),
                            listed ? script->usedPointers(path, offset) : std::nullopt);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (ending_) {
        event->accept();
        return;
    }
    // While the About window shows, the main window takes no input, its close
    // button included.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    // The script window's edits are asked about first: the program's end would lose them.
    ScriptWindow* script = preview_ != nullptr ? preview_->scriptWindow() : nullptr;
    if (script != nullptr && !script->mayDiscardEdits()) {
        event->ignore();
        return;
    }
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0) {
        event->ignore();
    } else {
        event->accept();
    }
}

void Form1::Form_Unload(int& cancel) {
    if (pattern_.saved()) {
        if (message(kQuitQuestion, kStyleQuitQuestion) == kAnswerNo) {
            cancel = 1;
            return;
        }
        endProgram();
        return;
    }
    const int answer = message(kSaveCurrentValues, kStyleSaveQuestion);
    if (answer == kAnswerCancel) {
        cancel = 1;
        return;
    }
    if (answer == kAnswerYes) {
        // A save that failed (the file could not be written) keeps the window
        // open, so the pattern is not lost; a cancelled dialog still ends.
        if (saveValues() == SaveOutcome::Failed) {
            cancel = 1;
            return;
        }
        endProgram();
        return;
    }
    if (answer == kAnswerNo) {
        endProgram();
        return;
    }
    cancel = 1;
}

void Form1::endProgram() {
    ending_ = true;
    keepSearching_ = false;
    if (aboutForm_ != nullptr) {
        aboutForm_->hide();  // hidden directly: its own closing handler does not run
    }
    if (preview_ != nullptr) {
        if (preview_->scriptWindow() != nullptr) preview_->scriptWindow()->hide();
        preview_->hide();
    }
    if (pointers_ != nullptr) pointers_->close();  // stops its search
    hide();
    // exit() ends the event loop at once; quit() would ask every window to
    // close again, and one that refused would keep the program running.
    QCoreApplication::exit(0);
}

}  // namespace kinfold
