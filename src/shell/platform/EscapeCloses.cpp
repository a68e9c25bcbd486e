#include "shell/platform/EscapeCloses.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace kinfold {

namespace {
// Sees the key presses that reach the window itself: those its controls
// passed on, never those a control or an open list took.
class EscapeFilter : public QObject {
public:
    explicit EscapeFilter(QWidget* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                window_->close();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* window_;
};
}  // namespace

void closeOnEscape(QWidget* window) { window->installEventFilter(new EscapeFilter(window)); }

}  // namespace kinfold
