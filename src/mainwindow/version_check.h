#pragma once

#include <QDate>
#include <QString>

namespace quorvex::mainwindow {

// Version files in the program folder: the last fetched remote one and the installed one. Both have
// the layout "[File1]" / "Date=yyyy-MM-dd".
inline const QString kRemoteVersionFile = QStringLiteral("tmp.ini");
inline const QString kInstalledVersionFile = QStringLiteral("predate.ini");
inline const QString kVersionSection = QStringLiteral("File1");
inline const QString kVersionKey = QStringLiteral("Date");

// Optional settings beside the program: "[Update]" / "Host=..." replaces the default update host.
inline const QString kUpdateSettingsFile = QStringLiteral("update.ini");

inline const QString kUpdateNeededTitle = QStringLiteral("信息");
inline const QString kUpdateNeeded = QStringLiteral("软件需要更新");
inline const QString kAlreadyLatest = QStringLiteral("已经是最新版本");
inline const QString kCheckNetwork = QStringLiteral("请检查网络连接");

// "yyyy-MM-dd": the form of a version date, and the default of a missing one.
QString versionDateOf(const QDate& day);

// The value of `key` in `[section]` of an INI file, or `fallback` when the file, the section or the key
// is missing. Section and key names are matched without regard to case, blanks around the name and
// the value are dropped and one pair of double quotes around the value is removed. A key that is
// present with an empty value yields "".
//
// A small reader of our own rather than QSettings: QSettings turns "a,b" into a list, gives "@" and "%"
// a meaning of their own, and caches files it has read in the same second.
QString readIniValue(const QString& iniPath, const QString& section, const QString& key,
                     const QString& fallback);

// The same for INI text already read.
QString iniValueInText(const QString& text, const QString& section, const QString& key,
                       const QString& fallback);

// True when the content has a non-empty "Date" in "[File1]". A fetched file without it (a proxy's or
// a captive portal's page answered with 200) is not kept: its date would default to today and
// announce an update that does not exist.
bool isVersionFile(const QByteArray& content);

// "Date" of "[File1]" in the file, `today` (yyyy-MM-dd) when missing.
QString readVersionDate(const QString& iniPath, const QString& today);

// An update is due when the remote date is greater than the installed one, compared as text character
// by character: "2011-3-5" is greater than "2011-12-01".
bool isUpdateDue(const QString& remoteDate, const QString& installedDate);

// Compares tmp.ini with predate.ini in the program folder (which ends with "/"); `today` is the
// default of either date.
bool isUpdateDueIn(const QString& programFolder, const QString& today);

// The host of the version files: "Host" of "[Update]" in update.ini beside the program when it is a
// plain host name (with an optional ":port"), otherwise kUpdateHost.
QString updateHostFor(const QString& programFolder);

// "http://" + updateHostFor(programFolder) + "/radazir/" + subject code + "/Predate.ini"; empty when the
// subject code is empty (the bank could not be read at start).
QString updateIniUrlFor(const QString& programFolder, const QString& subjectCode);

// The separate updater in the program folder: "app_upd.exe" on Windows, "app_upd" elsewhere.
QString updaterProgramPath(const QString& programFolder);

}  // namespace quorvex::mainwindow
