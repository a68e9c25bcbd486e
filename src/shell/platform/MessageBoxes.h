#pragma once

#include <QString>

class QWidget;

namespace kinfold {

// Message-box styles, written as the classic button code plus icon code.
enum MessageStyle : int {
    kStyleNotice = 64,            // OK, information icon
    kStyleSaveQuestion = 67,      // Yes, No, Cancel, information icon
    kStyleQuitQuestion = 36,      // Yes, No, question-mark icon
    kStyleWarning = 48,           // OK, warning icon: something failed
    kStyleReplaceQuestion = 308,  // Yes, No (the default), warning icon
};

// Answers, as the classic codes.
enum MessageAnswer : int {
    kAnswerOk = 1,
    kAnswerCancel = 2,
    kAnswerYes = 6,
    kAnswerNo = 7,
};

inline const QString kProgramTitle = QStringLiteral("Kinfold Search");

// Every message box of the program goes through here, so tests can script them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box titled "Kinfold Search" and returns the answer.
    virtual int show(const QString& text, int style) = 0;
    // The same over one of the program's other windows, which stays in front
    // of the main window while the box shows.
    virtual int showOver(QWidget* owner, const QString& text, int style) {
        static_cast<void>(owner);
        return show(text, style);
    }
};

// The real boxes: the first button is the default; closing a Yes/No/Cancel
// box (or pressing Escape) answers Cancel, closing a Yes/No box answers No.
class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    int show(const QString& text, int style) override { return showOver(parent_, text, style); }
    int showOver(QWidget* owner, const QString& text, int style) override;

private:
    QWidget* parent_;
};

}  // namespace kinfold
