#pragma once

#include <QString>

#include "maintenance/data_file_dialog.h"

namespace quorvex {
class UserDialogs;
}

namespace quorvex::maintenance {

// "数据还原": puts a backup file in the bank's place. Create it once and show it with exec() each time:
// the accepted file is remembered for the rest of the run. Only a file whose full path holds
// "Quorvex医药软件数据备份" is accepted, and only a bank file replaces the database (see
// restoreDatabase: the old file is kept as Data/med.mdb.before-restore). Text typed into the path box
// only tells whether a path was given; the source is always the file accepted through "...".
class RestoreDialog : public DataFileDialog {
    Q_OBJECT
  public:
    // `programFolder` holds Data/med.mdb; every message and file dialog goes through `dialogs`.
    RestoreDialog(const QString& programFolder, UserDialogs& dialogs, QWidget* parent = nullptr);

    // The backup file accepted last; empty until one is accepted.
    const QString& source() const { return source_; }

  public Q_SLOTS:
    // "...": the open dialog; the file is accepted if its path holds the backup marker.
    void chooseSource();
    // "确定": restores and closes the dialog, or says why not and stays open.
    void restoreBackup();

  Q_SIGNALS:
    // The database file has been replaced; the next read of every connection sees the restored data.
    void restored();

  private:
    QString databasePath_;
    UserDialogs& dialogs_;
    QString source_;
};

}  // namespace quorvex::maintenance
