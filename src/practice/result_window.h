#pragma once

#include <QDialog>
#include <QString>

class QAbstractButton;

namespace quorvex::study {
class PageView;
}

namespace quorvex::practice {

// The result window ("测试结果"): a page view for the score sheet above a strip with the close button.
// Fixed size, centred on its parent when shown. Created anew for every report.
class ResultWindow : public QDialog {
    Q_OBJECT
  public:
    ResultWindow(const QString& programFolder, QWidget* parent = nullptr);
    ~ResultWindow() override;

    study::PageView* pageView() const { return pageView_; }
    QAbstractButton* closeButton() const { return closeButton_; }

  Q_SIGNALS:
    // Every time the window becomes the active window (the sheet is built after each).
    void activated();

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    study::PageView* pageView_ = nullptr;
    QAbstractButton* closeButton_ = nullptr;
};

}  // namespace quorvex::practice
