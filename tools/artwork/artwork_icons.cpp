#include "artwork_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QtMath>

namespace quorvex::artwork::icons {

namespace {

// Clears the icon layer under `path` (filled), so that a shape drawn next stands apart from the
// one behind it.
void clearArea(QPainter& painter, const QPainterPath& path) {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillPath(path, Qt::black);
    painter.restore();
}

// Clears a band of `width` units along `path`.
void clearBand(QPainter& painter, const QPainterPath& path, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    clearArea(painter, stroker.createStroke(path));
}

void dot(QPainter& painter, QPointF centre, qreal radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    painter.fillPath(path, painter.pen().color());
}

QPointF onCircle(QPointF centre, qreal radius, qreal degrees) {
    const qreal a = qDegreesToRadians(degrees);
    return {centre.x() + radius * qCos(a), centre.y() - radius * qSin(a)};
}

// Two strokes meeting at `tip`, opening back against `direction` (a unit vector).
void arrowHead(QPainter& painter, QPointF tip, QPointF direction, qreal size) {
    const qreal c = qCos(qDegreesToRadians(40.0));
    const qreal s = qSin(qDegreesToRadians(40.0));
    const QPointF back(-direction.x(), -direction.y());
    const QPointF left(back.x() * c - back.y() * s, back.x() * s + back.y() * c);
    const QPointF right(back.x() * c + back.y() * s, -back.x() * s + back.y() * c);
    QPainterPath path;
    path.moveTo(tip + left * size);
    path.lineTo(tip);
    path.lineTo(tip + right * size);
    painter.drawPath(path);
}

// An arc of a circle (degrees counter-clockwise from three o'clock, Qt's convention) ending in an
// arrow head that points the way the arc runs.
void arcWithArrow(QPainter& painter, QPointF centre, qreal radius, qreal start, qreal sweep, qreal head) {
    QPainterPath path;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    painter.drawPath(path);
    const qreal end = qDegreesToRadians(start + sweep);
    const qreal sign = sweep > 0 ? 1.0 : -1.0;
    const QPointF direction(-qSin(end) * sign, -qCos(end) * sign);
    arrowHead(painter, onCircle(centre, radius, start + sweep), direction, head);
}

QPainterPath roundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// The letter A of the text-size buttons.
void letterA(QPainter& painter) {
    QPainterPath path;
    path.moveTo(2.5, 20);
    path.lineTo(8.5, 4.5);
    path.lineTo(14.5, 20);
    painter.drawPath(path);
    painter.drawLine(QPointF(4.8, 14.5), QPointF(12.2, 14.5));
}

QPainterPath floppy() {
    QPainterPath path;
    path.moveTo(5.5, 3);
    path.lineTo(16.5, 3);
    path.lineTo(21, 7.5);
    path.lineTo(21, 18.5);
    path.quadTo(21, 21, 18.5, 21);
    path.lineTo(5.5, 21);
    path.quadTo(3, 21, 3, 18.5);
    path.lineTo(3, 5.5);
    path.quadTo(3, 3, 5.5, 3);
    path.closeSubpath();
    return path;
}

void floppyWithArrow(QPainter& painter, bool down) {
    painter.drawPath(floppy());
    QPainterPath shutter;
    shutter.moveTo(7.5, 3);
    shutter.lineTo(7.5, 7.5);
    shutter.lineTo(15, 7.5);
    shutter.lineTo(15, 3);
    painter.drawPath(shutter);
    const qreal top = 11.0;
    const qreal bottom = 17.5;
    painter.drawLine(QPointF(12, top), QPointF(12, bottom));
    if (down) {
        arrowHead(painter, QPointF(12, bottom), QPointF(0, 1), 3.6);
    } else {
        arrowHead(painter, QPointF(12, top), QPointF(0, -1), 3.6);
    }
}

QPainterPath eyeOutline() {
    QPainterPath path;
    path.moveTo(2, 12);
    path.cubicTo(4.5, 7, 8, 5, 12, 5);
    path.cubicTo(16, 5, 19.5, 7, 22, 12);
    path.cubicTo(19.5, 17, 16, 19, 12, 19);
    path.cubicTo(8, 19, 4.5, 17, 2, 12);
    path.closeSubpath();
    return path;
}

}  // namespace

void book(QPainter& painter) {
    QPainterPath pages;
    pages.moveTo(12, 6.5);
    pages.cubicTo(9.6, 4.9, 6.4, 4.4, 2.5, 4.9);
    pages.lineTo(2.5, 18.6);
    pages.cubicTo(6.4, 18.1, 9.6, 18.6, 12, 20.2);
    pages.cubicTo(14.4, 18.6, 17.6, 18.1, 21.5, 18.6);
    pages.lineTo(21.5, 4.9);
    pages.cubicTo(17.6, 4.4, 14.4, 4.9, 12, 6.5);
    pages.closeSubpath();
    painter.drawPath(pages);
    painter.drawLine(QPointF(12, 6.5), QPointF(12, 20.2));
    // Two lines of text on each page, kept light.
    painter.save();
    QPen pen = painter.pen();
    pen.setWidthF(pen.widthF() * 0.75);
    painter.setPen(pen);
    painter.drawLine(QPointF(5.5, 9.2), QPointF(9.2, 9.6));
    painter.drawLine(QPointF(5.5, 12.6), QPointF(9.2, 13.0));
    painter.drawLine(QPointF(14.8, 9.6), QPointF(18.5, 9.2));
    painter.drawLine(QPointF(14.8, 13.0), QPointF(18.5, 12.6));
    painter.restore();
}

void star(QPainter& painter) {
    QPainterPath path;
    const QPointF centre(12, 12.8);
    for (int i = 0; i < 10; ++i) {
        const qreal radius = (i % 2 == 0) ? 10.0 : 4.3;
        const QPointF p = onCircle(centre, radius, 90.0 + i * 36.0);
        if (i == 0) {
            path.moveTo(p);
        } else {
            path.lineTo(p);
        }
    }
    path.closeSubpath();
    painter.drawPath(path);
}

void dialogScreen(QPainter& painter) {
    // Screen with its stand.
    painter.drawPath(roundedRect(QRectF(2.5, 6.5, 14, 10.5), 1.6));
    painter.drawLine(QPointF(9.5, 17), QPointF(9.5, 20.5));
    painter.drawLine(QPointF(6, 20.8), QPointF(13, 20.8));
    // Speech bubble over the screen's corner.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(12.5, 2.5, 9.5, 7.5), 2.2, 2.2);
    QPainterPath tail;
    tail.moveTo(14.6, 9.6);
    tail.lineTo(14.0, 12.6);
    tail.lineTo(17.4, 9.8);
    const QPainterPath whole = bubble.united(tail);
    clearBand(painter, whole, painter.pen().widthF() * 3.0);
    clearArea(painter, whole);
    painter.drawPath(whole);
    dot(painter, QPointF(15.3, 6.25), 0.8);
    dot(painter, QPointF(17.25, 6.25), 0.8);
    dot(painter, QPointF(19.2, 6.25), 0.8);
}

void paperWithClock(QPainter& painter) {
    QPainterPath paper;
    paper.moveTo(4, 4.5);
    paper.quadTo(4, 2.5, 6, 2.5);
    paper.lineTo(13, 2.5);
    paper.lineTo(17, 6.5);
    paper.lineTo(17, 19);
    paper.quadTo(17, 21, 15, 21);
    paper.lineTo(6, 21);
    paper.quadTo(4, 21, 4, 19);
    paper.closeSubpath();
    painter.drawPath(paper);
    painter.drawLine(QPointF(7, 8), QPointF(11.5, 8));
    painter.drawLine(QPointF(7, 11.5), QPointF(14, 11.5));
    painter.drawLine(QPointF(7, 15), QPointF(10.5, 15));
    // The clock sits over the paper's lower right corner.
    const QPointF centre(17, 17);
    QPainterPath face;
    face.addEllipse(centre, 5.2, 5.2);
    clearBand(painter, face, painter.pen().widthF() * 3.0);
    clearArea(painter, face);
    painter.drawPath(face);
    QPainterPath hands;
    hands.moveTo(17, 14.2);
    hands.lineTo(17, 17);
    hands.lineTo(19, 18.2);
    painter.drawPath(hands);
}

void crossedNotebook(QPainter& painter) {
    painter.drawPath(roundedRect(QRectF(5.5, 2.5, 14.5, 19), 1.8));
    // Rings of the binding.
    for (qreal y : {7.0, 12.0, 17.0}) {
        painter.drawLine(QPointF(3.5, y), QPointF(7.5, y));
    }
    painter.drawLine(QPointF(10.5, 8.5), QPointF(15.5, 13.5));
    painter.drawLine(QPointF(15.5, 8.5), QPointF(10.5, 13.5));
    painter.drawLine(QPointF(10.5, 17.5), QPointF(15.5, 17.5));
}

void diskDownload(QPainter& painter) {
    floppyWithArrow(painter, true);
}

void diskUpload(QPainter& painter) {
    floppyWithArrow(painter, false);
}

void circularArrows(QPainter& painter) {
    const QPointF centre(12, 12);
    arcWithArrow(painter, centre, 8, 40, 130, 3.2);
    arcWithArrow(painter, centre, 8, 220, 130, 3.2);
}

void headset(QPainter& painter) {
    QPainterPath band;
    const QRectF box(4, 3.5, 16, 17);
    band.arcMoveTo(box, 180);
    band.arcTo(box, 180, -180);
    painter.drawPath(band);
    painter.drawPath(roundedRect(QRectF(2.5, 11.5, 4.5, 7), 1.8));
    painter.drawPath(roundedRect(QRectF(17, 11.5, 4.5, 7), 1.8));
    QPainterPath boom;
    boom.moveTo(19.25, 18.5);
    boom.cubicTo(19.25, 20.8, 17.5, 21.5, 14.5, 21.5);
    painter.drawPath(boom);
    dot(painter, QPointF(13, 21.5), 1.4);
}

void cart(QPainter& painter) {
    QPainterPath path;
    path.moveTo(2, 3.5);
    path.lineTo(4.8, 3.5);
    path.lineTo(7.4, 15);
    path.lineTo(18.5, 15);
    path.lineTo(21, 7);
    path.lineTo(5.9, 7);
    painter.drawPath(path);
    painter.drawLine(QPointF(9.7, 11), QPointF(18.8, 11));
    QPainterPath wheels;
    wheels.addEllipse(QPointF(9, 19.5), 1.6, 1.6);
    wheels.addEllipse(QPointF(17, 19.5), 1.6, 1.6);
    painter.drawPath(wheels);
}

void questionMark(QPainter& painter) {
    QPainterPath ring;
    ring.addEllipse(QPointF(12, 12), 9.5, 9.5);
    painter.drawPath(ring);
    QPainterPath hook;
    hook.moveTo(9.1, 9.3);
    hook.cubicTo(9.1, 7.5, 10.4, 6.3, 12.1, 6.3);
    hook.cubicTo(13.9, 6.3, 15.1, 7.5, 15.1, 9.0);
    hook.cubicTo(15.1, 10.6, 13.9, 11.2, 13.0, 11.8);
    hook.cubicTo(12.3, 12.3, 12.0, 12.9, 12.0, 14.0);
    painter.drawPath(hook);
    dot(painter, QPointF(12, 17.4), painter.pen().widthF() * 0.75);
}

void eye(QPainter& painter) {
    painter.drawPath(eyeOutline());
    QPainterPath pupil;
    pupil.addEllipse(QPointF(12, 12), 3.3, 3.3);
    painter.drawPath(pupil);
}

void eyeOff(QPainter& painter) {
    eye(painter);
    QPainterPath slash;
    slash.moveTo(3.5, 3.5);
    slash.lineTo(20.5, 20.5);
    clearBand(painter, slash, painter.pen().widthF() * 3.0);
    painter.drawPath(slash);
}

void redo(QPainter& painter) {
    arcWithArrow(painter, QPointF(12, 12.5), 8, 65, -290, 3.6);
}

void send(QPainter& painter) {
    QPainterPath plane;
    plane.moveTo(21.5, 2.5);
    plane.lineTo(2.5, 10.5);
    plane.lineTo(10, 14);
    plane.lineTo(13.5, 21.5);
    plane.closeSubpath();
    painter.drawPath(plane);
    painter.drawLine(QPointF(21.5, 2.5), QPointF(10, 14));
}

void textLarger(QPainter& painter) {
    letterA(painter);
    painter.drawLine(QPointF(15.5, 7.5), QPointF(22, 7.5));
    painter.drawLine(QPointF(18.75, 4.25), QPointF(18.75, 10.75));
}

void textSmaller(QPainter& painter) {
    letterA(painter);
    painter.drawLine(QPointF(15.5, 7.5), QPointF(22, 7.5));
}

void expand(QPainter& painter) {
    QPainterPath path;
    path.moveTo(14.5, 3);
    path.lineTo(21, 3);
    path.lineTo(21, 9.5);
    path.moveTo(21, 3);
    path.lineTo(13.5, 10.5);
    path.moveTo(9.5, 21);
    path.lineTo(3, 21);
    path.lineTo(3, 14.5);
    path.moveTo(3, 21);
    path.lineTo(10.5, 13.5);
    painter.drawPath(path);
}

void compress(QPainter& painter) {
    QPainterPath path;
    path.moveTo(13.5, 4);
    path.lineTo(13.5, 10.5);
    path.lineTo(20, 10.5);
    path.moveTo(13.5, 10.5);
    path.lineTo(21, 3);
    path.moveTo(10.5, 20);
    path.lineTo(10.5, 13.5);
    path.lineTo(4, 13.5);
    path.moveTo(10.5, 13.5);
    path.lineTo(3, 21);
    painter.drawPath(path);
}

void minimize(QPainter& painter) {
    painter.drawLine(QPointF(3, 13), QPointF(21, 13));
}

void maximize(QPainter& painter) {
    painter.drawRect(QRectF(3, 3, 18, 18));
}

void restore(QPainter& painter) {
    QPainterPath back;
    back.moveTo(7, 7);
    back.lineTo(7, 3);
    back.lineTo(21, 3);
    back.lineTo(21, 17);
    back.lineTo(17, 17);
    painter.drawPath(back);
    painter.drawRect(QRectF(3, 7, 14, 14));
}

void close(QPainter& painter) {
    painter.drawLine(QPointF(4, 4), QPointF(20, 20));
    painter.drawLine(QPointF(20, 4), QPointF(4, 20));
}

void emblem(QPainter& painter) {
    // Cross above the spine.
    QPainterPath cross;
    const qreal arm = 1.7;  // half the bar width
    cross.moveTo(12 - arm, 2);
    cross.lineTo(12 + arm, 2);
    cross.lineTo(12 + arm, 5.3 - arm);
    cross.lineTo(16.2, 5.3 - arm);
    cross.lineTo(16.2, 5.3 + arm);
    cross.lineTo(12 + arm, 5.3 + arm);
    cross.lineTo(12 + arm, 9.5);
    cross.lineTo(12 - arm, 9.5);
    cross.lineTo(12 - arm, 5.3 + arm);
    cross.lineTo(7.8, 5.3 + arm);
    cross.lineTo(7.8, 5.3 - arm);
    cross.lineTo(12 - arm, 5.3 - arm);
    cross.closeSubpath();
    painter.fillPath(cross, painter.pen().color());
    // Open book below it.
    QPainterPath pages;
    pages.moveTo(12, 14.5);
    pages.cubicTo(9.6, 12.9, 6.4, 12.4, 2.5, 12.9);
    pages.lineTo(2.5, 20.6);
    pages.cubicTo(6.4, 20.1, 9.6, 20.6, 12, 22.2);
    pages.cubicTo(14.4, 20.6, 17.6, 20.1, 21.5, 20.6);
    pages.lineTo(21.5, 12.9);
    pages.cubicTo(17.6, 12.4, 14.4, 12.9, 12, 14.5);
    pages.closeSubpath();
    painter.drawPath(pages);
    painter.drawLine(QPointF(12, 14.5), QPointF(12, 22.2));
}

}  // namespace quorvex::artwork::icons
