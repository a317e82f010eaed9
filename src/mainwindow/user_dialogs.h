#pragma once

#include <QString>

class QWidget;

namespace quorvex {

// Every message box, question and file dialog of the program goes through this interface.
// The program uses WidgetDialogs; tests put in a scripted one that records each text and title
// and returns queued answers.
class UserDialogs {
  public:
    enum class Answer { Ok, Cancel, Yes, No };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Icon { None, Information, Question, Warning, Critical };

    virtual ~UserDialogs() = default;

    // A plain message with an OK button; the title is the application's when empty.
    virtual void showMessage(QWidget* parent, const QString& text, const QString& title = QString(),
                             Icon icon = Icon::None) = 0;
    // A question; returns the button chosen (Cancel or No when the box is closed otherwise).
    virtual Answer ask(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
                       Icon icon = Icon::Question) = 0;
    // File dialogs; an empty string when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& proposedPath,
                                 const QString& filter) = 0;
};

// QMessageBox and QFileDialog.
class WidgetDialogs : public UserDialogs {
  public:
    void showMessage(QWidget* parent, const QString& text, const QString& title, Icon icon) override;
    Answer ask(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
               Icon icon) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposedPath,
                         const QString& filter) override;
};

}  // namespace quorvex
