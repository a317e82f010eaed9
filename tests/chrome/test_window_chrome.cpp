#include <QAbstractButton>
#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "examroom/exam_settings_dialog.h"
#include "maintenance/restore_dialog.h"
#include "mainwindow/main_window.h"
#include "scripted_dialogs.h"
#include "store/connection.h"
#include "study/page_view.h"
#include "test_program_folder.h"

using quorvex::UserDialogs;
using quorvex::mainwindow::MainWindow;
using quorvex::testing::ScriptedDialogs;
using quorvex::testing::TestProgramFolder;

namespace {

struct Session {
    Session() : folder(quorvex::testing::smallBankJson()) {
        window = std::make_unique<MainWindow>(folder.path(), dialogs);
        window->setModalRunner([this](QDialog& dialog) {
            shownDialogs << dialog.objectName();
            return modalAction ? modalAction(dialog) : int(QDialog::Rejected);
        });
        window->setUrlOpener([this](const QUrl& url) { openedUrls << url; });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_COMPARE(window->state().pageReady, 1);
        QTRY_VERIFY(window->state().textSizeStep.has_value());
    }

    QAbstractButton* button(const char* name) const {
        return window->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }
    QString bodyFontSize() const {
        return window->pageView()->runScript(QStringLiteral("document.body.style.fontSize")).toString();
    }

    TestProgramFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    QStringList shownDialogs;
    QList<QUrl> openedUrls;
    std::function<int(QDialog&)> modalAction;
};

}  // namespace

class TestWindowChrome : public QObject {
    Q_OBJECT
  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

  private Q_SLOTS:
    // "+" is the larger button, "-" the smaller; the first chapter's activation leaves step 2.
    void textSize_data() {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("fontSize");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("larger from 2") << "+" << 3 << "17px" << QStringList{};
        QTest::newRow("smaller from 2") << "-" << 1 << "13px" << QStringList{};
        QTest::newRow("nine larger reach 11") << "+++++++++" << 11 << "25px" << QStringList{};
        QTest::newRow("the tenth is refused")
            << "++++++++++" << 12 << "25px" << QStringList{"不能将字体设置过大！"};
        QTest::newRow("smaller at 1 is refused")
            << "--" << 0 << "13px" << QStringList{"不能将字体设置过小！"};
        QTest::newRow("then larger gives 15") << "--+" << 1 << "15px" << QStringList{"不能将字体设置过小！"};
    }
    void textSize() {
        QFETCH(QString, clicks);
        QFETCH(int, step);
        QFETCH(QString, fontSize);
        QFETCH(QStringList, messages);
        Session session;
        for (const QChar click : clicks) {
            session.button(click == QLatin1Char('+') ? "largerTextButton" : "smallerTextButton")->click();
        }
        QCOMPARE(session.window->state().textSizeStep.value_or(-1), step);
        QCOMPARE(session.bodyFontSize(), fontSize);
        QCOMPARE(session.dialogs.texts(), messages);
        QCOMPARE(session.window->state().pageReady, 1);
    }

    void maximizeMovesTheLayoutStamp() {
        Session session;
        const int stamp = session.window->state().layoutStamp;
        QCOMPARE(session.window->gradeButton()->x(), 488);
        QCOMPARE(stamp, 488);
        session.button("maximizeButton")->click();
        QVERIFY(session.window->isMaximized());
        QVERIFY(session.button("maximizeButton")->isHidden());
        QVERIFY(!session.button("restoreButton")->isHidden());
        QCOMPARE(session.window->gradeButton()->x(), session.window->screen()->geometry().width() - 560);

        // Activation no longer reopens the first chapter: the page keeps what the user did.
        session.window->pageView()->runScript(
            QStringLiteral("document.body.setAttribute('data-mark', 'kept')"));
        session.window->openFirstChapter();
        QCOMPARE(
            session.window->pageView()->runScript(QStringLiteral("document.body.getAttribute('data-mark')")),
            QVariant(QStringLiteral("kept")));

        session.button("restoreButton")->click();
        QVERIFY(!session.window->isMaximized());
        QCOMPARE(session.window->gradeButton()->x(), 488);
    }

    void fullScreen_data() {
        QTest::addColumn<bool>("maximizedBefore");
        QTest::newRow("from a restored window") << false;
        QTest::newRow("from a maximized window") << true;
    }
    void fullScreen() {
        QFETCH(bool, maximizedBefore);
        Session session;
        if (maximizedBefore) {
            session.window->toggleMaximized();
        }
        session.button("fullScreenButton")->click();
        QVERIFY(session.window->isMaximized());
        QVERIFY(session.window->findChild<QWidget*>(QStringLiteral("toolBar"))->isHidden());
        QVERIFY(session.window->findChild<QWidget*>(QStringLiteral("leftPane"))->isHidden());
        QVERIFY(session.window->findChild<QWidget*>(QStringLiteral("titleBar"))->isHidden());
        QVERIFY(session.button("fullScreenButton")->isHidden());
        QCOMPARE(session.window->state().wasMaximizedBeforeFullScreen, maximizedBefore ? 1 : 0);

        session.button("windowModeButton")->click();
        QCOMPARE(session.window->isMaximized(), maximizedBefore);
        QVERIFY(!session.window->findChild<QWidget*>(QStringLiteral("toolBar"))->isHidden());
        QVERIFY(!session.button("fullScreenButton")->isHidden());
        QVERIFY(session.button("windowModeButton")->isHidden());
    }

    void leaving_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("OK leaves") << int(UserDialogs::Answer::Ok) << true;
        QTest::newRow("Cancel stays") << int(UserDialogs::Answer::Cancel) << false;
    }
    void leaving() {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        Session session;
        session.dialogs.answers.enqueue(UserDialogs::Answer(answer));
        session.button("closeButton")->click();
        QCOMPARE(session.dialogs.entries.size(), 1);
        QCOMPARE(session.dialogs.entries[0].title, QStringLiteral("提示"));
        QCOMPARE(session.dialogs.entries[0].text, QStringLiteral("确定退出系统？"));
        QCOMPARE(session.dialogs.entries[0].buttons, UserDialogs::Buttons::OkCancel);
        QCOMPARE(session.window->isVisible(), !closed);
        QVERIFY(!session.window->connection().isOpen());
    }

    void examRoomEntry_data() {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<int>("enteringExamRoom");
        QTest::newRow("人机对话, settings closed") << "computerExamButton" << false << 1;
        QTest::newRow("模拟考场, settings closed") << "examRoomButton" << false << 1;
        QTest::newRow("模拟考场, 进 入") << "examRoomButton" << true << 0;
    }
    void examRoomEntry() {
        QFETCH(QString, buttonName);
        QFETCH(bool, enter);
        QFETCH(int, enteringExamRoom);
        Session session;
        session.modalAction = [enter](QDialog& dialog) {
            if (enter) {
                dialog.findChild<QPushButton*>(QStringLiteral("enterButton"))->click();
            }
            return dialog.result();
        };
        session.button(buttonName.toLatin1().constData())->click();
        QCOMPARE(session.shownDialogs, QStringList{QStringLiteral("ExamSettingsDialog")});
        QCOMPARE(session.window->examSettingsDialog()->enterChosen(), enter ? 1 : 0);
        QCOMPARE(session.window->state().enteringExamRoom, enteringExamRoom);
    }

    void toolbarOpensItsWindowOrPage_data() {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("url");
        QTest::newRow("数据备份") << "backupButton"
                                  << "BackupDialog"
                                  << "";
        QTest::newRow("数据还原") << "restoreButton"
                                  << "RestoreDialog"
                                  << "";
        QTest::newRow("在线客服") << "serviceButton"
                                  << ""
                                  << "https://www.quorvex.cn/";
        QTest::newRow("在线购买") << "purchaseButton"
                                  << ""
                                  << "https://www.quorvex.cn/gmzx.asp";
        QTest::newRow("使用帮助") << "helpButton"
                                  << ""
                                  << "help/index.html";
    }
    void restoreRebuildsTheTree();
    void toolbarOpensItsWindowOrPage() {
        QFETCH(QString, buttonName);
        QFETCH(QString, dialog);
        QFETCH(QString, url);
        Session session;
        session.button(buttonName.toLatin1().constData())->click();
        if (!dialog.isEmpty()) {
            QCOMPARE(session.shownDialogs.size(), 1);
            QCOMPARE(session.shownDialogs[0].toLower(), dialog.toLower());
        } else {
            QCOMPARE(session.openedUrls.size(), 1);
            if (url.startsWith(QStringLiteral("https"))) {
                QCOMPARE(session.openedUrls[0], QUrl(url));
            } else {
                QCOMPARE(session.openedUrls[0], QUrl::fromLocalFile(session.folder.path() + url));
            }
        }
        QVERIFY(session.dialogs.entries.isEmpty());
    }
};

void TestWindowChrome::restoreRebuildsTheTree() {
    Session session;
    {
        quorvex::store::Connection connection(quorvex::store::connectionStringFor(session.folder.path()));
        connection.execute(QStringLiteral("update tree set nodename='恢复后的章节' where id=3"));
    }
    QVERIFY(session.window->nodeAt(2)->text(0) != QStringLiteral("恢复后的章节"));
    emit session.window->restoreDialog()->restored();
    QCOMPARE(session.window->nodeAt(2)->text(0), QStringLiteral("恢复后的章节"));
}

QTEST_MAIN(TestWindowChrome)
#include "test_window_chrome.moc"
