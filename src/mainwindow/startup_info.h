#pragma once

#include <QString>
#include <optional>

namespace quorvex::store {
class Connection;
}

namespace quorvex::mainwindow {

// Why the bank could not be read at start.
enum class StartupFailureKind {
    MissingFile,    // no file at the bank's path
    CannotOpen,     // wrong password, or a file that is not a bank file at all
    MissingTables,  // opens, but a bank table is missing
    MissingRows,    // the subject row or the question-count row is missing
    ReadError,      // any other error while reading
};

struct StartupFailure {
    StartupFailureKind kind = StartupFailureKind::ReadError;
    QString databasePath;
    QString detail;  // the engine's message, or the table that lacks its row
};

// The one message shown when the bank cannot be read at start: names the file and the reason.
QString startupFailureMessage(const StartupFailure& failure);

// What the main window reads from the bank when it is created. Fields are filled in reading order,
// so a failure part-way leaves what was read before it.
struct StartupInfo {
    bool subjectRead = false;
    QString subjectName;  // kemu.ID
    QString subjectCode;  // kemu.mz
    bool countRead = false;
    QString questionCount;  // geshu.kemugeshu, as stored
    std::optional<StartupFailure> failure;
};

// Opens the connection, checks that the file is a bank, reads the first rows of kemu and geshu, and
// closes the connection again. Never throws: a failure is returned in `failure`.
StartupInfo readStartupInfo(store::Connection& connection);

}  // namespace quorvex::mainwindow
