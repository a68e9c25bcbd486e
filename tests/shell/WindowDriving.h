#pragma once

#include "shell/main/Form1.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <initializer_list>
#include <vector>

namespace kinfold::test {

// Driving the main window as a user does: clicks on the real buttons and key
// presses into the real boxes.

inline void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

// Types a text into a box as key presses. keyClicks only knows ASCII, so any
// other character goes in as a key event that carries it as its text; a
// surrogate pair is one key press, as a keyboard sends it.
inline void type(QWidget* box, const QString& text) {
    const QList<uint> characters = text.toUcs4();
    for (uint c : characters) {
        const auto character = static_cast<char32_t>(c);
        const QString one = QString::fromUcs4(&character, 1);
        if (c < 0x80) {
            QTest::keyClicks(box, one);
        } else {
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, one, Qt::NoModifier);
        }
    }
}

// Empties EnterVal, types the text and clicks "Add Value".
inline void addValue(Form1& w, const QString& text) {
    w.EnterVal->clear();
    type(w.EnterVal, text);
    click(w.AddVal);
}

inline void addValues(Form1& w, std::initializer_list<int> values) {
    for (int v : values) addValue(w, QString::number(v));
}

// Puts the path into RomFile and clicks "Kinfold Search".
inline void search(Form1& w, const QString& path) {
    w.RomFile->setText(path);
    click(w.Search);
}

inline QStringList listLines(const Form1& w) {
    QStringList out;
    for (int r = 0; r < w.ValuesList->count(); ++r) out << w.ValuesList->item(r)->text();
    return out;
}

inline QStringList resultLines(const Form1& w) {
    QStringList out;
    const QAbstractItemModel* model = w.Results->model();
    for (int r = 0; r < model->rowCount(); ++r) out << model->index(r, 0).data().toString();
    return out;
}

// The twenty controls a search locks, in the order it locks them.
inline std::vector<QWidget*> searchControls(Form1& w) {
    return {w.Search,      w.AddVal, w.Ascii,    w.DecimalB,  w.HexB,      w.DelVal,   w.EnterVal,
            w.OpenFile,    w.Reset,  w.RomFile,  w.SkipVal,   w.NumVals,   w.SaveVals, w.OpenVals,
            w.SaveResults, w.AddStr, w.EnterStr, w.OptString, w.OptValues, w.BitMode};
}

}  // namespace kinfold::test
