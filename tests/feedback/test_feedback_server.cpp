#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QtTest>
#include <optional>

#include "feedback_session.h"
#include "mainwindow/main_window_texts.h"
#include "study/feedback_report.h"
#include "study/feedback_window.h"
#include "study/page_commands.h"

using quorvex::mainwindow::MainWindow;
using quorvex::study::FeedbackWindow;
using quorvex::testing::FeedbackSession;

namespace {

// Trust authentication lets any password in; this one must never reach a message or the log.
const QString kPassword = QStringLiteral("pw-7731-not-for-logs");
const QString kSent = QStringLiteral("您的问题已经反馈成功，谢谢您的反馈！");
const QString kFailed = QStringLiteral("反馈失败！");
const QString kColumns = QStringLiteral(
    "kemu,tihao,tigan,tupian,kaoshidg,xueke,chenjiu,cuobiezi,silutigan,silutp,siluddaan,silucbz,shiticf,"
    "shuoming");

// Everything logged while the test runs.
QStringList& logLines() {
    static QStringList lines;
    return lines;
}
QtMessageHandler previousHandler = nullptr;
void keepLogLine(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    logLines() << message;
    if (previousHandler != nullptr) {
        previousHandler(type, context, message);
    }
}

// The throwaway server the ctest fixture started (tests/server/postgres-start.sh).
struct Server {
    QString port;
    QString user;
    QString database;
};

QString readStateFile(const QString& folder, const char* name) {
    QFile file(folder + QLatin1Char('/') + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

// A port nothing listens on.
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

}  // namespace

class TestFeedbackServer : public QObject {
    Q_OBJECT

  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

  private:
    Server server_;
    std::optional<FeedbackSession> session_;

    FeedbackWindow* feedback() const { return session_->window->pageCommands()->feedbackWindow(); }

    void writeIni(const QString& driver, const QString& port, const QString& database) {
        QFile ini(session_->folder.path() + QStringLiteral("feedback.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral(
                      "[feedback]\ndriver=%1\nhost=127.0.0.1\nport=%2\ndatabase=%3\nuser=%4\npassword=%5\n")
                      .arg(driver, port, database, server_.user, kPassword)
                      .toUtf8());
    }
    void pointAtServer() { writeIni(QStringLiteral("QPSQL"), server_.port, server_.database); }

    QSqlDatabase check() const { return QSqlDatabase::database(QStringLiteral("check")); }

    // Every stored row, columns joined by "|".
    QStringList storedRows() const {
        QSqlQuery query(check());
        if (!query.exec(QStringLiteral("select %1 from zezaz").arg(kColumns))) {
            qWarning("reading zezaz failed: %s", qPrintable(query.lastError().text()));
            return {QStringLiteral("<zezaz unreadable>")};
        }
        QStringList rows;
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < 14; ++i) {
                values << query.value(i).toString();
            }
            rows << values.join(QLatin1Char('|'));
        }
        return rows;
    }

    // Opens the report window as the user does: the chapter's page, then the question's report button.
    FeedbackWindow* openReport(int chapterNode, qint64 questionId) {
        MainWindow& window = *session_->window;
        window.openChapter(window.nodeAt(chapterNode));
        if (!QTest::qWaitFor(
                [&] { return window.state().pageReady == 1 && session_->pageShows(questionId); })) {
            qWarning("question %lld is not on the page", questionId);
            return nullptr;
        }
        if (!session_->clickQuestionButton(QStringLiteral("tolvanectfk"), questionId)) {
            return nullptr;
        }
        const QString id = QString::number(questionId);
        if (!QTest::qWaitFor([&] {
                return feedback() != nullptr && feedback()->isVisible() &&
                       feedback()->feedbackQuestionId() == id;
            })) {
            return nullptr;
        }
        return feedback();
    }

    static void tick(FeedbackWindow* window, const QVector<int>& boxes) {
        for (const int box : boxes) {
            window->problemBox(box - 1)->click();
        }
    }

    static void clickSend(FeedbackWindow* window) {
        window->findChild<QAbstractButton*>(QStringLiteral("sendButton"))->click();
    }

  private Q_SLOTS:
    void initTestCase() {
        QApplication::setApplicationName(quorvex::mainwindow::kApplicationTitle);
        const QString state = qEnvironmentVariable("QUORVEX_POSTGRES_STATE");
        if (state.isEmpty()) {
            QSKIP("needs the PostgreSQL server of the ctest fixture (run through ctest -L server)");
        }
        server_ = Server{readStateFile(state, "port"), readStateFile(state, "user"),
                         readStateFile(state, "database")};
        QVERIFY2(!server_.port.isEmpty(), "the fixture left no port: the server did not start");

        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("check"));
        database.setHostName(QStringLiteral("127.0.0.1"));
        database.setPort(server_.port.toInt());
        database.setDatabaseName(server_.database);
        database.setUserName(server_.user);
        QVERIFY2(database.open(), qPrintable(database.lastError().text()));

        previousHandler = qInstallMessageHandler(keepLogLine);
        session_.emplace();
        MainWindow& window = session_->show();
        QTRY_VERIFY(window.state().pageReady == 1 && session_->pageShows(123));
    }

    void init() {
        QVERIFY(QSqlQuery(check()).exec(QStringLiteral("delete from zezaz")));
        pointAtServer();
        session_->dialogs.clear();
        logLines().clear();
    }

    void cleanupTestCase() {
        if (session_) {
            session_.reset();
        }
        qInstallMessageHandler(previousHandler);
        QSqlDatabase::removeDatabase(QStringLiteral("lock"));
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }

    // One report, one row, every value as the window holds it; quotes and statement ends in the stem
    // and the description are stored as they are.
    void storedRow_data() {
        QTest::addColumn<int>("chapterNode");
        QTest::addColumn<qint64>("questionId");
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QVector<int>>("ticked");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("flags");  // tupian ... shiticf
        QTest::newRow("nothing ticked, no description")
            << 2 << qint64(123) << QStringLiteral("下列属于物理因素的是") << QVector<int>{} << QString()
            << "0|0|0|0|0|0|0|0|0|0";
        QTest::newRow("box 3 only: xueke")
            << 2 << qint64(12345) << QStringLiteral("下列属于生物因素的是") << QVector<int>{3}
            << QStringLiteral("不属于职业病学科") << "0|0|1|0|0|0|0|0|0|0";
        QTest::newRow("box 7 only: silutp")
            << 2 << qint64(123) << QStringLiteral("下列属于物理因素的是") << QVector<int>{7}
            << QStringLiteral("解析图片打不开") << "0|0|0|0|0|0|1|0|0|0";
        QTest::newRow("every box, quotes in stem and description")
            << 2 << qint64(7) << QStringLiteral("题干含'单引号'与\"双引号\"; delete from zezaz; --")
            << QVector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}
            << QStringLiteral("他说\"不对\"，'错'); drop table zezaz; --\n第二行") << "1|1|1|1|1|1|1|1|1|1";
        QTest::newRow("question of a case: its own id and stem")
            << 3 << qint64(20002) << QStringLiteral("诊断最需要的检查是") << QVector<int>{1} << QString()
            << "1|0|0|0|0|0|0|0|0|0";
    }
    void storedRow() {
        QFETCH(int, chapterNode);
        QFETCH(qint64, questionId);
        QFETCH(QString, stem);
        QFETCH(QVector<int>, ticked);
        QFETCH(QString, description);
        QFETCH(QString, flags);
        FeedbackWindow* window = openReport(chapterNode, questionId);
        QVERIFY(window != nullptr);
        tick(window, ticked);
        window->descriptionEdit()->setPlainText(description);
        session_->dialogs.clear();

        clickSend(window);
        QCOMPARE(session_->dialogs.texts(), QStringList{kSent});
        QVERIFY(!window->isVisible());
        QCOMPARE(storedRows(), QStringList{QStringList({QStringLiteral("职业病"), QString::number(questionId),
                                                        stem, flags, description})
                                               .join(QLatin1Char('|'))});
    }

    // Whatever goes wrong, the user hears "反馈失败！", the window stays with everything entered, nothing
    // is stored, and "确 定" again sends it once the server is there. The password shows nowhere.
    void failedSend_data() {
        QTest::addColumn<QString>("failure");
        QTest::newRow("server stopped: closed port") << "closed port";
        QTest::newRow("server that never answers: time-out") << "silent server";
        QTest::newRow("table locked: statement time-out") << "locked table";
        QTest::newRow("refused: no such database, named like the password") << "no database";
        QTest::newRow("no such driver") << "no driver";
        QTest::newRow("ODBC driver to a closed port") << "odbc";
    }
    void failedSend() {
        QFETCH(QString, failure);
        FeedbackWindow* window = openReport(2, 12345);
        QVERIFY(window != nullptr);
        window->setTimeoutSeconds(2);
        tick(window, {2, 5});
        const QString description = QStringLiteral("保留的说明 '引号' \"双引号\"");
        window->descriptionEdit()->setPlainText(description);

        QTcpServer silent;
        if (failure == QLatin1String("closed port")) {
            writeIni(QStringLiteral("QPSQL"), QString::number(closedPort()), server_.database);
        } else if (failure == QLatin1String("silent server")) {
            // Connections are taken in by the system and never answered.
            QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
            writeIni(QStringLiteral("QPSQL"), QString::number(silent.serverPort()), server_.database);
        } else if (failure == QLatin1String("locked table")) {
            QSqlDatabase lock = QSqlDatabase::cloneDatabase(check(), QStringLiteral("lock"));
            QVERIFY(lock.open());
            QVERIFY(lock.transaction());
            QVERIFY(QSqlQuery(lock).exec(QStringLiteral("lock table zezaz in access exclusive mode")));
        } else if (failure == QLatin1String("no database")) {
            writeIni(QStringLiteral("QPSQL"), server_.port, QStringLiteral("nosuch_") + kPassword);
        } else if (failure == QLatin1String("no driver")) {
            writeIni(QStringLiteral("QNOSUCHDRIVER"), server_.port, server_.database);
        } else {
            writeIni(QStringLiteral("QODBC"), QString::number(closedPort()), server_.database);
        }
        session_->dialogs.clear();

        clickSend(window);
        if (failure == QLatin1String("locked table")) {
            QSqlDatabase lock = QSqlDatabase::database(QStringLiteral("lock"));
            lock.rollback();
            lock.close();
        }
        QCOMPARE(session_->dialogs.texts(), QStringList{kFailed});
        QVERIFY(window->isVisible());
        for (int box = 1; box <= 10; ++box) {
            QCOMPARE(window->problemBox(box - 1)->isChecked(), box == 2 || box == 5);
        }
        QCOMPARE(window->descriptionEdit()->toPlainText(), description);
        QCOMPARE(storedRows(), QStringList{});
        QVERIFY2(!logLines().join(QLatin1Char('\n')).contains(kPassword), qPrintable(logLines().join('\n')));
        for (const auto& entry : session_->dialogs.entries) {
            QVERIFY(!entry.text.contains(kPassword) && !entry.title.contains(kPassword));
        }

        pointAtServer();
        clickSend(window);
        QCOMPARE(session_->dialogs.texts(), QStringList({kFailed, kSent}));
        QVERIFY(!window->isVisible());
        QCOMPARE(storedRows(),
                 QStringList{QStringLiteral("职业病|12345|下列属于生物因素的是|0|1|0|0|1|0|0|0|0|0|") +
                             description});
    }
};

QTEST_MAIN(TestFeedbackServer)
#include "test_feedback_server.moc"
