#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace quorvex::maintenance {

// Every backup file name carries this marker; the restore accepts only paths that contain it.
inline const QString kBackupMarker = QStringLiteral("Quorvex医药软件数据备份");
// One filter entry labelled "All files (*.mdb.bak)" that shows every file.
inline const QString kBackupFileFilter = QStringLiteral("All files (*.mdb.bak) (*)");

inline const QString kBackupTitle = QStringLiteral("数据备份");
inline const QString kRestoreTitle = QStringLiteral("数据还原");
inline const QString kFileLabel = QStringLiteral("数据备份文件");
inline const QString kExplanation = QStringLiteral(
    "说明：重装系统或重新安装本软件时，请进行数据备份操作，重新安装本软件后，再进行数据还原操作。"
    "这样，可以保留原来的答题历史记录等重要数据。");

inline const QString kChooseBackupPath = QStringLiteral("请选择备份路径！");
inline const QString kBackupSucceeded = QStringLiteral("备份成功！");
inline const QString kBackupFailed = QStringLiteral("备份失败，请重试！");
inline const QString kChooseRestorePath = QStringLiteral("请选择恢复路径！");
inline const QString kNotABackupName = QStringLiteral("请恢复您备份的文件！");
inline const QString kRestoreSucceeded = QStringLiteral("成功恢复数据！");
inline const QString kRestoreFailed = QStringLiteral("恢复失败，请重试!");

// The marker followed by the day in the locale's short date format, made fit for a file name: short
// dates may hold "/" (and other locales other characters a file name cannot carry), which become "-".
QString proposedBackupName(const QDate& day, const QLocale& locale);

// Replaces the characters that cannot appear in a file name on any of our platforms with "-".
QString fileNameSafe(const QString& text);

// A restore source must have the marker somewhere in its full path (folder or file name).
bool hasBackupMarker(const QString& path);

}  // namespace quorvex::maintenance
