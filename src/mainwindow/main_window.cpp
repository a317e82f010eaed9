#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>
#include <exception>

#include "examroom/exam_settings_dialog.h"
#include "maintenance/backup_dialog.h"
#include "maintenance/restore_dialog.h"
#include "mainwindow/main_window_texts.h"
#include "mainwindow/picture_button.h"
#include "mainwindow/title_bar.h"
#include "mainwindow/update_check.h"
#include "mainwindow/user_dialogs.h"
#include "mainwindow/version_check.h"
#include "practice/page_grader.h"  // grading
#include "practice/wrong_bank_manager.h"
#include "study/chapter_page_builder.h"
#include "study/page_commands.h"  // page commands
#include "study/page_view.h"
#include "study/study_view.h"

namespace quorvex::mainwindow {

namespace {

// Item data role holding a node's absolute index.
constexpr int kNodeIndexRole = Qt::UserRole + 1;

// Design colour values (Windows 0x00BBGGRR).
constexpr quint32 kWindowColor = 9405952;
constexpr quint32 kTreeColor = 16379624;

QColor designColor(quint32 windowsValue) {
    return QColor(static_cast<QRgb>(rgbFromWindowsColor(windowsValue)));
}

// A picture button of the chrome; the pictures come from tp/ and are read once.
PictureButton* pictureButton(const QString& pictureFolder, const char* objectName, const QString& idle,
                             const QString& hover, const QString& pressed, const char* label,
                             QWidget* parent) {
    auto* button = new PictureButton(pictureFolder, idle, hover, pressed, QString::fromUtf8(label), parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setToolTip(QString::fromUtf8(label));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// A panel that stretches a background picture from tp/ over itself.
class PicturePanel : public QWidget {
  public:
    PicturePanel(const QString& picturePath, QWidget* parent)
        : QWidget(parent), picture_(PictureCache::instance().picture(picturePath)) {}

  protected:
    void paintEvent(QPaintEvent* event) override {
        if (picture_.isNull()) {
            QWidget::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.drawImage(rect(), picture_);
    }

  private:
    QImage picture_;
};

}  // namespace

MainWindow::MainWindow(const QString& programFolder, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::FramelessWindowHint),
      programFolder_(programFolder),
      dialogs_(dialogs),
      connection_(store::connectionStringFor(programFolder)),
      viewCaption_(study::kStartCaption) {
    setObjectName(QStringLiteral("mainWindow"));
    QFont windowFont = font();
    windowFont.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC")});
    setFont(windowFont);
    buildLayout();
    applyStyle();
    placeOnScreen();

    state_.skipActivateReload = 0;
    state_.pageReady = 0;
    readBankAtStart();

    // Activation reopens the first chapter only when the focus comes back from another window of the
    // program (a dialog, the result window), not when the user returns from another application.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &MainWindow::noteFocusWindow);

    wrongBankManager_ = new practice::WrongBankManager(programFolder_, this);
    examSettingsDialog_ = new examroom::ExamSettingsDialog(this);
    backupDialog_ = new maintenance::BackupDialog(programFolder_, dialogs_, this);
    restoreDialog_ = new maintenance::RestoreDialog(programFolder_, dialogs_, this);
    // A restored file may hold another tree: the tree is built from it at once.
    connect(restoreDialog_, &maintenance::RestoreDialog::restored, this, &MainWindow::buildTree);
    updateChecker_ = new UpdateChecker(programFolder_, updateIniUrl_, dialogs_, this);
    const auto onClick = [this](const char* objectName, void (MainWindow::*slot)()) {
        connect(findChild<QAbstractButton*>(QString::fromLatin1(objectName)), &QAbstractButton::clicked, this,
                slot);
    };
    onClick("computerExamButton", &MainWindow::enterExamRoom);
    onClick("examRoomButton", &MainWindow::enterExamRoom);
    onClick("backupButton", &MainWindow::openBackup);
    onClick("restoreButton", &MainWindow::openRestore);
    onClick("updateButton", &MainWindow::checkForUpdate);
    onClick("serviceButton", &MainWindow::openServicePage);
    onClick("purchaseButton", &MainWindow::openPurchasePage);
    onClick("helpButton", &MainWindow::openHelp);
    onClick("largerTextButton", &MainWindow::largerText);
    onClick("smallerTextButton", &MainWindow::smallerText);
    onClick("fullScreenButton", &MainWindow::enterFullScreen);
    onClick("windowModeButton", &MainWindow::leaveFullScreen);
    onClick("exerciseButton", &MainWindow::showExerciseView);
    onClick("favouritesButton", &MainWindow::showFavouritesView);
    onClick("wrongQuestionsButton", &MainWindow::openWrongQuestionBank);

    // ---- page commands and error feedback (study/page_commands.*) ----
    pageCommands_ = new study::PageCommands(*this);
    pageView_->setNavigationHandler([this](const QString& url) { return handlePageCommand(url); });
    onClick("showAnswersButton", &MainWindow::showAllAnswers);
    onClick("hideAnswersButton", &MainWindow::hideAllAnswers);
    // ---- end page commands ----

    // ---- grading and the result report (practice/page_grader.*) ----
    pageGrader_ = new practice::PageGrader(*this, this);
    onClick("handInButton", &MainWindow::gradePage);
    connect(gradeButton_, &QAbstractButton::clicked, this, &MainWindow::gradePage);  // shares the handler
    onClick("answerAgainButton", &MainWindow::answerAgain);
    // ---- end grading ----
}

// ---- page commands (study/page_commands.*) ----
bool MainWindow::handlePageCommand(const QString& url) {
    return pageCommands_->handle(url);
}
void MainWindow::showAllAnswers() {
    pageCommands_->showAllAnswers();
}
void MainWindow::hideAllAnswers() {
    pageCommands_->hideAllAnswers();
}
// ---- end page commands ----

// ---- grading (practice/page_grader.*) ----
void MainWindow::gradePage() {
    if (deferWhileBuilding([this] { gradePage(); })) {
        return;
    }
    pageGrader_->gradePage();
}
void MainWindow::answerAgain() {
    if (deferWhileBuilding([this] { answerAgain(); })) {
        return;
    }
    pageGrader_->answerAgain();
}
// ---- end grading ----

MainWindow::~MainWindow() = default;

// ---- layout -------------------------------------------------------------------------------------

void MainWindow::buildLayout() {
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("windowFrame"));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(3, 3, 3, 3);  // the window's border in its background colour
    layout->setSpacing(0);

    titleBar_ = new TitleBar(pictureFolder(), frame);
    setTitleText(kDesignTitle);
    connect(titleBar_->minimizeButton(), &QAbstractButton::clicked, this, &QWidget::showMinimized);
    connect(titleBar_->maximizeButton(), &QAbstractButton::clicked, this, &MainWindow::toggleMaximized);
    connect(titleBar_->restoreButton(), &QAbstractButton::clicked, this, &MainWindow::toggleMaximized);
    connect(titleBar_->closeButton(), &QAbstractButton::clicked, this, &MainWindow::confirmExit);
    connect(titleBar_, &TitleBar::doubleClicked, this, &MainWindow::toggleMaximized);

    auto* splitter = new QSplitter(Qt::Horizontal, frame);
    splitter->setObjectName(QStringLiteral("paneSplitter"));
    splitter->setHandleWidth(1);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildLeftPane());
    splitter->addWidget(buildRightPane());
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({257, 760});

    layout->addWidget(titleBar_);
    layout->addWidget(buildToolBar());
    layout->addWidget(splitter, 1);
    layout->addWidget(buildStatusBar());
    setCentralWidget(frame);
}

QWidget* MainWindow::buildToolBar() {
    struct Entry {
        const char* objectName;
        const char* idle;
        const char* hover;
        const char* pressed;
        const char* label;
    };
    static const Entry kEntries[] = {
        {"exerciseButton", "kstk-1.jpg", "KSTK-2.jpg", "KSTK-3.jpg", "习题集"},
        {"favouritesButton", "wdsc-1.jpg", "wdsc-2.jpg", "wdsc-3.jpg", "我的收藏"},
        {"computerExamButton", "rjdh-1.jpg", "rjdh-2.jpg", "rjdh-3.jpg", "人机对话"},
        {"examRoomButton", "mnkc-1.jpg", "mnkc-2.jpg", "mnkc-3.jpg", "模拟考场"},
        {"wrongQuestionsButton", "cttk-1.jpg", "cttk-2.jpg", "cttk-3.jpg", "错题题库"},
        {"backupButton", "sjbf-1.jpg", "sjbf-2.jpg", "sjbf-3.jpg", "数据备份"},
        // The restore button keeps its idle picture when pressed.
        {"restoreButton", "sjhy-1.jpg", "sjhy-2.jpg", "sjhy-1.jpg", "数据还原"},
        {"updateButton", "rjsj-1.jpg", "rjsj-2.jpg", "rjsj-3.jpg", "软件升级"},
        {"serviceButton", "zxkf-1.jpg", "zxkf-2.jpg", "zxkf-3.jpg", "在线客服"},
        {"purchaseButton", "zxsc-1.jpg", "zxsc-2.jpg", "zxsc-3.jpg", "在线购买"},
        {"helpButton", "sybz-1.jpg", "sybz-2.jpg", "sybz-3.jpg", "使用帮助"},
    };

    toolBar_ = new PicturePanel(pictureFolder() + QStringLiteral("banner.png"), this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setFixedHeight(64);
    auto* layout = new QHBoxLayout(toolBar_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    bool first = true;
    for (const Entry& entry : kEntries) {
        PictureButton* button = pictureButton(
            pictureFolder(), entry.objectName, QString::fromLatin1(entry.idle),
            QString::fromLatin1(entry.hover), QString::fromLatin1(entry.pressed), entry.label, toolBar_);
        if (!button->hasPicture()) {
            button->setFixedSize(first ? 63 : 58, 64);
        }
        layout->addWidget(button);
        first = false;
    }

    // The banner fills the rest of the bar, the logo at its left edge.
    auto* banner = new QWidget(toolBar_);
    banner->setObjectName(QStringLiteral("bannerPanel"));
    auto* bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(0, 4, 12, 4);
    auto* logo = new QLabel(banner);
    logo->setObjectName(QStringLiteral("bannerLogo"));
    logo->setFixedSize(206, 56);
    const QImage logoPicture = PictureCache::instance().picture(pictureFolder() + QStringLiteral("logo.png"));
    if (logoPicture.isNull()) {
        logo->setText(
            QStringLiteral("<div style='font-size:22px; font-weight:bold;'>Quorvex</div>"
                           "<div style='font-size:12px;'>卫生专业技术资格考试 · 中级</div>"));
    } else {
        logo->setPixmap(QPixmap::fromImage(logoPicture));
    }
    bannerLayout->addWidget(logo);
    bannerLayout->addStretch(1);
    layout->addWidget(banner, 1);
    return toolBar_;
}

QWidget* MainWindow::buildLeftPane() {
    leftPane_ = new QWidget(this);
    leftPane_->setObjectName(QStringLiteral("leftPane"));
    leftPane_->setMinimumWidth(180);
    auto* layout = new QVBoxLayout(leftPane_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* titlePanel = new QWidget(leftPane_);
    titlePanel->setObjectName(QStringLiteral("viewTitlePanel"));
    titlePanel->setAttribute(Qt::WA_StyledBackground);
    titlePanel->setFixedHeight(30);
    auto* titleLayout = new QHBoxLayout(titlePanel);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    viewTitleLabel_ = new QLabel(study::kExerciseCaption, titlePanel);
    viewTitleLabel_->setObjectName(QStringLiteral("viewTitleLabel"));
    viewTitleLabel_->setAlignment(Qt::AlignCenter);
    titleLayout->addWidget(viewTitleLabel_);

    tree_ = new QTreeWidget(leftPane_);
    tree_->setObjectName(QStringLiteral("chapterTree"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setRootIsDecorated(false);
    tree_->setIndentation(23);
    tree_->setFrameShape(QFrame::NoFrame);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setSortingEnabled(false);  // node order is the build order: absolute indexes depend on it
    tree_->setExpandsOnDoubleClick(false);
    tree_->setUniformRowHeights(true);
    QFont treeFont;
    treeFont.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC")});
    treeFont.setPixelSize(14);
    tree_->setFont(treeFont);
    // A selected node opens itself.
    connect(tree_, &QTreeWidget::currentItemChanged, this, [](QTreeWidgetItem* current) {
        if (current != nullptr) {
            current->setExpanded(true);
        }
    });
    connect(tree_, &QTreeWidget::itemClicked, this, &MainWindow::openChapter);

    layout->addWidget(titlePanel);
    layout->addWidget(tree_, 1);
    return leftPane_;
}

QWidget* MainWindow::buildRightPane() {
    auto* pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("rightPane"));
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    buttonRow_ = new PicturePanel(pictureFolder() + QStringLiteral("button-row.png"), pane);
    buttonRow_->setObjectName(QStringLiteral("buttonRow"));
    buttonRow_->setFixedHeight(31);
    auto* row = new QHBoxLayout(buttonRow_);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(2);
    const auto rowButton = [this](const char* objectName, const char* stem, const char* label) {
        const QString base = QString::fromLatin1(stem);
        return pictureButton(pictureFolder(), objectName, base + QStringLiteral("-1.bmp"),
                             base + QStringLiteral("-2.bmp"), base + QStringLiteral("-3.bmp"), label,
                             buttonRow_);
    };
    // Show and hide answers share one place, as do full screen and window mode.
    PictureButton* hideAnswers = rowButton("hideAnswersButton", "ycda", "隐藏答案");
    PictureButton* windowMode = rowButton("windowModeButton", "ckxs", "窗口显示");
    hideAnswers->hide();
    windowMode->hide();
    row->addWidget(rowButton("showAnswersButton", "xsda", "显示答案"));
    row->addWidget(hideAnswers);
    row->addWidget(rowButton("answerAgainButton", "cxdt", "重新答题"));
    row->addWidget(rowButton("handInButton", "tjsj", "提交试卷"));
    row->addSpacing(12);
    row->addWidget(rowButton("largerTextButton", "da", "放大"));
    row->addWidget(rowButton("smallerTextButton", "xiao", "缩小"));
    row->addStretch(1);
    row->addWidget(rowButton("fullScreenButton", "qpxs", "全屏显示"));
    row->addWidget(windowMode);

    // Never shown: its x is the layout stamp that maximize and restore move.
    gradeButton_ = new QPushButton(QStringLiteral("评分"), buttonRow_);
    gradeButton_->setObjectName(QStringLiteral("gradeButton"));
    gradeButton_->hide();
    gradeButton_->move(kGradeButtonLeft, 3);

    pageView_ = new study::PageView(pane);
    pageView_->setObjectName(QStringLiteral("pageView"));
    pageView_->setContentRoot(programFolder_);

    layout->addWidget(buttonRow_);
    layout->addWidget(pageView_, 1);
    return pane;
}

QWidget* MainWindow::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(19);
    static const char* const kNames[] = {"questionCountPanel", "contactPanel", "buildTimePanel"};
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(bar);
        statusPanels_[i]->setObjectName(QString::fromLatin1(kNames[i]));
    }
    statusPanels_[0]->setText(kDesignQuestionCount);
    statusPanels_[0]->setFixedWidth(255);
    statusPanels_[0]->setAlignment(Qt::AlignCenter);
    statusPanels_[1]->setText(kContactLine);
    statusPanels_[1]->setAlignment(Qt::AlignCenter);
    statusPanels_[2]->setText(kBuildTimePrefix);
    statusPanels_[2]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusPanels_[2]->setMinimumWidth(260);
    bar->addWidget(statusPanels_[0]);
    bar->addWidget(statusPanels_[1], 1);
    bar->addWidget(statusPanels_[2]);
    return bar;
}

void MainWindow::applyStyle() {
    const QString window = designColor(kWindowColor).name();
    const QString tree = designColor(kTreeColor).name();
    setStyleSheet(QStringLiteral(R"(
#windowFrame { background: %1; }
#titleLabel { color: white; font-size: 13px; font-weight: bold; }
#bannerLogo { color: %1; }
#viewTitlePanel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #27a2ab, stop:1 %1); }
#viewTitleLabel { color: white; font-size: 15px; font-weight: bold; }
#chapterTree { background: %2; border: none; outline: 0; }
#chapterTree::item { padding: 2px 0; }
#chapterTree::item:hover { background: rgba(0, 134, 143, 25); }
#chapterTree::item:selected { background: %1; color: white; }
#chapterTree::branch { image: none; border-image: none; background: transparent; }
#chapterTree QScrollBar:vertical { background: transparent; width: 10px; margin: 0; }
#chapterTree QScrollBar::handle:vertical { background: #b3c7cf; border-radius: 3px; min-height: 32px; margin: 2px; }
#chapterTree QScrollBar::handle:vertical:hover { background: #8eaab5; }
#chapterTree QScrollBar::add-line:vertical, #chapterTree QScrollBar::sub-line:vertical { height: 0; }
#chapterTree QScrollBar::add-page:vertical, #chapterTree QScrollBar::sub-page:vertical { background: none; }
#paneSplitter::handle { background: #9fb9c2; }
#statusBar { background: #eef3f5; color: #3d5660; font-size: 12px; }
#statusBar::item { border: none; }
#questionCountPanel, #contactPanel { border-right: 1px solid #c7d5dc; }
)")
                      .arg(window, tree));
}

void MainWindow::placeOnScreen() {
    setMinimumSize(860, 520);
    resize(1024, 720);
    if (windowState() & Qt::WindowMaximized) {
        return;
    }
    // A 1024 x 768 area centred on the screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    move(qMax(area.left(), area.left() + area.width() / 2 - 512),
         qMax(area.top(), area.top() + area.height() / 2 - 384));
}

void MainWindow::setTitleText(const QString& text) {
    titleBar_->titleLabel()->setText(text);
    // The task bar and window lists show the same words as the title label.
    setWindowTitle(text);
}

QString MainWindow::titleText() const {
    return titleBar_->titleLabel()->text();
}

QString MainWindow::statusPanelText(int index) const {
    return index >= 0 && index < 3 ? statusPanels_[index]->text() : QString();
}

QString MainWindow::visibleViewTitle() const {
    return viewTitleLabel_->text();
}

void MainWindow::setViewTitle(const QString& caption) {
    viewCaption_ = caption;
    viewTitleLabel_->setText(caption);
}

// ---- create, show, activate, close ----------------------------------------------------------------

void MainWindow::readBankAtStart() {
    const StartupInfo info = readStartupInfo(connection_);
    if (info.subjectRead) {
        setTitleText(titleForSubject(info.subjectName));
        subjectCode_ = info.subjectCode;
        updateIniUrl_ = updateIniUrlFor(programFolder_, subjectCode_);
    }
    if (info.countRead) {
        statusPanels_[0]->setText(questionCountText(info.questionCount));
    }
    if (info.failure) {
        // Told now, before the window appears: a box raised over it could end up beneath it when the
        // page view makes the window recreate its surface on the first paint.
        startupFailure_ = info.failure;
        bankUnreadable_ = true;
        dialogs_.showMessage(this, startupFailureMessage(*info.failure), QString(),
                             UserDialogs::Icon::Warning);
    }
}

void MainWindow::buildTree() {
    state_.enteringExamRoom = 0;
    state_.wasMaximizedBeforeFullScreen = 0;
    try {
        connection_.close();
        connection_.open();
        state_.layoutStamp = gradeButton_->x();
        statusPanels_[2]->setText(buildTimeText(QDateTime::currentDateTime()));

        tree_->clear();
        nodes_.clear();
        state_.nodeTreeIds.clear();
        lastRoot_ = nullptr;
        lastSection_ = nullptr;
        walkChapterTree(connection_, study::viewForCaption(viewCaption_),
                        [this](const TreeRow& row) { addNode(row); });
        connection_.close();
        bankUnreadable_ = false;
    } catch (const std::exception& error) {
        connection_.close();
        // The start-up message has told the user already when the bank cannot be read at all.
        if (!bankUnreadable_) {
            dialogs_.showMessage(this, QString::fromUtf8(error.what()), QString(),
                                 UserDialogs::Icon::Warning);
        }
    }
}

void MainWindow::addNode(const TreeRow& row) {
    QTreeWidgetItem* node = nullptr;
    if (row.level == 0 || lastRoot_ == nullptr) {
        node = new QTreeWidgetItem(tree_);
        lastRoot_ = node;
        lastSection_ = nullptr;
    } else if (row.level == 1 || lastSection_ == nullptr) {
        node = new QTreeWidgetItem(lastRoot_);
        lastSection_ = node;
    } else {
        node = new QTreeWidgetItem(lastSection_);
    }
    node->setText(0, row.caption);
    node->setToolTip(0, row.caption);  // long chapter names are cut off in the narrow pane
    node->setData(0, kNodeIndexRole, static_cast<int>(nodes_.size()));
    nodes_.append(node);
    state_.nodeTreeIds.append(row.treeId);
}

void MainWindow::openFirstChapter() {
    // A page build waits with the event loop running; an activation arriving meanwhile is not a new one.
    if (openingFirstChapter_) {
        return;
    }
    if (state_.skipActivateReload != 1 && gradeButton_->x() == state_.layoutStamp) {
        openingFirstChapter_ = true;
        try {
            tree_->expandAll();
            // Node 2 is the first chapter when the first section has one; a smaller tree opens nothing.
            if (QTreeWidgetItem* node = nodeAt(2)) {
                tree_->setCurrentItem(node);
                openChapter(node);
                state_.textSizeStep = 2;
                emit firstChapterOpened();
            }
        } catch (...) {
            // Activation ends quietly; the flag below is still cleared.
        }
        openingFirstChapter_ = false;
    }
    state_.skipActivateReload = 0;
}

void MainWindow::openChapter(QTreeWidgetItem* node) {
    if (node == nullptr) {
        return;
    }
    const int index = nodeIndex(node);
    if (deferWhileBuilding([this, index] { openChapter(nodeAt(index)); })) {
        return;
    }
    tree_->setCurrentItem(node);
    const int level = nodeLevel(node);
    const bool leaf = node->childCount() == 0;
    if (leaf && level == 1) {
        dialogs_.showMessage(this, QStringLiteral("本章节无试题!"));
        return;
    }
    state_.pageReady = 0;
    showPageButtons(false, {"hideAnswersButton"});
    showPageButtons(true, {"showAnswersButton"});
    state_.typeCode8HeadingShown = 0;
    state_.questionNo = 1;
    state_.groupFirstNo = 0;
    state_.typeCode9HeadingShown = 0;
    if (leaf && level == 2 && index >= 0) {
        buildingPage_ = true;
        study::PageNumbering numbering;
        study::ChapterPageBuilder builder(*pageView_, connection_, programFolder_);
        const QString treeId =
            builder.build(state_.nodeTreeIds.value(index), study::viewForCaption(viewCaption_), numbering);
        if (!treeId.isEmpty()) {
            state_.currentTreeId = treeId;
        }
        state_.questionNo = numbering.questionNo;
        state_.groupFirstNo = numbering.groupFirstNo;
        state_.typeCode8HeadingShown = numbering.typeCode8HeadingShown;
        state_.typeCode9HeadingShown = numbering.typeCode9HeadingShown;
        buildingPage_ = false;
    }
    state_.pageReady = 1;
    runDeferred();
}

bool MainWindow::deferWhileBuilding(std::function<void()> action) {
    if (!buildingPage_) {
        return false;
    }
    // The page build waits with the event loop running; the latest request runs once it is done.
    deferred_ = std::move(action);
    return true;
}

void MainWindow::runDeferred() {
    if (deferred_) {
        const std::function<void()> action = std::move(deferred_);
        deferred_ = nullptr;
        QMetaObject::invokeMethod(this, action, Qt::QueuedConnection);
    }
}

void MainWindow::showPageButtons(bool show, const std::initializer_list<const char*>& names) {
    for (const char* name : names) {
        if (auto* button = findChild<QWidget*>(QString::fromLatin1(name))) {
            button->setVisible(show);
        }
    }
}

// ---- view switches --------------------------------------------------------------------------------

void MainWindow::showExerciseView() {
    switchView(study::kExerciseCaption);
}

void MainWindow::showFavouritesView() {
    switchView(study::kFavouritesCaption);
}

void MainWindow::showWrongQuestionView() {
    switchView(study::kWrongQuestionsCaption);
}

void MainWindow::openWrongQuestionBank() {
    if (deferWhileBuilding([this] { openWrongQuestionBank(); })) {
        return;
    }
    try {
        runModal(*wrongBankManager_);
    } catch (const std::exception& error) {
        dialogs_.showMessage(this, QString::fromUtf8(error.what()), QString(), UserDialogs::Icon::Warning);
    }
    showWrongQuestionView();
}

void MainWindow::switchView(const QString& caption) {
    if (deferWhileBuilding([this, caption] { switchView(caption); })) {
        return;
    }
    const study::StudyView view = study::viewForCaption(caption);
    const bool filtered = view != study::StudyView::Exercise;
    state_.skipActivateReload = 0;
    if (filtered) {
        bool anyMarked = false;
        try {
            anyMarked = study::recomputeChapterMarks(connection_, view);
            connection_.close();
        } catch (const std::exception& error) {
            connection_.close();
            dialogs_.showMessage(this, QString::fromUtf8(error.what()), QString(),
                                 UserDialogs::Icon::Warning);
            return;
        }
        if (!anyMarked) {
            dialogs_.showMessage(this, study::emptyViewMessage(view));
            return;
        }
    }
    showPageButtons(false, {"hideAnswersButton"});
    if (gradeButton_->x() != state_.layoutStamp) {
        gradeButton_->move(gradeButton_->x() - tree_->width(), gradeButton_->y());
    }
    showPageButtons(true, {"showAnswersButton", "answerAgainButton", "handInButton"});
    leftPane_->show();
    if (filtered) {
        state_.pageReady = 0;
    }
    setViewTitle(caption);
    buildTree();
    openFirstChapter();
    tree_->expandAll();
    if (filtered) {
        state_.pageReady = 1;
    }
}

QTreeWidgetItem* MainWindow::nodeAt(int absoluteIndex) const {
    return absoluteIndex >= 0 && absoluteIndex < nodes_.size() ? nodes_[absoluteIndex] : nullptr;
}

int MainWindow::nodeIndex(const QTreeWidgetItem* node) {
    if (node == nullptr) {
        return -1;
    }
    const QVariant index = node->data(0, kNodeIndexRole);
    return index.isValid() ? index.toInt() : -1;
}

int MainWindow::nodeLevel(const QTreeWidgetItem* node) {
    int level = 0;
    for (const QTreeWidgetItem* parent = node != nullptr ? node->parent() : nullptr; parent != nullptr;
         parent = parent->parent()) {
        ++level;
    }
    return level;
}

void MainWindow::noteFocusWindow(QWindow* window) {
    // Message boxes and file dialogs are not windows of the program in this sense: closing "本章节无试题!"
    // must not reopen the chapter that showed it.
    const QWidget* modal = QApplication::activeModalWidget();
    if (qobject_cast<const QMessageBox*>(modal) != nullptr ||
        qobject_cast<const QFileDialog*>(modal) != nullptr) {
        return;
    }
    // Only modal windows hand the focus back in that sense: the error-feedback window stays open beside
    // the main window, and going back and forth between the two must not throw the page away.
    if (window != nullptr && window != windowHandle() && window->modality() != Qt::NonModal &&
        (window->type() == Qt::Dialog || window->type() == Qt::Window)) {
        otherWindowHadFocus_ = true;
    }
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && otherWindowHadFocus_) {
        otherWindowHadFocus_ = false;
        // After the activation has been delivered: the page build runs the event loop.
        QMetaObject::invokeMethod(this, &MainWindow::openFirstChapter, Qt::QueuedConnection);
    }
    return QMainWindow::event(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    // Only when the window is shown by the program, not when it comes back from being minimized.
    if (!event->spontaneous()) {
        buildTree();
        // Showing the window activates it; the first time, that activation is done here, so that it
        // does not depend on a window manager handing the new window the focus.
        if (!shownBefore_) {
            shownBefore_ = true;
            otherWindowHadFocus_ = false;
            QMetaObject::invokeMethod(this, &MainWindow::openFirstChapter, Qt::QueuedConnection);
        }
    }
    QMainWindow::showEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    connection_.close();
    QMainWindow::closeEvent(event);
}

}  // namespace quorvex::mainwindow
