#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvex::maintenance {

// The look shared by the backup and the restore dialog: a fixed window with a close box only; the
// label "数据备份文件" left of the path box, the "..." button beside it, the explanation of when to back
// up and restore below, and "确定" and "取消" at the bottom right. "取消" closes the dialog; the
// subclasses connect "..." and "确定".
class DataFileDialog : public QDialog {
    Q_OBJECT
  public:
    QLineEdit* pathEdit() const { return pathEdit_; }
    QPushButton* chooseButton() const { return chooseButton_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

  protected:
    DataFileDialog(const QString& title, const QSize& clientSize, QWidget* parent);

    // The folder a file dialog starts in: the folder of the file chosen last, else the documents folder.
    static QString startFolder(const QString& lastFile);

  private:
    QLabel* fileLabel_;
    QLineEdit* pathEdit_;
    QPushButton* chooseButton_;
    QLabel* explanation_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

}  // namespace quorvex::maintenance
