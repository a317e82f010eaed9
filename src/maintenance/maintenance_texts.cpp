#include "maintenance_texts.h"

namespace quorvex::maintenance {

QString proposedBackupName(const QDate& day, const QLocale& locale) {
    return kBackupMarker + fileNameSafe(locale.toString(day, QLocale::ShortFormat));
}

QString fileNameSafe(const QString& text) {
    static const QString kForbidden = QStringLiteral("\\/:*?\"<>|");
    QString safe = text;
    for (QChar& c : safe) {
        if (kForbidden.contains(c) || c.unicode() < 0x20) {
            c = QLatin1Char('-');
        }
    }
    return safe;
}

bool hasBackupMarker(const QString& path) {
    return path.contains(kBackupMarker);
}

}  // namespace quorvex::maintenance
