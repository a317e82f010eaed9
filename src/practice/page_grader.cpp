#include "practice/page_grader.h"

#include <QAbstractButton>
#include <QTreeWidget>
#include <exception>

#include "mainwindow/main_window.h"
#include "mainwindow/user_dialogs.h"
#include "practice/grading.h"
#include "practice/grading_store.h"
#include "practice/result_report.h"
#include "store/connection.h"
#include "study/page_view.h"
#include "study/study_view.h"

namespace quorvex::practice {

namespace {

PageSnapshot toSnapshot(const QHash<QString, study::ControlState>& controls) {
    PageSnapshot snapshot;
    snapshot.reserve(controls.size());
    for (auto it = controls.constBegin(); it != controls.constEnd(); ++it) {
        snapshot.insert(it.key(), PageControl{it->exists, it->checked, it->value});
    }
    return snapshot;
}

void setButtonVisible(mainwindow::MainWindow& window, const char* name, bool visible) {
    if (auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name))) {
        button->setVisible(visible);
    }
}

}  // namespace

PageGrader::PageGrader(mainwindow::MainWindow& window, QObject* parent)
    : QObject(parent), window_(window), report_(new ResultReport(window, this)) {}

PageGrader::~PageGrader() = default;

bool PageGrader::grade() {
    if (grading_) {
        return false;  // reading the page runs the event loop: a second click waits for nothing
    }
    grading_ = true;
    mainwindow::MainWindowState& state = window_.state();
    state.skipActivateReload = 1;
    state.pageReady = 0;
    store::Connection& connection = window_.connection();

    try {
        clearLatestWrongFlags(connection);
    } catch (const std::exception& error) {
        connection.close();
        grading_ = false;
        window_.dialogs().showMessage(&window_, QString::fromUtf8(error.what()));
        return false;
    }

    bool complete = false;
    try {
        emptyScoreTable(connection);
        connection.close();
        const QVector<GradingGroup> groups =
            readGradingGroups(connection, state.currentTreeId, study::viewForCaption(window_.viewCaption()));
        study::PageView* page = window_.pageView();
        const PageSnapshot snapshot = toSnapshot(page->readControls(snapshotIds(groups)));
        const GradingOutcome outcome = gradeGroups(groups, snapshot);
        // What the walk did before a missing control stays done, as if written one by one.
        postWrongQuestions(connection, outcome.wrongQuestionIds);
        if (!outcome.redStemIds.isEmpty()) {
            page->setColor(outcome.redStemIds, QStringLiteral("red"));
        }
        appendScoreRows(connection, outcome.rows);
        complete = outcome.complete;
    } catch (const std::exception&) {
        // Grading ends without a word; no report.
        complete = false;
    }
    connection.close();
    grading_ = false;
    return complete;
}

void PageGrader::gradePage() {
    if (report_->isOpen()) {
        return;
    }
    if (grade()) {
        report_->open();
    }
}

void PageGrader::answerAgain() {
    const UserDialogs::Answer answer = window_.dialogs().ask(
        &window_, QStringLiteral("提示"), QStringLiteral("重新答题会清除当前所选的答案，是否继续？"),
        UserDialogs::Buttons::OkCancel, UserDialogs::Icon::None);
    if (answer != UserDialogs::Answer::Ok) {
        return;
    }
    setButtonVisible(window_, "hideAnswersButton", false);
    setButtonVisible(window_, "showAnswersButton", true);
    window_.openChapter(window_.chapterTree()->currentItem());
}

}  // namespace quorvex::practice
