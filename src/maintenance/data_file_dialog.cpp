#include "data_file_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

#include "maintenance_texts.h"

namespace quorvex::maintenance {

DataFileDialog::DataFileDialog(const QString& title, const QSize& clientSize, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      fileLabel_(new QLabel(kFileLabel, this)),
      pathEdit_(new QLineEdit(this)),
      chooseButton_(new QPushButton(QStringLiteral("..."), this)),
      explanation_(new QLabel(kExplanation, this)),
      okButton_(new QPushButton(QStringLiteral("确定"), this)),
      cancelButton_(new QPushButton(QStringLiteral("取消"), this)) {
    setWindowTitle(title);
    setModal(true);
    setFixedSize(clientSize);

    // Absolute positions: the window never changes size, and the places are part of its design.
    fileLabel_->setObjectName(QStringLiteral("fileLabel"));
    fileLabel_->setGeometry(8, 33, 80, 21);
    fileLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    pathEdit_->setObjectName(QStringLiteral("pathEdit"));
    pathEdit_->setGeometry(92, 33, 259, 21);

    chooseButton_->setObjectName(QStringLiteral("chooseButton"));
    chooseButton_->setGeometry(355, 30, 23, 22);
    chooseButton_->setAutoDefault(false);

    explanation_->setObjectName(QStringLiteral("explanationLabel"));
    explanation_->setGeometry(16, 66, clientSize.width() - 32, 92);
    explanation_->setWordWrap(true);
    explanation_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    explanation_->setMargin(8);
    explanation_->setFrameShape(QFrame::StyledPanel);
    explanation_->setStyleSheet(QStringLiteral(
        "QLabel#explanationLabel { background: #f4f8fc; border: 1px solid #b8c8d8; border-radius: 3px;"
        " color: #304050; }"));

    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(233, 175, 73, 23);
    okButton_->setAutoDefault(false);

    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setGeometry(312, 174, 73, 23);
    cancelButton_->setAutoDefault(false);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

QString DataFileDialog::startFolder(const QString& lastFile) {
    if (!lastFile.isEmpty()) {
        return QFileInfo(lastFile).absolutePath();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

}  // namespace quorvex::maintenance
