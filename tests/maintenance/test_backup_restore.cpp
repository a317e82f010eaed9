#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "maintenance/backup_dialog.h"
#include "maintenance/database_copy.h"
#include "maintenance/maintenance_texts.h"
#include "maintenance/restore_dialog.h"
#include "scripted_dialogs.h"
#include "store/connection.h"
#include "store/query.h"
#include "store/shared_handle.h"
#include "test_program_folder.h"

using quorvex::maintenance::BackupDialog;
using quorvex::maintenance::DataFileDialog;
using quorvex::maintenance::kBackupMarker;
using quorvex::maintenance::RestoreDialog;
using quorvex::store::Connection;
using quorvex::store::Query;
using quorvex::testing::ScriptedDialogs;
using quorvex::testing::TestProgramFolder;

namespace {

QByteArray fileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString connectionStringForFile(const QString& path) {
    return QStringLiteral("Data Source=\"%1\";Jet OLEDB:Database Password=\"%2\"")
        .arg(path, quorvex::store::kDatabasePassword);
}

QStringList column(Connection& connection, const QString& sql) {
    Query q(connection);
    q.setSql(sql);
    q.open();
    QStringList values;
    for (; !q.eof(); q.next()) {
        values.append(q.fieldByName(q.fieldNames().first()).asString());
    }
    return values;
}

// What a candidate builds up: favourites, the wrong-question bank, the exam settings, the results.
QString userData(Connection& connection) {
    return QStringList{
        column(connection, QStringLiteral("select id from question where scbt='1' order by id")).join(','),
        column(connection, QStringLiteral("select id from question where ct='1' order by id")).join(','),
        column(connection, QStringLiteral("select id from tree where scbt='1' order by id")).join(','),
        column(connection, QStringLiteral("select txs from ts")).join(','),
        column(connection, QStringLiteral("select tx || ':' || dd from fenshu")).join(','),
    }
        .join('|');
}

QString userDataOfFile(const QString& path) {
    Connection connection(connectionStringForFile(path));
    const QString data = userData(connection);
    connection.close();
    Connection::releaseFile(path);
    return data;
}

QStringList questionIds(Connection& connection) {
    return column(connection, QStringLiteral("select id from question order by id"));
}

void markUserData(Connection& connection) {
    const QStringList ids = questionIds(connection);
    connection.execute(QStringLiteral("update question set scbt='1' where id=?"), {ids.at(0)});
    connection.execute(QStringLiteral("update question set ct='1', ct1='1' where id=?"), {ids.at(2)});
    connection.execute(QStringLiteral("update tree set scbt='1' where id=(select min(id) from tree)"));
    connection.execute(QStringLiteral("update ts set txs='7'"));
    connection.execute(QStringLiteral("insert into fenshu (tx, sts, dd) values ('A1', '2', '1')"));
}

void changeUserData(Connection& connection) {
    connection.execute(QStringLiteral("update question set scbt='', ct='', ct1=''"));
    connection.execute(QStringLiteral("update question set scbt='1' where id=?"),
                       {questionIds(connection).last()});
    connection.execute(QStringLiteral("update ts set txs='3'"));
    connection.execute(QStringLiteral("delete from fenshu"));
}

// A file that opens with the database password but is not a bank.
void writeKeyedFileWithoutBankTables(const QString& path) {
    auto handle = quorvex::store::SharedHandle::open(path, quorvex::store::kDatabasePassword, true);
    handle->execute(QStringLiteral("create table notes (text TEXT)"), {});
}

void click(QPushButton* button) {
    QVERIFY(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

class TestBackupRestore : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void roundTripKeepsTheCandidatesData() {
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        QTemporaryDir backups;
        const QString db = folder.databasePath();
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        markUserData(connection);
        connection.close();
        const QString marked = userDataOfFile(db);

        // A backup over an older file of the same name replaces it without a question.
        const QString target = backups.filePath(kBackupMarker + QStringLiteral("-round-trip.mdb.bak"));
        writeFile(target, "an older backup");
        ScriptedDialogs dialogs;
        BackupDialog backup(folder.path(), dialogs);
        backup.show();
        dialogs.fileNames.enqueue(target);
        click(backup.chooseButton());
        QCOMPARE(backup.pathEdit()->text(), QDir::toNativeSeparators(target));
        click(backup.okButton());
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("备份成功！")});
        QCOMPARE(backup.result(), int(QDialog::Accepted));
        QVERIFY(!backup.isVisible());
        QVERIFY(quorvex::maintenance::isBankFile(target));
        QCOMPARE(userDataOfFile(target), marked);
        QCOMPARE(entriesOf(backups.path()), QStringList{QFileInfo(target).fileName()});

        // A window's connection, opened before the restore and never closed by this test.
        Connection window(quorvex::store::connectionStringFor(folder.path()));
        changeUserData(window);
        const QString changed = userData(window);
        QVERIFY(changed != marked);

        dialogs.clear();
        RestoreDialog restore(folder.path(), dialogs);
        QSignalSpy restored(&restore, &RestoreDialog::restored);
        restore.show();
        dialogs.fileNames.enqueue(target);
        click(restore.chooseButton());
        click(restore.okButton());
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("成功恢复数据！")});
        QCOMPARE(restore.result(), int(QDialog::Accepted));
        QCOMPARE(restored.count(), 1);

        QCOMPARE(userData(window), marked);
        QCOMPARE(userDataOfFile(db), marked);
        // The replaced file stays beside the database, whole, so that the restore can be undone.
        const QString previous = quorvex::maintenance::beforeRestorePath(db);
        QVERIFY(QFileInfo::exists(previous));
        QCOMPARE(userDataOfFile(previous), changed);
        QCOMPARE(entriesOf(QFileInfo(db).absolutePath()),
                 (QStringList{QStringLiteral("med.mdb"), QStringLiteral("med.mdb.before-restore")}));
        // The backup itself is left as it was.
        QCOMPARE(userDataOfFile(target), marked);
    }

    void restoreRefusesWhatIsNotABank_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("text file named as a backup") << "text";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("random bytes") << "random";
        QTest::newRow("bank with another password") << "other password";
        QTest::newRow("keyed file without the bank's tables") << "no tables";
    }

    void restoreRefusesWhatIsNotABank() {
        QFETCH(QString, kind);
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        QTemporaryDir backups;
        const QString db = folder.databasePath();
        const QString source = backups.filePath(kBackupMarker + QStringLiteral("2024-3-5"));
        if (kind == QLatin1String("text")) {
            writeFile(source, "这不是数据库，只是一个文本文件。\n");
        } else if (kind == QLatin1String("empty")) {
            writeFile(source, QByteArray());
        } else if (kind == QLatin1String("random")) {
            QByteArray bytes(64 * 1024, '\0');
            for (char& b : bytes) {
                b = static_cast<char>(QRandomGenerator::global()->generate());
            }
            writeFile(source, bytes);
        } else if (kind == QLatin1String("other password")) {
            Connection::createDatabase(source, QStringLiteral("another password"));
            Connection::releaseFile(source);
        } else {
            writeKeyedFileWithoutBankTables(source);
        }
        const QByteArray before = fileHash(db);
        const QStringList dataFolder = entriesOf(QFileInfo(db).absolutePath());

        ScriptedDialogs dialogs;
        RestoreDialog restore(folder.path(), dialogs);
        restore.show();
        dialogs.fileNames.enqueue(source);
        click(restore.chooseButton());
        QCOMPARE(restore.source(), source);
        click(restore.okButton());

        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("恢复失败，请重试!")});
        QVERIFY(restore.isVisible());
        QCOMPARE(fileHash(db), before);
        QCOMPARE(entriesOf(QFileInfo(db).absolutePath()), dataFolder);
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        QVERIFY(!questionIds(connection).isEmpty());
    }

    void failedBackupLeavesNothingBehind_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder does not exist") << "missing folder";
        QTest::newRow("folder is a file") << "file as folder";
        QTest::newRow("name of a folder") << "folder as target";
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("database unreadable, older backup kept") << "bad database";
    }

    void failedBackupLeavesNothingBehind() {
        QFETCH(QString, kind);
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        QTemporaryDir backups;
        const QString db = folder.databasePath();
        const QString name = kBackupMarker + QStringLiteral("2024-3-5");
        QString parent = backups.path();
        QString target = backups.filePath(name);
        if (kind == QLatin1String("missing folder")) {
            parent = backups.filePath(QStringLiteral("gone"));
            target = parent + QLatin1Char('/') + name;
        } else if (kind == QLatin1String("file as folder")) {
            writeFile(backups.filePath(QStringLiteral("plain")), "a file");
            target = backups.filePath(QStringLiteral("plain/") + name);
        } else if (kind == QLatin1String("folder as target")) {
            QVERIFY(QDir().mkpath(target));
        } else if (kind == QLatin1String("read-only")) {
            parent = backups.filePath(QStringLiteral("locked"));
            QVERIFY(QDir().mkpath(parent));
            target = parent + QLatin1Char('/') + name;
            QFile::setPermissions(parent, QFile::ReadOwner | QFile::ExeOwner);
            QFile probe(parent + QStringLiteral("/probe"));
            if (probe.open(QIODevice::WriteOnly)) {
                probe.remove();
                QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("this user can write into read-only folders (root)");
            }
        } else {
            writeFile(target, "an older backup");
            writeFile(db, "not a database any more");
        }
        const QByteArray databaseBefore = fileHash(db);
        const QByteArray targetBefore = fileHash(target);
        const QStringList parentBefore = entriesOf(parent);

        ScriptedDialogs dialogs;
        BackupDialog backup(folder.path(), dialogs);
        backup.show();
        dialogs.fileNames.enqueue(target);
        click(backup.chooseButton());
        click(backup.okButton());
        QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("备份失败，请重试！")});
        QVERIFY(backup.isVisible());
        QCOMPARE(fileHash(db), databaseBefore);
        QCOMPARE(fileHash(target), targetBefore);
        QCOMPARE(entriesOf(parent), parentBefore);
        if (kind == QLatin1String("folder as target")) {
            QVERIFY(QFileInfo(target).isDir());
            QVERIFY(entriesOf(target).isEmpty());
        }
    }

    // Each row: actions on one dialog, then the messages shown and the text left in the path box.
    // "{dir}" stands for a folder holding "Quorvex医药软件数据备份-ok" and "Quorvex医药软件数据备份/any.bin"
    // (two real backups) and "med.mdb.bak" (a real backup without the marker).
    void dialogEdgeCases_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("pathBox");
        QTest::addColumn<bool>("databaseReplaced");

        const QString ok = QStringLiteral("{dir}/Quorvex医药软件数据备份-ok");
        QTest::newRow("backup: 确定 before choosing")
            << "backup" << QStringList{"ok"} << QStringList{"请选择备份路径！"} << "" << false;
        QTest::newRow("backup: save dialog cancelled") << "backup" << QStringList{"cancel choose", "ok"}
                                                       << QStringList{"请选择备份路径！"} << "" << false;
        QTest::newRow("restore: 确定 before choosing")
            << "restore" << QStringList{"ok"} << QStringList{"请选择恢复路径！"} << "" << false;
        QTest::newRow("restore: blanks typed") << "restore" << QStringList{"type:   ", "ok"}
                                               << QStringList{"请选择恢复路径！"} << "   " << false;
        QTest::newRow("restore: name without the marker")
            << "restore" << QStringList{"choose:{dir}/med.mdb.bak", "ok"}
            << QStringList{"请恢复您备份的文件！", "请选择恢复路径！"} << "" << false;
        QTest::newRow("restore: a refused name keeps the accepted file")
            << "restore" << QStringList{"choose:" + ok, "choose:{dir}/med.mdb.bak"}
            << QStringList{"请恢复您备份的文件！"} << ok << false;
        QTest::newRow("restore: marker in the folder name")
            << "restore" << QStringList{"choose:{dir}/Quorvex医药软件数据备份/any.bin", "ok"}
            << QStringList{"成功恢复数据！"} << "{dir}/Quorvex医药软件数据备份/any.bin" << true;
        QTest::newRow("restore: a typed path is not a source")
            << "restore" << QStringList{"type:" + ok, "ok"} << QStringList{"恢复失败，请重试!"} << ok
            << false;
        QTest::newRow("restore: open dialog cancelled keeps the accepted file")
            << "restore" << QStringList{"choose:" + ok, "cancel choose"} << QStringList{} << ok << false;
        QTest::newRow("restore: the accepted file is gone")
            << "restore" << QStringList{"choose:" + ok, "delete:" + ok, "ok"}
            << QStringList{"恢复失败，请重试!"} << ok << false;
    }

    void dialogEdgeCases() {
        QFETCH(QString, dialog);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, messages);
        QFETCH(QString, pathBox);
        QFETCH(bool, databaseReplaced);

        TestProgramFolder folder(quorvex::testing::smallBankJson());
        QTemporaryDir backups;
        const QString dir = backups.path();
        const QString db = folder.databasePath();
        for (const QString& name :
             {QStringLiteral("Quorvex医药软件数据备份-ok"), QStringLiteral("Quorvex医药软件数据备份/any.bin"),
              QStringLiteral("med.mdb.bak")}) {
            QDir().mkpath(QFileInfo(dir + '/' + name).absolutePath());
            QVERIFY(quorvex::maintenance::backupDatabase(db, dir + '/' + name).ok);
        }
        const QByteArray before = fileHash(db);

        ScriptedDialogs dialogs;
        std::unique_ptr<DataFileDialog> window;
        if (dialog == QLatin1String("backup")) {
            window = std::make_unique<BackupDialog>(folder.path(), dialogs);
        } else {
            window = std::make_unique<RestoreDialog>(folder.path(), dialogs);
        }
        window->show();
        for (QString action : actions) {
            action.replace(QStringLiteral("{dir}"), dir);
            if (action == QLatin1String("ok")) {
                click(window->okButton());
            } else if (action == QLatin1String("cancel choose")) {
                click(window->chooseButton());
            } else if (action.startsWith(QLatin1String("choose:"))) {
                dialogs.fileNames.enqueue(action.mid(7));
                click(window->chooseButton());
            } else if (action.startsWith(QLatin1String("type:"))) {
                window->pathEdit()->setFocus();
                window->pathEdit()->clear();
                // Typed text (keyClicks cannot type Chinese): the path box is edited as a user would.
                window->pathEdit()->insert(action.mid(5));
            } else if (action.startsWith(QLatin1String("delete:"))) {
                QVERIFY(QFile::remove(action.mid(7)));
            } else {
                QFAIL(qPrintable(QStringLiteral("unknown action ") + action));
            }
        }
        QCOMPARE(dialogs.texts(), messages);
        QCOMPARE(window->pathEdit()->text(),
                 QDir::toNativeSeparators(pathBox.replace(QStringLiteral("{dir}"), dir)));
        QCOMPARE(fileHash(db) != before, databaseReplaced);
        QCOMPARE(window->isVisible(), !databaseReplaced);
    }

    // The dialogs are created once and reused: "确定" on a later showing repeats the last copy.
    void dialogsRememberTheirFileForTheRun() {
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        QTemporaryDir backups;
        const QString target = backups.filePath(kBackupMarker);
        ScriptedDialogs dialogs;
        BackupDialog backup(folder.path(), dialogs);
        RestoreDialog restore(folder.path(), dialogs);

        backup.show();
        dialogs.fileNames.enqueue(target);
        click(backup.chooseButton());
        click(backup.okButton());
        QVERIFY(QFile::remove(target));
        backup.show();
        QCOMPARE(backup.pathEdit()->text(), QDir::toNativeSeparators(target));
        click(backup.okButton());
        QVERIFY(quorvex::maintenance::isBankFile(target));

        restore.show();
        dialogs.fileNames.enqueue(target);
        click(restore.chooseButton());
        click(restore.okButton());
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        markUserData(connection);
        connection.close();
        restore.show();
        QCOMPARE(restore.source(), target);
        click(restore.okButton());
        QCOMPARE(dialogs.texts(),
                 (QStringList{"备份成功！", "备份成功！", "成功恢复数据！", "成功恢复数据！"}));
        QCOMPARE(userDataOfFile(folder.databasePath()), userDataOfFile(target));
        // A cancelled open dialog keeps the source; it started in the source's folder.
        restore.show();
        click(restore.chooseButton());
        QCOMPARE(restore.source(), target);

        // The file dialogs show every file; the save dialog proposes the dated name.
        const QVector<ScriptedDialogs::Entry> fileDialogs = [&] {
            QVector<ScriptedDialogs::Entry> out;
            for (const auto& entry : dialogs.entries) {
                if (entry.kind == ScriptedDialogs::Kind::SaveFile ||
                    entry.kind == ScriptedDialogs::Kind::OpenFile) {
                    out.append(entry);
                }
            }
            return out;
        }();
        QCOMPARE(fileDialogs.size(), 3);
        QCOMPARE(fileDialogs.at(0).filter, QStringLiteral("All files (*.mdb.bak) (*)"));
        QCOMPARE(fileDialogs.at(1).filter, QStringLiteral("All files (*.mdb.bak) (*)"));
        QCOMPARE(QFileInfo(fileDialogs.at(0).path).fileName(),
                 quorvex::maintenance::proposedBackupName(QDate::currentDate(), QLocale::system()));
        QCOMPARE(fileDialogs.at(2).path, backups.path());
    }

    void proposedName_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("name");
        // Short dates with "/" cannot be file names as they are.
        QTest::newRow("zh_CN") << QLocale(QLocale::Chinese, QLocale::China)
                               << "Quorvex医药软件数据备份2024-3-5";
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << "Quorvex医药软件数据备份3-5-24";
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany)
                               << "Quorvex医药软件数据备份05.03.24";
    }

    void proposedName() {
        QFETCH(QLocale, locale);
        QFETCH(QString, name);
        QCOMPARE(quorvex::maintenance::proposedBackupName(QDate(2024, 3, 5), locale), name);
    }

    void layout_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("backup") << "backup" << QSize(401, 199) << "数据备份" << true;
        QTest::newRow("restore") << "restore" << QSize(399, 200) << "数据还原" << false;
    }

    void layout() {
        QFETCH(QString, dialog);
        QFETCH(QSize, size);
        QFETCH(QString, title);
        QFETCH(bool, readOnly);
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        ScriptedDialogs dialogs;
        std::unique_ptr<DataFileDialog> window;
        if (dialog == QLatin1String("backup")) {
            window = std::make_unique<BackupDialog>(folder.path(), dialogs);
        } else {
            window = std::make_unique<RestoreDialog>(folder.path(), dialogs);
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->size(), size);
        QCOMPARE(window->minimumSize(), size);
        QCOMPARE(window->maximumSize(), size);
        QCOMPARE(window->windowTitle(), title);
        QCOMPARE(window->pathEdit()->isReadOnly(), readOnly);
        QCOMPARE(window->pathEdit()->pos(), QPoint(92, 33));
        QCOMPARE(window->pathEdit()->width(), 259);
        QCOMPARE(window->chooseButton()->geometry(), QRect(355, 30, 23, 22));
        QCOMPARE(window->okButton()->geometry(), QRect(233, 175, 73, 23));
        QCOMPARE(window->cancelButton()->geometry(), QRect(312, 174, 73, 23));
        QCOMPARE(window->chooseButton()->text(), QStringLiteral("..."));
        QCOMPARE(window->okButton()->text(), QStringLiteral("确定"));
        QCOMPARE(window->cancelButton()->text(), QStringLiteral("取消"));
        auto* label = window->findChild<QLabel*>(QStringLiteral("fileLabel"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("数据备份文件"));
        QVERIFY(label->geometry().right() < 92);
        auto* explanation = window->findChild<QLabel*>(QStringLiteral("explanationLabel"));
        QVERIFY(explanation);
        QVERIFY(explanation->text().startsWith(QStringLiteral("说明：重装系统或重新安装本软件时")));
        // Every control lies inside the window, the explanation between the path box and the buttons.
        for (QWidget* child : window->findChildren<QWidget*>()) {
            QVERIFY2(window->rect().contains(child->geometry()), qPrintable(child->objectName()));
        }
        QVERIFY(explanation->geometry().top() > window->pathEdit()->geometry().bottom());
        QVERIFY(explanation->geometry().bottom() < window->cancelButton()->geometry().top());

        click(window->cancelButton());
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
        QVERIFY(dialogs.entries.isEmpty());
    }
};

QTEST_MAIN(TestBackupRestore)
#include "test_backup_restore.moc"
