#include "database_copy.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include "store/connection.h"
#include "store/shared_handle.h"
#include "store/store_error.h"

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#endif

namespace quorvex::maintenance {

namespace {

using store::Connection;
using store::StoreError;

// Connection string values go in double quotes, so that a path may hold ";".
QString quoted(QString value) {
    value.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + value + QLatin1Char('"');
}

QString connectionStringForFile(const QString& path) {
    return QStringLiteral("Data Source=") + quoted(path) + QStringLiteral(";Jet OLEDB:Database Password=") +
           quoted(store::kDatabasePassword);
}

// A hidden, unique name in the target's own folder, so that the final rename stays on one file system.
QString temporaryTemplateBeside(const QString& target) {
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX");
}

// Renames `from` over `to` in one step: `to` names either its old or its new content, never neither.
bool replaceFile(const QString& from, const QString& to, QString* error) {
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                    reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    *error = QStringLiteral("cannot rename %1 to %2 (error %3)").arg(from, to).arg(GetLastError());
    return false;
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) {
        return true;
    }
    *error = QStringLiteral("cannot rename %1 to %2: %3")
                 .arg(from, to, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
#endif
}

// The data reaches the disk before the rename that makes it the database.
bool syncToDisk(QFile& file) {
    if (!file.flush()) {
        return false;
    }
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

bool copyBytes(QFile& in, QFileDevice& out, QString* error) {
    constexpr qint64 kChunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            *error = QStringLiteral("cannot read %1: %2").arg(in.fileName(), in.errorString());
            return false;
        }
        if (out.write(chunk) != chunk.size()) {
            *error = QStringLiteral("cannot write %1: %2").arg(out.fileName(), out.errorString());
            return false;
        }
    }
    return true;
}

// A byte copy written through a temporary file and renamed over `to` on commit.
CopyResult copyFileReplacing(const QString& from, const QString& to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        return CopyResult::failure(QStringLiteral("cannot open %1: %2").arg(from, in.errorString()));
    }
    QSaveFile out(to);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) {
        return CopyResult::failure(QStringLiteral("cannot create %1: %2").arg(to, out.errorString()));
    }
    QString error;
    if (!copyBytes(in, out, &error)) {
        out.cancelWriting();
        return CopyResult::failure(error);
    }
    if (!out.commit()) {
        return CopyResult::failure(QStringLiteral("cannot write %1: %2").arg(to, out.errorString()));
    }
    return CopyResult::success();
}

bool isSameFile(const QString& a, const QString& b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

// Copies every page of `source` into the (empty) keyed file `targetPath` under the engine's read lock.
void copyPages(Connection& source, const QString& targetPath) {
    const std::shared_ptr<store::SharedHandle> target =
        store::SharedHandle::open(targetPath, store::kDatabasePassword, true);
    const QString context = QStringLiteral("Cannot copy the database to %1").arg(targetPath);
    sqlite3_backup* backup = sqlite3_backup_init(target->db(), "main", source.engineHandle(), "main");
    if (backup == nullptr) {
        throw StoreError(context, target->errorMessage());
    }
    const int stepResult = sqlite3_backup_step(backup, -1);
    const int finishResult = sqlite3_backup_finish(backup);
    if (stepResult != SQLITE_DONE) {
        throw StoreError(context, QString::fromUtf8(sqlite3_errstr(stepResult)));
    }
    if (finishResult != SQLITE_OK) {
        throw StoreError(context, target->errorMessage());
    }
}

}  // namespace

CopyResult backupDatabase(const QString& databasePath, const QString& targetPath) {
    if (targetPath.trimmed().isEmpty()) {
        return CopyResult::failure(QStringLiteral("no backup file was chosen"));
    }
    if (QFileInfo(targetPath).isDir()) {
        return CopyResult::failure(QStringLiteral("%1 is a folder").arg(targetPath));
    }
    if (isSameFile(targetPath, databasePath)) {
        return CopyResult::failure(QStringLiteral("the backup file is the database itself"));
    }

    QTemporaryFile temporary(temporaryTemplateBeside(targetPath));
    if (!temporary.open()) {
        return CopyResult::failure(
            QStringLiteral("cannot create a file beside %1: %2").arg(targetPath, temporary.errorString()));
    }
    const QString temporaryPath = temporary.fileName();
    temporary.close();

    try {
        Connection source(connectionStringForFile(databasePath));
        source.open();
        copyPages(source, temporaryPath);
    } catch (const StoreError& error) {
        QFile::remove(temporaryPath + QStringLiteral("-journal"));
        return CopyResult::failure(error.message());
    }

    QString error;
    if (!replaceFile(temporaryPath, targetPath, &error)) {
        return CopyResult::failure(error);
    }
    temporary.setAutoRemove(false);
    return CopyResult::success();
}

bool isBankFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    bool bank = false;
    try {
        Connection connection(connectionStringForFile(path));
        connection.open();  // checks the key and every bank table
        bank = true;
    } catch (const StoreError&) {
        bank = false;
    }
    Connection::releaseFile(path);
    return bank;
}

QString beforeRestorePath(const QString& databasePath) {
    return databasePath + QStringLiteral(".before-restore");
}

CopyResult restoreDatabase(const QString& sourcePath, const QString& databasePath) {
    if (sourcePath.isEmpty() || !QFileInfo(sourcePath).isFile()) {
        return CopyResult::failure(QStringLiteral("the backup file %1 does not exist").arg(sourcePath));
    }

    // 1. The source, copied beside the database.
    QTemporaryFile temporary(temporaryTemplateBeside(databasePath));
    if (!temporary.open()) {
        return CopyResult::failure(
            QStringLiteral("cannot create a file beside %1: %2").arg(databasePath, temporary.errorString()));
    }
    const QString temporaryPath = temporary.fileName();
    {
        QFile in(sourcePath);
        if (!in.open(QIODevice::ReadOnly)) {
            return CopyResult::failure(
                QStringLiteral("cannot open %1: %2").arg(sourcePath, in.errorString()));
        }
        QString error;
        if (!copyBytes(in, temporary, &error)) {
            return CopyResult::failure(error);
        }
        if (!syncToDisk(temporary)) {
            return CopyResult::failure(QStringLiteral("cannot write %1").arg(temporaryPath));
        }
        temporary.close();
    }

    // 2. Only a bank may take the database's place.
    if (!isBankFile(temporaryPath)) {
        return CopyResult::failure(
            QStringLiteral("%1 is not a bank file of this program (wrong password or missing tables)")
                .arg(sourcePath));
    }

    // 3. The file about to be replaced stays beside it. No engine lock is held between actions (each
    // connection works and returns), so the file alone is the whole database here.
    if (QFileInfo::exists(databasePath)) {
        const CopyResult kept = copyFileReplacing(databasePath, beforeRestorePath(databasePath));
        if (!kept.ok) {
            return kept;
        }
    }

    // 4. One rename. Kept engine handles are released first (a file held open cannot be replaced on
    // every platform) and again after, so that no connection goes on reading the old file.
    Connection::releaseFile(databasePath);
    QString error;
    if (!replaceFile(temporaryPath, databasePath, &error)) {
        return CopyResult::failure(error);
    }
    temporary.setAutoRemove(false);
    Connection::releaseFile(databasePath);
    return CopyResult::success();
}

}  // namespace quorvex::maintenance
