#include "shell/platform/FileChooser.h"

#include "files/DialogFilter.h"
#include "shell/platform/MessageBoxes.h"

#include <QFileDialog>

#include <algorithm>

namespace kinfold {

QStringList qtNameFilters(std::string_view filter) {
    QStringList result;
    for (const FilterEntry& entry : parseDialogFilter(filter)) {
        QStringList patterns;
        for (const std::string& pattern : entry.patterns) {
            patterns << QString::fromStdString(pattern);
        }
        result << QStringLiteral("%1 (%2)").arg(QString::fromStdString(entry.description),
                                                patterns.join(QLatin1Char(' ')));
    }
    return result;
}

QString QtFileChooser::choose(Use use, std::string_view filter) { return chooseNamed(use, filter, QString()); }

QString QtFileChooser::chooseOver(QWidget* owner, Use use, std::string_view filter, const QString& proposedName) {
    int chosenFilter = 0;
    return chooseFiltered(owner, use, filter, proposedName, chosenFilter);
}

QString QtFileChooser::chooseFiltered(QWidget* owner, Use use, std::string_view filter, const QString& proposedName,
                                      int& chosenFilter) {
    chosenFilter = 0;
    QFileDialog dialog(owner, kProgramTitle);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = qtNameFilters(filter);
    dialog.setNameFilters(filters);
    if (use == Use::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The writer replaces an existing file without asking.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    chosenFilter = std::max<int>(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())));
    return dialog.selectedFiles().constFirst();
}

}  // namespace kinfold
