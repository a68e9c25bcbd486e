#include "shell/preview/EntryDialog.h"

#include "shell/platform/MessageBoxes.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kinfold {

EntryDialog::EntryDialog(const QString& bytesHex, const QString& text, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EntryDialog"));
    setWindowTitle(QStringLiteral("Entry - ") + kProgramTitle);
    EntryBytes = new QLineEdit(bytesHex, this);
    EntryBytes->setObjectName(QStringLiteral("EntryBytes"));
    EntryBytes->setReadOnly(true);
    EntryBytes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    EntryBytes->setAccessibleName(QStringLiteral("Bytes"));
    EntryText = new QLineEdit(text, this);
    EntryText->setObjectName(QStringLiteral("EntryText"));
    EntryText->setAccessibleName(QStringLiteral("Text"));
    EntryText->setAccessibleDescription(QStringLiteral("The text the bytes stand for."));
    EntryText->selectAll();
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    QPushButton* ok = Buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("OkButton"));
    Buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    const auto allowOk = [this, ok] { ok->setEnabled(!EntryText->text().isEmpty()); };
    allowOk();
    connect(EntryText, &QLineEdit::textChanged, this, allowOk);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* bytesCaption = new QLabel(QStringLiteral("&Bytes:"), this);
    bytesCaption->setBuddy(EntryBytes);
    auto* textCaption = new QLabel(QStringLiteral("&Text:"), this);
    textCaption->setBuddy(EntryText);
    auto* fields = new QFormLayout;
    fields->addRow(bytesCaption, EntryBytes);
    fields->addRow(textCaption, EntryText);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Buttons);
    EntryText->setFocus();
    setMinimumWidth(320);
}

QString EntryDialog::text() const { return EntryText->text(); }

}  // namespace kinfold
