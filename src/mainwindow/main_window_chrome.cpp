// The main window's own chrome (title-bar buttons, maximize and restore, full screen, text size) and the
// toolbar's actions that open other windows, documents and pages.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QWindow>

#include "examroom/exam_settings_dialog.h"
#include "maintenance/backup_dialog.h"
#include "maintenance/restore_dialog.h"
#include "mainwindow/help_location.h"
#include "mainwindow/main_window.h"
#include "mainwindow/picture_button.h"
#include "mainwindow/title_bar.h"
#include "mainwindow/update_check.h"
#include "mainwindow/user_dialogs.h"
#include "study/page_view.h"

namespace quorvex::mainwindow {

namespace {

// Left of the hidden grading button in the restored window, and its distance from the screen's right
// edge when maximized.
constexpr int kGradeButtonRightWhenMaximized = 560;

const QUrl kPublisherSite(QStringLiteral("https://www.quorvex.cn/"));
const QUrl kPurchasePage(QStringLiteral("https://www.quorvex.cn/gmzx.asp"));

}  // namespace

int MainWindow::runModal(QDialog& dialog) {
    return runModal_ ? runModal_(dialog) : dialog.exec();
}

void MainWindow::placeChromeControls(bool maximized) {
    titleBar_->maximizeButton()->setVisible(!maximized);
    titleBar_->restoreButton()->setVisible(maximized);
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen != nullptr ? screen->geometry().width() : width();
    gradeButton_->move(maximized ? screenWidth - kGradeButtonRightWhenMaximized : kGradeButtonLeft,
                       gradeButton_->y());
}

void MainWindow::toggleMaximized() {
    if (isMaximized()) {
        showNormal();
        placeChromeControls(false);
    } else {
        showMaximized();
        placeChromeControls(true);
    }
}

void MainWindow::enterFullScreen() {
    toolBar_->hide();
    leftPane_->hide();
    titleBar_->hide();
    showPageButtons(true, {"windowModeButton"});
    showPageButtons(false, {"fullScreenButton"});
    if (isMaximized()) {
        state_.wasMaximizedBeforeFullScreen = 1;
    } else {
        state_.wasMaximizedBeforeFullScreen = 0;
        toggleMaximized();
    }
}

void MainWindow::leaveFullScreen() {
    showPageButtons(true, {"fullScreenButton"});
    showPageButtons(false, {"windowModeButton"});
    toolBar_->show();
    leftPane_->show();
    titleBar_->show();
    if (state_.wasMaximizedBeforeFullScreen != 1 && isMaximized()) {
        toggleMaximized();
    }
}

void MainWindow::largerText() {
    state_.pageReady = 0;
    const int step = state_.textSizeStep.value_or(0) + 1;
    state_.textSizeStep = step;
    if (step < 12) {
        pageView_->setBodyFontSize(step + 14);
    } else {
        dialogs_.showMessage(this, QStringLiteral("不能将字体设置过大！"));
    }
    state_.pageReady = 1;
}

void MainWindow::smallerText() {
    state_.pageReady = 0;
    const int step = state_.textSizeStep.value_or(0) - 1;
    if (step > 0) {
        state_.textSizeStep = step;
        pageView_->setBodyFontSize(step + 12);
    } else {
        state_.textSizeStep = 0;
        dialogs_.showMessage(this, QStringLiteral("不能将字体设置过小！"));
    }
    state_.pageReady = 1;
}

void MainWindow::confirmExit() {
    if (dialogs_.ask(this, QStringLiteral("提示"), QStringLiteral("确定退出系统？"),
                     UserDialogs::Buttons::OkCancel) != UserDialogs::Answer::Ok) {
        return;
    }
    connection_.close();
    close();
    QCoreApplication::quit();
}

void MainWindow::enterExamRoom() {
    state_.enteringExamRoom = 1;
    runModal(*examSettingsDialog_);
    if (examSettingsDialog_->enterChosen() != 1) {
        return;
    }
    // The sign-in window comes here; the flag is cleared when it returns.
    state_.enteringExamRoom = 0;
}

void MainWindow::openBackup() {
    runModal(*backupDialog_);
}

void MainWindow::openRestore() {
    runModal(*restoreDialog_);
}

void MainWindow::checkForUpdate() {
    updateChecker_->checkOnDemand();
}

void MainWindow::startUpdateCheck() {
    updateChecker_->startStartupCheck();
}

void MainWindow::openServicePage() {
    openUrl_ ? openUrl_(kPublisherSite) : static_cast<void>(QDesktopServices::openUrl(kPublisherSite));
}

void MainWindow::openPurchasePage() {
    openUrl_ ? openUrl_(kPurchasePage) : static_cast<void>(QDesktopServices::openUrl(kPurchasePage));
}

void MainWindow::openHelp() {
    const QUrl help = QUrl::fromLocalFile(helpDocumentPath(programFolder_));
    openUrl_ ? openUrl_(help) : static_cast<void>(QDesktopServices::openUrl(help));
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && windowHandle() != nullptr && !isMaximized() &&
        windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QMainWindow::mousePressEvent(event);
}

}  // namespace quorvex::mainwindow
