#pragma once

#include <QAbstractButton>
#include <QHash>
#include <QImage>
#include <QString>

namespace quorvex::mainwindow {

// The button pictures of the process, each file read from disk once and then shared. A file that
// is missing or unreadable is remembered as a null image, so it is not looked for again either.
// For the GUI thread only.
class PictureCache {
  public:
    static PictureCache& instance();

    // The picture at `path`, or a null image.
    QImage picture(const QString& path);
    // How many times a file was read (or looked for) since the start or the last clear().
    int diskReads() const { return diskReads_; }
    // Forgets every picture, e.g. after the pictures on disk were drawn again.
    void clear();

  private:
    PictureCache() = default;

    QHash<QString, QImage> pictures_;
    int diskReads_ = 0;
};

// A flat button that shows one of three pictures from the program's tp/ folder: the idle picture,
// the hover picture while the pointer is over it and the pressed picture while a mouse button holds
// it down. It takes the size of its idle picture. Missing pictures never stop it: a missing hover or
// pressed picture shows the idle one, and without an idle picture the button draws its label on a
// plain face of its own, with the same hover and pressed feedback. Takes no keyboard focus, so a
// click leaves the focus where it was (in the page view).
class PictureButton : public QAbstractButton {
    Q_OBJECT
  public:
    enum class State { Idle, Hover, Pressed };

    // `pictureFolder` is the tp/ folder; the three names are file names inside it. A control that
    // keeps its idle picture when pressed passes the idle name again as `pressedFile`.
    PictureButton(const QString& pictureFolder, const QString& idleFile, const QString& hoverFile,
                  const QString& pressedFile, const QString& label, QWidget* parent = nullptr);

    State state() const;
    // The picture shown in `state` (null when the button draws its label instead).
    QImage picture(State state) const;
    // False when the idle picture is missing and the label is drawn instead.
    bool hasPicture() const { return !idle_.isNull(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void paintLabelFace(QPainter& painter, State state) const;

    QImage idle_;
    QImage hover_;
    QImage pressed_;
    bool hovered_ = false;
};

}  // namespace quorvex::mainwindow
