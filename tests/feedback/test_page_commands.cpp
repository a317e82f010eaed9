#include <QCheckBox>
#include <QPlainTextEdit>
#include <QtTest>

#include "feedback_session.h"
#include "mainwindow/main_window_texts.h"
#include "study/feedback_window.h"
#include "study/page_commands.h"

using quorvex::mainwindow::MainWindow;
using quorvex::study::FeedbackWindow;
using quorvex::testing::FeedbackSession;

namespace {

const QString kFavourites = QStringLiteral("收 藏 试 题");

FeedbackWindow* feedbackWindow(const MainWindow& window) {
    return window.pageCommands()->feedbackWindow();
}

// "id:open|closed:caption" of the answer block and show-answer button of each question.
QString answerStates(quorvex::study::PageView& view, const QList<int>& ids) {
    QStringList states;
    for (const int id : ids) {
        const QString q = QString::number(id);
        const QVariant state = view.runScript(
            QStringLiteral("(function () { var a = document.getElementById('ansnote%1');"
                           " var b = document.getElementById('xs%1');"
                           " return (a.style.display === 'none' ? 'closed' : 'open') + ':' + b.value; })();")
                .arg(q));
        states << q + QLatin1Char(':') + state.toString();
    }
    return states.join(QLatin1Char(','));
}

QString pageText(quorvex::study::PageView& view) {
    return view.runScript(QStringLiteral("document.body.innerText")).toString();
}

}  // namespace

class TestPageCommands : public QObject {
    Q_OBJECT

  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

  private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(quorvex::mainwindow::kApplicationTitle); }

    // Addresses as the main page view hands them on. Every one is refused while the page is complete
    // (and marks skipActivateReload); only a whole-number id is acted on.
    void commandAddresses_data() {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<int>("pageReady");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("favourites");
        QTest::addColumn<QString>("reported");  // the question in the feedback window, if one opened
        const QString added = QStringLiteral("收藏成功！");
        const QString removed = QStringLiteral("取消收藏！");
        QTest::newRow("toggle 123") << QStringList{"http://scbt123/"} << 1 << QStringList{added}
                                    << QStringList{"123"} << QString();
        QTest::newRow("toggle twice") << QStringList{"http://scbt123/", "http://scbt123/"} << 1
                                      << QStringList{added, removed} << QStringList{} << QString();
        QTest::newRow("id above 10000") << QStringList{"http://scbt12345/"} << 1 << QStringList{added}
                                        << QStringList{"12345"} << QString();
        QTest::newRow("statement in the address")
            << QStringList{"http://scbt1%20or%201=1/"} << 1 << QStringList{} << QStringList{} << QString();
        QTest::newRow("letters") << QStringList{"http://scbtabc/"} << 1 << QStringList{} << QStringList{}
                                 << QString();
        QTest::newRow("no such question") << QStringList{"http://scbt999/", "http://ctfk999/"} << 1
                                          << QStringList{} << QStringList{} << QString();
        QTest::newRow("neither word") << QStringList{"http://www.example.com/", "file:///etc/passwd"} << 1
                                      << QStringList{} << QStringList{} << QString();
        QTest::newRow("report") << QStringList{"http://ctfk123/"} << 1 << QStringList{} << QStringList{}
                                << QStringLiteral("123");
        QTest::newRow("report with a bad id")
            << QStringList{"http://ctfk12x/"} << 1 << QStringList{} << QStringList{} << QString();
        QTest::newRow("page being written: nothing recognised")
            << QStringList{"http://scbt123/", "http://ctfk123/"} << 0 << QStringList{} << QStringList{}
            << QString();
    }
    void commandAddresses() {
        QFETCH(QStringList, addresses);
        QFETCH(int, pageReady);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, favourites);
        QFETCH(QString, reported);
        FeedbackSession session;
        MainWindow& window = session.show();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(123));
        session.dialogs.clear();
        window.state().pageReady = pageReady;
        window.state().skipActivateReload = 0;

        for (const QString& address : addresses) {
            QCOMPARE(window.handlePageCommand(address), pageReady == 1);
        }
        QCOMPARE(window.state().skipActivateReload, pageReady);
        QCOMPARE(session.dialogs.texts(), messages);
        QCOMPARE(session.favourites(), favourites);
        FeedbackWindow* feedback = feedbackWindow(window);
        QCOMPARE(feedback != nullptr && feedback->isVisible(), !reported.isEmpty());
        if (feedback != nullptr) {
            QCOMPARE(feedback->feedbackQuestionId(), reported);
        }
        // The page stays as it was.
        QVERIFY(session.pageShows(123) && session.pageShows(7));
        QVERIFY(!window.connection().isOpen());
    }

    // The favourite button on the page, clicked as the user does: the mark, the message and the caption
    // the page script flips.
    void favouriteButtonOnThePage() {
        FeedbackSession session;
        MainWindow& window = session.show();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(12345));
        session.dialogs.clear();
        const QString caption = QStringLiteral(
            "Array.prototype.map.call(document.querySelectorAll('input[name=tolvanescbt]'),"
            " function (b) { return b.value; }).join(',')");

        QVERIFY(session.clickQuestionButton(QStringLiteral("tolvanescbt"), 12345));
        QTRY_COMPARE(session.dialogs.texts(), QStringList{QStringLiteral("收藏成功！")});
        QCOMPARE(session.favourites(), QStringList{"12345"});
        QCOMPARE(session.page().runScript(caption).toString(), QStringLiteral("收藏本题,取消收藏,收藏本题"));
        QCOMPARE(window.state().skipActivateReload, 1);

        QVERIFY(session.clickQuestionButton(QStringLiteral("tolvanescbt"), 12345));
        QTRY_COMPARE(session.dialogs.texts().size(), 2);
        QCOMPARE(session.dialogs.texts().at(1), QStringLiteral("取消收藏！"));
        QCOMPARE(session.favourites(), QStringList{});
        QCOMPARE(session.page().runScript(caption).toString(), QStringLiteral("收藏本题,收藏本题,收藏本题"));
    }

    // In the favourites view a toggle rebuilds the view: the removed question leaves the page.
    void favouritesViewIsRebuilt() {
        FeedbackSession session;
        session.runStatement(QStringLiteral("update question set scbt='1' where id in (123, 7, 20001)"));
        MainWindow& window = session.show();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(12345));
        window.showFavouritesView();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(123));
        QVERIFY(session.pageShows(7) && !session.pageShows(12345));
        session.dialogs.clear();

        QVERIFY(session.clickQuestionButton(QStringLiteral("tolvanescbt"), 123));
        QTRY_VERIFY(window.state().pageReady == 1 && !session.pageShows(123));
        QVERIFY(session.pageShows(7));
        QCOMPARE(session.dialogs.texts(), QStringList{QStringLiteral("取消收藏！")});
        QCOMPARE(window.viewCaption(), kFavourites);
        QCOMPARE(session.favourites(), QStringList({"7", "20001"}));
    }

    // Removing the last favourite there: the view has nothing left to show and stays as it was.
    void lastFavouriteRemovedInFavouritesView() {
        FeedbackSession session;
        session.runStatement(QStringLiteral("update question set scbt='1' where id=123"));
        MainWindow& window = session.show();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(12345));
        window.showFavouritesView();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(123) && !session.pageShows(12345));
        session.dialogs.clear();

        QVERIFY(session.clickQuestionButton(QStringLiteral("tolvanescbt"), 123));
        QTRY_COMPARE(session.dialogs.texts(),
                     QStringList({QStringLiteral("取消收藏！"), QStringLiteral("您没有收藏试题！")}));
        QCOMPARE(window.viewCaption(), kFavourites);
        QVERIFY(session.pageShows(123));
        QCOMPARE(session.favourites(), QStringList{});
        QCOMPARE(window.state().pageReady, 1);
    }

    // Show all opens only the answers still closed, whatever the question's id; hide all the reverse.
    // The two buttons take turns in one place.
    void showAndHideAllAnswers() {
        FeedbackSession session;
        MainWindow& window = session.show();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(12345));
        QAbstractButton* show = session.button("showAnswersButton");
        QAbstractButton* hide = session.button("hideAnswersButton");
        QVERIFY(show->isVisible() && hide->isHidden());
        const QList<int> ids = {123, 12345, 7};

        QVERIFY(session.clickQuestionButton(QStringLiteral("tolvanexsda"), 7));
        QCOMPARE(answerStates(session.page(), ids),
                 QStringLiteral("123:closed:显示答案,12345:closed:显示答案,7:open:隐藏答案"));
        show->click();
        QCOMPARE(answerStates(session.page(), ids),
                 QStringLiteral("123:open:隐藏答案,12345:open:隐藏答案,7:open:隐藏答案"));
        QVERIFY(show->isHidden() && hide->isVisible());
        QCOMPARE(window.state().pageReady, 1);

        QVERIFY(session.clickQuestionButton(QStringLiteral("tolvanexsda"), 12345));
        hide->click();
        QCOMPARE(answerStates(session.page(), ids),
                 QStringLiteral("123:closed:显示答案,12345:closed:显示答案,7:closed:显示答案"));
        QVERIFY(show->isVisible() && hide->isHidden());
        QCOMPARE(window.state().pageReady, 1);
        QVERIFY(session.dialogs.entries.isEmpty());
    }

    // The feedback page: the one question numbered 1 (1.1 in a case or shared-option group), its options,
    // its answer open, no buttons; the main page back at zoom level 1.
    void feedbackPage_data() {
        QTest::addColumn<qint64>("questionId");
        QTest::addColumn<QStringList>("pieces");  // in page order
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QString>("answer");
        QTest::newRow("single question")
            << qint64(12345)
            << QStringList{"A1型题", "1. 下列属于生物因素的是", "A:紫外线", "B:炭疽杆菌", "正确答案：B"}
            << QStringLiteral("下列属于生物因素的是") << QStringLiteral("B");
        QTest::newRow("second question of a case")
            << qint64(20002)
            << QStringList{"A3/A4型题", "1.患者，男，45岁", "1.1. 诊断最需要的检查是", "A:高千伏胸片",
                           "正确答案：A"}
            << QStringLiteral("诊断最需要的检查是") << QStringLiteral("A");
        QTest::newRow("shared-option question")
            << qint64(30001)
            << QStringList{"B型题", "1.A．铅", "1.1.", "可引起再生障碍性贫血的是", "正确答案：B"}
            << QStringLiteral("可引起再生障碍性贫血的是") << QStringLiteral("B");
    }
    void feedbackPage() {
        QFETCH(qint64, questionId);
        QFETCH(QStringList, pieces);
        QFETCH(QString, stem);
        QFETCH(QString, answer);
        FeedbackSession session;
        MainWindow& window = session.show();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(123));
        session.page().setZoomLevel(3);

        QVERIFY(window.handlePageCommand(QStringLiteral("http://ctfk%1/").arg(questionId)));
        FeedbackWindow* feedback = feedbackWindow(window);
        QVERIFY(feedback != nullptr && feedback->isVisible());
        QVERIFY(!feedback->isModal());
        QCOMPARE(feedback->windowTitle(), QStringLiteral("错题反馈"));
        QCOMPARE(feedback->feedbackQuestionId(), QString::number(questionId));
        QCOMPARE(feedback->feedbackQuestionText(), stem);

        const QString text = pageText(*feedback->pageView()).replace(QChar(0xa0), QLatin1Char(' '));
        qsizetype at = 0;
        for (const QString& piece : pieces) {
            const qsizetype found = text.indexOf(piece, at);
            QVERIFY2(found >= 0,
                     qPrintable(QStringLiteral("%1 not after %2 in: %3").arg(piece).arg(at).arg(text)));
            at = found + piece.size();
        }
        const QString block = QStringLiteral("ansnote") + QString::number(questionId);
        QCOMPARE(feedback->pageView()
                     ->runScript(
                         QStringLiteral("getComputedStyle(document.getElementById('%1')).display").arg(block))
                     .toString(),
                 QStringLiteral("block"));
        QCOMPARE(feedback->pageView()->readControls({block}).value(block).value, answer);
        QCOMPARE(feedback->pageView()->runScript(
                     QStringLiteral("document.querySelectorAll('input[type=button]').length")),
                 QVariant(0));
        QVERIFY(!text.contains(QStringLiteral("答案解析")));
        QCOMPARE(session.page().zoomFactor(), 1.0);
        QVERIFY(session.pageShows(123));
        QVERIFY(!window.connection().isOpen());
    }

    // The report button on the page opens the window; a second report empties and refills the same
    // window; "取 消" closes it without a word.
    void secondReportRefillsTheWindow() {
        FeedbackSession session;
        MainWindow& window = session.show();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(123));
        session.dialogs.clear();

        QVERIFY(session.clickQuestionButton(QStringLiteral("tolvanectfk"), 123));
        QTRY_VERIFY(feedbackWindow(window) != nullptr && feedbackWindow(window)->isVisible());
        FeedbackWindow* feedback = feedbackWindow(window);
        QCOMPARE(feedback->feedbackQuestionId(), QStringLiteral("123"));
        QVERIFY(pageText(*feedback->pageView()).contains(QStringLiteral("下列属于物理因素的是")));
        feedback->problemBox(0)->setChecked(true);
        feedback->problemBox(9)->setChecked(true);
        feedback->descriptionEdit()->setPlainText(QStringLiteral("第一份说明"));
        QCOMPARE(window.state().skipActivateReload, 1);

        QVERIFY(session.clickQuestionButton(QStringLiteral("tolvanectfk"), 12345));
        QTRY_COMPARE(feedback->feedbackQuestionId(), QStringLiteral("12345"));
        QCOMPARE(feedbackWindow(window), feedback);
        QVERIFY(feedback->isVisible());
        for (int i = 0; i < 10; ++i) {
            QVERIFY2(!feedback->problemBox(i)->isChecked(), qPrintable(feedback->problemBox(i)->text()));
        }
        QVERIFY(feedback->descriptionEdit()->toPlainText().isEmpty());
        const QString text = pageText(*feedback->pageView());
        QVERIFY(text.contains(QStringLiteral("下列属于生物因素的是")));
        QVERIFY(!text.contains(QStringLiteral("下列属于物理因素的是")));

        feedback->findChild<QAbstractButton*>(QStringLiteral("cancelButton"))->click();
        QVERIFY(!feedback->isVisible());
        QVERIFY(session.dialogs.entries.isEmpty());
    }

    // The window's labels and boxes, left column first.
    void feedbackWindowLayout() {
        FeedbackSession session;
        MainWindow& window = session.show();
        QTRY_VERIFY(window.state().pageReady == 1 && session.pageShows(123));
        QVERIFY(window.handlePageCommand(QStringLiteral("http://ctfk7/")));
        FeedbackWindow* feedback = feedbackWindow(window);
        QVERIFY(feedback != nullptr);
        QCOMPARE(feedback->size(), QSize(1005, 557));
        const QStringList labels = {"试题图片不显示",     "试题不在考试大纲范围内", "试题不属于本学科",
                                    "试题过于陈旧",       "试题有错别字",           "解题思路与题干不符",
                                    "解题思路图片不显示", "解题思路与答案相互矛盾", "解题思路有错别字",
                                    "试题与其他试题重复"};
        for (int i = 0; i < 10; ++i) {
            QCheckBox* box = feedback->problemBox(i);
            QCOMPARE(box->text(), labels.at(i));
            // Boxes 1-5 on the left, 6-10 on the right, each column top to bottom.
            const QPoint at = box->mapTo(feedback, QPoint(0, 0));
            if (i % 5 != 0) {
                QVERIFY(at.y() > feedback->problemBox(i - 1)->mapTo(feedback, QPoint(0, 0)).y());
            }
            if (i >= 5) {
                QVERIFY(at.x() > feedback->problemBox(i - 5)->mapTo(feedback, QPoint(0, 0)).x());
            }
        }
        QCOMPARE(feedback->findChild<QAbstractButton*>(QStringLiteral("sendButton"))->text(),
                 QStringLiteral("确 定"));
        QCOMPARE(feedback->findChild<QAbstractButton*>(QStringLiteral("cancelButton"))->text(),
                 QStringLiteral("取 消"));
        QCOMPARE(feedback->descriptionEdit()->size(), QSize(489, 113));
        QCOMPARE(feedback->pageView()->size(), QSize(978, 285));
        // Above the main window, not inside it.
        QVERIFY(feedback->isWindow());
        QCOMPARE(feedback->parentWidget(), &window);
    }
};

QTEST_MAIN(TestPageCommands)
#include "test_page_commands.moc"
