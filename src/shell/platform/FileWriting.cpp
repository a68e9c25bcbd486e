#include "shell/platform/FileWriting.h"

#include <QFile>
#include <QSaveFile>

#include <filesystem>

namespace kinfold {

namespace {
QString plainReason(const QString& errorString) {
    QString reason = errorString.trimmed();
    if (reason.isEmpty()) {
        reason = QStringLiteral("unknown error");
    }
    return reason;
}
const QString kFolderReason = QStringLiteral("it is a folder, not a file");
const QString kNotAFileReason = QStringLiteral("it is not an ordinary file");

std::filesystem::file_status statusOf(const QString& path) {
    std::error_code ignored;
    return std::filesystem::status(toFilesystemPath(path), ignored);
}
}  // namespace

std::filesystem::path toFilesystemPath(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

std::optional<QString> writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writeBody) {
    const std::filesystem::file_status status = statusOf(path);
    if (std::filesystem::is_directory(status)) {
        return kFolderReason;
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_character_file(status)) {
        // A pipe or a socket would block until someone reads it.
        return kNotAFileReason;
    }
    if (std::filesystem::is_character_file(status)) {
        // A device can't be replaced, only written to; renaming a new file
        // over it would destroy it.
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

std::optional<QString> writeFileAtomically(const QString& path, std::string_view bytes) {
    return writeFileAtomically(path, [bytes](QIODevice& out) {
        return out.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    });
}

std::optional<QString> readSmallFile(const QString& path, qint64 maxBytes, QByteArray& contents) {
    const std::filesystem::file_status status = statusOf(path);
    if (std::filesystem::is_directory(status)) {
        return kFolderReason;
    }
    if (!std::filesystem::exists(status)) {
        return QStringLiteral("there is no such file");
    }
    if (!std::filesystem::is_regular_file(status)) {
        // A pipe would block until someone writes to it; a device never ends.
        return kNotAFileReason;
    }
    QFile file(path);
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
