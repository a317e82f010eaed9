#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace quorvex::mainwindow {

// The title bar of the frameless main window: the title label and the window buttons. Pressing on the
// bar's surface moves the window through the window system.
class TitleBar : public QWidget {
    Q_OBJECT
  public:
    explicit TitleBar(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return titleLabel_; }
    QToolButton* minimizeButton() const { return minimizeButton_; }
    QToolButton* closeButton() const { return closeButton_; }

  Q_SIGNALS:
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QLabel* titleLabel_;
    QToolButton* minimizeButton_;
    QToolButton* closeButton_;
};

}  // namespace quorvex::mainwindow
