#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
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

#include "mainwindow/main_window_texts.h"
#include "practice/wrong_bank_manager.h"
#include "study/chapter_page_builder.h"
#include "mainwindow/title_bar.h"
#include "mainwindow/user_dialogs.h"
#include "study/page_view.h"
#include "study/study_view.h"

namespace quorvex::mainwindow {

namespace {

// Item data role holding a node's absolute index.
constexpr int kNodeIndexRole = Qt::UserRole + 1;

// Design colour values (Windows 0x00BBGGRR).
constexpr quint32 kWindowColor = 9405952;
constexpr quint32 kTreeColor = 16379624;

// The grading button's x in the restored layout.
constexpr int kGradeButtonLeft = 488;

QColor designColor(quint32 windowsValue) {
    return QColor(static_cast<QRgb>(rgbFromWindowsColor(windowsValue)));
}

// A calm stand-in for the picture buttons until their pictures come: one character on a rounded tile.
QIcon tileIcon(const QString& glyph, const QColor& color) {
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(30, 30) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(1, 1, 28, 28), 7, 7);
    painter.fillPath(tile, color);
    QFont font = painter.font();
    font.setPixelSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, 30, 30), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

QToolButton* flatButton(const QString& objectName, const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setText(text);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

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
    connect(findChild<QToolButton*>(QStringLiteral("exerciseButton")), &QToolButton::clicked, this,
            &MainWindow::showExerciseView);
    connect(findChild<QToolButton*>(QStringLiteral("favouritesButton")), &QToolButton::clicked, this,
            &MainWindow::showFavouritesView);
    connect(findChild<QToolButton*>(QStringLiteral("wrongQuestionsButton")), &QToolButton::clicked, this,
            &MainWindow::openWrongQuestionBank);
}

MainWindow::~MainWindow() = default;

// ---- layout -------------------------------------------------------------------------------------

void MainWindow::buildLayout() {
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("windowFrame"));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(3, 3, 3, 3);  // the window's border in its background colour
    layout->setSpacing(0);

    titleBar_ = new TitleBar(frame);
    setTitleText(kDesignTitle);
    connect(titleBar_->minimizeButton(), &QToolButton::clicked, this, &QWidget::showMinimized);
    connect(titleBar_->closeButton(), &QToolButton::clicked, this, &QWidget::close);

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
        const char* text;
        const char* glyph;  // the character on the button's tile
    };
    // The functions behind these buttons come with their own windows.
    static const Entry kEntries[] = {
        {"exerciseButton", "习题集", "习"},         {"favouritesButton", "我的收藏", "藏"},
        {"computerExamButton", "人机对话", "机"},   {"examRoomButton", "模拟考场", "考"},
        {"wrongQuestionsButton", "错题题库", "错"}, {"backupButton", "数据备份", "备"},
        {"restoreButton", "数据还原", "还"},        {"updateButton", "软件升级", "升"},
        {"serviceButton", "在线客服", "服"},        {"purchaseButton", "在线购买", "购"},
        {"helpButton", "使用帮助", "助"},
    };

    toolBar_ = new QWidget(this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setAttribute(Qt::WA_StyledBackground);
    toolBar_->setFixedHeight(64);
    auto* layout = new QHBoxLayout(toolBar_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const QColor tileColor = designColor(kWindowColor);
    bool first = true;
    for (const Entry& entry : kEntries) {
        QToolButton* button =
            flatButton(QString::fromLatin1(entry.objectName), QString::fromUtf8(entry.text), toolBar_);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(tileIcon(QString::fromUtf8(entry.glyph), tileColor));
        button->setIconSize(QSize(30, 30));
        button->setFixedSize(first ? 63 : 58, 64);
        layout->addWidget(button);
        first = false;
    }

    // The banner fills the rest of the bar, the logo at its left edge.
    auto* banner = new QWidget(toolBar_);
    banner->setObjectName(QStringLiteral("bannerPanel"));
    banner->setAttribute(Qt::WA_StyledBackground);
    auto* bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(12, 4, 12, 4);
    auto* logo = new QLabel(banner);
    logo->setObjectName(QStringLiteral("bannerLogo"));
    logo->setFixedSize(206, 56);
    logo->setText(
        QStringLiteral("<div style='font-size:22px; font-weight:bold;'>Quorvex</div>"
                       "<div style='font-size:12px;'>卫生专业技术资格考试 · 中级</div>"));
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

    buttonRow_ = new QWidget(pane);
    buttonRow_->setObjectName(QStringLiteral("buttonRow"));
    buttonRow_->setAttribute(Qt::WA_StyledBackground);
    buttonRow_->setFixedHeight(31);
    auto* row = new QHBoxLayout(buttonRow_);
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(4);
    // Show and hide answers share one place, as do full screen and window mode.
    QToolButton* hideAnswers =
        flatButton(QStringLiteral("hideAnswersButton"), QStringLiteral("隐藏答案"), buttonRow_);
    QToolButton* windowMode =
        flatButton(QStringLiteral("windowModeButton"), QStringLiteral("窗口模式"), buttonRow_);
    hideAnswers->hide();
    windowMode->hide();
    row->addWidget(flatButton(QStringLiteral("showAnswersButton"), QStringLiteral("显示答案"), buttonRow_));
    row->addWidget(hideAnswers);
    row->addWidget(flatButton(QStringLiteral("answerAgainButton"), QStringLiteral("重新答题"), buttonRow_));
    row->addWidget(flatButton(QStringLiteral("handInButton"), QStringLiteral("交卷评分"), buttonRow_));
    row->addSpacing(12);
    row->addWidget(flatButton(QStringLiteral("largerTextButton"), QStringLiteral("字体放大"), buttonRow_));
    row->addWidget(flatButton(QStringLiteral("smallerTextButton"), QStringLiteral("字体缩小"), buttonRow_));
    row->addStretch(1);
    row->addWidget(flatButton(QStringLiteral("fullScreenButton"), QStringLiteral("全屏显示"), buttonRow_));
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
#minimizeButton, #closeButton { color: white; border: none; font-size: 13px; }
#minimizeButton:hover { background: rgba(255, 255, 255, 45); }
#closeButton:hover { background: #d9443a; }
#toolBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfdfe, stop:1 #dfe9ee);
           border-bottom: 1px solid #b8cbd3; }
#toolBar QToolButton { color: #29454d; font-size: 12px; border: none; border-radius: 4px; padding-top: 3px; }
#toolBar QToolButton:hover { background: rgba(0, 134, 143, 28); }
#toolBar QToolButton:pressed { background: rgba(0, 134, 143, 60); }
#bannerPanel { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 rgba(0,134,143,0), stop:1 rgba(0,134,143,40)); }
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
#buttonRow { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f6f9fb, stop:1 #e2eaef);
             border-bottom: 1px solid #c7d5dc; }
#buttonRow QToolButton { color: #29454d; font-size: 12px; border: 1px solid transparent; border-radius: 3px;
                         padding: 2px 8px; }
#buttonRow QToolButton:hover { background: white; border-color: #b8cbd3; }
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
        updateIniUrl_ = updateIniUrlFor(subjectCode_);
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
        wrongBankManager_->exec();
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
            dialogs_.showMessage(this, QString::fromUtf8(error.what()), QString(), UserDialogs::Icon::Warning);
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
    if (qobject_cast<const QMessageBox*>(modal) != nullptr || qobject_cast<const QFileDialog*>(modal) != nullptr) {
        return;
    }
    if (window != nullptr && window != windowHandle() &&
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
