#pragma once

#include <QQueue>
#include <QString>
#include <QStringList>
#include <QVector>

#include "mainwindow/user_dialogs.h"

namespace quorvex::testing {

// UserDialogs for tests: records every message and question, answers from queues, never blocks.
// A question with no queued answer is answered as a closed box (Cancel, or No for yes/no questions);
// a file dialog with no queued name is cancelled.
class ScriptedDialogs : public UserDialogs {
  public:
    enum class Kind { Message, Question, OpenFile, SaveFile };

    struct Entry {
        Kind kind = Kind::Message;
        QString text;   // message or question text; the caption of a file dialog
        QString title;  // as passed (empty means the application's title)
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        QString path;  // directory or proposed path of a file dialog
        QString filter;
    };

    QVector<Entry> entries;
    QQueue<Answer> answers;
    QQueue<QString> fileNames;

    void showMessage(QWidget*, const QString& text, const QString& title, Icon icon) override {
        entries.append(Entry{Kind::Message, text, title, icon, Buttons::Ok, QString(), QString()});
    }

    Answer ask(QWidget*, const QString& title, const QString& text, Buttons buttons, Icon icon) override {
        entries.append(Entry{Kind::Question, text, title, icon, buttons, QString(), QString()});
        if (!answers.isEmpty()) {
            return answers.dequeue();
        }
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }

    QString openFileName(QWidget*, const QString& caption, const QString& directory,
                         const QString& filter) override {
        entries.append(Entry{Kind::OpenFile, caption, QString(), Icon::None, Buttons::Ok, directory, filter});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }

    QString saveFileName(QWidget*, const QString& caption, const QString& proposedPath,
                         const QString& filter) override {
        entries.append(
            Entry{Kind::SaveFile, caption, QString(), Icon::None, Buttons::Ok, proposedPath, filter});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }

    // The texts of the messages and questions, in order.
    QStringList texts() const {
        QStringList out;
        for (const Entry& entry : entries) {
            if (entry.kind == Kind::Message || entry.kind == Kind::Question) {
                out.append(entry.text);
            }
        }
        return out;
    }

    void clear() {
        entries.clear();
        answers.clear();
        fileNames.clear();
    }
};

}  // namespace quorvex::testing
