#include "restore_dialog.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include "maintenance/database_copy.h"
#include "maintenance/maintenance_texts.h"
#include "mainwindow/user_dialogs.h"
#include "store/connection.h"

namespace quorvex::maintenance {

RestoreDialog::RestoreDialog(const QString& programFolder, UserDialogs& dialogs, QWidget* parent)
    : DataFileDialog(kRestoreTitle, QSize(399, 200), parent),
      databasePath_(store::databasePathFor(programFolder)),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("restoreDialog"));
    connect(chooseButton(), &QPushButton::clicked, this, &RestoreDialog::chooseSource);
    connect(okButton(), &QPushButton::clicked, this, &RestoreDialog::restoreBackup);
}

void RestoreDialog::chooseSource() {
    const QString chosen = dialogs_.openFileName(this, QString(), startFolder(source_), kBackupFileFilter);
    if (chosen.isEmpty()) {
        return;
    }
    const QString path = QDir::cleanPath(QDir(chosen).absolutePath());
    if (!hasBackupMarker(path)) {
        dialogs_.showMessage(this, kNotABackupName);
        return;
    }
    source_ = path;
    pathEdit()->setText(QDir::toNativeSeparators(source_));
}

void RestoreDialog::restoreBackup() {
    if (pathEdit()->text().trimmed().isEmpty()) {
        dialogs_.showMessage(this, kChooseRestorePath);
        return;
    }
    if (source_.isEmpty() || !restoreDatabase(source_, databasePath_).ok) {
        dialogs_.showMessage(this, kRestoreFailed);
        return;
    }
    dialogs_.showMessage(this, kRestoreSucceeded);
    accept();
    Q_EMIT restored();
}

}  // namespace quorvex::maintenance
