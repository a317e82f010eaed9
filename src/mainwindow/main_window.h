#pragma once

#include <QMainWindow>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

#include "mainwindow/chapter_tree.h"
#include "mainwindow/main_window_state.h"
#include "mainwindow/startup_info.h"
#include "store/connection.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QDialog;
class QToolButton;
class QUrl;
class QWidget;

namespace quorvex {
class UserDialogs;
}

namespace quorvex::study {
class PageView;
class PageCommands;  // page commands
}  // namespace quorvex::study

namespace quorvex::practice {
class WrongBankManager;
class PageGrader;  // grading
}  // namespace quorvex::practice

namespace quorvex::examroom {
class ExamSettingsDialog;
}

namespace quorvex::maintenance {
class BackupDialog;
class RestoreDialog;
}  // namespace quorvex::maintenance

namespace quorvex::mainwindow {

class TitleBar;
class UpdateChecker;

// The main window: the title bar, the toolbar row, the chapter tree on the left and the question page
// on the right, the status bar. Created once at start; it reads the bank's subject and question count
// when created, builds the chapter tree when shown and opens the first chapter when activated.
//
// The window's connection to the bank is opened for each piece of work and closed after it.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `programFolder` ends with "/"; every file the window uses is addressed from it.
    MainWindow(const QString& programFolder, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    const QString& programFolder() const { return programFolder_; }
    UserDialogs& dialogs() const { return dialogs_; }
    store::Connection& connection() { return connection_; }
    study::PageView* pageView() const { return pageView_; }
    QTreeWidget* chapterTree() const { return tree_; }
    // The hidden grading button; its x is what layoutStamp is taken from.
    QPushButton* gradeButton() const { return gradeButton_; }

    // Shared state (page commands, grading and the chrome change it through here).
    MainWindowState& state() { return state_; }
    const MainWindowState& state() const { return state_; }

    // kemu.mz of the bank's subject; empty when the bank could not be read.
    const QString& subjectCode() const { return subjectCode_; }
    // Address of the subject's remote version file; empty when the bank could not be read.
    const QString& updateIniUrl() const { return updateIniUrl_; }
    // Why the bank could not be read at start, if it could not (the one message about it is shown
    // while the window is created).
    const std::optional<StartupFailure>& startupFailure() const { return startupFailure_; }

    // The current view is the caption of the panel above the tree, compared exactly ("收 藏 试 题",
    // "错 题 题 库", anything else the exercise view). It starts as "高 级 试 题" while the visible
    // title shows "习 题 集".
    const QString& viewCaption() const { return viewCaption_; }
    QString visibleViewTitle() const;
    // What a view switch does: the same text into the caption and the visible title.
    void setViewTitle(const QString& caption);

    // The title label's text (also the system window title).
    QString titleText() const;
    // Status bar panels 0 (question count), 1 (contact line), 2 (time of the last tree build).
    QString statusPanelText(int index) const;

    // Tree nodes by absolute (pre-order) index, as nodeTreeIds is indexed; nullptr when out of range.
    QTreeWidgetItem* nodeAt(int absoluteIndex) const;
    int nodeCount() const { return static_cast<int>(nodes_.size()); }
    // -1 for an item that is not a node of the current tree.
    static int nodeIndex(const QTreeWidgetItem* node);
    // 0 root, 1 section, 2 chapter.
    static int nodeLevel(const QTreeWidgetItem* node);

  public Q_SLOTS:
    // Rebuilds the chapter tree for the current view; runs when the window is shown and on a view
    // switch. Renews layoutStamp and the build time; errors are shown as messages, leaving the tree as
    // far as it was built.
    void buildTree();
    // Opens the tree's node 2 (the first chapter when the first section has one) in the chapter view,
    // unless skipActivateReload is set or the grading button has moved from layoutStamp; always clears
    // skipActivateReload. Runs when another window of the program hands the focus back (and at start);
    // view switches call it directly.
    void openFirstChapter();
    // The chapter view's entry point for a node: a click on the tree, or activation. A section without
    // chapters says "本章节无试题!"; a chapter gets its page in the current view. A page is never built
    // inside another: a request arriving while one is built waits, and only the latest one runs after.
    void openChapter(QTreeWidgetItem* node);

    // The view switches: rebuild the tree for the view and open its third node. The filtered views say
    // so and change nothing when nothing is marked.
    void showExerciseView();
    void showFavouritesView();
    void showWrongQuestionView();
    // The wrong-question button: the bank manager first, then the wrong-question view.
    void openWrongQuestionBank();

    // Window chrome and toolbar.
    // Maximize or restore; moves the hidden grading button, so that activations stop reopening the
    // first chapter until the next tree build.
    void toggleMaximized();
    void enterFullScreen();
    void leaveFullScreen();
    // Page text size by textSizeStep: larger up to step 11 (size step + 14), smaller down to step 1
    // (size step + 12).
    void largerText();
    void smallerText();
    // "确定退出系统？"; OK leaves the program.
    void confirmExit();
    void enterExamRoom();
    void openBackup();
    void openRestore();
    void checkForUpdate();
    // Start-up update check; main() runs it once the window is up.
    void startUpdateCheck();
    void openServicePage();
    void openPurchasePage();
    void openHelp();

    // ---- page commands and error feedback (study/page_commands.*) ----
    // The page view's navigation handler: favourite toggle and error report; returns true to cancel.
    bool handlePageCommand(const QString& url);
    void showAllAnswers();
    void hideAllAnswers();
    // ---- end page commands ----

    // ---- grading and the result report (practice/page_grader.*) ----
    // The hand-in button: grade the page, then the result report. Waits for a page being built.
    void gradePage();
    // The answer-again button: after "重新答题会清除当前所选的答案，是否继续？" the page is built afresh.
    void answerAgain();
    // ---- end grading ----

  public:
    // Seams for what a test cannot click: how modal windows are run (default QDialog::exec) and how
    // documents and web pages are opened (default QDesktopServices::openUrl).
    using ModalRunner = std::function<int(QDialog&)>;
    using UrlOpener = std::function<void(const QUrl&)>;
    void setModalRunner(ModalRunner runner) { runModal_ = std::move(runner); }
    void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
    // The program's tp/ folder.
    QString pictureFolder() const { return programFolder_ + QStringLiteral("tp/"); }
    examroom::ExamSettingsDialog* examSettingsDialog() const { return examSettingsDialog_; }
    maintenance::BackupDialog* backupDialog() const { return backupDialog_; }
    maintenance::RestoreDialog* restoreDialog() const { return restoreDialog_; }

    // True while a chapter page is being built.
    bool isBuildingPage() const { return buildingPage_; }
    study::PageCommands* pageCommands() const { return pageCommands_; }  // page commands
    practice::PageGrader* pageGrader() const { return pageGrader_; }     // grading
    practice::WrongBankManager* wrongBankManager() const { return wrongBankManager_; }

  Q_SIGNALS:
    // Activation has run the chapter view for node 2.
    void firstChapterOpened();

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A press on the bare surface of the window (one that no control takes) drags the window.
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void buildLayout();
    QWidget* buildToolBar();
    QWidget* buildLeftPane();
    QWidget* buildRightPane();
    QWidget* buildStatusBar();
    void applyStyle();
    void placeOnScreen();
    void readBankAtStart();
    void setTitleText(const QString& text);
    void addNode(const TreeRow& row);
    void noteFocusWindow(QWindow* window);
    void switchView(const QString& caption);
    // Runs `action` now, or after the page being built when one is.
    bool deferWhileBuilding(std::function<void()> action);
    void runDeferred();
    void showPageButtons(bool show, const std::initializer_list<const char*>& names);

    QString programFolder_;
    UserDialogs& dialogs_;
    store::Connection connection_;
    MainWindowState state_;
    QString subjectCode_;
    QString updateIniUrl_;
    std::optional<StartupFailure> startupFailure_;
    QString viewCaption_;

    // Nodes in pre-order; nodes_[k] carries absolute index k.
    QVector<QTreeWidgetItem*> nodes_;
    QTreeWidgetItem* lastRoot_ = nullptr;
    QTreeWidgetItem* lastSection_ = nullptr;

    // An unreadable bank is reported once, at start; tree builds on it stay quiet until one succeeds.
    bool bankUnreadable_ = false;
    bool openingFirstChapter_ = false;
    bool buildingPage_ = false;
    std::function<void()> deferred_;
    practice::WrongBankManager* wrongBankManager_ = nullptr;
    study::PageCommands* pageCommands_ = nullptr;  // page commands
    practice::PageGrader* pageGrader_ = nullptr;   // grading
    examroom::ExamSettingsDialog* examSettingsDialog_ = nullptr;
    maintenance::BackupDialog* backupDialog_ = nullptr;
    maintenance::RestoreDialog* restoreDialog_ = nullptr;
    UpdateChecker* updateChecker_ = nullptr;
    ModalRunner runModal_;
    UrlOpener openUrl_;
    // The grading button's x in the restored layout.
    static constexpr int kGradeButtonLeft = 488;
    void placeChromeControls(bool maximized);
    int runModal(QDialog& dialog);
    bool shownBefore_ = false;
    bool otherWindowHadFocus_ = false;

    TitleBar* titleBar_ = nullptr;
    QWidget* toolBar_ = nullptr;
    QWidget* leftPane_ = nullptr;
    QLabel* viewTitleLabel_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QWidget* buttonRow_ = nullptr;
    QPushButton* gradeButton_ = nullptr;
    study::PageView* pageView_ = nullptr;
    QLabel* statusPanels_[3] = {nullptr, nullptr, nullptr};
};

}  // namespace quorvex::mainwindow
