#include <QApplication>
#include <QTimer>
#include <exception>

#include "mainwindow/main_window.h"
#include "mainwindow/main_window_texts.h"
#include "mainwindow/user_dialogs.h"

namespace {

// An error that no handler caught is shown as a message, and the program goes on running.
class ProgramApplication : public QApplication {
  public:
    ProgramApplication(int& argc, char** argv, quorvex::UserDialogs& dialogs)
        : QApplication(argc, argv), dialogs_(dialogs) {}

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            dialogs_.showMessage(activeWindow(), QString::fromUtf8(error.what()));
        } catch (...) {
            dialogs_.showMessage(activeWindow(), QStringLiteral("未知错误。"));
        }
        return false;
    }

  private:
    quorvex::UserDialogs& dialogs_;
};

}  // namespace

int main(int argc, char** argv) {
    // The page view shares the application's GL contexts; this must be set before the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    quorvex::WidgetDialogs dialogs;
    ProgramApplication app(argc, argv, dialogs);
    QApplication::setApplicationName(quorvex::mainwindow::kApplicationTitle);

    // The main window reads the bank now; showing it builds the chapter tree, and its activation
    // opens the first chapter. The main window creates the program's other long-lived windows.
    quorvex::mainwindow::MainWindow mainWindow(QCoreApplication::applicationDirPath() + QStringLiteral("/"),
                                               dialogs);
    mainWindow.show();
    // The update check runs once, on the first tick after the window is up; it downloads in the
    // background.
    QTimer::singleShot(1, &mainWindow, &quorvex::mainwindow::MainWindow::startUpdateCheck);
    return QApplication::exec();
}
