#pragma once

#include <QObject>
#include <QString>

namespace quorvex::mainwindow {
class MainWindow;
}

namespace quorvex::study {

class FeedbackWindow;

// What a question page in the main window sends back, and the two buttons that open or close every
// answer of the page. Once a page is complete (pageReady 1) every navigation of the main page view is
// refused and read as a command: "http://scbt" + id toggles a favourite, "http://ctfk" + id opens the
// error-feedback window with that question.
class PageCommands : public QObject {
    Q_OBJECT
  public:
    explicit PageCommands(mainwindow::MainWindow& window);
    ~PageCommands() override;

    // The main page view's navigation handler; returns true to cancel. While pageReady is 0 (a page is
    // being written) it lets the navigation go and does nothing else. Otherwise it cancels, sets
    // skipActivateReload and runs what the address asks for; an address that asks for nothing, or whose
    // question id is not a whole number, has no other effect. Database errors are shown as messages.
    bool handle(const QString& url);

    // The show-all and hide-all buttons: swap the two buttons, then open every answer still closed
    // (close every answer still open) on the page.
    void showAllAnswers();
    void hideAllAnswers();

    // Created with the first error report.
    FeedbackWindow* feedbackWindow() const { return feedbackWindow_; }

  private:
    void reportQuestion(qint64 questionId);
    void toggleFavourite(qint64 questionId);
    void runAnswersScript(bool show);

    mainwindow::MainWindow& window_;
    FeedbackWindow* feedbackWindow_ = nullptr;
};

}  // namespace quorvex::study
