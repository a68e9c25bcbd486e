#pragma once

#include <QObject>
#include <QString>

#include <optional>

class QMimeData;

namespace kinfold {

class Form1;

// Lets the main window take one local file dropped anywhere on it, and opens
// it as the command line would. Drops are refused while a search runs, while
// the About window shows, and for several files, folders or anything that is
// not a local file; a refused drop changes nothing.
class FileDrop : public QObject {
    Q_OBJECT
public:
    // Parented to the window; watches it and every control it holds now, so a
    // file dropped on a text box is taken as a file, not pasted as text.
    explicit FileDrop(Form1& window);

    // The file a drop of this data would open, if the window takes it now.
    std::optional<QString> acceptedFile(const QMimeData* data) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool windowTakesFiles() const;
    void openIfStillAccepted(const QString& path);

    Form1& window_;
};

}  // namespace kinfold
