#include <QAbstractButton>
#include <QDialog>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "mainwindow/main_window.h"
#include "scripted_dialogs.h"
#include "store/connection.h"
#include "study/page_view.h"
#include "study/study_view.h"
#include "test_program_folder.h"

using quorvex::mainwindow::MainWindow;
using quorvex::testing::ScriptedDialogs;
using quorvex::testing::TestProgramFolder;

namespace {

// The small bank's tree: 0 基础知识, 1 第一篇, 2 第一章 (questions 1-3), 3 第二章 (case 4-6, matching 7-8),
// 4 第二篇 (no chapters), 5 相关专业知识 (no sections).
struct Session {
    Session() : folder(quorvex::testing::smallBankJson()) {}

    MainWindow& show() {
        window = std::make_unique<MainWindow>(folder.path(), dialogs);
        window->setModalRunner([this](QDialog& dialog) {
            shownDialogs << dialog.objectName();
            return int(QDialog::Accepted);
        });
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            qWarning("main window not exposed");
        }
        waitForPage();
        return *window;
    }
    void waitForPage() {
        QTRY_VERIFY(window->state().pageReady == 1 && !window->isBuildingPage());
        QTest::qWait(20);
        QTRY_VERIFY(window->state().pageReady == 1 && !window->isBuildingPage());
    }
    void mark(const QString& field, const QString& ids) {
        quorvex::store::Connection connection(quorvex::store::connectionStringFor(folder.path()));
        connection.execute(QStringLiteral("update question set ") + field +
                           QStringLiteral("='1' where id in (") + ids + QStringLiteral(")"));
    }
    // The text of a stem span, or "" when the page has none.
    QString stem(int questionId) const {
        return window->pageView()
            ->runScript(
                QStringLiteral(
                    "(function(){var e=document.getElementById('fan%1');return e?e.textContent:'';})()")
                    .arg(questionId))
            .toString();
    }
    QStringList treeCaptions() const {
        QStringList captions;
        for (int k = 0; k < window->nodeCount(); ++k) {
            captions << window->nodeAt(k)->text(0);
        }
        return captions;
    }
    bool buttonVisible(const char* name) const {
        return !window->findChild<QAbstractButton*>(QString::fromLatin1(name))->isHidden();
    }

    TestProgramFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    QStringList shownDialogs;
};

}  // namespace

class TestChapterViews : public QObject {
    Q_OBJECT
  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

  private Q_SLOTS:
    void startOpensTheFirstChapter() {
        Session session;
        MainWindow& window = session.show();
        QCOMPARE(window.chapterTree()->currentItem(), window.nodeAt(2));
        QCOMPARE(window.state().currentTreeId, QStringLiteral("3"));
        QCOMPARE(session.stem(1), QStringLiteral("1. 下列属于职业性有害因素中物理因素的是"));
        QCOMPARE(session.stem(3), QStringLiteral("3. 下列属于化学性有害因素的有"));
        QCOMPARE(window.state().questionNo, 4);
    }

    void caseAndMatchingNumbering() {
        Session session;
        MainWindow& window = session.show();
        window.openChapter(window.nodeAt(3));
        session.waitForPage();
        QCOMPARE(window.state().currentTreeId, QStringLiteral("4"));
        QCOMPARE(session.stem(4), QStringLiteral("1.1. 最可能的诊断是"));
        QCOMPARE(session.stem(6), QStringLiteral("1.3. 应采取的措施有"));
        QCOMPARE(session.stem(7), QStringLiteral("可引起再生障碍性贫血的是"));
        const QString matching =
            window.pageView()
                ->runScript(QStringLiteral("document.getElementById('a7').parentNode.innerHTML"))
                .toString();
        QVERIFY2(matching.contains(QStringLiteral("2.1.")), qPrintable(matching));
        QVERIFY(session.stem(1).isEmpty());
    }

    void nodesWithoutAPage_data() {
        QTest::addColumn<int>("node");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("a section without chapters") << 4 << QStringList{QStringLiteral("本章节无试题!")};
        QTest::newRow("a root") << 0 << QStringList{};
        QTest::newRow("a section with chapters") << 1 << QStringList{};
        QTest::newRow("a root without sections") << 5 << QStringList{};
    }
    void nodesWithoutAPage() {
        QFETCH(int, node);
        QFETCH(QStringList, messages);
        Session session;
        MainWindow& window = session.show();
        window.findChild<QAbstractButton*>(QStringLiteral("showAnswersButton"))->hide();
        window.findChild<QAbstractButton*>(QStringLiteral("hideAnswersButton"))->show();
        window.openChapter(window.nodeAt(node));
        session.waitForPage();
        QCOMPARE(session.dialogs.texts(), messages);
        // Nothing is built: the first chapter's page stays.
        QCOMPARE(session.stem(1), QStringLiteral("1. 下列属于职业性有害因素中物理因素的是"));
        QCOMPARE(window.state().pageReady, 1);
        QCOMPARE(session.buttonVisible("showAnswersButton"), messages.isEmpty());
    }

    void emptyFilteredViewsChangeNothing_data() {
        QTest::addColumn<bool>("wrongQuestions");
        QTest::addColumn<QString>("message");
        QTest::newRow("favourites") << false << "您没有收藏试题！";
        QTest::newRow("wrong questions") << true << "您没有错题！";
    }
    void emptyFilteredViewsChangeNothing() {
        QFETCH(bool, wrongQuestions);
        QFETCH(QString, message);
        Session session;
        MainWindow& window = session.show();
        const QStringList tree = session.treeCaptions();
        if (wrongQuestions) {
            window.findChild<QAbstractButton*>(QStringLiteral("wrongQuestionsButton"))->click();
            QCOMPARE(session.shownDialogs, QStringList{QStringLiteral("WrongBankManager")});
        } else {
            window.findChild<QAbstractButton*>(QStringLiteral("favouritesButton"))->click();
        }
        QCOMPARE(session.dialogs.texts(), QStringList{message});
        QCOMPARE(window.viewCaption(), quorvex::study::kStartCaption);
        QCOMPARE(session.treeCaptions(), tree);
        QCOMPARE(session.stem(1), QStringLiteral("1. 下列属于职业性有害因素中物理因素的是"));
    }

    void filteredViewsListOnlyMarkedChapters_data() {
        QTest::addColumn<bool>("wrongQuestions");
        QTest::newRow("favourites") << false;
        QTest::newRow("wrong questions") << true;
    }
    void filteredViewsListOnlyMarkedChapters() {
        QFETCH(bool, wrongQuestions);
        Session session;
        session.mark(wrongQuestions ? QStringLiteral("ct") : QStringLiteral("scbt"), QStringLiteral("5"));
        MainWindow& window = session.show();
        if (wrongQuestions) {
            window.openWrongQuestionBank();
        } else {
            window.showFavouritesView();
        }
        session.waitForPage();
        const QString caption =
            wrongQuestions ? quorvex::study::kWrongQuestionsCaption : quorvex::study::kFavouritesCaption;
        QCOMPARE(window.viewCaption(), caption);
        QCOMPARE(window.visibleViewTitle(), caption);
        // Sections stay even without listed chapters; only the marked chapter is listed.
        QCOMPARE(session.treeCaptions(), (QStringList{"基础知识", "第一篇 职业卫生概论", "第二章 职业病诊断",
                                                      "第二篇 职业卫生法规", "相关专业知识"}));
        QCOMPARE(window.state().nodeTreeIds, (QVector<int>{0, 0, 4, 0, 0}));
        // The third node is opened: the case's stem and its one marked question, numbered 1.
        QCOMPARE(session.stem(5), QStringLiteral("1.1. 诊断最需要的检查是"));
        QVERIFY(session.stem(4).isEmpty());
        QVERIFY(session.stem(7).isEmpty());
        QVERIFY(session.buttonVisible("showAnswersButton"));
        QVERIFY(session.buttonVisible("handInButton"));

        window.showExerciseView();
        session.waitForPage();
        QCOMPARE(window.viewCaption(), quorvex::study::kExerciseCaption);
        QCOMPARE(window.nodeCount(), 6);
        QCOMPARE(session.stem(1), QStringLiteral("1. 下列属于职业性有害因素中物理因素的是"));
    }

    // A click that arrives while a page is being built waits for it; only the latest one runs after.
    void aClickDuringABuildIsQueued() {
        Session session;
        MainWindow& window = session.show();
        bool sawBuild = false;
        QTimer::singleShot(0, &window, [&] {
            sawBuild = window.isBuildingPage();
            window.openChapter(window.nodeAt(2));
            window.openChapter(window.nodeAt(3));
        });
        window.openChapter(window.nodeAt(2));
        QVERIFY(sawBuild);
        session.waitForPage();
        QTRY_COMPARE(window.state().currentTreeId, QStringLiteral("4"));
        session.waitForPage();
        QCOMPARE(session.stem(4), QStringLiteral("1.1. 最可能的诊断是"));
        QVERIFY(session.stem(1).isEmpty());
        // One whole page: the case heading once.
        QCOMPARE(window.pageView()
                     ->runScript(QStringLiteral("document.querySelectorAll('body > b').length"))
                     .toInt(),
                 2);
    }
};

QTEST_MAIN(TestChapterViews)
#include "test_chapter_views.moc"
