#pragma once

#include "files/ResultsReport.h"

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

class QCloseEvent;
class QEvent;
class QShowEvent;

namespace kinfold {

// The About window: the program's name, version, makers, web address and
// licence notice, with an OK button. Closing it only hides it, so the main
// window can keep one and show it again; either way dismissed() tells the
// main window to enable itself again.
//
// Give it the main window as parent: a parented dialog window is owned by the
// main window, so it gets no task-bar button of its own and stays above it.
// Qt disables a child window together with its parent, though, and the main
// window disables itself while this window shows; so the window enables itself
// again whenever it was disabled only through its parent (a direct
// setEnabled(false) on it still holds).
class AboutForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 225;
    static constexpr int kClientHeight = 273;

    // The texts the window shows; the results report prints the same address.
    static QString productName() { return QStringLiteral("Kinfold Search"); }
    static QString versionText() { return QStringLiteral("Version 1.2"); }
    static QString byLine() { return QStringLiteral("by the Kinfold Search team"); }
    static QString groupName() { return QStringLiteral("Tessarine"); }
    static QString webAddress() {
        return QString::fromUtf8(kMakerAddress.data(), static_cast<qsizetype>(kMakerAddress.size()));
    }
    static QString licenceNotice();

    explicit AboutForm(QWidget* parent = nullptr);

    QPushButton* Okay = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;

signals:
    // The window was hidden by its OK button or by a close request.
    void dismissed();

public slots:
    void Okay_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* makeLabel(const char* name, const QString& text, int left, int top, int width, int height);
    void dismiss();

    bool placed_ = false;  // centred once; later shows keep the user's position
};

}  // namespace kinfold
