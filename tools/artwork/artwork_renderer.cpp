#include "artwork_renderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace quorvex::artwork {

namespace {

// Palette: a deep teal-blue frame around a light working area.
const QColor kTitleTop(0x17, 0x37, 0x4d);
const QColor kTitleBottom(0x11, 0x2c, 0x3f);
const QColor kToolbarTop(0x22, 0x6a, 0x8c);
const QColor kToolbarBottom(0x18, 0x52, 0x70);
const QColor kToolbarEdge(0x10, 0x3b, 0x52);
const QColor kRowTop(0xf8, 0xfa, 0xfc);
const QColor kRowBottom(0xe7, 0xed, 0xf2);
const QColor kRowEdge(0xc6, 0xd2, 0xdc);
const QColor kRowInk(0x26, 0x35, 0x42);
const QColor kRowAccent(0x1d, 0x61, 0x83);
const QColor kCloseHover(0xd6, 0x4b, 0x42);
const QColor kClosePressed(0xa9, 0x35, 0x2e);

QFont labelFont(int pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont font(kLabelFontFamily);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// The icon on a transparent layer of its own (icons may clear parts of it), then onto `painter`.
void paintIcon(QPainter& painter, IconPainter icon, QPoint topLeft, int size, const QColor& colour,
               qreal strokePixels) {
    QImage layer(size, size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal scale = size / 24.0;
        p.scale(scale, scale);
        QPen pen(colour, strokePixels / scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        icon(p);
    }
    painter.drawImage(topLeft, layer);
}

void drawLabel(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
               const QColor& colour, Qt::Alignment alignment = Qt::AlignCenter) {
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, static_cast<int>(alignment), text);
}

QPainterPath rounded(const QRectF& rect, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// Backgrounds: vertical gradients only, so that a stretched copy matches every button picture.

void paintTitleBackground(QPainter& painter, const QRect& rect) {
    QLinearGradient gradient(0, 0, 0, rect.height());
    gradient.setColorAt(0.0, kTitleTop);
    gradient.setColorAt(1.0, kTitleBottom);
    painter.fillRect(rect, gradient);
}

void paintToolbarBackground(QPainter& painter, const QRect& rect) {
    QLinearGradient gradient(0, 0, 0, rect.height());
    gradient.setColorAt(0.0, kToolbarTop);
    gradient.setColorAt(1.0, kToolbarBottom);
    painter.fillRect(rect, gradient);
    painter.fillRect(QRect(0, 0, rect.width(), 1), QColor(255, 255, 255, 28));
    painter.fillRect(QRect(0, rect.height() - 1, rect.width(), 1), kToolbarEdge);
}

void paintRowBackground(QPainter& painter, const QRect& rect) {
    QLinearGradient gradient(0, 0, 0, rect.height());
    gradient.setColorAt(0.0, kRowTop);
    gradient.setColorAt(1.0, kRowBottom);
    painter.fillRect(rect, gradient);
    painter.fillRect(QRect(0, 0, rect.width(), 1), Qt::white);
    painter.fillRect(QRect(0, rect.height() - 1, rect.width(), 1), kRowEdge);
}

void paintBanner(QPainter& painter, const QRect& rect) {
    paintToolbarBackground(painter, rect);
    // A soft light towards the right end, kept clear of the seam with the last button on the left.
    QRadialGradient glow(QPointF(rect.width() * 0.82, rect.height() * 0.2), rect.width() * 0.35);
    glow.setColorAt(0.0, QColor(255, 255, 255, 26));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(rect.adjusted(0, 1, 0, -1), glow);
}

void paintLogo(QPainter& painter, const ArtworkFile& file) {
    // The banner places the logo 10 px left of its edge: keep those columns empty.
    const QRectF tile(15.5, 9.5, 37, 37);
    painter.fillPath(rounded(tile, 9), QColor(255, 255, 255, 34));
    painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
    painter.drawPath(rounded(tile, 9));
    paintIcon(painter, file.icon, QPoint(20, 14), 28, Qt::white, 1.8);

    const qreal textLeft = 60;
    const qreal textWidth = file.size.width() - textLeft - 2;
    QFont mark = labelFont(24, QFont::Bold);
    mark.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    drawLabel(painter, QRectF(textLeft, 3, textWidth, 30), file.label, mark, Qt::white,
              Qt::AlignLeft | Qt::AlignVCenter);

    // The subtitle gets the largest size that fits the width.
    const QString subtitle = QStringLiteral("卫生专业技术资格考试 · 中级");
    int pixels = 12;
    while (pixels > 8 && QFontMetricsF(labelFont(pixels)).horizontalAdvance(subtitle) > textWidth) {
        --pixels;
    }
    drawLabel(painter, QRectF(textLeft, 33, textWidth, 18), subtitle, labelFont(pixels),
              QColor(255, 255, 255, 215), Qt::AlignLeft | Qt::AlignVCenter);
}

void paintToolbarButton(QPainter& painter, const ArtworkFile& file) {
    const QRect rect(QPoint(0, 0), file.size);
    paintToolbarBackground(painter, rect);
    const QRectF face = QRectF(rect).adjusted(2.5, 4.5, -2.5, -4.5);
    int shift = 0;
    QColor ink(255, 255, 255, 235);
    switch (file.state) {
        case ButtonState::Idle:
            break;
        case ButtonState::Hover:
            painter.fillPath(rounded(face, 6), QColor(255, 255, 255, 36));
            painter.setPen(QPen(QColor(255, 255, 255, 64), 1));
            painter.drawPath(rounded(face, 6));
            ink = Qt::white;
            break;
        case ButtonState::Pressed: {
            painter.fillPath(rounded(face, 6), QColor(0, 20, 35, 70));
            // Inner shadow along the top edge: the face looks pressed in.
            QLinearGradient shade(0, face.top(), 0, face.top() + 7);
            shade.setColorAt(0.0, QColor(0, 10, 20, 70));
            shade.setColorAt(1.0, QColor(0, 10, 20, 0));
            painter.fillPath(rounded(face, 6), shade);
            painter.setPen(QPen(QColor(0, 15, 28, 90), 1));
            painter.drawPath(rounded(face, 6));
            shift = 1;
            ink = QColor(255, 255, 255, 225);
            break;
        }
    }
    const int iconSize = 26;
    paintIcon(painter, file.icon, QPoint((rect.width() - iconSize) / 2, 9 + shift), iconSize, ink, 1.7);
    drawLabel(painter, QRectF(0, 38 + shift, rect.width(), 18), file.label, labelFont(12), ink);
}

void paintRowButton(QPainter& painter, const ArtworkFile& file) {
    const QRect rect(QPoint(0, 0), file.size);
    paintRowBackground(painter, rect);
    const QRectF face = QRectF(rect).adjusted(2.5, 3.5, -2.5, -3.5);
    int shift = 0;
    QColor accent = kRowAccent;
    QColor ink = kRowInk;
    switch (file.state) {
        case ButtonState::Idle:
            break;
        case ButtonState::Hover:
            painter.fillPath(rounded(face, 4), Qt::white);
            painter.setPen(QPen(QColor(0xa9, 0xc4, 0xd8), 1));
            painter.drawPath(rounded(face, 4));
            accent = kRowAccent.lighter(118);
            ink = kRowInk.darker(120);
            break;
        case ButtonState::Pressed: {
            painter.fillPath(rounded(face, 4), QColor(0xd3, 0xe1, 0xec));
            QLinearGradient shade(0, face.top(), 0, face.top() + 6);
            shade.setColorAt(0.0, QColor(0x1d, 0x3e, 0x55, 46));
            shade.setColorAt(1.0, QColor(0x1d, 0x3e, 0x55, 0));
            painter.fillPath(rounded(face, 4), shade);
            painter.setPen(QPen(QColor(0x8f, 0xac, 0xc2), 1));
            painter.drawPath(rounded(face, 4));
            shift = 1;
            accent = kRowAccent.darker(115);
            break;
        }
    }
    const QFont font = labelFont(13);
    const int iconSize = 16;
    const int gap = 6;
    const qreal textWidth = QFontMetricsF(font).horizontalAdvance(file.label);
    const int left = qRound((rect.width() - (iconSize + gap + textWidth)) / 2.0);
    paintIcon(painter, file.icon, QPoint(left + shift, (rect.height() - iconSize) / 2 + shift), iconSize,
              accent, 1.5);
    drawLabel(painter, QRectF(left + iconSize + gap + shift, shift, textWidth + 2, rect.height()), file.label,
              font, ink, Qt::AlignLeft | Qt::AlignVCenter);
}

void paintTitleButton(QPainter& painter, const ArtworkFile& file) {
    const QRect rect(QPoint(0, 0), file.size);
    paintTitleBackground(painter, rect);
    const bool isClose = file.icon == &icons::close;
    QColor ink(255, 255, 255, 225);
    switch (file.state) {
        case ButtonState::Idle:
            break;
        case ButtonState::Hover:
            painter.fillRect(rect, isClose ? kCloseHover : QColor(255, 255, 255, 30));
            ink = Qt::white;
            break;
        case ButtonState::Pressed:
            painter.fillRect(rect, isClose ? kClosePressed : QColor(0, 0, 0, 60));
            ink = QColor(255, 255, 255, 225);
            break;
    }
    // Half scale: the glyphs' odd coordinates then land on pixel centres.
    const int glyph = 12;
    paintIcon(painter, file.icon, QPoint((rect.width() - glyph) / 2, (rect.height() - glyph) / 2), glyph, ink,
              1.0);
}

}  // namespace

QImage renderArtwork(const ArtworkFile& file) {
    const bool transparent = file.surface == Surface::Logo;
    QImage image(file.size, transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.fill(transparent ? QColor(Qt::transparent) : QColor(Qt::white));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect rect(QPoint(0, 0), file.size);
    switch (file.surface) {
        case Surface::Toolbar:
            paintToolbarButton(painter, file);
            break;
        case Surface::ButtonRow:
            paintRowButton(painter, file);
            break;
        case Surface::TitleButton:
            paintTitleButton(painter, file);
            break;
        case Surface::TitleBackground:
            paintTitleBackground(painter, rect);
            break;
        case Surface::Banner:
            paintBanner(painter, rect);
            break;
        case Surface::Logo:
            paintLogo(painter, file);
            break;
        case Surface::ButtonRowBackground:
            paintRowBackground(painter, rect);
            break;
    }
    painter.end();
    return image;
}

}  // namespace quorvex::artwork
