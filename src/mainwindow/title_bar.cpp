#include "title_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "mainwindow/picture_button.h"

namespace quorvex::mainwindow {

namespace {

PictureButton* windowButton(const QString& pictureFolder, const QString& stem, const QString& objectName,
                            const QString& toolTip, QWidget* parent) {
    auto* button =
        new PictureButton(pictureFolder, stem + QStringLiteral("-1.bmp"), stem + QStringLiteral("-2.bmp"),
                          stem + QStringLiteral("-3.bmp"), toolTip, parent);
    button->setObjectName(objectName);
    button->setToolTip(toolTip);
    return button;
}

bool startMove(QWidget* widget) {
    QWindow* handle = widget->window()->windowHandle();
    return handle != nullptr && handle->startSystemMove();
}

}  // namespace

TitleBar::TitleBar(const QString& pictureFolder, QWidget* parent)
    : QWidget(parent),
      background_(PictureCache::instance().picture(pictureFolder + QStringLiteral("title-bar.png"))) {
    setObjectName(QStringLiteral("titleBar"));
    setFixedHeight(25);

    titleLabel_ = new QLabel(this);
    titleLabel_->setObjectName(QStringLiteral("titleLabel"));
    minimizeButton_ = windowButton(pictureFolder, QStringLiteral("MinBtn"), QStringLiteral("minimizeButton"),
                                   QStringLiteral("最小化"), this);
    maximizeButton_ = windowButton(pictureFolder, QStringLiteral("MaxBtn"), QStringLiteral("maximizeButton"),
                                   QStringLiteral("最大化"), this);
    restoreButton_ = windowButton(pictureFolder, QStringLiteral("resBtn"), QStringLiteral("restoreButton"),
                                  QStringLiteral("还原"), this);
    closeButton_ = windowButton(pictureFolder, QStringLiteral("CloseBtn"), QStringLiteral("closeButton"),
                                QStringLiteral("关闭"), this);
    restoreButton_->hide();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 0, 3, 0);
    layout->setSpacing(1);
    layout->addWidget(titleLabel_);
    layout->addStretch(1);
    layout->addWidget(minimizeButton_);
    layout->addWidget(maximizeButton_);
    layout->addWidget(restoreButton_);
    layout->addWidget(closeButton_);
}

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!background_.isNull()) {
        painter.drawImage(rect(), background_);
        return;
    }
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, QColor(0x13, 0x9a, 0xa3));
    gradient.setColorAt(1.0, QColor(0x00, 0x74, 0x7c));
    painter.fillRect(rect(), gradient);
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    // The bare bar drags the window; the window system does the move.
    if (event->button() == Qt::LeftButton && startMove(this)) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TitleBar::mouseMoveEvent(QMouseEvent* event) {
    // A drag that began on the title label (which passes the press on) moves the window too.
    if ((event->buttons() & Qt::LeftButton) && startMove(this)) {
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void TitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace quorvex::mainwindow
