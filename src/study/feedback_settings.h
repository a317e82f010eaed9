#pragma once

#include <QString>

namespace quorvex::study {

// Where error reports go: a Qt SQL driver and its connection. The program's own server is SQL Server
// reached through ODBC with the FreeTDS driver; an optional "feedback.ini" beside the program replaces
// any of the values (group [feedback], keys driver, host, port, database, user, password). A value with
// ";" or "," must be written in double quotes (password="a;b"), as in any INI file read by QSettings.
struct FeedbackSettings {
    QString driver = QStringLiteral("QODBC");
    QString host = QStringLiteral("feedback.quorvex.cn");
    int port = 1433;
    QString database = QStringLiteral("doduvev");
    QString user = QStringLiteral("sa");
    QString password = QStringLiteral("mpdlrkzsfwqnv405");
    // Bounds both the connection and the insert.
    int timeoutSeconds = 10;
};

inline const QString kFeedbackSettingsFile = QStringLiteral("feedback.ini");

// The defaults, with what the file at `iniPath` sets (a missing file changes nothing). A driver other
// than the default without a port of its own gets that driver's usual port.
FeedbackSettings readFeedbackSettings(const QString& iniPath);

// The database name handed to the driver: for ODBC a DSN-less connection string naming the FreeTDS
// driver, the server, port and catalog (user and password are passed apart from it); for the others the
// database itself. An ODBC database that already is a connection string or a DSN is passed as it is.
QString driverDatabaseName(const FeedbackSettings& settings);
// The driver's connect options that carry the time-out (login and statements), empty for drivers
// without any.
QString driverConnectOptions(const FeedbackSettings& settings);

// `text` with every occurrence of the password replaced, for anything written to a log.
QString redactPassword(const QString& text, const FeedbackSettings& settings);

}  // namespace quorvex::study
