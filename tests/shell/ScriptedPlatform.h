#pragma once

#include "shell/main/Form1.h"
#include "shell/platform/Clock.h"
#include "shell/platform/EventPump.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/MessageBoxes.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kinfold::test {

// Message boxes that record what they were asked to show and give the answers
// a test queued (OK for a notice when nothing is queued).
class ScriptedMessages : public MessageBoxes {
public:
    struct Shown {
        QString text;
        int style;
        QWidget* owner = nullptr;  // the window it shows over, when not the main one
    };
    int showOver(QWidget* owner, const QString& text, int style) override {
        const int answer = show(text, style);
        shown.back().owner = owner;
        return answer;
    }
    int show(const QString& text, int style) override {
        shown.push_back({text, style});
        if (onShow) onShow(text, style);
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return style == kStyleNotice ? kAnswerOk : kAnswerCancel;
    }
    QStringList texts() const {
        QStringList out;
        for (const Shown& s : shown) out << s.text;
        return out;
    }
    std::vector<Shown> shown;
    std::deque<int> answers;
    std::function<void(const QString&, int)> onShow;
};

// A file chooser that gives back queued paths ("" is a cancel) and records
// every use with its filter.
class ScriptedFiles : public FileChooser {
public:
    struct Use {
        FileChooser::Use use;
        std::string filter;
        QString proposedName;
        QWidget* owner = nullptr;  // the window it shows over, when not the main one
    };
    QString chooseOver(QWidget* owner, FileChooser::Use use, std::string_view filter,
                       const QString& proposedName) override {
        const QString path = chooseNamed(use, filter, proposedName);
        uses.back().owner = owner;
        return path;
    }
    QString chooseFiltered(QWidget* owner, FileChooser::Use use, std::string_view filter, const QString& proposedName,
                           int& chosenFilter) override {
        chosenFilter = nextFilter;
        return chooseOver(owner, use, filter, proposedName);
    }
    QString choose(FileChooser::Use use, std::string_view filter) override { return chooseNamed(use, filter, {}); }
    QString chooseNamed(FileChooser::Use use, std::string_view filter, const QString& proposedName) override {
        uses.push_back({use, std::string(filter), proposedName});
        if (paths.empty()) return QString();
        const QString path = paths.front();
        paths.pop_front();
        return path;
    }
    std::vector<Use> uses;
    std::deque<QString> paths;
    int nextFilter = 0;  // the filter pair a chooseFiltered chooses
};

// Pumps on every call and lets a test act in the middle of a search.
class ScriptedPump : public EventPump {
public:
    void pump() override {
        ++calls;
        if (onPump) onPump(calls);
    }
    int calls = 0;
    std::function<void(int call)> onPump;
};

class FixedClock : public Clock {
public:
    QDateTime now() const override { return when; }
    QDateTime when{QDate(2026, 3, 14), QTime(9, 26, 53)};
};

// A main window wired to scripted platform pieces.
struct Harness {
    ScriptedMessages messages;
    ScriptedFiles files;
    ScriptedPump events;
    FixedClock clock;
    std::unique_ptr<Form1> form;

    Harness() : form(std::make_unique<Form1>(Platform{messages, files, events, clock})) {}
    Form1& w() { return *form; }
};

}  // namespace kinfold::test
