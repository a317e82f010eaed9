#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "mainwindow/main_window.h"
#include "mainwindow/main_window_texts.h"
#include "scripted_dialogs.h"
#include "store/connection.h"
#include "test_program_folder.h"

using quorvex::UserDialogs;
using quorvex::mainwindow::MainWindow;
using quorvex::testing::ScriptedDialogs;
using quorvex::testing::TestProgramFolder;

namespace {

// Bank sources written for these tests. Tree nodes carry explicit ids (not in walk order), so that a
// wrong id in nodeTreeIds shows.
QString chapter(int id, const QString& name) {
    return QStringLiteral(R"({"id": %1, "name": "%2", "groups": [{"qtype": 3, "questions": [
        {"content": "%2 题干", "options": ["甲", "乙", "丙"], "answer": "B", "explain": "解析"}]}]})")
        .arg(id)
        .arg(name);
}

QString node(int id, const QString& name, const QStringList& children) {
    return QStringLiteral(R"({"id": %1, "name": "%2", "children": [%3]})")
        .arg(id)
        .arg(name, children.join(','));
}

QByteArray bankJson(const QStringList& roots, const QString& count = QStringLiteral("1200")) {
    return QStringLiteral(R"({"format": "quorvex-bank/1",
        "subject": {"name": "职业病", "code": "zyb", "count": "%1"},
        "qtypes": [{"id": 3, "code": 1, "title": "A1型题：单句型最佳选择题"}],
        "examSettings": [30, 10, 2, 2],
        "tree": [%2]})")
        .arg(count, roots.join(','))
        .toUtf8();
}

// Root 内科学 (100): section 基础知识 (110) with chapters 131 and 117, section 相关专业知识 (120) without
// chapters; root 外科学 (200) without sections.
QByteArray mainBank() {
    return bankJson({node(100, QStringLiteral("内科学"),
                          {node(110, QStringLiteral("基础知识"),
                                {chapter(131, QStringLiteral("第一章 呼吸系统")),
                                 chapter(117, QStringLiteral("第二章 循环系统"))}),
                           node(120, QStringLiteral("相关专业知识"), {})}),
                     node(200, QStringLiteral("外科学"), {})},
                    QStringLiteral("1,200 题（含 A3/A4）"));
}

// The tree as "level:caption:treeId" per node, in absolute index order.
QStringList treeRows(const MainWindow& window) {
    QStringList rows;
    for (int k = 0; k < window.nodeCount(); ++k) {
        const QTreeWidgetItem* item = window.nodeAt(k);
        rows << QStringLiteral("%1:%2:%3")
                    .arg(MainWindow::nodeLevel(item))
                    .arg(item->text(0))
                    .arg(window.state().nodeTreeIds.value(k, -1));
    }
    return rows;
}

void runStatement(const TestProgramFolder& folder, const QString& sql) {
    quorvex::store::Connection connection(quorvex::store::connectionStringFor(folder.path()));
    connection.execute(sql);
    connection.close();
}

// A program folder, the scripted dialogs and the window on them.
struct Session {
    explicit Session(const QByteArray& bankSource) : folder(bankSource) {}

    MainWindow& create() {
        window = std::make_unique<MainWindow>(folder.path(), dialogs);
        return *window;
    }
    // Shows the window (the tree build) and lets the activation that follows run.
    MainWindow& show() {
        if (!window) {
            create();
        }
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            qWarning("main window not exposed");
        }
        settle();
        return *window;
    }
    static void settle() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            QTest::qWait(10);
        }
    }

    TestProgramFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

  private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(quorvex::mainwindow::kApplicationTitle); }

    void startupReadsSubjectAndCount() {
        Session session(mainBank());
        MainWindow& window = session.create();

        QCOMPARE(window.titleText(), QStringLiteral("Quorvex 中级职称  职业病"));
        QCOMPARE(window.windowTitle(), window.titleText());
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("titleLabel"))->text(), window.titleText());
        QCOMPARE(window.statusPanelText(0), QStringLiteral("试题量：1,200 题（含 A3/A4）"));
        QCOMPARE(window.statusPanelText(1), quorvex::mainwindow::kContactLine);
        QCOMPARE(window.subjectCode(), QStringLiteral("zyb"));
        QCOMPARE(window.updateIniUrl(), QStringLiteral("http://update.quorvex.cn/radazir/zyb/Predate.ini"));
        QVERIFY(!window.startupFailure());
        QVERIFY(session.dialogs.entries.isEmpty());
        // The view caption and the visible title differ until the first view switch.
        QCOMPARE(window.viewCaption(), QStringLiteral("高 级 试 题"));
        QCOMPARE(window.visibleViewTitle(), QStringLiteral("习 题 集"));
        QCOMPARE(window.state().pageReady, 0);
        QVERIFY(!window.state().textSizeStep.has_value());
        QVERIFY(!window.connection().isOpen());
    }

    void showBuildsTreeAndActivationOpensNodeTwo() {
        Session session(mainBank());
        MainWindow& window = session.create();
        window.state().enteringExamRoom = 1;
        window.state().wasMaximizedBeforeFullScreen = 1;
        QSignalSpy opened(&window, &MainWindow::firstChapterOpened);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        session.show();

        QCOMPARE(treeRows(window), QStringList({
                                       QStringLiteral("0:内科学:0"),
                                       QStringLiteral("1:基础知识:0"),
                                       QStringLiteral("2:第一章 呼吸系统:131"),
                                       QStringLiteral("2:第二章 循环系统:117"),
                                       QStringLiteral("1:相关专业知识:0"),
                                       QStringLiteral("0:外科学:0"),
                                   }));
        QCOMPARE(window.chapterTree()->topLevelItemCount(), 2);
        QCOMPARE(window.nodeAt(4)->childCount(), 0);
        QCOMPARE(MainWindow::nodeIndex(window.nodeAt(3)), 3);
        QCOMPARE(window.state().layoutStamp, 488);
        QCOMPARE(window.gradeButton()->x(), 488);
        QVERIFY(window.gradeButton()->isHidden());
        QCOMPARE(window.state().enteringExamRoom, 0);
        QCOMPARE(window.state().wasMaximizedBeforeFullScreen, 0);

        const QString stamp = window.statusPanelText(2);
        QVERIFY2(stamp.startsWith(QStringLiteral("现在的日期和时间是： ")), qPrintable(stamp));
        const QDateTime built = QDateTime::fromString(stamp.mid(stamp.indexOf(QLatin1Char(' ')) + 1),
                                                      QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QVERIFY2(built.isValid() && built >= before && built <= QDateTime::currentDateTime(),
                 qPrintable(stamp));

        // Showing the window activates it: node 2 is opened, every node expanded.
        QTRY_COMPARE(opened.count(), 1);
        QCOMPARE(window.chapterTree()->currentItem(), window.nodeAt(2));
        QVERIFY(window.nodeAt(0)->isExpanded() && window.nodeAt(1)->isExpanded());
        QCOMPARE(window.state().textSizeStep, std::optional<int>(2));
        QCOMPARE(window.state().skipActivateReload, 0);
        QVERIFY(!window.connection().isOpen());
        QVERIFY(session.dialogs.entries.isEmpty());
    }

    // The tree lists every root and section, and the chapters the view lets through.
    void treeFollowsView_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("chapterIds");
        QTest::newRow("start caption: every chapter")
            << QStringLiteral("高 级 试 题") << QStringList{"131", "117"};
        QTest::newRow("exercise") << QStringLiteral("习 题 集") << QStringList{"131", "117"};
        QTest::newRow("favourites") << QStringLiteral("收 藏 试 题") << QStringList{"117"};
        QTest::newRow("wrong questions") << QStringLiteral("错 题 题 库") << QStringList{"131"};
        QTest::newRow("caption without its spaces is the exercise view")
            << QStringLiteral("收藏试题") << QStringList{"131", "117"};
    }
    void treeFollowsView() {
        QFETCH(QString, caption);
        QFETCH(QStringList, chapterIds);
        Session session(mainBank());
        // Chapter marks: 117 holds favourites, 131 wrong questions; "0" and "" are not marks.
        runStatement(session.folder, QStringLiteral("update tree set scbt='1', ct='0' where id=117"));
        runStatement(session.folder, QStringLiteral("update tree set ct='1', scbt='' where id=131"));
        MainWindow& window = session.create();
        window.setViewTitle(caption);
        QCOMPARE(window.visibleViewTitle(), caption);
        window.buildTree();

        QStringList ids;
        QStringList skeleton;
        for (int k = 0; k < window.nodeCount(); ++k) {
            const int id = window.state().nodeTreeIds.at(k);
            if (id != 0) {
                ids << QString::number(id);
                QCOMPARE(MainWindow::nodeLevel(window.nodeAt(k)), 2);
            } else {
                skeleton << window.nodeAt(k)->text(0);
            }
        }
        QCOMPARE(ids, chapterIds);
        // Sections stay even when the view leaves them without chapters.
        QCOMPARE(skeleton, QStringList({"内科学", "基础知识", "相关专业知识", "外科学"}));
    }

    void activationRules_data() {
        QTest::addColumn<int>("skipActivateReload");
        QTest::addColumn<int>("buttonShift");
        QTest::addColumn<bool>("reopens");
        QTest::newRow("plain activation reopens node 2") << 0 << 0 << true;
        QTest::newRow("skipActivateReload keeps the page") << 1 << 0 << false;
        QTest::newRow("moved grading button stops reopening") << 0 << 300 << false;
        QTest::newRow("skip and moved button") << 1 << 300 << false;
    }
    void activationRules() {
        QFETCH(int, skipActivateReload);
        QFETCH(int, buttonShift);
        QFETCH(bool, reopens);
        Session session(mainBank());
        MainWindow& window = session.show();
        // The user has moved on to another node since start.
        window.chapterTree()->setCurrentItem(window.nodeAt(3));
        window.state().textSizeStep.reset();
        window.state().skipActivateReload = skipActivateReload;
        window.gradeButton()->move(window.gradeButton()->x() + buttonShift, window.gradeButton()->y());
        QSignalSpy opened(&window, &MainWindow::firstChapterOpened);

        window.openFirstChapter();

        QCOMPARE(window.chapterTree()->currentItem(), window.nodeAt(reopens ? 2 : 3));
        QCOMPARE(opened.count(), reopens ? 1 : 0);
        QCOMPARE(window.state().textSizeStep.has_value(), reopens);
        QCOMPARE(window.state().skipActivateReload, 0);

        // The next tree build takes the button's place as the new stamp: activation reopens again.
        window.buildTree();
        QCOMPARE(window.state().layoutStamp, 488 + buttonShift);
        window.openFirstChapter();
        QCOMPARE(window.chapterTree()->currentItem(), window.nodeAt(2));
    }

    // The focus coming back from a modal window of the program reopens node 2; coming back from another
    // application, or from a window that stays open beside the main window (the error feedback), keeps
    // the page.
    void activationFromOwnWindowsOnly_data() {
        QTest::addColumn<bool>("modal");
        QTest::newRow("a modal dialog") << true;
        QTest::newRow("a window beside the main window") << false;
    }
    void activationFromOwnWindowsOnly() {
        QFETCH(bool, modal);
        Session session(mainBank());
        MainWindow& window = session.show();
        QTRY_COMPARE(window.chapterTree()->currentItem(), window.nodeAt(2));

        window.chapterTree()->setCurrentItem(window.nodeAt(3));
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&window);
        Session::settle();
        QCOMPARE(window.chapterTree()->currentItem(), window.nodeAt(3));

        QDialog dialog(&window);
        dialog.setModal(modal);
        dialog.show();
        QTRY_VERIFY(dialog.isActiveWindow());
        dialog.close();
        QApplication::setActiveWindow(&window);
        if (modal) {
            QTRY_COMPARE(window.chapterTree()->currentItem(), window.nodeAt(2));
        } else {
            Session::settle();
            QCOMPARE(window.chapterTree()->currentItem(), window.nodeAt(3));
        }
    }

    // Node 2 is whatever the walk puts third; a smaller tree opens nothing, without a word.
    void activationOnSmallTrees_data() {
        QTest::addColumn<QByteArray>("bank");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("nodes");
        QTest::addColumn<QString>("nodeTwo");
        QTest::newRow("no roots") << mainBank() << QStringLiteral("update tree set code=0") << 0 << QString();
        QTest::newRow("one root") << bankJson({node(1, QStringLiteral("内科学"), {})}) << QString() << 1
                                  << QString();
        QTest::newRow("root and empty section")
            << bankJson({node(1, QStringLiteral("内科学"), {node(2, QStringLiteral("基础知识"), {})})})
            << QString() << 2 << QString();
        QTest::newRow("first section empty: the next section")
            << bankJson({node(1, QStringLiteral("内科学"),
                              {node(2, QStringLiteral("基础知识"), {}),
                               node(3, QStringLiteral("专业知识"), {chapter(4, QStringLiteral("第一章"))})})})
            << QString() << 4 << QStringLiteral("专业知识");
        QTest::newRow("roots without sections: the third root")
            << bankJson({node(1, QStringLiteral("甲"), {}), node(2, QStringLiteral("乙"), {}),
                         node(3, QStringLiteral("丙"), {})})
            << QString() << 3 << QStringLiteral("丙");
    }
    void activationOnSmallTrees() {
        QFETCH(QByteArray, bank);
        QFETCH(QString, statement);
        QFETCH(int, nodes);
        QFETCH(QString, nodeTwo);
        Session session(bank);
        if (!statement.isEmpty()) {
            runStatement(session.folder, statement);
        }
        MainWindow& window = session.show();
        QCOMPARE(window.nodeCount(), nodes);
        window.chapterTree()->setCurrentItem(nullptr);
        window.openFirstChapter();

        QCOMPARE(window.state().skipActivateReload, 0);
        QTreeWidgetItem* current = window.chapterTree()->currentItem();
        QCOMPARE(current ? current->text(0) : QString(), nodeTwo);
        QCOMPARE(window.state().textSizeStep.has_value(), !nodeTwo.isEmpty());
        QVERIFY(session.dialogs.entries.isEmpty());
    }

    void treeGrowsPastThousandNodes() {
        QStringList sections;
        int id = 10;
        for (int s = 0; s < 3; ++s) {
            QStringList chapters;
            for (int c = 0; c < 400; ++c) {
                chapters
                    << QStringLiteral(R"({"id": %1, "name": "第%2章", "groups": []})").arg(++id).arg(c + 1);
            }
            sections << node(++id, QStringLiteral("第%1篇").arg(s + 1), chapters);
        }
        Session session(bankJson({node(1, QStringLiteral("内科学"), sections)}));
        MainWindow& window = session.show();

        QCOMPARE(window.nodeCount(), 1 + 3 + 1200);
        QCOMPARE(window.state().nodeTreeIds.size(), 1204);
        QCOMPARE(window.state().nodeTreeIds.at(1203), 1212);  // the last chapter
        QCOMPARE(window.nodeAt(1203)->text(0), QStringLiteral("第400章"));
    }

    // One message naming the file and the reason; then the design-time texts and an empty tree.
    void startupFailure_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("nodes");
        const QString designTitle = QStringLiteral("Quorvex 中级职称");
        const QString designCount = QStringLiteral("试题量：XXX");
        QTest::newRow("missing file")
            << "remove" << QStringLiteral("文件不存在") << designTitle << designCount << 0;
        QTest::newRow("wrong password") << "other password" << QStringLiteral("密码不对，或者这不是题库文件")
                                        << designTitle << designCount << 0;
        QTest::newRow("foreign file") << "text file" << QStringLiteral("密码不对，或者这不是题库文件")
                                      << designTitle << designCount << 0;
        QTest::newRow("missing table") << "drop table tree" << QStringLiteral("这不是题库：缺少数据表")
                                       << designTitle << designCount << 0;
        QTest::newRow("no subject row") << "delete from kemu" << QStringLiteral("缺少科目或试题量记录")
                                        << designTitle << designCount << 6;
        // What was read before the failure stays.
        QTest::newRow("no count row") << "delete from geshu" << QStringLiteral("缺少科目或试题量记录")
                                      << QStringLiteral("Quorvex 中级职称  职业病") << designCount << 6;
    }
    void startupFailure() {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        QFETCH(QString, title);
        QFETCH(QString, count);
        QFETCH(int, nodes);
        Session session(mainBank());
        const QString path = session.folder.databasePath();
        if (damage == QLatin1String("remove")) {
            QVERIFY(QFile::remove(path));
        } else if (damage == QLatin1String("other password")) {
            QVERIFY(QFile::remove(path));
            quorvex::store::Connection::createDatabase(path, QStringLiteral("not-the-bank-password"));
        } else if (damage == QLatin1String("text file")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray("Standard Jet DB\n").repeated(512));
        } else {
            runStatement(session.folder, damage);
        }

        MainWindow& window = session.create();
        QCOMPARE(session.dialogs.entries.size(), 1);
        const ScriptedDialogs::Entry message = session.dialogs.entries.at(0);
        QCOMPARE(message.kind, ScriptedDialogs::Kind::Message);
        QVERIFY2(message.text.contains(path), qPrintable(message.text));
        QVERIFY2(message.text.contains(reason), qPrintable(message.text));
        QCOMPARE(message.icon, UserDialogs::Icon::Warning);
        QVERIFY(window.startupFailure().has_value());
        QCOMPARE(window.titleText(), title);
        QCOMPARE(window.windowTitle(), title);
        QCOMPARE(window.statusPanelText(0), count);
        QCOMPARE(window.updateIniUrl().isEmpty(), title == QStringLiteral("Quorvex 中级职称"));

        // The tree build and the activations after it add no second message.
        session.show();
        window.openFirstChapter();
        QCOMPARE(session.dialogs.entries.size(), 1);
        QCOMPARE(window.nodeCount(), nodes);
        QVERIFY(!window.connection().isOpen());
        if (damage == QLatin1String("remove")) {
            QVERIFY2(!QFile::exists(path), "opening must not create the missing file");
        }
    }

    // An error in the tree build is shown; the tree stays as far as it was built.
    void treeBuildErrorIsShown() {
        Session session(mainBank());
        MainWindow& window = session.create();
        QVERIFY(session.dialogs.entries.isEmpty());
        // A section whose id is not a number: the walk stops when it reads it.
        runStatement(session.folder, QStringLiteral("update tree set id='x120' where id=120"));
        session.show();

        QCOMPARE(session.dialogs.texts().size(), 1);
        QVERIFY(!session.dialogs.texts().at(0).isEmpty());
        QCOMPARE(treeRows(window).size(), 5);
        QCOMPARE(window.nodeAt(4)->text(0), QStringLiteral("相关专业知识"));
        QVERIFY(!window.connection().isOpen());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
