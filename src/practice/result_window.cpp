#include "practice/result_window.h"

#include <QEvent>
#include <QShowEvent>

#include "mainwindow/picture_button.h"
#include "study/page_view.h"

namespace quorvex::practice {

namespace {

// Client area and the strip with the close button at its bottom.
constexpr int kWidth = 915;
constexpr int kHeight = 450;
constexpr int kStripHeight = 41;
constexpr int kCloseLeft = 696;
constexpr int kCloseWidth = 105;
constexpr int kCloseHeight = 33;

}  // namespace

ResultWindow::ResultWindow(const QString& programFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint) {
    setObjectName(QStringLiteral("resultWindow"));
    setWindowTitle(QStringLiteral("测试结果"));
    setFixedSize(kWidth, kHeight);

    pageView_ = new study::PageView(this);
    pageView_->setObjectName(QStringLiteral("resultPageView"));
    pageView_->setContentRoot(programFolder);
    pageView_->setCursor(Qt::PointingHandCursor);
    pageView_->setGeometry(0, 0, kWidth, kHeight - kStripHeight);

    auto* button = new mainwindow::PictureButton(programFolder + QStringLiteral("tp"),
                                                 QStringLiteral("gb-1.bmp"), QStringLiteral("gb-2.bmp"),
                                                 QStringLiteral("gb-3.bmp"), QStringLiteral("关闭"), this);
    button->setObjectName(QStringLiteral("closeResultButton"));
    button->setCursor(Qt::PointingHandCursor);
    button->setGeometry(kCloseLeft, kHeight - kStripHeight + (kStripHeight - kCloseHeight) / 2, kCloseWidth,
                        kCloseHeight);
    closeButton_ = button;
    connect(button, &QAbstractButton::clicked, this, &QDialog::reject);
}

ResultWindow::~ResultWindow() = default;

bool ResultWindow::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate) {
        Q_EMIT activated();
    }
    return handled;
}

void ResultWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && parentWidget() != nullptr) {
        const QWidget* owner = parentWidget()->window();
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

}  // namespace quorvex::practice
