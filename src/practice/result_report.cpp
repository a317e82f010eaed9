#include "practice/result_report.h"

#include <QStringList>
#include <exception>
#include <stdexcept>

#include "mainwindow/main_window.h"
#include "mainwindow/user_dialogs.h"
#include "practice/grading_store.h"
#include "practice/result_window.h"
#include "practice/score_sheet.h"
#include "store/connection.h"
#include "study/page_view.h"
#include "study/study_view.h"

namespace quorvex::practice {

namespace {

constexpr int kSheetDelayMs = 100;

}  // namespace

ResultReport::ResultReport(mainwindow::MainWindow& window, QObject* parent)
    : QObject(parent), window_(window) {
    sheetTimer_.setInterval(kSheetDelayMs);
    // One tick per activation: whatever happens in the build, the timer does not fire again by itself.
    sheetTimer_.setSingleShot(true);
    connect(&sheetTimer_, &QTimer::timeout, this, &ResultReport::buildScoreSheet);
}

ResultReport::~ResultReport() {
    delete resultWindow_;
}

void ResultReport::open() {
    if (windowOpen_) {
        return;
    }
    releaseClosedWindow();
    auto* resultWindow = new ResultWindow(window_.programFolder(), &window_);
    resultWindow->setWindowModality(Qt::ApplicationModal);
    resultWindow_ = resultWindow;
    windowOpen_ = true;
    connect(resultWindow, &ResultWindow::activated, &sheetTimer_, qOverload<>(&QTimer::start));
    connect(resultWindow, &QDialog::finished, this, &ResultReport::afterClose);
    resultWindow->show();
    // Shown without being activated (some window systems), the sheet still comes.
    sheetTimer_.start();
}

void ResultReport::buildScoreSheet() {
    if (building_ || !windowOpen_ || resultWindow_.isNull()) {
        return;
    }
    building_ = true;
    store::Connection& connection = window_.connection();
    try {
        study::PageView* view = resultWindow_->pageView();
        const QString pageFile = window_.programFolder() + QStringLiteral("ty.html");
        if (!view->loadPageFile(pageFile)) {
            throw std::runtime_error(QStringLiteral("无法打开页面文件 %1").arg(pageFile).toStdString());
        }
        connection.close();
        removeEmptyScoreRows(connection);
        const QVector<StoredScoreRow> rows = readScoreRows(connection);
        // The table goes in as one fragment: rows appended on their own would land outside it.
        view->appendFragments({scoreSheetHeading(), scoreSheetTable(rows)});
        view->flush();
        connection.close();
        sheetTimer_.stop();
        window_.showAllAnswers();
        building_ = false;
        releaseClosedWindow();
        Q_EMIT sheetBuilt();
    } catch (const std::exception& error) {
        connection.close();
        sheetTimer_.stop();
        building_ = false;
        releaseClosedWindow();
        QWidget* owner = windowOpen_ ? static_cast<QWidget*>(resultWindow_.data()) : &window_;
        window_.dialogs().showMessage(owner, QString::fromUtf8(error.what()));
    }
}

void ResultReport::afterClose() {
    sheetTimer_.stop();
    windowOpen_ = false;
    releaseClosedWindow();
    if (window_.visibleViewTitle() != study::kWrongQuestionsCaption) {
        const UserDialogs::Answer answer = window_.dialogs().ask(
            &window_, QStringLiteral("提示"), QStringLiteral("您是否把这次的错题放到错题题库中？"),
            UserDialogs::Buttons::YesNo, UserDialogs::Icon::Question);
        if (answer != UserDialogs::Answer::Yes) {
            store::Connection& connection = window_.connection();
            try {
                dropLatestWrongQuestions(connection);
                connection.close();
            } catch (const std::exception& error) {
                connection.close();
                window_.dialogs().showMessage(&window_, QString::fromUtf8(error.what()));
            }
        }
    }
    Q_EMIT finished();
}

void ResultReport::releaseClosedWindow() {
    // A build waiting in the window's page view must not lose the view under it.
    if (!windowOpen_ && !building_ && !resultWindow_.isNull()) {
        resultWindow_->deleteLater();
        resultWindow_.clear();
    }
}

}  // namespace quorvex::practice
