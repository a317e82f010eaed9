#include "backup_dialog.h"

#include <QDate>
#include <QDir>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "maintenance/database_copy.h"
#include "maintenance/maintenance_texts.h"
#include "mainwindow/user_dialogs.h"
#include "store/connection.h"

namespace quorvex::maintenance {

BackupDialog::BackupDialog(const QString& programFolder, UserDialogs& dialogs, QWidget* parent)
    : DataFileDialog(kBackupTitle, QSize(401, 199), parent),
      databasePath_(store::databasePathFor(programFolder)),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("backupDialog"));
    pathEdit()->setReadOnly(true);
    connect(chooseButton(), &QPushButton::clicked, this, &BackupDialog::chooseTarget);
    connect(okButton(), &QPushButton::clicked, this, &BackupDialog::writeBackup);
}

void BackupDialog::chooseTarget() {
    const QString proposed =
        QDir(startFolder(target_)).filePath(proposedBackupName(QDate::currentDate(), QLocale::system()));
    const QString chosen = dialogs_.saveFileName(this, QString(), proposed, kBackupFileFilter);
    if (chosen.isEmpty()) {
        return;
    }
    target_ = QDir::cleanPath(QDir(chosen).absolutePath());
    pathEdit()->setText(QDir::toNativeSeparators(target_));
}

void BackupDialog::writeBackup() {
    if (pathEdit()->text().trimmed().isEmpty()) {
        dialogs_.showMessage(this, kChooseBackupPath);
        return;
    }
    if (!backupDatabase(databasePath_, target_).ok) {
        dialogs_.showMessage(this, kBackupFailed);
        return;
    }
    dialogs_.showMessage(this, kBackupSucceeded);
    accept();
}

}  // namespace quorvex::maintenance
