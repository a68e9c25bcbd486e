#include "shell/main/FileDrop.h"

#include "shell/main/AboutForm.h"
#include "shell/main/ExternalFile.h"
#include "shell/main/Form1.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace kinfold {

namespace {

// isFile() follows links and is false for folders and for what is not there.
bool isDroppableFile(const QString& path) { return QFileInfo(path).isFile(); }

}  // namespace

FileDrop::FileDrop(Form1& window) : QObject(&window), window_(window) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    const QList<QWidget*> controls = window.findChildren<QWidget*>();
    for (QWidget* control : controls) {
        control->installEventFilter(this);
    }
}

bool FileDrop::windowTakesFiles() const {
    const bool aboutShows = window_.aboutForm() != nullptr && window_.aboutForm()->isVisible();
    return !window_.searching() && !window_.ending() && !aboutShows && window_.isEnabled();
}

std::optional<QString> FileDrop::acceptedFile(const QMimeData* data) const {
    if (!windowTakesFiles() || data == nullptr || !data->hasUrls()) {
        return std::nullopt;
    }
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return std::nullopt;
    }
    const QString path = urls.front().toLocalFile();
    if (!isDroppableFile(path)) {
        return std::nullopt;
    }
    return path;
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QObject::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    // Text dragged onto a text box is left to the box; anything carrying
    // addresses is ours to take or refuse.
    if (!drop->mimeData()->hasUrls()) {
        return QObject::eventFilter(watched, event);
    }
    const std::optional<QString> path = acceptedFile(drop->mimeData());
    if (!path) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        // Opened once the drop has finished: Open Values may ask a question,
        // and a modal box inside the drop would keep the file manager waiting.
        QMetaObject::invokeMethod(
            this, [this, file = *path] { openIfStillAccepted(file); }, Qt::QueuedConnection);
    }
    return true;
}

void FileDrop::openIfStillAccepted(const QString& path) {
    // A search or the About window may have started between the drop and now.
    if (windowTakesFiles() && isDroppableFile(path)) {
        openExternalFile(window_, path);
    }
}

}  // namespace kinfold
