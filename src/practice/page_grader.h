#pragma once

#include <QObject>

namespace quorvex::mainwindow {
class MainWindow;
}

namespace quorvex::practice {

class ResultReport;

// Grades the chapter page of the main window and starts answering afresh.
//
// Grading reads the page that the chapter view built for currentTreeId: the same rows in the same
// order, each control found by its element id. All controls are read in one script call and all
// wrong stems coloured in one, so the page is asked the same few times whatever its size.
class PageGrader : public QObject {
    Q_OBJECT
  public:
    explicit PageGrader(mainwindow::MainWindow& window, QObject* parent = nullptr);
    ~PageGrader() override;

    // Everything before the report: clears the latest-grading flags, grades every question of the
    // page, flags and colours the wrong ones and fills fenshu. True when the whole page was graded.
    // A missing control or a database error ends it quietly (what was written stays); an error in
    // clearing the flags is shown as a message and nothing else is done.
    bool grade();

    ResultReport& report() const { return *report_; }

  public Q_SLOTS:
    // The hand-in button: grade, then the result report when the grading is complete.
    void gradePage();
    // The answer-again button: after the user agrees, the chapter page is built afresh (every tick and
    // red mark gone). The bank is not touched.
    void answerAgain();

  private:
    mainwindow::MainWindow& window_;
    ResultReport* report_;
    bool grading_ = false;
};

}  // namespace quorvex::practice
