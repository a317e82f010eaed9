#include "study/feedback_settings.h"

#include <QFileInfo>
#include <QSettings>

namespace quorvex::study {

namespace {

int usualPort(const QString& driver) {
    if (driver == QLatin1String("QPSQL")) {
        return 5432;
    }
    if (driver == QLatin1String("QMYSQL") || driver == QLatin1String("QMARIADB")) {
        return 3306;
    }
    if (driver == QLatin1String("QODBC") || driver == QLatin1String("QTDS")) {
        return 1433;
    }
    return -1;  // the driver's own default
}

}  // namespace

FeedbackSettings readFeedbackSettings(const QString& iniPath) {
    FeedbackSettings settings;
    if (!QFileInfo(iniPath).isFile()) {
        return settings;
    }
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("feedback"));
    const auto read = [&ini](const char* key, QString& value) {
        const QString name = QString::fromLatin1(key);
        if (ini.contains(name)) {
            // An unquoted value with commas reads as a list; it was meant as one text.
            const QVariant stored = ini.value(name);
            value = stored.typeId() == QMetaType::QStringList ? stored.toStringList().join(QLatin1Char(','))
                                                              : stored.toString();
        }
    };
    const QString defaultDriver = settings.driver;
    read("driver", settings.driver);
    settings.driver = settings.driver.trimmed();
    read("host", settings.host);
    read("database", settings.database);
    read("user", settings.user);
    read("password", settings.password);

    bool portRead = false;
    if (ini.contains(QStringLiteral("port"))) {
        const int port = ini.value(QStringLiteral("port")).toString().trimmed().toInt(&portRead);
        portRead = portRead && port > 0 && port < 65536;
        if (portRead) {
            settings.port = port;
        }
    }
    if (!portRead && settings.driver != defaultDriver) {
        settings.port = usualPort(settings.driver);
    }
    return settings;
}

QString driverDatabaseName(const FeedbackSettings& settings) {
    if (settings.driver != QLatin1String("QODBC")) {
        return settings.database;
    }
    if (settings.database.contains(QLatin1Char('='))) {
        return settings.database;
    }
    QString name = QStringLiteral("DRIVER={FreeTDS};SERVER=") + settings.host;
    if (settings.port > 0) {
        name += QStringLiteral(";PORT=") + QString::number(settings.port);
    }
    return name + QStringLiteral(";DATABASE=") + settings.database +
           QStringLiteral(";TDS_Version=7.3;ClientCharset=UTF-8");
}

QString driverConnectOptions(const FeedbackSettings& settings) {
    const QString seconds = QString::number(settings.timeoutSeconds);
    if (settings.driver == QLatin1String("QPSQL")) {
        // libpq: the wait for the server, and the statement time-out the server enforces.
        return QStringLiteral("connect_timeout=") + seconds +
               QStringLiteral(";options='-c statement_timeout=") +
               QString::number(settings.timeoutSeconds * 1000) + QStringLiteral("'");
    }
    if (settings.driver == QLatin1String("QODBC")) {
        return QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=") + seconds +
               QStringLiteral(";SQL_ATTR_CONNECTION_TIMEOUT=") + seconds;
    }
    if (settings.driver == QLatin1String("QMYSQL") || settings.driver == QLatin1String("QMARIADB")) {
        return QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=") + seconds +
               QStringLiteral(";MYSQL_OPT_READ_TIMEOUT=") + seconds +
               QStringLiteral(";MYSQL_OPT_WRITE_TIMEOUT=") + seconds;
    }
    return QString();
}

QString redactPassword(const QString& text, const FeedbackSettings& settings) {
    if (settings.password.isEmpty()) {
        return text;
    }
    QString redacted = text;
    return redacted.replace(settings.password, QStringLiteral("******"));
}

}  // namespace quorvex::study
