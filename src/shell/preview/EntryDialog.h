#pragma once

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QLineEdit;

namespace kinfold {

// "Entry...": the bytes chosen in the hex view (in hex, to read) and the
// text they are to stand for, with OK and Cancel. OK takes a text of one
// character or more.
class EntryDialog : public QDialog {
    Q_OBJECT
public:
    EntryDialog(const QString& bytesHex, const QString& text, QWidget* parent);

    QString text() const;

    QLineEdit* EntryBytes = nullptr;
    QLineEdit* EntryText = nullptr;
    QDialogButtonBox* Buttons = nullptr;
};

}  // namespace kinfold
