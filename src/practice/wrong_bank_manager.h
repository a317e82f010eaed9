#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QTreeWidget;
class QPushButton;

namespace quorvex::store {
class Connection;
}

namespace quorvex::practice {

// The wrong-question bank manager: lists the questions whose ct is "1", in id order, with a check box
// each, and takes the ticked ones out of the bank (ct cleared; ct1 and the question stay). List item i
// stands for row i + 1 of the source query; the list is never sorted.
class WrongBankManager : public QDialog {
    Q_OBJECT
  public:
    explicit WrongBankManager(const QString& programFolder, QWidget* parent = nullptr);
    ~WrongBankManager() override;

    QTreeWidget* list() const { return list_; }

  public Q_SLOTS:
    void loadList();
    void selectAll();
    void invertSelection();
    void removeTicked();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

  private:
    std::unique_ptr<store::Connection> connection_;
    QTreeWidget* list_;
};

}  // namespace quorvex::practice
