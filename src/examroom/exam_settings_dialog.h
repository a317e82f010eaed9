#pragma once

#include <QDialog>

namespace quorvex::examroom {

// The exam settings window, the first step into the exam room. It tells its caller through
// enterChosen() whether it was left with "进 入". The counts per question type are edited here once
// the exam room is built; for now the window offers its two buttons.
class ExamSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ExamSettingsDialog(QWidget* parent = nullptr);

    // 1 after "进 入", 0 from every showing on; not reset on close, so the caller reads it afterwards.
    int enterChosen() const { return enterChosen_; }

  public Q_SLOTS:
    void enter();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    int enterChosen_ = 0;
};

}  // namespace quorvex::examroom
