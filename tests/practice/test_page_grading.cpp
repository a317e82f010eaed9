// Grading the main window's page, answering again and the result report, on a real bank in the real
// page view. Answers are given through the page as a user gives them: options clicked in the page,
// lists chosen.

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "mainwindow/main_window.h"
#include "mainwindow/main_window_texts.h"
#include "practice/page_grader.h"
#include "practice/result_report.h"
#include "practice/result_window.h"
#include "scripted_dialogs.h"
#include "store/connection.h"
#include "store/query.h"
#include "study/page_view.h"
#include "test_program_folder.h"

using quorvex::UserDialogs;
using quorvex::mainwindow::MainWindow;
using quorvex::practice::ResultReport;
using quorvex::practice::ResultWindow;
using quorvex::testing::ScriptedDialogs;
using quorvex::testing::TestProgramFolder;

namespace {

const QString kA1 = QStringLiteral("A1型题：单句型最佳选择题");
const QString kX = QStringLiteral("X型题：多项选择题");
const QString kB = QStringLiteral("B型题配伍选择题");
const QString kA3 =
    QStringLiteral("A3/A4型题：每个案例至少有3个提问，每个提问有4-12个备选答案，其中正确答案有一个或多个。");

QString option(int id, const QString& answer) {
    return QStringLiteral(R"({"id": %1, "content": "试题%1", "options": ["甲", "乙", "丙", "丁", "戊"],
                              "answer": "%2", "explain": "解析%1"})")
        .arg(id)
        .arg(answer);
}

QString caseQuestion(int id, int item, const QString& answer) {
    return QStringLiteral(
               R"({"id": %1, "itemnum": "%2", "content": "问题%1", "options": ["甲", "乙", "丙", "丁"],
                              "answer": "%3", "explain": "解析%1"})")
        .arg(id)
        .arg(item)
        .arg(answer);
}

QString listQuestion(int id, int item, const QString& answer) {
    return QStringLiteral(
               R"({"id": %1, "itemnum": "%2", "content": "配伍%1", "answer": "%3", "explain": "解析%1"})")
        .arg(id)
        .arg(item)
        .arg(answer);
}

// Chapter 3 (node 2): three single answers, two multiple-answer groups of one title, a case and two
// shared-list groups. Chapter 4 (node 3): three single answers. Chapter 5 (node 4): no groups.
QByteArray bank() {
    const QString shared = QStringLiteral("A．铅  B．汞  C．苯  D．锰  E．镉");
    return QStringLiteral(R"({"format": "quorvex-bank/1",
      "subject": {"name": "职业病", "code": "zyb", "count": "14"},
      "qtypes": [{"id": 3, "code": 1, "title": "%1"}, {"id": 6, "code": 4, "title": "%2"},
                 {"id": 10, "code": 8, "title": "%3"}, {"id": 11, "code": 9, "title": "%4"}],
      "examSettings": [1, 1, 1, 1],
      "tree": [{"id": 1, "name": "基础知识", "children": [{"id": 2, "name": "第一篇 职业卫生概论", "children": [
        {"id": 3, "name": "第一章 职业性有害因素", "groups": [
          {"id": 10, "qtype": 3, "questions": [%5, %6, %7]},
          {"id": 11, "qtype": 6, "questions": [%8]},
          {"id": 12, "qtype": 6, "questions": [%9]},
          {"id": 13, "qtype": 10, "content": "患者，男，45岁，接尘15年。", "questions": [%10, %11]},
          {"id": 14, "qtype": 11, "content": "%12", "opnum": 5, "questions": [%13, %14]},
          {"id": 15, "qtype": 11, "content": "%12", "opnum": 5, "questions": [%15]}]},
        {"id": 4, "name": "第二章 职业病诊断", "groups": [
          {"id": 20, "qtype": 3, "questions": [%16, %17, %18]}]},
        {"id": 5, "name": "第三章 空白", "groups": []}]}]}]})")
        .arg(kA1, kX, kA3, kB, option(101, "B"), option(102, "C"), option(103, "D"), option(111, "ACE"),
             option(121, "BD"))
        .arg(caseQuestion(131, 1, "A"), caseQuestion(132, 2, "ABD"), shared, listQuestion(141, 1, "C"),
             listQuestion(142, 2, "D"), listQuestion(151, 1, "A"), option(201, "A"), option(202, "B"),
             option(203, "C"))
        .toUtf8();
}

const QStringList kAllRight = {"101:B", "102:C",   "103:D", "111:ACE", "121:BD",
                               "131:A", "132:ABD", "141=C", "142=D",   "151=A"};

QStringList replaced(QStringList answers, const QString& entry, const QString& by) {
    const qsizetype at = answers.indexOf(entry);
    if (by.isEmpty()) {
        answers.removeAt(at);
    } else {
        answers.replace(at, by);
    }
    return answers;
}

// A program folder, the scripted dialogs and the main window on them, showing chapter 3.
struct Session {
    Session() : folder(bank()) {}

    MainWindow& show() {
        window = std::make_unique<MainWindow>(folder.path(), dialogs);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            qWarning("main window not exposed");
        }
        waitForPage(QStringLiteral("3"));
        return *window;
    }

    // Waits until the page of the chapter is complete.
    void waitForPage(const QString& treeId) {
        QTRY_VERIFY_WITH_TIMEOUT(window->state().currentTreeId == treeId && window->state().pageReady == 1 &&
                                     !window->isBuildingPage(),
                                 20000);
    }

    void openNode(int index, const QString& treeId) {
        window->openChapter(window->nodeAt(index));
        waitForPage(treeId);
    }

    void click(const char* objectName) {
        QAbstractButton* button = window->findChild<QAbstractButton*>(QString::fromLatin1(objectName));
        QVERIFY2(button != nullptr, objectName);
        button->click();
    }

    QVariant page(const QString& script) { return window->pageView()->runScript(script); }

    // "101:EA" clicks the options E then A of question 101; "141=C" chooses C in question 141's list.
    // One script for all; every control must be found.
    void answer(const QStringList& answers) {
        QStringList steps;
        for (const QString& entry : answers) {
            if (entry.contains(u'=')) {
                const QStringList parts = entry.split(u'=');
                steps << QStringLiteral(
                             "var s=document.getElementById('a%1'); s.value='%2';"
                             "s.dispatchEvent(new Event('change',{bubbles:true})); ++n;")
                             .arg(parts.at(0), parts.at(1));
                continue;
            }
            const QStringList parts = entry.split(u':');
            for (const QChar letter : parts.at(1)) {
                steps << QStringLiteral(
                             "document.querySelector('input[name=\"%1\"][value=\"%2\"]').click(); ++n;")
                             .arg(parts.at(0))
                             .arg(letter);
            }
        }
        const QVariant done = page(QStringLiteral("(function(){var n=0;try{") + steps.join(QString()) +
                                   QStringLiteral("}catch(e){}return n;})()"));
        QCOMPARE(done.toInt(), steps.size());
    }

    // Ids of the questions of the bank matching the condition, in id order, as "101,103".
    QString questions(const QString& where) {
        quorvex::store::Connection connection(quorvex::store::connectionStringFor(folder.path()));
        quorvex::store::Query q(connection);
        q.setSql(QStringLiteral("select * from question where ") + where + QStringLiteral(" order by id"));
        q.open();
        QStringList ids;
        for (; !q.eof(); q.next()) {
            ids << q.text(QStringLiteral("id"));
        }
        return ids.join(u',');
    }

    void run(const QString& sql) {
        quorvex::store::Connection connection(quorvex::store::connectionStringFor(folder.path()));
        connection.execute(sql);
    }

    // fenshu as "tx|sts|dd", stored order.
    QStringList scoreRows() {
        quorvex::store::Connection connection(quorvex::store::connectionStringFor(folder.path()));
        quorvex::store::Query q(connection);
        q.setSql(QStringLiteral("select * from fenshu"));
        q.open();
        QStringList rows;
        for (; !q.eof(); q.next()) {
            rows << q.text(QStringLiteral("tx")) + u'|' + q.text(QStringLiteral("sts")) + u'|' +
                        q.text(QStringLiteral("dd"));
        }
        return rows;
    }

    // The question ids whose stems are red on the main page, in page order.
    QString redStems() {
        return page(QStringLiteral("Array.from(document.querySelectorAll('span[id^=\"fan\"]'))"
                                   ".filter(function(e){return e.style.color==='red';})"
                                   ".map(function(e){return e.id.substring(3);}).join(',')"))
            .toString();
    }

    // The checked options and chosen letters of the main page, as "101:B".
    QStringList pageAnswers() {
        return page(QStringLiteral("Array.from(document.querySelectorAll('input:checked')).map(function(e){"
                                   "return e.name+':'+e.value;})"
                                   ".concat(Array.from(document.querySelectorAll('select')).filter(function("
                                   "s){return s.value!=='daan';})"
                                   ".map(function(s){return s.id.substring(1)+'='+s.value;}))"))
            .toStringList();
    }

    ResultReport& report() { return window->pageGrader()->report(); }

    // Hands the page in and waits for the score sheet.
    ResultWindow* handInAndWaitForSheet() {
        QSignalSpy built(&report(), &ResultReport::sheetBuilt);
        click("handInButton");
        if (!report().isOpen()) {
            return nullptr;
        }
        if (!built.wait(20000)) {
            qWarning("no score sheet");
        }
        return report().resultWindow();
    }

    // Closes the result window with its close button (or the title bar's close box) and answers the
    // question after it.
    void closeReport(std::optional<UserDialogs::Answer> answer, bool byCloseBox = false) {
        QSignalSpy finished(&report(), &ResultReport::finished);
        if (answer) {
            dialogs.answers.enqueue(*answer);
        }
        ResultWindow* resultWindow = report().resultWindow();
        QVERIFY(resultWindow != nullptr);
        if (byCloseBox) {
            resultWindow->close();
        } else {
            resultWindow->closeButton()->click();
        }
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!report().isOpen());
    }

    TestProgramFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

QStringList resultCells(ResultWindow* resultWindow) {
    return resultWindow->pageView()
        ->runScript(QStringLiteral(
            "Array.from(document.querySelectorAll('table tr')).map(function(tr){"
            "return Array.from(tr.cells).map(function(c){return c.textContent;}).join('|');})"))
        .toStringList();
}

}  // namespace

class TestPageGrading : public QObject {
    Q_OBJECT

  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

  private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(quorvex::mainwindow::kApplicationTitle); }

    // The edge cases of one grading, read right after the hand-in (before the report cleans fenshu).
    void gradesThePage_data() {
        QTest::addColumn<QString>("setup");  // a statement run on the bank before the window starts
        QTest::addColumn<bool>("favourites");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("wrong");   // ct1 = "1"
        QTest::addColumn<QString>("inBank");  // ct = "1"
        QTest::addColumn<QStringList>("rows");
        const QStringList allRightRows = {kA1 + "|3|3", kX + "|1|1", kX + "|1|1", kB + "|3|3", kA3 + "|2|2"};

        QTest::newRow("all right: two X groups apart, two B groups merged, merged rows last")
            << QString() << false << kAllRight << ""
            << "" << allRightRows;
        QTest::newRow("nothing ticked")
            << QString() << false << QStringList{} << "101,102,103,111,121,131,132,141,142,151"
            << "101,102,103,111,121,131,132,141,142,151"
            << QStringList{kA1 + "|3|0", kX + "|1|0", kX + "|1|0", kB + "|3|0", kA3 + "|2|0"};
        QTest::newRow("list left at 答案")
            << QString() << false << replaced(kAllRight, "142=D", QString()) << "142"
            << "142" << QStringList{kA1 + "|3|3", kX + "|1|1", kX + "|1|1", kB + "|3|2", kA3 + "|2|2"};
        QTest::newRow("several answers clicked in another order")
            << QString() << false << replaced(replaced(kAllRight, "111:ACE", "111:ECA"), "132:ABD", "132:DBA")
            << ""
            << "" << allRightRows;
        QTest::newRow("one extra tick and one missing tick")
            << QString() << false << replaced(replaced(kAllRight, "111:ACE", "111:ACDE"), "132:ABD", "132:AB")
            << "111,132"
            << "111,132" << QStringList{kA1 + "|3|3", kX + "|1|0", kX + "|1|1", kB + "|3|3", kA3 + "|2|1"};
        QTest::newRow("ticked and unticked again")
            << QString() << false << replaced(kAllRight, "121:BD", "121:BDAA") << ""
            << "" << allRightRows;
        QTest::newRow("blanks around the stored answer")
            << QStringLiteral("update question set answer=' C '||char(9) where id=102") << false << kAllRight
            << ""
            << "" << allRightRows;
        QTest::newRow("lower-case stored answer")
            << QStringLiteral("update question set answer='b' where id=101") << false << kAllRight << "101"
            << "101" << QStringList{kA1 + "|3|2", kX + "|1|1", kX + "|1|1", kB + "|3|3", kA3 + "|2|2"};
        // 101 was in the bank and is right now: it stays; 103 was in the bank and is wrong again; a stale
        // ct1 of 102 goes.
        QTest::newRow("already in the bank")
            << QStringLiteral(
                   "update question set ct='1', ct1=case when id=102 then '1' else '' end "
                   "where id in (101,102,103)")
            << false << replaced(kAllRight, "103:D", "103:A") << "103"
            << "101,102,103"
            << QStringList{kA1 + "|3|2", kX + "|1|1", kX + "|1|1", kB + "|3|3", kA3 + "|2|2"};
        QTest::newRow("favourites view: groups without favourites give empty rows")
            << QStringLiteral("update question set scbt='1' where id in (101,111)") << true
            << QStringList{"101:A", "111:ACE"} << "101"
            << "101" << QStringList{kA1 + "|1|0", kX + "|1|1", kX + "|0|0", kB + "|0|0", kA3 + "|0|0"};
    }
    void gradesThePage() {
        QFETCH(QString, setup);
        QFETCH(bool, favourites);
        QFETCH(QStringList, answers);
        QFETCH(QString, wrong);
        QFETCH(QString, inBank);
        QFETCH(QStringList, rows);
        Session session;
        if (!setup.isEmpty()) {
            session.run(setup);
        }
        MainWindow& window = session.show();
        if (favourites) {
            session.click("favouritesButton");
            session.waitForPage(QStringLiteral("3"));
        }
        session.answer(answers);
        const QStringList given = session.pageAnswers();
        QSignalSpy built(&session.report(), &ResultReport::sheetBuilt);

        session.click("handInButton");

        QCOMPARE(session.questions(QStringLiteral("ct1='1'")), wrong);
        QCOMPARE(session.questions(QStringLiteral("ct='1'")), inBank);
        QCOMPARE(session.scoreRows(), rows);
        QCOMPARE(window.state().skipActivateReload, 1);
        QCOMPARE(window.state().pageReady, 0);
        QVERIFY(session.report().isOpen());
        QCOMPARE(session.redStems(), wrong);
        // The controls keep what the user set.
        QCOMPARE(session.pageAnswers(), given);
        QVERIFY(session.dialogs.entries.isEmpty());
        QVERIFY(built.count() == 1 || built.wait(20000));
        session.closeReport(UserDialogs::Answer::Yes);
    }

    // Grading the same page again counts the same answers again; a stem once red stays red.
    void gradingTwice() {
        Session session;
        session.show();
        session.answer(replaced(kAllRight, "101:B", "101:A"));
        QVERIFY(session.handInAndWaitForSheet() != nullptr);
        session.closeReport(UserDialogs::Answer::Yes);
        QCOMPARE(session.redStems(), QStringLiteral("101"));

        // 101 put right, 121 put wrong.
        session.answer({"101:B", "121:D"});
        QVERIFY(session.handInAndWaitForSheet() != nullptr);
        QCOMPARE(session.questions(QStringLiteral("ct1='1'")), QStringLiteral("121"));
        QCOMPARE(session.questions(QStringLiteral("ct='1'")), QStringLiteral("101,121"));
        QCOMPARE(session.scoreRows(),
                 QStringList({kA1 + "|3|3", kX + "|1|1", kX + "|1|0", kB + "|3|3", kA3 + "|2|2"}));
        QCOMPARE(session.redStems(), QStringLiteral("101,121"));
        session.closeReport(UserDialogs::Answer::Yes);

        // Unchanged answers graded again: the same questions go into the bank again.
        session.run(QStringLiteral("update question set ct=''"));
        QVERIFY(session.handInAndWaitForSheet() != nullptr);
        QCOMPARE(session.questions(QStringLiteral("ct='1'")), QStringLiteral("121"));
        session.closeReport(UserDialogs::Answer::Yes);
    }

    // A control missing from the page ends grading without a word: what was written stays, no report.
    void stopsQuietly_data() {
        QTest::addColumn<bool>("pageShown");
        QTest::addColumn<QString>("wrong");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("an option control of the second group removed")
            << true << "101" << QStringList{kA1 + "|3|2"};
        QTest::newRow("no chapter page built yet") << false << "" << QStringList{};
    }
    void stopsQuietly() {
        QFETCH(bool, pageShown);
        QFETCH(QString, wrong);
        QFETCH(QStringList, rows);
        Session session;
        session.run(QStringLiteral("update question set ct1='1' where id=151"));
        session.run(QStringLiteral("insert into fenshu (tx, sts, dd) values ('旧', '1', '1')"));
        if (pageShown) {
            session.show();
            // 101 and 121 wrong; 111's first option control taken off the page.
            session.answer(replaced(replaced(kAllRight, "101:B", "101:A"), "121:BD", "121:B"));
            QCOMPARE(session.page(QStringLiteral("document.querySelector('input[name=\"111\"]').remove(); 1"))
                         .toInt(),
                     1);
        } else {
            session.window = std::make_unique<MainWindow>(session.folder.path(), session.dialogs);
        }

        session.window->gradePage();

        QCOMPARE(session.questions(QStringLiteral("ct1='1'")), wrong);
        QCOMPARE(session.questions(QStringLiteral("ct='1'")), wrong);
        QCOMPARE(session.scoreRows(), rows);
        QVERIFY(!session.report().isOpen());
        QVERIFY(session.window->findChild<ResultWindow*>() == nullptr);
        QCOMPARE(session.window->state().pageReady, 0);
        QCOMPARE(session.window->state().skipActivateReload, 1);
        if (pageShown) {
            QCOMPARE(session.redStems(), wrong);
        }
        QTest::qWait(300);
        QVERIFY(session.window->findChild<ResultWindow*>() == nullptr);
        QVERIFY(session.dialogs.entries.isEmpty());
    }

    // An error in clearing the latest-grading flags is shown; nothing else is done.
    void flagResetErrorIsShown() {
        Session session;
        session.run(QStringLiteral("insert into fenshu (tx, sts, dd) values ('旧', '1', '1')"));
        session.window = std::make_unique<MainWindow>(session.folder.path(), session.dialogs);
        session.run(QStringLiteral("alter table question rename to question_kept"));
        session.run(QStringLiteral("create table question (id integer, ct text)"));

        session.window->gradePage();

        QCOMPARE(session.dialogs.entries.size(), 1);
        QCOMPARE(session.dialogs.entries.at(0).kind, ScriptedDialogs::Kind::Message);
        QVERIFY2(session.dialogs.entries.at(0).text.contains(QStringLiteral("ct1")),
                 qPrintable(session.dialogs.entries.at(0).text));
        QCOMPARE(session.scoreRows(), QStringList{QStringLiteral("旧|1|1")});
        QVERIFY(!session.report().isOpen());
        QVERIFY(!session.window->connection().isOpen());
    }

    void answerAgain_data() {
        QTest::addColumn<UserDialogs::Answer>("answer");
        QTest::newRow("cancel") << UserDialogs::Answer::Cancel;
        QTest::newRow("ok") << UserDialogs::Answer::Ok;
    }
    void answerAgain() {
        QFETCH(UserDialogs::Answer, answer);
        Session session;
        MainWindow& window = session.show();
        const QStringList given = replaced(kAllRight, "101:B", "101:A");
        session.answer(given);
        QVERIFY(session.handInAndWaitForSheet() != nullptr);
        session.closeReport(UserDialogs::Answer::Yes);
        session.dialogs.clear();
        const QStringList before = session.pageAnswers();
        QVERIFY(window.findChild<QAbstractButton*>(QStringLiteral("hideAnswersButton"))->isVisible());
        const QStringList rows = session.scoreRows();

        session.dialogs.answers.enqueue(answer);
        session.click("answerAgainButton");

        QCOMPARE(session.dialogs.entries.size(), 1);
        const ScriptedDialogs::Entry question = session.dialogs.entries.at(0);
        QCOMPARE(question.kind, ScriptedDialogs::Kind::Question);
        QCOMPARE(question.text, QStringLiteral("重新答题会清除当前所选的答案，是否继续？"));
        QCOMPARE(question.title, QStringLiteral("提示"));
        QCOMPARE(question.buttons, UserDialogs::Buttons::OkCancel);
        const bool again = answer == UserDialogs::Answer::Ok;
        if (again) {
            session.waitForPage(QStringLiteral("3"));
        }
        QCOMPARE(session.pageAnswers(), again ? QStringList() : before);
        QCOMPARE(session.redStems(), again ? QString() : QStringLiteral("101"));
        QCOMPARE(window.findChild<QAbstractButton*>(QStringLiteral("showAnswersButton"))->isVisible(), again);
        QCOMPARE(window.findChild<QAbstractButton*>(QStringLiteral("hideAnswersButton"))->isVisible(),
                 !again);
        // The bank keeps the last grading either way.
        QCOMPARE(session.questions(QStringLiteral("ct1='1'")), QStringLiteral("101"));
        QCOMPARE(session.questions(QStringLiteral("ct='1'")), QStringLiteral("101"));
        QCOMPARE(session.scoreRows(), rows);
    }

    void scoreSheet_data() {
        QTest::addColumn<int>("node");
        QTest::addColumn<QString>("treeId");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("3 questions, 2 right") << 3 << "4" << QStringList{"201:A", "202:B", "203:A"}
                                              << QStringList{kA1 + "|3|2|3|2|67%", "合  计|3|2|3|2|67%"};
        QTest::newRow("nothing graded: only the total")
            << 4 << "5" << QStringList{} << QStringList{"合  计|0|0|0|0|0%"};
    }
    void scoreSheet() {
        QFETCH(int, node);
        QFETCH(QString, treeId);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, cells);
        Session session;
        MainWindow& window = session.show();
        session.openNode(node, treeId);
        session.answer(answers);

        ResultWindow* resultWindow = session.handInAndWaitForSheet();
        QVERIFY(resultWindow != nullptr);
        QCOMPARE(resultWindow->windowTitle(), QStringLiteral("测试结果"));
        QCOMPARE(resultWindow->size(), QSize(915, 450));
        QVERIFY(resultWindow->isModal());
        QCOMPARE(resultWindow->parentWidget(), &window);
        QCOMPARE(resultWindow->closeButton()->geometry(), QRect(696, 413, 105, 33));
        QCOMPARE(resultWindow->pageView()->geometry(), QRect(0, 0, 915, 409));

        QCOMPARE(resultCells(resultWindow),
                 QStringList{"题  型|试 题 数| 答  对 | 总  分 | 得  分 |正 确 率"} + cells);
        QCOMPARE(resultWindow->pageView()
                     ->runScript(QStringLiteral("Array.from(document.querySelectorAll('.TestResultTitle'))"
                                                ".map(function(p){return p.textContent;})"))
                     .toStringList(),
                 QStringList{"本 次 测 试 结 果"});
        // The rows of groups without questions are gone.
        QCOMPARE(session.scoreRows().size(), cells.size() - 1);

        // Every answer of the main page is open, the hide-all button shown.
        QCOMPARE(
            session
                .page(QStringLiteral(
                    "Array.from(document.querySelectorAll('input[name=\"tolvanexsda\"]')).filter(function(b){"
                    "var a=document.getElementById('ansnote'+b.id.substring(2));"
                    "return b.value!=='隐藏答案'||a.style.display==='none';}).length"))
                .toInt(),
            0);
        QVERIFY(!window.findChild<QAbstractButton*>(QStringLiteral("showAnswersButton"))->isVisible());
        QVERIFY(window.findChild<QAbstractButton*>(QStringLiteral("hideAnswersButton"))->isVisible());
        QCOMPARE(window.state().pageReady, 1);

        // Closing hands the focus back without the page being built again.
        const QString red = session.redStems();
        session.closeReport(UserDialogs::Answer::Yes);
        QApplication::setActiveWindow(&window);
        QTRY_COMPARE(window.state().skipActivateReload, 0);
        QTest::qWait(100);
        QCOMPARE(window.state().currentTreeId, treeId);
        QCOMPARE(session.redStems(), red);
        QVERIFY(window.findChild<ResultWindow*>() == nullptr ||
                !window.findChild<ResultWindow*>()->isVisible());
    }

    // After the window closes: anything but Yes takes this grading's wrong questions out of the bank.
    void afterTheReport_data() {
        QTest::addColumn<std::optional<UserDialogs::Answer>>("answer");
        QTest::addColumn<bool>("byCloseBox");
        QTest::addColumn<QString>("inBank");
        QTest::newRow("yes keeps them") << std::optional(UserDialogs::Answer::Yes) << false << "101,102,103";
        QTest::newRow("no takes them out, also one in the bank before")
            << std::optional(UserDialogs::Answer::No) << false << "101";
        QTest::newRow("window closed by its close box, question closed")
            << std::optional<UserDialogs::Answer>() << true << "101";
    }
    void afterTheReport() {
        QFETCH(std::optional<UserDialogs::Answer>, answer);
        QFETCH(bool, byCloseBox);
        QFETCH(QString, inBank);
        Session session;
        // 101 (answered right) and 103 (answered wrongly again) were in the bank before.
        session.run(QStringLiteral("update question set ct='1' where id in (101,103)"));
        session.show();
        session.answer(replaced(replaced(kAllRight, "102:C", "102:A"), "103:D", "103:A"));
        QVERIFY(session.handInAndWaitForSheet() != nullptr);
        QVERIFY(session.dialogs.entries.isEmpty());

        session.closeReport(answer, byCloseBox);

        QCOMPARE(session.dialogs.entries.size(), 1);
        const ScriptedDialogs::Entry question = session.dialogs.entries.at(0);
        QCOMPARE(question.kind, ScriptedDialogs::Kind::Question);
        QCOMPARE(question.text, QStringLiteral("您是否把这次的错题放到错题题库中？"));
        QCOMPARE(question.title, QStringLiteral("提示"));
        QCOMPARE(question.buttons, UserDialogs::Buttons::YesNo);
        QCOMPARE(question.icon, UserDialogs::Icon::Question);
        QCOMPARE(session.questions(QStringLiteral("ct='1'")), inBank);
        QCOMPARE(session.questions(QStringLiteral("ct1='1'")), QStringLiteral("102,103"));
    }

    void wrongQuestionViewAsksNothing() {
        Session session;
        session.run(QStringLiteral("update question set ct='1' where id in (101,102)"));
        MainWindow& window = session.show();
        window.showWrongQuestionView();
        session.waitForPage(QStringLiteral("3"));
        session.answer({"101:A", "102:C"});

        QVERIFY(session.handInAndWaitForSheet() != nullptr);
        QCOMPARE(session.scoreRows(), QStringList{kA1 + "|2|1"});
        session.closeReport(std::nullopt);

        QVERIFY(session.dialogs.entries.isEmpty());
        QCOMPARE(session.questions(QStringLiteral("ct='1'")), QStringLiteral("101,102"));
        QCOMPARE(session.questions(QStringLiteral("ct1='1'")), QStringLiteral("101"));
    }

    // One sheet build at a time; each activation builds the sheet afresh on a reloaded page.
    void sheetBuiltOnceAtATime() {
        Session session;
        session.show();
        session.answer(kAllRight);
        QSignalSpy built(&session.report(), &ResultReport::sheetBuilt);
        session.click("handInButton");
        ResultWindow* resultWindow = session.report().resultWindow();
        QVERIFY(resultWindow != nullptr);
        // A tick arriving while the build waits for its page starts nothing.
        int nested = 0;
        connect(resultWindow->pageView(), &quorvex::study::PageView::pageLoaded, this, [&] {
            ++nested;
            session.report().buildScoreSheet();
        });
        QVERIFY(built.wait(20000));
        QCOMPARE(nested, 1);
        QTest::qWait(300);
        QCOMPARE(built.count(), 1);

        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(resultWindow, &activate);
        QVERIFY(built.wait(20000));
        QCOMPARE(resultWindow->pageView()
                     ->runScript(QStringLiteral("document.querySelectorAll('table').length"))
                     .toInt(),
                 1);
        QCOMPARE(resultWindow->pageView()
                     ->runScript(QStringLiteral("document.querySelectorAll('.TestResultTitle').length"))
                     .toInt(),
                 1);
        QCOMPARE(resultCells(resultWindow).size(), 7);
        session.closeReport(UserDialogs::Answer::Yes);
    }

    // An error in the sheet build is shown once; the timer does not fire again.
    void sheetBuildError() {
        Session session;
        session.show();
        session.answer(kAllRight);
        session.click("handInButton");
        QVERIFY(session.report().isOpen());
        session.run(QStringLiteral("drop table fenshu"));

        QTRY_COMPARE_WITH_TIMEOUT(session.dialogs.entries.size(), 1, 20000);
        QCOMPARE(session.dialogs.entries.at(0).kind, ScriptedDialogs::Kind::Message);
        QVERIFY2(session.dialogs.entries.at(0).text.contains(QStringLiteral("fenshu")),
                 qPrintable(session.dialogs.entries.at(0).text));
        QTest::qWait(500);
        QCOMPARE(session.dialogs.entries.size(), 1);
        QVERIFY(!session.window->connection().isOpen());

        session.closeReport(UserDialogs::Answer::Yes);
        QCOMPARE(session.dialogs.entries.size(), 2);
    }
};

QTEST_MAIN(TestPageGrading)
#include "test_page_grading.moc"
