#pragma once

#include <QFormLayout>
#include <QLabel>
#include <QString>
#include <QWidget>

namespace kinfold {

// Adds a row to a form: a caption owned by owner whose mnemonic moves the
// focus to value, and that screen readers read as value's label.
inline QLabel* addCaptionedRow(QFormLayout* form, QWidget* owner, const QString& caption, QWidget* value) {
    auto* label = new QLabel(caption, owner);
    label->setBuddy(value);
    form->addRow(label, value);
    return label;
}

}  // namespace kinfold
