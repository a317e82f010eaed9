#pragma once

#include <QAbstractButton>
#include <QByteArray>
#include <QStringList>
#include <memory>

#include "mainwindow/main_window.h"
#include "scripted_dialogs.h"
#include "study/page_view.h"
#include "test_program_folder.h"

namespace quorvex::testing {

// A bank with explicit question ids, some above 10000. Tree: 内科学 > 基础知识 > 第一章 (node 2: one
// code-1 group with questions 123, 12345 and 7, whose stem carries quotes and a statement end) and 第二章
// (node 3: a case of code 8 with questions 20001 and 20002, then a code-9 group with question 30001).
QByteArray commandBankJson();

// A program folder with the command bank, scripted dialogs and the main window on them.
struct FeedbackSession {
    FeedbackSession();

    // Creates and shows the window; its first chapter (123, 12345, 7) opens soon after.
    mainwindow::MainWindow& show();
    study::PageView& page() const { return *window->pageView(); }

    // Whether the main page shows the stem of a question.
    bool pageShows(qint64 questionId) const;
    QAbstractButton* button(const char* objectName) const;
    // Clicks a button of one question on the main page, as the user does: "tolvanescbt" (favourite),
    // "tolvanectfk" (report) or "tolvanexsda" (answer). Returns false when the page has no such button.
    bool clickQuestionButton(const QString& name, qint64 questionId) const;
    // Ids of the questions marked as favourites, in id order.
    QStringList favourites() const;
    void runStatement(const QString& sql) const;

    TestProgramFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<mainwindow::MainWindow> window;
};

}  // namespace quorvex::testing
