#include "picture_button.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

namespace quorvex::mainwindow {

PictureCache& PictureCache::instance() {
    static PictureCache cache;
    return cache;
}

QImage PictureCache::picture(const QString& path) {
    const QString key = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const auto found = pictures_.constFind(key);
    if (found != pictures_.constEnd()) {
        return *found;
    }
    ++diskReads_;
    // QImageReader reports a missing or broken file only through its return value: no message.
    QImageReader reader(key);
    const QImage image = reader.read();
    pictures_.insert(key, image);
    return image;
}

void PictureCache::clear() {
    pictures_.clear();
    diskReads_ = 0;
}

PictureButton::PictureButton(const QString& pictureFolder, const QString& idleFile, const QString& hoverFile,
                             const QString& pressedFile, const QString& label, QWidget* parent)
    : QAbstractButton(parent) {
    const QDir folder(pictureFolder);
    PictureCache& cache = PictureCache::instance();
    const auto load = [&](const QString& fileName) {
        return fileName.isEmpty() ? QImage() : cache.picture(folder.filePath(fileName));
    };
    idle_ = load(idleFile);
    hover_ = load(hoverFile);
    pressed_ = load(pressedFile);

    setText(label);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

PictureButton::State PictureButton::state() const {
    if (isDown()) {
        return State::Pressed;
    }
    return hovered_ ? State::Hover : State::Idle;
}

QImage PictureButton::picture(State state) const {
    switch (state) {
        case State::Hover:
            return hover_.isNull() ? idle_ : hover_;
        case State::Pressed:
            return pressed_.isNull() ? idle_ : pressed_;
        case State::Idle:
            break;
    }
    return idle_;
}

QSize PictureButton::sizeHint() const {
    if (hasPicture()) {
        return idle_.size();
    }
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(text()) + 24, metrics.height() + 12};
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const State current = state();
    if (!hasPicture()) {
        paintLabelFace(painter, current);
        return;
    }
    if (!isEnabled()) {
        painter.setOpacity(0.45);
    }
    const QImage image = picture(current);
    if (image.size() == size()) {
        painter.drawImage(0, 0, image);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), image);
    }
}

// The face drawn when the idle picture is missing: the label on a flat rounded face in the
// palette's colours, tinted on hover and darker while pressed.
void PictureButton::paintLabelFace(QPainter& painter, State current) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QPainterPath path;
    path.addRoundedRect(face, 4, 4);
    QColor tint = palette().color(QPalette::Highlight);
    QColor edge = palette().color(QPalette::Mid);
    int shift = 0;
    switch (current) {
        case State::Idle:
            tint.setAlpha(0);
            edge.setAlpha(90);
            break;
        case State::Hover:
            tint.setAlpha(45);
            edge = palette().color(QPalette::Highlight);
            break;
        case State::Pressed:
            tint.setAlpha(90);
            edge = palette().color(QPalette::Highlight).darker(120);
            shift = 1;
            break;
    }
    painter.fillPath(path, tint);
    painter.setPen(QPen(edge, 1));
    painter.drawPath(path);

    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.setPen(palette().color(group, QPalette::ButtonText));
    const QRect textBox = rect().adjusted(4, 0, -4, 0).translated(shift, shift);
    painter.drawText(textBox, Qt::AlignCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, textBox.width()));
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// A button hidden under the pointer (show answers swapped for hide answers) gets no leave event;
// it must not come back in its hover picture.
void PictureButton::hideEvent(QHideEvent* event) {
    hovered_ = false;
    QAbstractButton::hideEvent(event);
}

}  // namespace quorvex::mainwindow
