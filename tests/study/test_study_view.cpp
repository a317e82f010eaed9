#include <QtTest>

#include "store/connection.h"
#include "store/query.h"
#include "store/store_error.h"
#include "study/static_page.h"
#include "study/study_view.h"
#include "test_program_folder.h"

using namespace quorvex::study;
using quorvex::store::Connection;
using quorvex::store::Query;
using quorvex::testing::TestProgramFolder;

namespace {

// One chapter (tree id 3) whose groups are stored out of type order and out of id order.
const QByteArray kOrderBank = QByteArrayLiteral(R"json({
  "format": "quorvex-bank/1",
  "subject": { "name": "职业病", "code": "zyb", "count": "5" },
  "qtypes": [
    { "id": 3, "code": 1, "title": "A1" },
    { "id": 6, "code": 4, "title": "X" },
    { "id": 10, "code": 8, "title": "案例" }
  ],
  "examSettings": [1, 1, 1, 1],
  "tree": [
    { "id": 1, "name": "根", "children": [
      { "id": 2, "name": "篇", "children": [
        { "id": 3, "name": "章一", "groups": [
          { "id": 40, "qtype": 6, "questions": [
            { "id": 400, "content": "多选", "options": [{"id": 4000, "content": "甲"}, {"id": 4001, "content": "乙"}],
              "answer": "AB", "explain": "x" } ] },
          { "id": 30, "qtype": 3, "questions": [
            { "id": 300, "content": "单选三十", "options": [{"id": 3000, "content": "甲"}], "answer": "A", "explain": "x" } ] },
          { "id": 10, "qtype": 3, "questions": [
            { "id": 100, "content": "单选十", "options": [{"id": 1000, "content": "甲"}], "answer": "A", "explain": "x" } ] },
          { "id": 50, "qtype": 10, "content": "病例", "questions": [
            { "id": 500, "itemnum": "1", "content": "一问", "options": [{"id": 5000, "content": "甲"}], "answer": "A", "explain": "x" },
            { "id": 501, "itemnum": "2", "content": "二问", "options": [{"id": 5010, "content": "甲"}], "answer": "A", "explain": "x" } ] }
        ] },
        { "id": 4, "name": "章二", "groups": [
          { "id": 60, "qtype": 3, "questions": [
            { "id": 600, "content": "另一章", "options": [{"id": 6000, "content": "甲"}], "answer": "A", "explain": "x" } ] }
        ] }
      ] }
    ] }
  ]
})json");

QVector<GroupRow> readGroups(Connection& connection, qint64 treeId, StudyView view) {
    QVector<GroupRow> groups;
    readChapterGroups(connection, treeId, view, [&](const GroupRow& g) { groups.append(g); });
    return groups;
}

QVector<qint64> groupIds(const QVector<GroupRow>& groups) {
    QVector<qint64> ids;
    for (const GroupRow& g : groups) {
        ids.append(g.id);
    }
    return ids;
}

QStringList flaggedChapters(Connection& connection, const QString& field) {
    Query q(connection);
    q.setSql(QStringLiteral("select * from tree where ") + field + QStringLiteral("='1' order by id"));
    q.open();
    QStringList names;
    for (; !q.eof(); q.next()) {
        names << q.text(QStringLiteral("nodename"));
    }
    return names;
}

}  // namespace

class TestStudyView : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void captions_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("view");
        QTest::newRow("favourites") << "收 藏 试 题" << int(StudyView::Favourites);
        QTest::newRow("wrong questions") << "错 题 题 库" << int(StudyView::WrongQuestions);
        QTest::newRow("start caption") << "高 级 试 题" << int(StudyView::Exercise);
        QTest::newRow("exercise") << "习 题 集" << int(StudyView::Exercise);
        QTest::newRow("without spaces is not the favourites view") << "收藏试题" << int(StudyView::Exercise);
    }
    void captions() {
        QFETCH(QString, caption);
        QFETCH(int, view);
        QCOMPARE(int(viewForCaption(caption)), view);
    }

    void groupsInTypeOrderThenIdOrder() {
        TestProgramFolder folder(kOrderBank);
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        const QVector<GroupRow> groups = readGroups(connection, 3, StudyView::Exercise);
        QCOMPARE(groupIds(groups), (QVector<qint64>{10, 30, 40, 50}));
        QCOMPARE(groups[2].typeCode, 4);
        QCOMPARE(groups[2].questions.size(), 1);
        QCOMPARE(groups[2].questions[0].options.size(), 2);
        QCOMPARE(groups[3].questions.size(), 2);
    }

    void filteredViewsListOnlyMarkedQuestions_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("field");
        QTest::newRow("favourites") << int(StudyView::Favourites) << "scbt";
        QTest::newRow("wrong questions") << int(StudyView::WrongQuestions) << "ct";
    }
    void filteredViewsListOnlyMarkedQuestions() {
        QFETCH(int, view);
        QFETCH(QString, field);
        TestProgramFolder folder(kOrderBank);
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        connection.execute(QStringLiteral("update question set ") + field +
                           QStringLiteral("='1' where id in (501, 300)"));
        const QVector<GroupRow> groups = readGroups(connection, 3, StudyView(view));
        QCOMPARE(groupIds(groups),
                 (QVector<qint64>{10, 30, 40, 50}));  // groups stay; the writer skips empty ones
        QCOMPARE(groups[0].questions.size(), 0);
        QCOMPARE(groups[1].questions.size(), 1);
        QCOMPARE(groups[3].questions.size(), 1);
        QCOMPARE(groups[3].questions[0].id, qint64(501));

        // The page shows the case's stem as number 2 and its one listed question as 2.1.
        const QString page = chapterFragments(connection, 3, StudyView(view)).join(QString());
        QVERIFY(page.contains(QStringLiteral("'fan300'>1. 单选三十")));
        QVERIFY(page.contains(QStringLiteral("&nbsp2.病例")));
        QVERIFY(page.contains(QStringLiteral("'fan501'>2.1. 二问")));
        QVERIFY(!page.contains(QStringLiteral("单选十")));
        QVERIFY(!page.contains(QStringLiteral("<b>X</b>")));
    }

    void chapterMarks_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("field");
        QTest::newRow("favourites") << int(StudyView::Favourites) << "scbt";
        QTest::newRow("wrong questions") << int(StudyView::WrongQuestions) << "ct";
    }
    void chapterMarks() {
        QFETCH(int, view);
        QFETCH(QString, field);
        TestProgramFolder folder(kOrderBank);
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        // A stale mark on chapter 3 and nothing marked: nothing changes.
        connection.execute(QStringLiteral("update tree set ") + field + QStringLiteral("='1' where id=3"));
        QVERIFY(!recomputeChapterMarks(connection, StudyView(view)));
        QCOMPARE(flaggedChapters(connection, field), QStringList{QStringLiteral("章一")});

        // Only chapter 4 holds a marked question: the stale mark goes.
        connection.execute(QStringLiteral("update question set ") + field +
                           QStringLiteral("='1' where id=600"));
        QVERIFY(recomputeChapterMarks(connection, StudyView(view)));
        QCOMPARE(flaggedChapters(connection, field), QStringList{QStringLiteral("章二")});
    }

    void aTypeCodeThatIsNotANumberStopsAfterTheGroupsBefore() {
        TestProgramFolder folder(kOrderBank);
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        connection.execute(QStringLiteral("update qtype set code='x' where id=6"));
        QVector<qint64> handedOver;
        QVERIFY_THROWS_EXCEPTION(quorvex::store::StoreError,
                                 readChapterGroups(connection, 3, StudyView::Exercise,
                                                   [&](const GroupRow& g) { handedOver.append(g.id); }));
        QCOMPARE(handedOver, (QVector<qint64>{10, 30}));
    }

    void feedbackGroupHoldsTheOneQuestion() {
        TestProgramFolder folder(kOrderBank);
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        const GroupRow group = readSingleQuestionGroup(connection, 501);
        QCOMPARE(group.id, qint64(50));
        QCOMPARE(group.typeCode, 8);
        QCOMPARE(group.questions.size(), 1);
        QCOMPARE(group.questions[0].content, QStringLiteral("二问"));
    }

    void staticPagePlacesFragmentsBeforeTheClosingBodyTag_data() {
        QTest::addColumn<QString>("pageFile");
        QTest::addColumn<QString>("expected");
        QTest::newRow("closing tag") << "<html><body><p>x</p></BODY></html>"
                                     << "<html><body><p>x</p>ab</BODY></html>";
        QTest::newRow("no closing tag") << "<html><body>"
                                        << "<html><body>ab";
    }
    void staticPagePlacesFragmentsBeforeTheClosingBodyTag() {
        QFETCH(QString, pageFile);
        QFETCH(QString, expected);
        QCOMPARE(pageWithFragments(pageFile, {QStringLiteral("a"), QStringLiteral("b")}), expected);
    }
};

QTEST_GUILESS_MAIN(TestStudyView)
#include "test_study_view.moc"
