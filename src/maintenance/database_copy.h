#pragma once

#include <QString>

namespace quorvex::maintenance {

// The outcome of a backup or restore; `error` says what went wrong, for diagnosis (the user sees only
// the dialog's fixed message).
struct CopyResult {
    bool ok = false;
    QString error;

    static CopyResult success() { return {true, QString()}; }
    static CopyResult failure(const QString& why) { return {false, why}; }
};

// Writes a consistent copy of the bank at `databasePath` to `targetPath`, replacing a file of that
// name. The copy is taken through the engine's online backup under its read lock, so a write by
// another program cannot tear it; it goes to a temporary file beside the target, keyed with the
// database password, and is renamed over the target only when complete. A failure leaves no file
// under the target's name (an existing one keeps its old content) and never touches the database.
CopyResult backupDatabase(const QString& databasePath, const QString& targetPath);

// True when the file opens with the database password and holds every table of a bank.
// Opening may write to the file (a hot journal beside it would be rolled back): check copies only.
bool isBankFile(const QString& path);

// Where a restore keeps the database file it replaced: databasePath + ".before-restore".
QString beforeRestorePath(const QString& databasePath);

// Replaces the bank at `databasePath` by the file `sourcePath`:
// 1. the source is copied to a temporary file beside the database;
// 2. that copy must be a bank (isBankFile), otherwise nothing else happens;
// 3. the current database file, if any, is copied to beforeRestorePath();
// 4. the copy is renamed over the database file, and the kept engine handles of the file are released,
//    so that every connection reads the restored file from its next open on.
// Until step 4 the database file is untouched; step 4 is a single rename.
CopyResult restoreDatabase(const QString& sourcePath, const QString& databasePath);

}  // namespace quorvex::maintenance
