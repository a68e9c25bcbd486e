#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

class QWidget;

namespace kinfold {

// The open and save dialogs. A use gives back the chosen full path, or the
// empty text when the user cancels.
class FileChooser {
public:
    enum class Use { Open, Save };
    virtual ~FileChooser() = default;
    // filter is "description|patterns|description|patterns..." with ";"
    // between patterns; its first pair is in force when the dialog opens.
    // No file name is proposed.
    virtual QString choose(Use use, std::string_view filter) = 0;
    // The same with a file name (or full path) proposed in the dialog.
    virtual QString chooseNamed(Use use, std::string_view filter, const QString& proposedName) {
        static_cast<void>(proposedName);
        return choose(use, filter);
    }
    // The same over one of the program's other windows, which stays in front
    // of the main window while the dialog shows.
    virtual QString chooseOver(QWidget* owner, Use use, std::string_view filter, const QString& proposedName) {
        static_cast<void>(owner);
        return chooseNamed(use, filter, proposedName);
    }
    // The same, and which pair of the filter (from 0) was in force when the user chose.
    virtual QString chooseFiltered(QWidget* owner, Use use, std::string_view filter, const QString& proposedName,
                                   int& chosenFilter) {
        chosenFilter = 0;
        return chooseOver(owner, use, filter, proposedName);
    }
};

// Qt takes a name filter's patterns from the parentheses at its end and splits
// them at blanks, so "Game Boy ROMs (*.gb, *.gbc)" as it stands would filter by
// "*.gb,". Each entry therefore gets its own pattern list appended, and the
// dialog is told to hide that appended part.
QStringList qtNameFilters(std::string_view filter);

class QtFileChooser : public FileChooser {
public:
    explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    QString choose(Use use, std::string_view filter) override;
    QString chooseNamed(Use use, std::string_view filter, const QString& proposedName) override {
        return chooseOver(parent_, use, filter, proposedName);
    }
    QString chooseOver(QWidget* owner, Use use, std::string_view filter, const QString& proposedName) override;
    QString chooseFiltered(QWidget* owner, Use use, std::string_view filter, const QString& proposedName,
                           int& chosenFilter) override;

private:
    QWidget* parent_;
};

}  // namespace kinfold
