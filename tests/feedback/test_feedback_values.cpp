#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "study/feedback_report.h"
#include "study/feedback_settings.h"
#include "study/page_command.h"

using namespace quorvex::study;

class TestFeedbackValues : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // The question id is the address without its first 11 characters and its last one, and only a
    // whole number written in digits counts.
    void commandAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("reportsError");
        QTest::addColumn<bool>("togglesFavourite");
        QTest::addColumn<qint64>("questionId");  // -1: no id taken
        QTest::newRow("favourite") << "http://scbt123/" << false << true << qint64(123);
        QTest::newRow("report") << "http://ctfk7/" << true << false << qint64(7);
        QTest::newRow("id above 10000") << "http://scbt1234567/" << false << true << qint64(1234567);
        QTest::newRow("leading zeros") << "http://scbt0042/" << false << true << qint64(42);
        QTest::newRow("statement text") << "http://scbt1%20or%201=1/" << false << true << qint64(-1);
        QTest::newRow("raw statement text") << "http://scbt1 or 1=1/" << false << true << qint64(-1);
        QTest::newRow("letters") << "http://scbtabc/" << false << true << qint64(-1);
        QTest::newRow("sign") << "http://scbt-5/" << false << true << qint64(-1);
        QTest::newRow("no id") << "http://scbt/" << false << true << qint64(-1);
        QTest::newRow("no slash: the last digit is cut") << "http://scbt123" << false << true << qint64(12);
        QTest::newRow("too long for a number")
            << "http://scbt1234567890123456789/" << false << true << qint64(-1);
        QTest::newRow("non-ASCII digits")
            << QStringLiteral("http://scbt１２/") << false << true << qint64(-1);
        QTest::newRow("neither word") << "http://www.example.com/12/" << false << false << qint64(-1);
        QTest::newRow("both words: the id decides") << "http://ctfk12scbt/" << true << true << qint64(-1);
    }
    void commandAddresses() {
        QFETCH(QString, address);
        QFETCH(bool, reportsError);
        QFETCH(bool, togglesFavourite);
        QFETCH(qint64, questionId);
        const PageCommand command = parsePageCommand(address);
        QCOMPARE(command.reportsError, reportsError);
        QCOMPARE(command.togglesFavourite, togglesFavourite);
        QCOMPARE(command.questionId.value_or(-1), questionId);
    }

    // Columns and values line up, in the order of the insert.
    void reportValues_data() {
        QTest::addColumn<QVector<int>>("ticked");
        QTest::addColumn<QString>("changedColumns");  // the problem columns that read "1"
        QTest::newRow("nothing ticked") << QVector<int>{} << "";
        QTest::newRow("box 3 only") << QVector<int>{3} << "xueke";
        QTest::newRow("box 7 only") << QVector<int>{7} << "silutp";
        QTest::newRow("first and last") << QVector<int>{1, 10} << "tupian,shiticf";
    }
    void reportValues() {
        QFETCH(QVector<int>, ticked);
        QFETCH(QString, changedColumns);
        FeedbackReport report;
        report.questionId = QStringLiteral("12345");
        report.questionText = QStringLiteral("它说'是'，\"不是\"; --");
        report.description = QStringLiteral("附加说明");
        for (const int box : ticked) {
            report.ticked[static_cast<size_t>(box - 1)] = true;
        }
        const QStringList columns = feedbackColumns();
        const QVariantList values = feedbackValues(report);
        QCOMPARE(columns.size(), 14);
        QCOMPARE(values.size(), 14);
        QStringList ones;
        for (int i = 3; i < 13; ++i) {
            const QString value = values.at(i).toString();
            QVERIFY2(value == QLatin1String("0") || value == QLatin1String("1"), qPrintable(value));
            if (value == QLatin1String("1")) {
                ones << columns.at(i);
            }
        }
        QCOMPARE(ones.join(QLatin1Char(',')), changedColumns);
        QCOMPARE(columns.mid(0, 3), QStringList({"kemu", "tihao", "tigan"}));
        QCOMPARE(values.at(0).toString(), QStringLiteral("职业病"));
        QCOMPARE(values.at(1).toString(), report.questionId);
        QCOMPARE(values.at(2).toString(), report.questionText);
        QCOMPARE(columns.at(13), QStringLiteral("shuoming"));
        QCOMPARE(values.at(13).toString(), report.description);
        // The statement names the columns in the same order and carries no value.
        QCOMPARE(feedbackInsertStatement(),
                 QStringLiteral(
                     "insert into zezaz (kemu,tihao,tigan,tupian,kaoshidg,xueke,chenjiu,cuobiezi,silutigan,"
                     "silutp,siluddaan,silucbz,shiticf,shuoming) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    }

    void settingsFile_data() {
        QTest::addColumn<QByteArray>("ini");  // empty: no file
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("no file: our SQL Server") << QByteArray() << "QODBC"
                                                 << "feedback.quorvex.cn" << 1433 << "doduvev"
                                                 << "sa"
                                                 << "mpdlrkzsfwqnv405";
        QTest::newRow("everything set")
            << QByteArray(
                   "[feedback]\ndriver=QPSQL\nhost=127.0.0.1\nport=55432\ndatabase=fb\nuser=u\n"
                   "password=\"p;w,'x\"\n")
            << "QPSQL"
            << "127.0.0.1" << 55432 << "fb"
            << "u"
            << "p;w,'x";
        QTest::newRow("unquoted commas") << QByteArray("[feedback]\npassword=a,b,c\n") << "QODBC"
                                         << "feedback.quorvex.cn" << 1433 << "doduvev"
                                         << "sa"
                                         << "a,b,c";
        QTest::newRow("another driver without a port takes its usual one")
            << QByteArray("[feedback]\ndriver=QPSQL\nhost=db.example\n") << "QPSQL"
            << "db.example" << 5432 << "doduvev"
            << "sa"
            << "mpdlrkzsfwqnv405";
        QTest::newRow("host only") << QByteArray("[feedback]\nhost=10.0.0.5\n") << "QODBC"
                                   << "10.0.0.5" << 1433 << "doduvev"
                                   << "sa"
                                   << "mpdlrkzsfwqnv405";
        QTest::newRow("a port that is no port is left out") << QByteArray("[feedback]\nport=abc\n") << "QODBC"
                                                            << "feedback.quorvex.cn" << 1433 << "doduvev"
                                                            << "sa"
                                                            << "mpdlrkzsfwqnv405";
        QTest::newRow("keys outside the group are not read")
            << QByteArray("host=elsewhere\n[other]\nuser=x\n") << "QODBC"
            << "feedback.quorvex.cn" << 1433 << "doduvev"
            << "sa"
            << "mpdlrkzsfwqnv405";
    }
    void settingsFile() {
        QFETCH(QByteArray, ini);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("feedback.ini"));
        if (!ini.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(ini);
        }
        const FeedbackSettings settings = readFeedbackSettings(path);
        QTEST(settings.driver, "driver");
        QTEST(settings.host, "host");
        QTEST(settings.port, "port");
        QTEST(settings.database, "database");
        QTEST(settings.user, "user");
        QTEST(settings.password, "password");
        QCOMPARE(settings.timeoutSeconds, 10);
    }

    // What the drivers are handed: for ODBC a FreeTDS connection string without the password, and each
    // driver's time-outs.
    void driverParameters() {
        FeedbackSettings odbc;
        QCOMPARE(driverDatabaseName(odbc),
                 QStringLiteral("DRIVER={FreeTDS};SERVER=feedback.quorvex.cn;PORT=1433;"
                                "DATABASE=doduvev;TDS_Version=7.3;ClientCharset=UTF-8"));
        QVERIFY(!driverDatabaseName(odbc).contains(odbc.password));
        QCOMPARE(driverConnectOptions(odbc),
                 QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=10;SQL_ATTR_CONNECTION_TIMEOUT=10"));
        odbc.database = QStringLiteral("DSN=feedback");
        QCOMPARE(driverDatabaseName(odbc), QStringLiteral("DSN=feedback"));

        FeedbackSettings postgres;
        postgres.driver = QStringLiteral("QPSQL");
        postgres.timeoutSeconds = 2;
        QCOMPARE(driverDatabaseName(postgres), QStringLiteral("doduvev"));
        QCOMPARE(driverConnectOptions(postgres),
                 QStringLiteral("connect_timeout=2;options='-c statement_timeout=2000'"));
    }

    void passwordIsRedacted() {
        FeedbackSettings settings;
        settings.password = QStringLiteral("s3cret");
        QCOMPARE(redactPassword(QStringLiteral("login s3cret failed (s3cret)"), settings),
                 QStringLiteral("login ****** failed (******)"));
        settings.password.clear();
        QCOMPARE(redactPassword(QStringLiteral("no password"), settings), QStringLiteral("no password"));
    }
};

QTEST_GUILESS_MAIN(TestFeedbackValues)
#include "test_feedback_values.moc"
