#include "user_dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace quorvex {

namespace {

QMessageBox::Icon boxIcon(UserDialogs::Icon icon) {
    switch (icon) {
        case UserDialogs::Icon::Information:
            return QMessageBox::Information;
        case UserDialogs::Icon::Question:
            return QMessageBox::Question;
        case UserDialogs::Icon::Warning:
            return QMessageBox::Warning;
        case UserDialogs::Icon::Critical:
            return QMessageBox::Critical;
        case UserDialogs::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QString titleOrApplication(const QString& title) {
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

}  // namespace

void WidgetDialogs::showMessage(QWidget* parent, const QString& text, const QString& title, Icon icon) {
    QMessageBox box(boxIcon(icon), titleOrApplication(title), text, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
}

UserDialogs::Answer WidgetDialogs::ask(QWidget* parent, const QString& title, const QString& text,
                                       Buttons buttons, Icon icon) {
    QMessageBox box(boxIcon(icon), titleOrApplication(title), text, QMessageBox::NoButton, parent);
    // The buttons carry Chinese captions; the one clicked maps back to the answer.
    QPushButton* accept = nullptr;
    Answer acceptAnswer = Answer::Ok;
    Answer rejectAnswer = Answer::Cancel;
    switch (buttons) {
        case Buttons::Ok:
            accept = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
            break;
        case Buttons::OkCancel:
            accept = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
            box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
            break;
        case Buttons::YesNo:
            accept = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
            box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
            acceptAnswer = Answer::Yes;
            rejectAnswer = Answer::No;
            break;
    }
    box.setDefaultButton(accept);
    box.exec();
    return box.clickedButton() == accept ? acceptAnswer : rejectAnswer;
}

QString WidgetDialogs::openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString WidgetDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& proposedPath,
                                    const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, proposedPath, filter);
}

}  // namespace quorvex
