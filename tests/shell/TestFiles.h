#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

#include <ostream>

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kinfold::test {

// A folder of its own for each test, removed afterwards.
class TestFolder {
public:
    TestFolder() : dir_(QStringLiteral("%1/kinfold-XXXXXX").arg(base())) {}
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const {
        const QString p = path(name);
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return QString();
        return p;
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    static QString base() {
        const QByteArray env = qgetenv("KINFOLD_TEST_TMP");
        return env.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(env);
    }
    QTemporaryDir dir_;
};

// Bytes of the given length, all 0xEE except the ones planted.
inline QByteArray filledBytes(int length, unsigned char fill = 0xEE) {
    return QByteArray(length, static_cast<char>(fill));
}

inline void plant(QByteArray& bytes, int offset, std::initializer_list<int> values) {
    for (int v : values) bytes[offset++] = static_cast<char>(v);
}

}  // namespace kinfold::test
