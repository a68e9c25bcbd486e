#include "shell/platform/MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace kinfold {

int QtMessageBoxes::showOver(QWidget* owner, const QString& text, int style) {
    // A box over a disabled window (the About window is showing) would be
    // disabled with it and could never be answered.
    QMessageBox box(owner != nullptr && owner->isEnabled() ? owner : nullptr);
    box.setWindowTitle(kProgramTitle);
    box.setText(text);
    switch (style) {
    case kStyleSaveQuestion: {
        box.setIcon(QMessageBox::Information);
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        box.addButton(QMessageBox::No);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(yes);
        box.setEscapeButton(QMessageBox::Cancel);
        box.exec();
        if (box.clickedButton() == yes) return kAnswerYes;
        if (box.clickedButton() == box.button(QMessageBox::No)) return kAnswerNo;
        return kAnswerCancel;
    }
    case kStyleQuitQuestion: {
        box.setIcon(QMessageBox::Question);
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? kAnswerYes : kAnswerNo;
    }
    case kStyleReplaceQuestion: {
        box.setIcon(QMessageBox::Warning);
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? kAnswerYes : kAnswerNo;
    }
    default:
        box.setIcon(style == kStyleWarning ? QMessageBox::Warning : QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.exec();
        return kAnswerOk;
    }
}

}  // namespace kinfold
