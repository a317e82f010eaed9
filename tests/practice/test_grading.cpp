// Grading without a window: the answer comparison, reading answers from a page snapshot, the walk
// over the groups (and where it stops), the merges of the score rows, the score sheet's markup and
// the bank statements on a real bank file.

#include <QtTest>

#include "practice/grading.h"
#include "practice/grading_store.h"
#include "practice/score_rows.h"
#include "practice/score_sheet.h"
#include "store/connection.h"
#include "store/query.h"
#include "store/store_error.h"
#include "synthetic_bank.h"
#include "test_program_folder.h"

using namespace quorvex::practice;
using quorvex::store::Connection;
using quorvex::store::Query;
using quorvex::testing::TestProgramFolder;

namespace {

const QString kA1 = QStringLiteral("A1型题：单句型最佳选择题");
const QString kX = QStringLiteral("X型题：多项选择题");
const QString kB = QStringLiteral("B型题配伍选择题");
const QString kA3 =
    QStringLiteral("A3/A4型题：每个案例至少有3个提问，每个提问有4-12个备选答案，其中正确答案有一个或多个。");
const QString kShared9 = QStringLiteral("五个公用备选多个题每题一个选项9");
const QString kCase8 = QStringLiteral("阅读案例多个问题8");

// Rows as "title|questions|correct".
QStringList rowTexts(const QVector<ScoreRow>& rows) {
    QStringList out;
    for (const ScoreRow& row : rows) {
        out << QStringLiteral("%1|%2|%3").arg(row.title).arg(row.questions).arg(row.correct);
    }
    return out;
}

QVector<ScoreRow> rowsFromTexts(const QStringList& texts) {
    QVector<ScoreRow> rows;
    for (const QString& text : texts) {
        const QStringList parts = text.split(u'|');
        rows.append({parts.at(0), parts.at(1).toInt(), parts.at(2).toInt()});
    }
    return rows;
}

// An option question whose five option controls have the ids id*10+0 .. id*10+4 and the letters A-E.
GradingQuestion optionQuestion(qint64 id, const QString& answer) {
    GradingQuestion question{id, answer, {}};
    for (int i = 0; i < 5; ++i) {
        question.optionIds << QString::number(id * 10 + i);
    }
    return question;
}

// The page as built for the groups: every control and stem present, nothing ticked, lists at "daan".
PageSnapshot pageFor(const QVector<GradingGroup>& groups) {
    PageSnapshot page;
    for (const GradingGroup& group : groups) {
        for (const GradingQuestion& question : group.questions) {
            page.insert(stemElementId(question.id), {true, false, QString()});
            if (group.matching) {
                page.insert(selectElementId(question.id), {true, false, QStringLiteral("daan")});
            }
            for (int i = 0; i < question.optionIds.size(); ++i) {
                page.insert(question.optionIds.at(i), {true, false, QString(QChar(u'A' + i))});
            }
        }
    }
    return page;
}

// Applies "id:letters" (tick those options of question id) and "id=value" (choose in its list).
void answer(PageSnapshot& page, const QStringList& answers) {
    for (const QString& entry : answers) {
        if (entry.contains(u'=')) {
            const QStringList parts = entry.split(u'=');
            page[selectElementId(parts.at(0).toLongLong())].value = parts.at(1);
            continue;
        }
        const QStringList parts = entry.split(u':');
        const qint64 id = parts.at(0).toLongLong();
        for (const QChar letter : parts.at(1)) {
            page[QString::number(id * 10 + (letter.unicode() - u'A'))].checked = true;
        }
    }
}

// A chapter: single answers 1-3 (B, C, D), multiple 4 (ACE) and 5 (BD) in two groups of one title, a case
// 6-7 (A, ABD), two shared-list groups 8-9 (C, D) and 10 (A).
QVector<GradingGroup> chapter() {
    return {
        {kA1, false, {optionQuestion(1, "B"), optionQuestion(2, "C"), optionQuestion(3, "D")}},
        {kX, false, {optionQuestion(4, "ACE")}},
        {kX, false, {optionQuestion(5, "BD")}},
        {kA3, false, {optionQuestion(6, "A"), optionQuestion(7, "ABD")}},
        {kB, true, {GradingQuestion{8, "C", {}}, GradingQuestion{9, "D", {}}}},
        {kB, true, {GradingQuestion{10, "A", {}}}},
    };
}

const QStringList kAllRight = {"1:B", "2:C", "3:D", "4:ACE", "5:BD", "6:A", "7:ABD", "8=C", "9=D", "10=A"};

QStringList without(QStringList answers, const QString& entry) {
    answers.removeAll(entry);
    return answers;
}

QStringList replaced(QStringList answers, const QString& entry, const QString& by) {
    answers.replace(answers.indexOf(entry), by);
    return answers;
}

QString stems(const QVector<qint64>& ids) {
    QStringList out;
    for (qint64 id : ids) {
        out << stemElementId(id);
    }
    return out.join(u',');
}

}  // namespace

class TestGrading : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void comparison_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("right");
        QTest::newRow("right") << "B"
                               << "B" << true;
        QTest::newRow("wrong") << "A"
                               << "B" << false;
        QTest::newRow("nothing ticked") << ""
                                        << "B" << false;
        QTest::newRow("nothing ticked, blank stored answer") << ""
                                                             << "  " << true;
        QTest::newRow("list at its preset entry") << "daan"
                                                  << "C" << false;
        QTest::newRow("blanks around the stored answer") << "C"
                                                         << " C " << true;
        QTest::newRow("control characters around it") << "ACD"
                                                      << "\tACD\r\n"
                                                      << true;
        QTest::newRow("lower-case stored answer") << "B"
                                                  << "b" << false;
        QTest::newRow("several letters") << "ACE"
                                         << "ACE" << true;
        QTest::newRow("stored letters out of option order") << "ACE"
                                                            << "CAE" << false;
        QTest::newRow("one extra letter") << "ACDE"
                                          << "ACE" << false;
        QTest::newRow("one letter missing") << "AC"
                                            << "ACE" << false;
        QTest::newRow("blank inside is kept") << "AC"
                                              << "A C" << false;
        QTest::newRow("ideographic space is not a blank") << "B" << QStringLiteral("B\u3000") << false;
    }
    void comparison() {
        QFETCH(QString, given);
        QFETCH(QString, stored);
        QFETCH(bool, right);
        QCOMPARE(answersMatch(given, stored), right);
    }

    // The answer is read in option order from the controls' own values, whatever was ticked first.
    void userAnswerFromThePage_data() {
        QTest::addColumn<bool>("matching");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("expected");  // "<missing>" when a control is missing
        QTest::newRow("nothing ticked") << false << QStringList{} << QString() << "";
        QTest::newRow("one option") << false << QStringList{"1:C"} << QString() << "C";
        QTest::newRow("several, option order") << false << QStringList{"1:EA", "1:C"} << QString() << "ACE";
        QTest::newRow("an option control missing") << false << QStringList{"1:A"} << "13"
                                                   << "<missing>";
        QTest::newRow("list at its preset entry") << true << QStringList{} << QString() << "daan";
        QTest::newRow("list chosen") << true << QStringList{"1=D"} << QString() << "D";
        QTest::newRow("list missing") << true << QStringList{} << "a1"
                                      << "<missing>";
    }
    void userAnswerFromThePage() {
        QFETCH(bool, matching);
        QFETCH(QStringList, answers);
        QFETCH(QString, removed);
        QFETCH(QString, expected);
        const GradingGroup group{
            kA1, matching, {matching ? GradingQuestion{1, "D", {}} : optionQuestion(1, "D")}};
        PageSnapshot page = pageFor({group});
        answer(page, answers);
        if (!removed.isEmpty()) {
            page[removed].exists = false;
        }
        const std::optional<QString> given = userAnswer(group, group.questions.first(), page);
        QCOMPARE(given.value_or(QStringLiteral("<missing>")), expected);
    }

    void walkOverTheChapter_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("missing");  // element id taken off the page
        QTest::addColumn<QVector<qint64>>("wrong");
        QTest::addColumn<QString>("red");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("complete");
        const QStringList allRightRows = {kA1 + "|3|3", kX + "|1|1", kX + "|1|1", kB + "|3|3", kA3 + "|2|2"};

        QTest::newRow("all right") << kAllRight << QString() << QVector<qint64>{} << "" << allRightRows
                                   << true;
        QTest::newRow("nothing answered")
            << QStringList{} << QString() << QVector<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}
            << stems({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})
            << QStringList{kA1 + "|3|0", kX + "|1|0", kX + "|1|0", kB + "|3|0", kA3 + "|2|0"} << true;
        QTest::newRow("list left at its preset entry")
            << without(kAllRight, "9=D") << QString() << QVector<qint64>{9} << stems({9})
            << QStringList{kA1 + "|3|3", kX + "|1|1", kX + "|1|1", kB + "|3|2", kA3 + "|2|2"} << true;
        QTest::newRow("one extra and one missing tick")
            << replaced(replaced(kAllRight, "4:ACE", "4:ACDE"), "7:ABD", "7:AB") << QString()
            << QVector<qint64>{4, 7} << stems({4, 7})
            << QStringList{kA1 + "|3|3", kX + "|1|0", kX + "|1|1", kB + "|3|3", kA3 + "|2|1"} << true;
        QTest::newRow("right answer's stem missing changes nothing")
            << kAllRight << stemElementId(5) << QVector<qint64>{} << "" << allRightRows << true;
        // Stops at question 4: its group's row is not written, question 5 is not graded, no merge.
        QTest::newRow("option control missing in the second group")
            << replaced(replaced(kAllRight, "1:B", "1:A"), "5:BD", "5:B") << QStringLiteral("42")
            << QVector<qint64>{1} << stems({1}) << QStringList{kA1 + "|3|2"} << false;
        // A wrong question is flagged before its stem is coloured.
        QTest::newRow("wrong answer's stem missing")
            << replaced(replaced(kAllRight, "2:C", "2:A"), "3:D", "3:B") << stemElementId(3)
            << QVector<qint64>{2, 3} << stems({2}) << QStringList{} << false;
        QTest::newRow("list missing in the last group")
            << replaced(kAllRight, "8=C", "8=A") << selectElementId(10) << QVector<qint64>{8} << stems({8})
            << QStringList{kA1 + "|3|3", kX + "|1|1", kX + "|1|1", kA3 + "|2|2", kB + "|2|1"} << false;
    }
    void walkOverTheChapter() {
        QFETCH(QStringList, answers);
        QFETCH(QString, missing);
        QFETCH(QVector<qint64>, wrong);
        QFETCH(QString, red);
        QFETCH(QStringList, rows);
        QFETCH(bool, complete);
        const QVector<GradingGroup> groups = chapter();
        PageSnapshot page = pageFor(groups);
        answer(page, answers);
        if (!missing.isEmpty()) {
            page[missing].exists = false;
        }
        const GradingOutcome outcome = gradeGroups(groups, page);
        QCOMPARE(outcome.wrongQuestionIds, wrong);
        QCOMPARE(outcome.redStemIds.join(u','), red);
        QCOMPARE(rowTexts(outcome.rows), rows);
        QCOMPARE(outcome.complete, complete);
    }

    void readsEveryControlAndStem() {
        const QVector<GradingGroup> groups = {{kA1, false, {optionQuestion(1, "B")}},
                                              {kB, true, {GradingQuestion{8, "C", {}}}}};
        QCOMPARE(snapshotIds(groups), QStringList({"10", "11", "12", "13", "14", "fan1", "a8", "fan8"}));
    }

    void emptyGroupsGiveEmptyRows() {
        const QVector<GradingGroup> groups = {{kA1, false, {optionQuestion(1, "B")}}, {kX, false, {}}};
        PageSnapshot page = pageFor(groups);
        answer(page, {"1:B"});
        QCOMPARE(rowTexts(gradeGroups(groups, page).rows),
                 QStringList({kA1 + "|1|1", kX + "|0|0", kB + "|0|0", kA3 + "|0|0"}));
    }

    void merges_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("merged");
        QTest::newRow("no listed title: two empty rows added")
            << QStringList{kX + "|2|1", kX + "|3|3"}
            << QStringList{kX + "|2|1", kX + "|3|3", kB + "|0|0", kA3 + "|0|0"};
        QTest::newRow("each listed title summed and moved to the end, in the fixed order")
            << QStringList{kB + "|2|1",     kShared9 + "|1|1", kX + "|1|0",       kA3 + "|3|2",
                           kCase8 + "|2|2", kB + "|1|1",       kShared9 + "|2|0", kA1 + "|4|4"}
            << QStringList{kX + "|1|0",     kA1 + "|4|4", kShared9 + "|3|1",
                           kCase8 + "|2|2", kB + "|3|2",  kA3 + "|3|2"};
        QTest::newRow("a single listed row also moves to the end")
            << QStringList{kB + "|2|2", kA1 + "|1|0"} << QStringList{kA1 + "|1|0", kB + "|2|2", kA3 + "|0|0"};
        QTest::newRow("rows with 0 questions are summed like any other")
            << QStringList{kCase8 + "|0|0", kA3 + "|0|0", kA3 + "|2|1"}
            << QStringList{kCase8 + "|0|0", kB + "|0|0", kA3 + "|2|1"};
        QTest::newRow("nothing graded") << QStringList{} << QStringList{kB + "|0|0", kA3 + "|0|0"};
    }
    void merges() {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, merged);
        QCOMPARE(rowTexts(mergeScoreRows(rowsFromTexts(rows))), merged);
    }

    void rate_data() {
        QTest::addColumn<qint64>("correct");
        QTest::addColumn<qint64>("questions");
        QTest::addColumn<QString>("rate");
        QTest::newRow("2 of 3") << qint64(2) << qint64(3) << "67";
        QTest::newRow("1 of 3") << qint64(1) << qint64(3) << "33";
        QTest::newRow("3 of 3") << qint64(3) << qint64(3) << "100";
        QTest::newRow("0 of 3") << qint64(0) << qint64(3) << "0";
        QTest::newRow("no questions") << qint64(0) << qint64(0) << "0";
        QTest::newRow("29 of 100 (0.29 * 100 is below 29 in binary)") << qint64(29) << qint64(100) << "29";
        QTest::newRow("57 of 100") << qint64(57) << qint64(100) << "57";
        QTest::newRow("1 of 7: two decimals first") << qint64(1) << qint64(7) << "14";
        QTest::newRow("1 of 8: an exact half goes up") << qint64(1) << qint64(8) << "13";
        QTest::newRow("1 of 400") << qint64(1) << qint64(400) << "0";
        QTest::newRow("199 of 200: 0.995 lies just below in binary") << qint64(199) << qint64(200) << "99";
    }
    void rate() {
        QFETCH(qint64, correct);
        QFETCH(qint64, questions);
        QFETCH(QString, rate);
        QCOMPARE(rateText(correct, questions), rate);
    }

    void scoreSheetMarkup() {
        QCOMPARE(scoreSheetHeading(),
                 QStringLiteral("<p align=\"center\" class=\"TestResultTitle\" >本 次 测 试 结 果</p>"));
        const QString header = QStringLiteral(
            "<br><br>  <table align=\"center\"  border=1 bordercolor=skyblue cellpadding=\"0\" "
            "cellspacing=\"0\" class=\"table1\"  ><tr> <th class=\"table3\"  >题  型</th> <th "
            "class=\"table4\"  >试 题 数</th>  <th class=\"table3\"   > 答  对 </th>  <th class=\"table3\"  "
            "> 总  分 </th>  <th class=\"table3\"  > 得  分 </th>  <th class=\"table3\"  >正 确 率</th> "
            "</tr> ");  // clang-format off
        // The stored texts go in as they are; the totals are written anew.
        const QVector<StoredScoreRow> rows = {{kA1, "3", "2"}, {kB, "02", "0"}};
        QCOMPARE(scoreSheetTable(rows),
                 header +
                     "<tr align=\"center\"><td>" + kA1 +
                     "</td> <td>3</td> <td>2</td><td>3</td><td>2</td><td>67%</td> </tr> "
                     "<tr align=\"center\"><td>" + kB +
                     "</td> <td>02</td> <td>0</td><td>02</td><td>0</td><td>0%</td> </tr> "
                     "<tr align=\"center\"><td>合  计</td> <td>5</td> <td>2</td><td>5</td><td>2</td><td>40%</td> </tr> "
                     "</table>");
        QCOMPARE(scoreSheetTable({}),
                 header +
                     "<tr align=\"center\"><td>合  计</td> <td>0</td> <td>0</td><td>0</td><td>0</td><td>0%</td> </tr> "
                     "</table>");
        QVERIFY_THROWS_EXCEPTION(ScoreSheetError, scoreSheetTable({{kA1, "3", "二"}}));
    }

    // The statements on a real bank: the chapter read as the page shows it in each view, the flags, the
    // rows of fenshu in order.
    void bankStatements() {
        TestProgramFolder folder(quorvex::testing::smallBankJson());
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        // Chapter 2 of the small bank: a case of three questions, then a shared list of two.
        Query chapter(connection);
        chapter.setSql(QStringLiteral("select * from tree where nodename='第二章 职业病诊断'"));
        chapter.open();
        const QString treeId = chapter.text(QStringLiteral("id"));

        const QVector<GradingGroup> groups = readGradingGroups(connection, treeId, quorvex::study::StudyView::Exercise);
        QCOMPARE(groups.size(), 2);
        QCOMPARE(groups.at(0).title, kA3);
        QVERIFY(!groups.at(0).matching);
        QCOMPARE(groups.at(0).questions.size(), 3);
        QCOMPARE(groups.at(0).questions.at(2).answer, QStringLiteral("ABD"));
        Query options(connection);
        options.setSql(QStringLiteral("select * from opinion where questionid=?"));
        options.setParams({groups.at(0).questions.at(2).id});
        options.open();
        QStringList optionIds;
        for (; !options.eof(); options.next()) {
            optionIds << options.text(QStringLiteral("id"));
        }
        QCOMPARE(groups.at(0).questions.at(2).optionIds, optionIds);
        QCOMPARE(groups.at(1).title, kB);
        QVERIFY(groups.at(1).matching);
        QVERIFY(groups.at(1).questions.at(0).optionIds.isEmpty());

        // The filtered views list only marked questions; groups stay, empty.
        const qint64 marked = groups.at(1).questions.at(1).id;
        connection.execute(QStringLiteral("update question set scbt='1' where id=?"), {marked});
        const QVector<GradingGroup> favourites =
            readGradingGroups(connection, treeId, quorvex::study::StudyView::Favourites);
        QCOMPARE(favourites.size(), 2);
        QVERIFY(favourites.at(0).questions.isEmpty());
        QCOMPARE(favourites.at(1).questions.size(), 1);
        QCOMPARE(favourites.at(1).questions.at(0).id, marked);
        QVERIFY(readGradingGroups(connection, treeId, quorvex::study::StudyView::WrongQuestions).at(1).questions.isEmpty());
        QVERIFY_THROWS_EXCEPTION(quorvex::store::StoreError,
                                 readGradingGroups(connection, QString(), quorvex::study::StudyView::Exercise));

        appendScoreRows(connection, {{kA1, 3, 2}, {kX, 0, 0}, {kB, 12, 10}});
        removeEmptyScoreRows(connection);
        const QVector<StoredScoreRow> stored = readScoreRows(connection);
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored.at(0).tx, kA1);
        QCOMPARE(stored.at(0).sts, QStringLiteral("3"));
        QCOMPARE(stored.at(1).dd, QStringLiteral("10"));
        emptyScoreTable(connection);
        QVERIFY(readScoreRows(connection).isEmpty());
    }

    // Flags of more questions than one statement takes; only ct1 = "1" leaves the bank again.
    void wrongFlagsOfAThousandQuestions() {
        const QByteArray json = quorvex::tools::generateSyntheticBank({1, 1, 1, 1200}).toJson(QJsonDocument::Compact);
        TestProgramFolder folder(json);
        Connection connection(quorvex::store::connectionStringFor(folder.path()));
        QVector<qint64> ids;
        Query all(connection);
        all.setSql(QStringLiteral("select * from question order by id"));
        all.open();
        for (; !all.eof(); all.next()) {
            ids.append(all.integer(QStringLiteral("id")));
        }
        QCOMPARE(ids.size(), 1200);
        // Already in the bank before: the first and the last question.
        connection.execute(QStringLiteral("update question set ct='1' where id in (?,?)"), {ids.first(), ids.last()});
        const QVector<qint64> wrong = ids.mid(0, 1100);
        postWrongQuestions(connection, wrong);

        const auto count = [&](const QString& where) {
            Query q(connection);
            q.setSql(QStringLiteral("select * from question where ") + where);
            q.open();
            return q.recordCount();
        };
        QCOMPARE(count(QStringLiteral("ct='1' and ct1='1'")), 1100);
        QCOMPARE(count(QStringLiteral("ct='1'")), 1101);
        clearLatestWrongFlags(connection);
        QCOMPARE(count(QStringLiteral("ct1='1'")), 0);
        postWrongQuestions(connection, {ids.at(5), ids.last()});
        dropLatestWrongQuestions(connection);
        QCOMPARE(count(QStringLiteral("ct='1'")), 1099);
        QCOMPARE(count(QStringLiteral("ct1='1'")), 2);
    }
};

QTEST_GUILESS_MAIN(TestGrading)
#include "test_grading.moc"
