#include "bank_file.h"

#include "store/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quorvex::tools {

QString connectionStringForFile(const QString& filePath) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;user ID=Admin;Data Source=") +
           QFileInfo(filePath).absoluteFilePath() + QStringLiteral(";Persist Security Info=false") +
           QStringLiteral(";Jet OLEDB:Database Password=") + store::kDatabasePassword;
}

QString temporaryNameBeside(const QString& target) {
    const QFileInfo info(target);
    for (;;) {
        const QString name = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') +
                             QString::number(QRandomGenerator::global()->generate(), 16) +
                             QStringLiteral(".tmp");
        if (!QFileInfo::exists(name)) {
            return name;
        }
    }
}

bool renameReplacing(const QString& from, const QString& to, QString* error) {
    // std::rename replaces an existing target in one step; QFile::rename refuses to.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        if (error) {
            *error = QStringLiteral("cannot rename %1 to %2: %3")
                         .arg(from, to, QString::fromLocal8Bit(std::strerror(errno)));
        }
        return false;
    }
    return true;
}

bool copyFileReplacing(const QString& from, const QString& to, QString* error) {
    if (!QDir().mkpath(QFileInfo(to).absolutePath())) {
        if (error) {
            *error = QStringLiteral("cannot create the folder of %1").arg(to);
        }
        return false;
    }
    const QString temporary = temporaryNameBeside(to);
    QFile source(from);
    if (!source.copy(temporary)) {
        if (error) {
            *error = QStringLiteral("cannot copy %1 to %2: %3").arg(from, temporary, source.errorString());
        }
        return false;
    }
    if (!renameReplacing(temporary, to, error)) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

}  // namespace quorvex::tools
