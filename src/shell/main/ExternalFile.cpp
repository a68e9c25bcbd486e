#include "shell/main/ExternalFile.h"

#include "shell/main/Form1.h"

#include <QFileInfo>
#include <QLineEdit>

namespace kinfold {

bool isValuesFileName(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("ksv"), Qt::CaseInsensitive) == 0;
}

void openExternalFile(Form1& window, const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (isValuesFileName(absolute)) {
        window.openValues(absolute);
    } else {
        window.RomFile->setText(absolute);
    }
}

}  // namespace kinfold
