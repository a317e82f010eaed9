#include "title_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QWindow>

namespace quorvex::mainwindow {

namespace {

QToolButton* windowButton(const QString& objectName, const QString& glyph, const QString& toolTip,
                          QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setText(glyph);
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(29, 25);
    return button;
}

}  // namespace

TitleBar::TitleBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("titleBar"));
    setFixedHeight(25);

    titleLabel_ = new QLabel(this);
    titleLabel_->setObjectName(QStringLiteral("titleLabel"));
    minimizeButton_ =
        windowButton(QStringLiteral("minimizeButton"), QStringLiteral("—"), QStringLiteral("最小化"), this);
    closeButton_ =
        windowButton(QStringLiteral("closeButton"), QStringLiteral("✕"), QStringLiteral("关闭"), this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 0, 3, 0);
    layout->setSpacing(0);
    layout->addWidget(titleLabel_);
    layout->addStretch(1);
    layout->addWidget(minimizeButton_);
    layout->addWidget(closeButton_);
}

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, QColor(0x13, 0x9a, 0xa3));
    gradient.setColorAt(1.0, QColor(0x00, 0x74, 0x7c));
    painter.fillRect(rect(), gradient);
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    // The bare bar drags the window; the window system does the move.
    if (event->button() == Qt::LeftButton && window()->windowHandle() != nullptr) {
        window()->windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace quorvex::mainwindow
