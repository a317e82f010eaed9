#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "practice/result_window.h"

namespace quorvex::mainwindow {
class MainWindow;
}

namespace quorvex::practice {

// The report after a grading: a new result window, modal, whose activation builds the score sheet
// from fenshu a moment later (then every answer on the main page is revealed). When the window
// closes, the user decides whether this grading's wrong questions stay in the wrong-question bank;
// in the wrong-question view nothing is asked and they stay.
//
// open() returns at once; the window's own modality keeps the rest of the program waiting.
class ResultReport : public QObject {
    Q_OBJECT
  public:
    explicit ResultReport(mainwindow::MainWindow& window, QObject* parent = nullptr);
    ~ResultReport() override;

    void open();
    bool isOpen() const { return windowOpen_; }
    // The open result window, or nullptr.
    ResultWindow* resultWindow() const { return windowOpen_ ? resultWindow_.data() : nullptr; }

  public Q_SLOTS:
    // Loads the page file into the result window and appends the heading and the table. Runs from
    // the timer; a tick while a build runs does nothing (the running build shows the same sheet).
    void buildScoreSheet();

  Q_SIGNALS:
    void sheetBuilt();
    // The window has closed and the question after it is answered.
    void finished();

  private:
    void afterClose();
    // Disposes of a closed window once no build waits inside its page view.
    void releaseClosedWindow();

    mainwindow::MainWindow& window_;
    QPointer<ResultWindow> resultWindow_;
    bool windowOpen_ = false;
    // Started by every activation of the result window; one tick builds the sheet.
    QTimer sheetTimer_;
    bool building_ = false;
};

}  // namespace quorvex::practice
