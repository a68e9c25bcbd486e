#include "shell/FileWriting.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kinfold {

namespace {
QString plainReason(const QString& errorString) {
    QString reason = errorString.trimmed();
    if (reason.isEmpty()) {
        reason = QStringLiteral("unknown error");
    }
    return reason;
}
}  // namespace

std::optional<QString> writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writeBody) {
    const QFileInfo info(path);
    if (info.isDir()) {
        return QStringLiteral("it is a folder, not a file");
    }
    if (info.exists() && !info.isFile()) {
        // A device or a pipe can't be replaced, only written to; renaming a
        // new file over it would destroy it.
        QFile device(path);
        if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            return plainReason(device.errorString());
        }
        if (!writeBody(device) || device.error() != QFileDevice::NoError) {
            return plainReason(device.errorString());
        }
        device.close();
        if (device.error() != QFileDevice::NoError) {
            return plainReason(device.errorString());
        }
        return std::nullopt;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return plainReason(file.errorString());
    }
    if (!writeBody(file)) {
        const QString reason = plainReason(file.errorString());
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return plainReason(file.errorString());
    }
    return std::nullopt;
}

std::optional<QString> readSmallFile(const QString& path, qint64 maxBytes, QByteArray& contents) {
    if (QFileInfo(path).isDir()) {
        return QStringLiteral("it is a folder, not a file");
    }
    QFile file(path);
    if (!file.exists()) {
        return QStringLiteral("there is no such file");
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return plainReason(file.errorString());
    }
    contents = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        return plainReason(file.errorString());
    }
    return std::nullopt;
}

}  // namespace kinfold
