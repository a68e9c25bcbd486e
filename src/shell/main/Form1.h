#pragma once

#include "pattern/SearchPattern.h"
#include "shell/main/ResultsModel.h"
#include "shell/main/ResultsView.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kinfold {

class AboutForm;
class Clock;
class EventPump;
class FileChooser;
class MessageBoxes;
class PointersWindow;
class ResultPreview;

// The platform pieces the window talks to; tests hand in scripted ones.
struct Platform {
    MessageBoxes& messages;
    FileChooser& files;
    EventPump& events;
    const Clock& clock;
};

// The main window: every control, the search pattern and the search state.
// Handlers carry the names of their control and event.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // Client area 4935 x 4485 twips at 15 twips a pixel.
    static constexpr int kClientWidth = 329;
    static constexpr int kClientHeight = 299;

    explicit Form1(Platform platform, QWidget* parent = nullptr);
    ~Form1() override;

    // Window variables.
    const SearchPattern& pattern() const { return pattern_; }
    SearchPattern& pattern() { return pattern_; }
    bool ValuesSaved() const { return pattern_.saved(); }
    int ValueSize() const { return valueSize_; }
    bool KeepSearching() const { return keepSearching_; }
    const std::array<QString, SearchPattern::kMaxEntries + 1>& RomBytes() const { return romBytes_; }
    const QString& SearchedText() const { return searchedText_; }
    const QString& SearchDate() const { return searchDate_; }
    const QString& SearchTime() const { return searchTime_; }
    const ResultsModel& resultsModel() const { return results_; }
    bool searching() const { return searching_; }
    // True once closing has ended the program.
    bool ending() const { return ending_; }
    AboutForm* aboutForm() const { return aboutForm_; }
    ResultPreview* resultPreview() const { return preview_; }
    PointersWindow* pointersWindow() const { return pointers_; }

    // Open Values with the file already chosen: the same question, checks and messages.
    void openValues(const QString& path);

public slots:
    void Form_Load();
    void AddVal_Click();
    void SkipVal_Click();
    void DelVal_Click();
    void Reset_Click();
    void AddStr_Click();
    void OptString_Click();
    void OptValues_Click();
    void Search_Click();
    void StopS_Click();
    void OpenFile_Click();
    void SaveVals_Click();
    void OpenVals_Click();
    void SaveResults_Click();
    void About_Click();
    // Opens the result preview on a line of the results list.
    void Results_Activated(const QModelIndex& index);
    // Closing handler: sets cancel to 1 to keep the window open.
    void Form_Unload(int& cancel);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class SaveOutcome { Saved, NothingToSave, Cancelled, Failed };

    void createControls();
    void setTabOrder();
    void connectHandlers();
    void setSearchControlsEnabled(bool enabled);
    void focusEntryBox();
    void showCount();
    void appendListLine(int entry);
    void refuseValue();
    int message(const QString& text, int style = 64);
    SaveOutcome saveValues();
    bool offerToSaveValues();
    void loadValues(const QString& path);
    void endProgram();
    // The result preview, made on first use.
    ResultPreview* preview();
    void showWindow(QWidget* window);
    void openPointers(const QString& path, std::uint64_t offset);

    Platform platform_;
    SearchPattern pattern_;
    ResultsModel results_;
    int valueSize_ = 0;
    bool keepSearching_ = false;
    std::array<QString, SearchPattern::kMaxEntries + 1> romBytes_;
    QString searchedText_;
    QString searchDate_;
    QString searchTime_;
    bool searching_ = false;
    bool ending_ = false;
    bool centred_ = false;
    AboutForm* aboutForm_ = nullptr;
    SearchPattern searchedPattern_;
    std::uint64_t searchedSize_ = 0;
    ResultPreview* preview_ = nullptr;
    PointersWindow* pointers_ = nullptr;

public:
    // Controls, named as the window names them (also their object names).
    QComboBox* BitMode = nullptr;
    QPushButton* SaveResults = nullptr;
    QPushButton* AddStr = nullptr;
    QFrame* Picture1 = nullptr;
    QRadioButton* OptString = nullptr;
    QRadioButton* OptValues = nullptr;
    QLineEdit* EnterStr = nullptr;
    QPushButton* About = nullptr;
    QPushButton* OpenVals = nullptr;
    QPushButton* SaveVals = nullptr;
    QPushButton* DelVal = nullptr;
    QPushButton* StopS = nullptr;
    QListWidget* ValuesList = nullptr;
    QPushButton* OpenFile = nullptr;
    ResultsView* Results = nullptr;
    QLineEdit* NumVals = nullptr;
    QPushButton* Search = nullptr;
    QRadioButton* Ascii = nullptr;
    QPushButton* Reset = nullptr;
    QPushButton* SkipVal = nullptr;
    QPushButton* AddVal = nullptr;
    QRadioButton* HexB = nullptr;
    QRadioButton* DecimalB = nullptr;
    QLineEdit* EnterVal = nullptr;
    QLineEdit* RomFile = nullptr;
    QLabel* AmountDone = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;
};

}  // namespace kinfold
