#include "main_window_texts.h"

namespace quorvex::mainwindow {

QString titleForSubject(const QString& subjectName) {
    return kDesignTitle + QStringLiteral("  ") + subjectName;
}

QString questionCountText(const QString& storedCount) {
    return QStringLiteral("试题量：") + storedCount;
}

QString buildTimeText(const QDateTime& when) {
    return kBuildTimePrefix + when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

}  // namespace quorvex::mainwindow
