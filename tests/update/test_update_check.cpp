#include <QDate>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/scripted_dialogs.h"
#include "mainwindow/update_check.h"
#include "mainwindow/version_check.h"

using quorvex::mainwindow::FileDownload;
using quorvex::mainwindow::UpdateChecker;
using quorvex::testing::ScriptedDialogs;

namespace {

// Answers every GET with one fixed response, or never answers at all.
class TinyHttpServer : public QObject {
  public:
    QByteArray status = "200 OK";
    QByteArray body;
    bool sendLength = true;
    bool answer = true;
    QStringList requestLines;

    TinyHttpServer() {
        QVERIFY(server_.listen(QHostAddress::LocalHost));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }

  private:
    void serve(QTcpSocket* socket) {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        const int end = request.indexOf("\r\n\r\n");
        if (end < 0) {
            return;
        }
        requestLines.append(QString::fromLatin1(request.left(request.indexOf("\r\n"))));
        pending_.remove(socket);
        if (!answer) {
            return;
        }
        QByteArray response = "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nConnection: close\r\n";
        if (sendLength) {
            response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        }
        socket->write(response + "\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

QByteArray versionFile(const QByteArray& date) {
    return "[File1]\r\nDate=" + date + "\r\n";
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A version file padded with comment lines to exactly `size` bytes.
QByteArray paddedVersionFile(const QByteArray& date, int size) {
    QByteArray content = versionFile(date);
    const QByteArray line = "; " + QByteArray(60, 'x') + "\r\n";
    while (content.size() + line.size() <= size) {
        content += line;
    }
    content += QByteArray(size - content.size(), ';');
    return content;
}

struct Launch {
    QString program;
    QString folder;
};

}  // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // The check on demand compares the files as they are; one row per case of the comparison.
    void checkOnDemand_data() {
        QTest::addColumn<QByteArray>("remote");     // tmp.ini; empty: no file
        QTest::addColumn<QByteArray>("installed");  // predate.ini; empty: no file
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("message");

        const QString update = QStringLiteral("软件需要更新");
        const QString latest = QStringLiteral("已经是最新版本");
        QTest::newRow("remote later")
            << versionFile("2011-03-05") << versionFile("2011-03-04") << true << update;
        QTest::newRow("equal") << versionFile("2011-03-04") << versionFile("2011-03-04") << true << latest;
        QTest::newRow("remote earlier")
            << versionFile("2011-03-03") << versionFile("2011-03-04") << true << latest;
        QTest::newRow("2011-3-5 is after 2011-12-01 as text")
            << versionFile("2011-3-5") << versionFile("2011-12-01") << true << update;
        QTest::newRow("2011-12-01 is before 2011-3-5 as text")
            << versionFile("2011-12-01") << versionFile("2011-3-5") << true << latest;
        QTest::newRow("no tmp.ini, installed before today")
            << QByteArray() << versionFile("2000-01-01") << true << update;
        QTest::newRow("no tmp.ini, installed after today")
            << QByteArray() << versionFile("2999-12-31") << true << latest;
        QTest::newRow("neither file") << QByteArray() << QByteArray() << true << latest;
        QTest::newRow("names in another case, blanks, quotes")
            << QByteArray("\xEF\xBB\xBF; fetched\n[file1]\ndate = \"2011-03-05\"\n")
            << versionFile("2011-03-04") << true << update;
        QTest::newRow("the date of another section is not read")
            << QByteArray("[Other]\nDate=2999-01-01\n[File1]\nDate=2011-03-04\n") << versionFile("2011-03-04")
            << true << latest;
        QTest::newRow("not connected, update pending")
            << versionFile("2011-03-05") << versionFile("2011-03-04") << false
            << QStringLiteral("请检查网络连接");
    }

    void checkOnDemand() {
        QFETCH(QByteArray, remote);
        QFETCH(QByteArray, installed);
        QFETCH(bool, connected);
        QFETCH(QString, message);

        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        if (!remote.isEmpty()) {
            writeFile(folder + QStringLiteral("tmp.ini"), remote);
        }
        if (!installed.isEmpty()) {
            writeFile(folder + QStringLiteral("predate.ini"), installed);
        }
        ScriptedDialogs dialogs;
        QVector<Launch> launches;
        UpdateChecker checker(
            folder, QString(), dialogs, nullptr, [&] { return connected; },
            [&](const QString& program, const QString& workingFolder) {
                launches.append({program, workingFolder});
            });
        checker.checkOnDemand();

        QCOMPARE(dialogs.texts(), QStringList{message});
        const bool update = message == QStringLiteral("软件需要更新");
        QCOMPARE(dialogs.entries.first().title, update ? QStringLiteral("信息") : QString());
        QCOMPARE(launches.size(), update ? 1 : 0);
        if (update) {
            QCOMPARE(launches.first().program, folder + QStringLiteral("app_upd"));
            QCOMPARE(launches.first().folder, folder);
        }
        // The check on demand never writes the version files.
        QCOMPARE(readFile(folder + QStringLiteral("tmp.ini")),
                 remote.isEmpty() ? QByteArray("<missing>") : remote);
    }

    // The start-up check against a real server on 127.0.0.1. tmp.ini holds an old date before the
    // check; it changes only when the fetch succeeds.
    void startupCheck_data() {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("sendLength");
        QTest::addColumn<QString>("server");  // "answers", "silent" or "none"
        QTest::addColumn<bool>("downloaded");
        QTest::addColumn<bool>("announced");

        const QByteArray ok = "200 OK";
        QTest::newRow("newer") << ok << versionFile("2011-03-05") << true << "answers" << true << true;
        QTest::newRow("equal") << ok << versionFile("2011-03-04") << true << "answers" << true << false;
        QTest::newRow("older") << ok << versionFile("2011-03-03") << true << "answers" << true << false;
        QTest::newRow("body without a length")
            << ok << versionFile("2011-03-05") << false << "answers" << true << true;
        QTest::newRow("exactly 64 KiB")
            << ok << paddedVersionFile("2011-03-05", 64 * 1024) << true << "answers" << true << true;
        QTest::newRow("404") << QByteArray("404 Not Found") << versionFile("2011-03-05") << true << "answers"
                             << false << false;
        QTest::newRow("500") << QByteArray("500 Internal Server Error") << versionFile("2011-03-05") << true
                             << "answers" << false << false;
        QTest::newRow("a page that is no version file")
            << ok << QByteArray("<html><body>请登录后上网</body></html>") << true << "answers" << false
            << false;
        QTest::newRow("over 64 KiB, declared")
            << ok << paddedVersionFile("2011-03-05", 64 * 1024 + 1) << true << "answers" << false << false;
        QTest::newRow("over 64 KiB, undeclared")
            << ok << paddedVersionFile("2011-03-05", 1024 * 1024) << false << "answers" << false << false;
        QTest::newRow("server never answers")
            << ok << versionFile("2011-03-05") << true << "silent" << false << false;
        QTest::newRow("nothing listening")
            << ok << versionFile("2011-03-05") << true << "none" << false << false;
    }

    void startupCheck() {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, sendLength);
        QFETCH(QString, server);
        QFETCH(bool, downloaded);
        QFETCH(bool, announced);

        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const QByteArray oldRemote = versionFile("2001-01-01");
        writeFile(folder + QStringLiteral("tmp.ini"), oldRemote);
        writeFile(folder + QStringLiteral("predate.ini"), versionFile("2011-03-04"));

        auto http = std::make_unique<TinyHttpServer>();
        http->status = status;
        http->body = body;
        http->sendLength = sendLength;
        http->answer = server != QLatin1String("silent");
        // The host comes from update.ini beside the program.
        writeFile(folder + QStringLiteral("update.ini"), "[Update]\nHost=" + http->host().toLatin1() + "\n");
        const QString url = quorvex::mainwindow::updateIniUrlFor(folder, QStringLiteral("zyb"));
        QCOMPARE(url, QStringLiteral("http://%1/radazir/zyb/Predate.ini").arg(http->host()));
        if (server == QLatin1String("none")) {
            http.reset();  // the port is closed again
        }

        ScriptedDialogs dialogs;
        QVector<Launch> launches;
        UpdateChecker checker(
            folder, url, dialogs, nullptr, [] { return true; },
            [&](const QString& program, const QString& workingFolder) {
                launches.append({program, workingFolder});
            });
        checker.setDownloadLimits(server == QLatin1String("silent") ? 300 : 10000, 64 * 1024);
        QSignalSpy finished(&checker, &UpdateChecker::startupCheckFinished);

        // The window keeps running its event loop while the file is fetched.
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(10);
        checker.startStartupCheck();
        QCOMPARE(finished.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        if (server == QLatin1String("silent")) {
            QVERIFY(ticks > 0);
        }

        QCOMPARE(finished.first().at(0).toBool(), downloaded);
        QCOMPARE(finished.first().at(1).toBool(), announced);
        QCOMPARE(readFile(folder + QStringLiteral("tmp.ini")), downloaded ? body : oldRemote);
        QCOMPARE(dialogs.texts(), announced ? QStringList{QStringLiteral("软件需要更新")} : QStringList{});
        if (announced) {
            QCOMPARE(dialogs.entries.first().title, QStringLiteral("信息"));
        }
        QCOMPARE(launches.size(), announced ? 1 : 0);
        if (http) {
            QCOMPARE(http->requestLines,
                     QStringList{QStringLiteral("GET /radazir/zyb/Predate.ini HTTP/1.1")});
        }
        // No stray files beside tmp.ini.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{"predate.ini", "tmp.ini", "update.ini"}));

        // Once per start: a second call fetches nothing.
        checker.startStartupCheck();
        QVERIFY(checker.findChildren<FileDownload*>().isEmpty());
    }

    // The window may close while the fetch is still waiting for the server.
    void closingDuringTheFetch() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        TinyHttpServer http;
        http.answer = false;
        ScriptedDialogs dialogs;
        auto* window = new QWidget;
        auto* checker =
            new UpdateChecker(folder, QStringLiteral("http://%1/radazir/zyb/Predate.ini").arg(http.host()),
                              dialogs, window, [] { return true; });
        checker->startStartupCheck();
        QTRY_COMPARE(http.requestLines.size(), 1);
        delete window;
        QCoreApplication::processEvents();
        QVERIFY(dialogs.entries.isEmpty());
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("tmp.ini")));
    }

    void startupCheckWithoutAddressIsSilent() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        writeFile(folder + QStringLiteral("predate.ini"), versionFile("2000-01-01"));
        ScriptedDialogs dialogs;
        int launches = 0;
        UpdateChecker checker(
            folder, QString(), dialogs, nullptr, [] { return true; },
            [&](const QString&, const QString&) { ++launches; });
        QSignalSpy finished(&checker, &UpdateChecker::startupCheckFinished);
        checker.startStartupCheck();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).toBool(), false);
        QVERIFY(dialogs.entries.isEmpty());
        QCOMPARE(launches, 0);
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("tmp.ini")));
    }

    // The real launcher: a missing updater brings no message and no failure.
    void missingUpdaterIsIgnored() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        writeFile(folder + QStringLiteral("tmp.ini"), versionFile("2011-03-05"));
        writeFile(folder + QStringLiteral("predate.ini"), versionFile("2011-03-04"));
        ScriptedDialogs dialogs;
        UpdateChecker checker(folder, QString(), dialogs, nullptr, [] { return true; });
        checker.checkOnDemand();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("软件需要更新")});
    }

    void updateAddress_data() {
        QTest::addColumn<QByteArray>("settings");  // update.ini; empty: no file
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("url");
        QTest::newRow("default host") << QByteArray() << "zyb"
                                      << "http://update.quorvex.cn/radazir/zyb/Predate.ini";
        QTest::newRow("host from update.ini")
            << QByteArray("[Update]\nHost=mirror.example.org:8080\n") << "zyb"
            << "http://mirror.example.org:8080/radazir/zyb/Predate.ini";
        QTest::newRow("a host with a path is ignored")
            << QByteArray("[Update]\nHost=mirror.example.org/other?\n") << "zyb"
            << "http://update.quorvex.cn/radazir/zyb/Predate.ini";
        QTest::newRow("no subject, no address") << QByteArray() << ""
                                                << "";
    }

    void updateAddress() {
        QFETCH(QByteArray, settings);
        QFETCH(QString, subject);
        QFETCH(QString, url);
        QTemporaryDir dir;
        if (!settings.isEmpty()) {
            writeFile(dir.filePath(QStringLiteral("update.ini")), settings);
        }
        QCOMPARE(quorvex::mainwindow::updateIniUrlFor(dir.path(), subject), url);
    }
};

QTEST_MAIN(TestUpdateCheck)
#include "test_update_check.moc"
