#include "version_check.h"

#include <QFile>
#include <QRegularExpression>

#include "mainwindow/main_window_texts.h"

namespace quorvex::mainwindow {

namespace {

QString withTrailingSeparator(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))) {
        return folder;
    }
    return folder + QLatin1Char('/');
}

QString unquoted(const QString& value) {
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

}  // namespace

QString versionDateOf(const QDate& day) {
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

QString readIniValue(const QString& iniPath, const QString& section, const QString& key,
                     const QString& fallback) {
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return fallback;
    }
    return iniValueInText(QString::fromUtf8(file.readAll()), section, key, fallback);
}

QString iniValueInText(const QString& text, const QString& section, const QString& key,
                       const QString& fallback) {
    bool inSection = false;
    const QString body = text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;  // a UTF-8 byte order mark
    const QStringList lines = body.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            const int close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (!inSection || equals < 0) {
            continue;
        }
        if (line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            return unquoted(line.mid(equals + 1).trimmed());
        }
    }
    return fallback;
}

bool isVersionFile(const QByteArray& content) {
    return !iniValueInText(QString::fromUtf8(content), kVersionSection, kVersionKey, QString()).isEmpty();
}

QString readVersionDate(const QString& iniPath, const QString& today) {
    return readIniValue(iniPath, kVersionSection, kVersionKey, today);
}

bool isUpdateDue(const QString& remoteDate, const QString& installedDate) {
    // QString compares UTF-16 code units: an ordinal comparison, independent of the locale.
    return QString::compare(remoteDate, installedDate, Qt::CaseSensitive) > 0;
}

bool isUpdateDueIn(const QString& programFolder, const QString& today) {
    const QString folder = withTrailingSeparator(programFolder);
    return isUpdateDue(readVersionDate(folder + kRemoteVersionFile, today),
                       readVersionDate(folder + kInstalledVersionFile, today));
}

QString updateHostFor(const QString& programFolder) {
    const QString configured = readIniValue(withTrailingSeparator(programFolder) + kUpdateSettingsFile,
                                            QStringLiteral("Update"), QStringLiteral("Host"), QString());
    // A host name or address with an optional port; anything else would change the address's path.
    static const QRegularExpression kPlainHost(QStringLiteral("^[A-Za-z0-9.-]+(:[0-9]{1,5})?$"));
    return kPlainHost.match(configured).hasMatch() ? configured : kUpdateHost;
}

QString updateIniUrlFor(const QString& programFolder, const QString& subjectCode) {
    if (subjectCode.isEmpty()) {
        return QString();
    }
    return QStringLiteral("http://") + updateHostFor(programFolder) + QStringLiteral("/radazir/") +
           subjectCode + QStringLiteral("/Predate.ini");
}

QString updaterProgramPath(const QString& programFolder) {
#ifdef Q_OS_WIN
    return withTrailingSeparator(programFolder) + QStringLiteral("app_upd.exe");
#else
    return withTrailingSeparator(programFolder) + QStringLiteral("app_upd");
#endif
}

}  // namespace quorvex::mainwindow
