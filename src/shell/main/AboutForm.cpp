#include "shell/main/AboutForm.h"

#include "ProgramPictures.h"

#include <QCloseEvent>
#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

namespace kinfold {

QString AboutForm::licenceNotice() {
    return QStringLiteral(
        "Kinfold Search is free software under the MIT licence: you may use, copy, change and "
        "pass it on freely, provided the copyright and licence notice go with it.");
}

AboutForm::AboutForm(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About Kinfold Search"));
    setWindowIcon(QIcon(programIconPath()));
    setFixedSize(kClientWidth, kClientHeight);
    // The main window keeps this window and shows it again; closing must not free it.
    setAttribute(Qt::WA_DeleteOnClose, false);

    Image2 = makeLabel("Image2", QString(), 8, 8, 209, 52);
    Image2->setPixmap(QPixmap(bannerPath()));
    Image2->setScaledContents(true);

    Image1 = makeLabel("Image1", QString(), 24, 64, 32, 32);
    Image1->setPixmap(QPixmap(programIconPath()));

    Label1 = makeLabel("Label1", productName(), 64, 64, 137, 17);
    Label2 = makeLabel("Label2", versionText(), 64, 80, 137, 17);
    Label3 = makeLabel("Label3", byLine(), 64, 104, 137, 17);
    Label4 = makeLabel("Label4", groupName(), 64, 128, 137, 17);
    Label5 = makeLabel("Label5", webAddress(), 64, 144, 137, 17);

    Label6 = makeLabel("Label6", licenceNotice(), 8, 168, 209, 65);
    Label6->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label6->setWordWrap(true);

    Okay = new QPushButton(QStringLiteral("OK"), this);
    Okay->setObjectName(QStringLiteral("Okay"));
    Okay->setGeometry(80, 240, 65, 25);
    Okay->setDefault(true);
    Okay->setFocusPolicy(Qt::StrongFocus);
    connect(Okay, &QPushButton::clicked, this, &AboutForm::Okay_Click);
}

QLabel* AboutForm::makeLabel(const char* name, const QString& text, int left, int top, int width, int height) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(left, top, width, height);
    // The texts are shown as they are: no markup, no links, nothing to select.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

void AboutForm::Okay_Click() { dismiss(); }

void AboutForm::dismiss() {
    hide();
    emit dismissed();
}

void AboutForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous() && !placed_) {
        placed_ = true;
        if (const QScreen* where = screen()) {
            const QRect area = where->availableGeometry();
            move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frameGeometry().size(), area).topLeft());
        }
    }
    Okay->setFocus(Qt::OtherFocusReason);
}

void AboutForm::closeEvent(QCloseEvent* event) {
    // The window is kept for the next time; a close request only hides it.
    event->ignore();
    dismiss();
}

void AboutForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::EnabledChange) {
        return;
    }
    // Disabled only because the main window disabled itself: stay usable.
    if (!isEnabled() && !testAttribute(Qt::WA_ForceDisabled)) {
        setEnabled(true);
        if (isVisible()) {
            Okay->setFocus(Qt::OtherFocusReason);
        }
    }
}

}  // namespace kinfold
