#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

class QIODevice;

namespace kinfold {

// A path as the system's file functions take it: the system's encoding of
// file names on Linux and macOS, UTF-16 on Windows.
std::filesystem::path toFilesystemPath(const QString& path);

// Writes a file whole or not at all: the old file stays as it was until the
// new one is complete. writeBody returns false when a write failed. Returns
// the reason in plain words when the file could not be written.
std::optional<QString> writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writeBody);
// The same for bytes held whole.
std::optional<QString> writeFileAtomically(const QString& path, std::string_view bytes);

// Reads a small text file whole; at most maxBytes are read. Returns the
// reason when it can't be read.
std::optional<QString> readSmallFile(const QString& path, qint64 maxBytes, QByteArray& contents);

}  // namespace kinfold
