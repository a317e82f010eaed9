#include <QTreeWidget>
#include <QtTest>

#include "practice/wrong_bank_manager.h"
#include "store/connection.h"
#include "store/query.h"
#include "test_program_folder.h"

using quorvex::practice::WrongBankManager;
using quorvex::store::Connection;
using quorvex::store::Query;
using quorvex::testing::TestProgramFolder;

namespace {

QVector<qint64> questionIds(Connection& connection, const QString& where) {
    Query q(connection);
    q.setSql(QStringLiteral("select * from question") + where + QStringLiteral(" order by id"));
    q.open();
    QVector<qint64> ids;
    for (; !q.eof(); q.next()) {
        ids.append(q.integer(QStringLiteral("id")));
    }
    return ids;
}

void mark(Connection& connection, const QVector<qint64>& ids, const QString& field) {
    for (qint64 id : ids) {
        connection.execute(QStringLiteral("update question set ") + field + QStringLiteral("='1' where id=?"),
                           {id});
    }
}

QVector<bool> ticks(const QTreeWidget* list) {
    QVector<bool> result;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        result.append(list->topLevelItem(i)->checkState(0) == Qt::Checked);
    }
    return result;
}

}  // namespace

class TestWrongBankManager : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void listsTheBankInIdOrder() {
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        const QVector<qint64> all = questionIds(connection, {});
        QVERIFY(all.size() >= 4);
        // Marked out of order, listed in id order.
        mark(connection, {all[3], all[0], all[2]}, QStringLiteral("ct"));

        WrongBankManager manager(folder.path());
        manager.show();
        QTreeWidget* list = manager.list();
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("选题"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("错题内容"));
        Query first(connection);
        first.setSql(QStringLiteral("select * from question where id=?"));
        first.setParams({all[0]});
        first.open();
        QCOMPARE(list->topLevelItem(0)->text(1), first.text(QStringLiteral("content")));
        QCOMPARE(ticks(list), (QVector<bool>{false, false, false}));
    }

    void selectAllAndInvert() {
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        const QVector<qint64> all = questionIds(connection, {});
        mark(connection, all.mid(0, 3), QStringLiteral("ct"));
        WrongBankManager manager(folder.path());
        manager.show();
        QTreeWidget* list = manager.list();
        list->topLevelItem(1)->setCheckState(0, Qt::Checked);
        manager.invertSelection();
        QCOMPARE(ticks(list), (QVector<bool>{true, false, true}));
        manager.invertSelection();
        QCOMPARE(ticks(list), (QVector<bool>{false, true, false}));
        manager.selectAll();
        QCOMPARE(ticks(list), (QVector<bool>{true, true, true}));
    }

    void removeTakesOnlyTheTickedRowsOut_data() {
        QTest::addColumn<QVector<bool>>("ticked");
        QTest::newRow("nothing ticked") << QVector<bool>{false, false, false, false};
        QTest::newRow("first and third") << QVector<bool>{true, false, true, false};
        QTest::newRow("last only") << QVector<bool>{false, false, false, true};
        QTest::newRow("all") << QVector<bool>{true, true, true, true};
    }
    void removeTakesOnlyTheTickedRowsOut() {
        QFETCH(QVector<bool>, ticked);
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        const QVector<qint64> bank = questionIds(connection, {}).mid(0, 4);
        mark(connection, bank, QStringLiteral("ct"));
        mark(connection, bank, QStringLiteral("ct1"));

        WrongBankManager manager(folder.path());
        manager.show();
        QTreeWidget* list = manager.list();
        for (int i = 0; i < ticked.size(); ++i) {
            list->topLevelItem(i)->setCheckState(0, ticked[i] ? Qt::Checked : Qt::Unchecked);
        }
        manager.removeTicked();

        QVector<qint64> left;
        for (int i = 0; i < bank.size(); ++i) {
            if (!ticked[i]) {
                left.append(bank[i]);
            }
        }
        QCOMPARE(questionIds(connection, QStringLiteral(" where ct='1'")), left);
        QCOMPARE(questionIds(connection, QStringLiteral(" where ct1='1'")), bank);  // never touched
        QCOMPARE(list->topLevelItemCount(), left.size());
        QVERIFY(!ticks(list).contains(true));
    }

    void emptyBank() {
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        WrongBankManager manager(folder.path());
        manager.show();
        QCOMPARE(manager.list()->topLevelItemCount(), 0);
        manager.selectAll();
        manager.removeTicked();
        QCOMPARE(manager.list()->topLevelItemCount(), 0);
    }

    void reloadsOnEveryShowing() {
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        const QVector<qint64> all = questionIds(connection, {});
        WrongBankManager manager(folder.path());
        manager.show();
        QCOMPARE(manager.list()->topLevelItemCount(), 0);
        manager.accept();
        mark(connection, {all[1]}, QStringLiteral("ct"));
        manager.show();
        QCOMPARE(manager.list()->topLevelItemCount(), 1);
    }
};

QTEST_MAIN(TestWrongBankManager)
#include "test_wrong_bank_manager.moc"
