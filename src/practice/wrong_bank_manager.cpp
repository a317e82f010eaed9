#include "practice/wrong_bank_manager.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "store/connection.h"
#include "store/query.h"

namespace quorvex::practice {

namespace {

const QString kSourceSql = QStringLiteral("select * from question where ct='1' order by id");

QFont songTi(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC")});
    font.setPixelSize(pixelSize);
    return font;
}

QPushButton* stripButton(const QString& caption, const QString& objectName, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setFixedSize(63, 25);
    button->setFont(songTi(16));
    return button;
}

}  // namespace

WrongBankManager::WrongBankManager(const QString& programFolder, QWidget* parent)
    : QDialog(parent),
      connection_(std::make_unique<store::Connection>(store::connectionStringFor(programFolder))),
      list_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("WrongBankManager"));
    setWindowTitle(QStringLiteral("错题题库"));
    setModal(true);
    resize(1022, 563);

    list_->setObjectName(QStringLiteral("lstDetail"));
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("选题"), QStringLiteral("错题内容")});
    list_->setColumnWidth(1, 900);
    list_->setRootIsDecorated(false);
    list_->setSortingEnabled(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setFont(songTi(16));
    list_->setStyleSheet(
        QStringLiteral("QTreeWidget { background: rgb(233, 246, 250); }"
                       "QTreeWidget::item { border-bottom: 1px solid #c9dde4; }"));

    auto* strip = new QWidget(this);
    strip->setFixedHeight(38);
    auto* selectAllButton = stripButton(QStringLiteral("全选"), QStringLiteral("btnSelAll"), strip);
    auto* invertButton = stripButton(QStringLiteral("反选"), QStringLiteral("btnInvert"), strip);
    auto* removeButton = stripButton(QStringLiteral("删除"), QStringLiteral("removeButton"), strip);
    auto* okButton = stripButton(QStringLiteral("确定"), QStringLiteral("okButton"), strip);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(17, 7, 17, 6);
    stripLayout->setSpacing(13);
    stripLayout->addWidget(selectAllButton);
    stripLayout->addWidget(invertButton);
    stripLayout->addStretch(1);
    stripLayout->addWidget(removeButton);
    stripLayout->addWidget(okButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(list_, 1);
    layout->addWidget(strip);

    connect(selectAllButton, &QPushButton::clicked, this, &WrongBankManager::selectAll);
    connect(invertButton, &QPushButton::clicked, this, &WrongBankManager::invertSelection);
    connect(removeButton, &QPushButton::clicked, this, &WrongBankManager::removeTicked);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

WrongBankManager::~WrongBankManager() = default;

void WrongBankManager::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    loadList();
}

void WrongBankManager::closeEvent(QCloseEvent* event) {
    connection_->close();
    QDialog::closeEvent(event);
}

void WrongBankManager::done(int result) {
    connection_->close();
    QDialog::done(result);
}

void WrongBankManager::loadList() {
    connection_->close();
    connection_->open();
    store::Query source(*connection_);
    source.setSql(kSourceSql);
    source.open();
    list_->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(source.recordCount());
    for (; !source.eof(); source.next()) {
        auto* item = new QTreeWidgetItem({QString(), source.text(QStringLiteral("content"))});
        item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
        item->setCheckState(0, Qt::Unchecked);
        items.append(item);
    }
    list_->addTopLevelItems(items);
}

void WrongBankManager::selectAll() {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        list_->topLevelItem(i)->setCheckState(0, Qt::Checked);
    }
}

void WrongBankManager::invertSelection() {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void WrongBankManager::removeTicked() {
    if (!connection_->isOpen()) {
        connection_->open();
    }
    store::Query source(*connection_);
    source.setSql(kSourceSql);
    source.open();
    for (; !source.eof(); source.next()) {
        // Item i stands for row i + 1 of the source query.
        QTreeWidgetItem* item = list_->topLevelItem(source.recNo() - 1);
        if (item != nullptr && item->checkState(0) == Qt::Checked) {
            source.edit();
            source.fieldByName(QStringLiteral("ct")).setAsString(QString());
            source.post();
        }
    }
    loadList();
}

}  // namespace quorvex::practice
