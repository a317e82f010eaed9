#pragma once

#include <QImage>
#include <QWidget>

class QLabel;

namespace quorvex::mainwindow {

class PictureButton;

// The title bar of the frameless main window: its background picture, the title label and the
// minimize, maximize, restore and close pictures. Pressing on the bar's surface moves the window
// through the window system; a double click maximizes or restores.
class TitleBar : public QWidget {
    Q_OBJECT
  public:
    // `pictureFolder` is the program's tp/ folder.
    explicit TitleBar(const QString& pictureFolder, QWidget* parent = nullptr);

    QLabel* titleLabel() const { return titleLabel_; }
    PictureButton* minimizeButton() const { return minimizeButton_; }
    PictureButton* maximizeButton() const { return maximizeButton_; }
    PictureButton* restoreButton() const { return restoreButton_; }
    PictureButton* closeButton() const { return closeButton_; }

  Q_SIGNALS:
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QImage background_;
    QLabel* titleLabel_;
    PictureButton* minimizeButton_;
    PictureButton* maximizeButton_;
    PictureButton* restoreButton_;
    PictureButton* closeButton_;
};

}  // namespace quorvex::mainwindow
