#include "examroom/exam_settings_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvex::examroom {

ExamSettingsDialog::ExamSettingsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExamSettingsDialog"));
    setWindowTitle(QStringLiteral("参数设置"));
    setModal(true);
    setFixedSize(420, 260);

    auto* heading = new QLabel(QStringLiteral("请您设置模拟考试题的参数"), this);
    heading->setAlignment(Qt::AlignCenter);
    QFont headingFont = heading->font();
    headingFont.setPixelSize(18);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    auto* tip = new QLabel(QStringLiteral("温馨提示：请您注意，每种题型不能设置超过50道题。"), this);
    tip->setAlignment(Qt::AlignCenter);
    tip->setWordWrap(true);

    auto* saveButton = new QPushButton(QStringLiteral("确 定"), this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    auto* enterButton = new QPushButton(QStringLiteral("进 入"), this);
    enterButton->setObjectName(QStringLiteral("enterButton"));
    connect(enterButton, &QPushButton::clicked, this, &ExamSettingsDialog::enter);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    buttons->addWidget(enterButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 20);
    layout->addWidget(heading);
    layout->addStretch(1);
    layout->addWidget(tip);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void ExamSettingsDialog::showEvent(QShowEvent* event) {
    enterChosen_ = 0;
    QDialog::showEvent(event);
}

void ExamSettingsDialog::enter() {
    enterChosen_ = 1;
    accept();
}

}  // namespace quorvex::examroom
