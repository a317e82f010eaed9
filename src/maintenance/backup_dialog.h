#pragma once

#include <QString>

#include "maintenance/data_file_dialog.h"

namespace quorvex {
class UserDialogs;
}

namespace quorvex::maintenance {

// "数据备份": copies the bank to a file the user chooses. Create it once and show it with exec() each
// time: the chosen file is remembered for the rest of the run, so "确定" straight away repeats the
// last backup. The path box is read-only; it shows the chosen file.
class BackupDialog : public DataFileDialog {
    Q_OBJECT
  public:
    // `programFolder` holds Data/med.mdb; every message and file dialog goes through `dialogs`.
    BackupDialog(const QString& programFolder, UserDialogs& dialogs, QWidget* parent = nullptr);

    // The backup file chosen last; empty until one is chosen.
    const QString& target() const { return target_; }

  public Q_SLOTS:
    // "...": the save dialog, proposing "Quorvex医药软件数据备份" + today's short date.
    void chooseTarget();
    // "确定": writes the backup and closes the dialog, or says why not and stays open.
    void writeBackup();

  private:
    QString databasePath_;
    UserDialogs& dialogs_;
    QString target_;
};

}  // namespace quorvex::maintenance
