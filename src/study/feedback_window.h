#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <optional>

#include "study/feedback_report.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace quorvex {
class UserDialogs;
}

namespace quorvex::study {

struct GroupRow;
class PageMarkupWriter;
class PageView;

// "错题反馈": the question at the top in a page view of its own, ten kinds of error to tick, a free
// description, "确 定" sends one row to the feedback database and "取 消" closes. An ordinary window that
// stays open beside the main window; a new report empties and refills it.
class FeedbackWindow : public QWidget {
    Q_OBJECT
  public:
    // The page file and feedback.ini are read from `programFolder` (ending with "/"); every message goes
    // through `dialogs`.
    FeedbackWindow(const QString& programFolder, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~FeedbackWindow() override;

    PageView* pageView() const { return pageView_; }
    QCheckBox* problemBox(int index) const { return problemBoxes_.at(static_cast<size_t>(index)); }
    QPlainTextEdit* descriptionEdit() const { return descriptionEdit_; }

    // Empties the description, clears the ten boxes and shows the window (not modal) in front.
    void prepare();
    // Loads the page file and writes the group with its one question in the feedback page variant
    // (number 1, or 1.1 in a case or shared-option group; the answer shown). Keeps the question's id
    // and stem for the report. Returns false when the page file could not be loaded.
    bool showQuestion(const GroupRow& group, PageMarkupWriter& writer);

    // The reported question: its id as text and its stem, as the page was written.
    const QString& feedbackQuestionId() const { return report_.questionId; }
    const QString& feedbackQuestionText() const { return report_.questionText; }
    // What "确 定" sends now.
    FeedbackReport report() const;

    // For tests: a shorter wait than the usual ten seconds for the server.
    void setTimeoutSeconds(int seconds) { timeoutSeconds_ = seconds; }

  public Q_SLOTS:
    // "确 定": one row into zezaz. On success says thanks and closes; on any failure says "反馈失败！" and
    // stays open with everything entered.
    void send();

  Q_SIGNALS:
    void reportSent();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildLayout();
    void placeOnScreen();

    QString programFolder_;
    UserDialogs& dialogs_;
    FeedbackReport report_;
    std::optional<int> timeoutSeconds_;
    bool sending_ = false;

    PageView* pageView_ = nullptr;
    std::array<QCheckBox*, kFeedbackProblems.size()> problemBoxes_{};
    QPlainTextEdit* descriptionEdit_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace quorvex::study
