#include "help_location.h"

#include <QDir>
#include <QFileInfo>

namespace quorvex::mainwindow {

QString helpDocumentPath(const QString& programFolder) {
#ifdef Q_OS_WIN
    return helpDocumentPath(programFolder, true);
#else
    return helpDocumentPath(programFolder, false);
#endif
}

QString helpDocumentPath(const QString& programFolder, bool platformOpensChm) {
    const QDir folder(programFolder);
    if (platformOpensChm) {
        const QString chm = folder.filePath(QStringLiteral("hlp.chm"));
        if (QFileInfo(chm).isFile()) {
            return chm;
        }
    }
    return folder.filePath(QStringLiteral("help/index.html"));
}

}  // namespace quorvex::mainwindow
