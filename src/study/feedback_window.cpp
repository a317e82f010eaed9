#include "study/feedback_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStringList>
#include <QVBoxLayout>

#include "mainwindow/user_dialogs.h"
#include "study/feedback_sender.h"
#include "study/feedback_settings.h"
#include "study/page_markup.h"
#include "study/page_view.h"

Q_LOGGING_CATEGORY(lcFeedback, "quorvex.feedback")

namespace quorvex::study {

namespace {

constexpr int kWindowWidth = 1005;
constexpr int kWindowHeight = 557;

const QString kThanksLine =
    QStringLiteral("感谢您的反馈！我们会尽快处理您反馈的问题，并在以后的升级版本中更正。");

}  // namespace

FeedbackWindow::FeedbackWindow(const QString& programFolder, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), programFolder_(programFolder), dialogs_(dialogs) {
    setObjectName(QStringLiteral("feedbackWindow"));
    setWindowTitle(kFeedbackWindowTitle);
    setFixedSize(kWindowWidth, kWindowHeight);
    buildLayout();
}

FeedbackWindow::~FeedbackWindow() = default;

void FeedbackWindow::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->setSpacing(6);

    // The question, on a lowered panel.
    auto* pagePanel = new QFrame(this);
    pagePanel->setObjectName(QStringLiteral("feedbackPagePanel"));
    pagePanel->setFrameShape(QFrame::StyledPanel);
    pagePanel->setFrameShadow(QFrame::Sunken);
    auto* pageLayout = new QVBoxLayout(pagePanel);
    pageLayout->setContentsMargins(2, 2, 2, 2);
    pageView_ = new PageView(pagePanel);
    pageView_->setObjectName(QStringLiteral("feedbackPageView"));
    pageView_->setContentRoot(programFolder_);
    pageView_->setFixedSize(978, 285);
    pageLayout->addWidget(pageView_);
    layout->addWidget(pagePanel, 0, Qt::AlignLeft);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(12);

    auto* problems = new QGroupBox(QStringLiteral("其他错误反馈"), this);
    problems->setObjectName(QStringLiteral("problemGroup"));
    auto* grid = new QGridLayout(problems);
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(4);
    const int rows = static_cast<int>(kFeedbackProblems.size() + 1) / 2;
    for (size_t i = 0; i < kFeedbackProblems.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(kFeedbackProblems[i].label), problems);
        box->setObjectName(QString::fromLatin1(kFeedbackProblems[i].column) + QStringLiteral("Box"));
        const int index = static_cast<int>(i);
        grid->addWidget(box, index % rows, index / rows);  // left column first, then the right one
        problemBoxes_[i] = box;
    }
    middle->addWidget(problems, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    auto* descriptionLabel = new QLabel(QStringLiteral("错误的附加说明"), this);
    descriptionLabel->setObjectName(QStringLiteral("descriptionLabel"));
    descriptionEdit_ = new QPlainTextEdit(this);
    descriptionEdit_->setObjectName(QStringLiteral("descriptionEdit"));
    descriptionEdit_->setFrameShape(QFrame::NoFrame);
    descriptionEdit_->setFixedSize(489, 113);
    descriptionEdit_->setTabChangesFocus(true);
    right->addSpacing(8);
    right->addWidget(descriptionLabel);
    right->addWidget(descriptionEdit_);
    right->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    sendButton_ = new QPushButton(QStringLiteral("确 定"), this);
    sendButton_->setObjectName(QStringLiteral("sendButton"));
    cancelButton_ = new QPushButton(QStringLiteral("取 消"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(sendButton_);
    buttons->addWidget(cancelButton_);
    right->addLayout(buttons);
    middle->addLayout(right);
    layout->addLayout(middle, 1);

    auto* thanks = new QLabel(kThanksLine, this);
    thanks->setObjectName(QStringLiteral("thanksLabel"));
    thanks->setAlignment(Qt::AlignCenter);
    layout->addWidget(thanks);

    connect(sendButton_, &QPushButton::clicked, this, &FeedbackWindow::send);
    connect(cancelButton_, &QPushButton::clicked, this, &QWidget::close);

    setStyleSheet(QStringLiteral(R"(
#feedbackWindow { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f6f9fb, stop:1 #dfe9ee); }
#feedbackPagePanel { background: white; }
#problemGroup { font-weight: bold; color: #29454d; }
#problemGroup QCheckBox { font-weight: normal; color: #27313b; }
#descriptionLabel { font-weight: bold; color: #29454d; }
#descriptionEdit { background: white; }
#thanksLabel { color: #5d6975; }
)"));
}

void FeedbackWindow::prepare() {
    descriptionEdit_->clear();
    for (QCheckBox* box : problemBoxes_) {
        box->setChecked(false);
    }
    show();
    raise();
    activateWindow();
}

bool FeedbackWindow::showQuestion(const GroupRow& group, PageMarkupWriter& writer) {
    report_.questionId.clear();
    report_.questionText.clear();
    if (!pageView_->loadPageFile(programFolder_ + QStringLiteral("ty.html"))) {
        return false;
    }
    if (!group.questions.isEmpty()) {
        report_.questionId = QString::number(group.questions.first().id);
        report_.questionText = group.questions.first().content;
    }
    QStringList fragments;
    writer.writeGroup(group, fragments);
    pageView_->appendFragments(fragments);
    pageView_->flush();
    return true;
}

FeedbackReport FeedbackWindow::report() const {
    FeedbackReport report = report_;
    for (size_t i = 0; i < problemBoxes_.size(); ++i) {
        report.ticked[i] = problemBoxes_[i]->isChecked();
    }
    report.description = descriptionEdit_->toPlainText();
    return report;
}

void FeedbackWindow::send() {
    // The send itself waits without the event loop, but the message boxes after it run one: a click
    // queued meanwhile must not start a second send.
    if (sending_) {
        return;
    }
    sending_ = true;
    FeedbackSettings settings = readFeedbackSettings(programFolder_ + kFeedbackSettingsFile);
    if (timeoutSeconds_) {
        settings.timeoutSeconds = *timeoutSeconds_;
    }
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool sent = sendFeedbackRow(settings, feedbackValues(report()), &error);
    QApplication::restoreOverrideCursor();
    if (!sent) {
        // The user only hears that it failed; the reason goes to the log (without the password).
        qCWarning(lcFeedback, "the report was not sent: %s", qPrintable(error));
        dialogs_.showMessage(this, kFeedbackFailedMessage);
        sending_ = false;
        return;
    }
    dialogs_.showMessage(this, kFeedbackSentMessage);
    sending_ = false;
    close();
    emit reportSent();
}

void FeedbackWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        placeOnScreen();
    }
    QWidget::showEvent(event);
}

void FeedbackWindow::placeOnScreen() {
    // The top left corner of a 1024 x 768 area centred on the screen: over the main window's corner.
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    move(qMax(area.left(), area.left() + area.width() / 2 - 512),
         qMax(area.top(), area.top() + area.height() / 2 - 384));
}

}  // namespace quorvex::study
