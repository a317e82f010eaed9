#include "study/page_commands.h"

#include <QAbstractButton>
#include <exception>

#include "mainwindow/main_window.h"
#include "mainwindow/user_dialogs.h"
#include "study/feedback_window.h"
#include "study/page_command.h"
#include "study/page_markup.h"
#include "study/page_view.h"
#include "study/study_view.h"

namespace quorvex::study {

PageCommands::PageCommands(mainwindow::MainWindow& window) : QObject(&window), window_(window) {}

PageCommands::~PageCommands() = default;

bool PageCommands::handle(const QString& url) {
    mainwindow::MainWindowState& state = window_.state();
    if (state.pageReady == 0) {
        return false;
    }
    state.skipActivateReload = 1;
    const PageCommand command = parsePageCommand(url);
    if (!command.questionId) {
        return true;
    }
    try {
        if (command.reportsError) {
            reportQuestion(*command.questionId);
        }
        if (command.togglesFavourite) {
            toggleFavourite(*command.questionId);
        }
    } catch (const std::exception& error) {
        window_.connection().close();
        window_.dialogs().showMessage(&window_, QString::fromUtf8(error.what()), QString(),
                                      UserDialogs::Icon::Warning);
    }
    return true;
}

void PageCommands::reportQuestion(qint64 questionId) {
    store::Connection& connection = window_.connection();
    connection.close();
    connection.open();
    if (!questionExists(connection, questionId)) {
        connection.close();
        return;  // a link to no question leads nowhere
    }
    const GroupRow group = readSingleQuestionGroup(connection, questionId);

    if (feedbackWindow_ == nullptr) {
        feedbackWindow_ = new FeedbackWindow(window_.programFolder(), window_.dialogs(), &window_);
    }
    feedbackWindow_->prepare();

    // The feedback page is numbered from 1 like any page, with the main window's numbering state.
    mainwindow::MainWindowState& state = window_.state();
    state.typeCode8HeadingShown = 0;
    state.questionNo = 1;
    state.groupFirstNo = 0;
    state.typeCode9HeadingShown = 0;
    PageMarkupWriter writer(PageVariant::Feedback);
    feedbackWindow_->showQuestion(group, writer);
    state.questionNo = writer.questionNo();
    state.groupFirstNo = writer.groupFirstNo();
    state.typeCode8HeadingShown = writer.typeCode8HeadingShown() ? 1 : 0;
    state.typeCode9HeadingShown = writer.typeCode9HeadingShown() ? 1 : 0;

    connection.close();
    window_.pageView()->setZoomLevel(1);
}

void PageCommands::toggleFavourite(qint64 questionId) {
    store::Connection& connection = window_.connection();
    const std::optional<bool> nowFavourite = study::toggleFavourite(connection, questionId);
    connection.close();
    if (!nowFavourite) {
        return;  // no such question: nothing to mark
    }
    window_.dialogs().showMessage(&window_,
                                  *nowFavourite ? kFavouriteAddedMessage : kFavouriteRemovedMessage);
    if (window_.viewCaption() == kFavouritesCaption) {
        window_.showFavouritesView();
    }
}

void PageCommands::showAllAnswers() {
    runAnswersScript(true);
}

void PageCommands::hideAllAnswers() {
    runAnswersScript(false);
}

void PageCommands::runAnswersScript(bool show) {
    // The page being built is not touched; its end shows the show-all button again anyway.
    if (window_.isBuildingPage()) {
        return;
    }
    auto* showButton = window_.findChild<QAbstractButton*>(QStringLiteral("showAnswersButton"));
    auto* hideButton = window_.findChild<QAbstractButton*>(QStringLiteral("hideAnswersButton"));
    if (showButton != nullptr) {
        showButton->setVisible(!show);
    }
    if (hideButton != nullptr) {
        hideButton->setVisible(show);
    }
    mainwindow::MainWindowState& state = window_.state();
    state.pageReady = 0;
    window_.pageView()->runScript(allAnswersScript(show));
    state.pageReady = 1;
}

}  // namespace quorvex::study
