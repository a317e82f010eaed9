#pragma once

#include <QString>
#include <QVector>

#include "practice/grading.h"
#include "practice/score_rows.h"
#include "study/study_view.h"

namespace quorvex::store {
class Connection;
}

namespace quorvex::practice {

// The bank statements of grading and of the result report. Every function throws StoreError.

// Clears the latest-grading flag of every question: "update question set ct1=''".
void clearLatestWrongFlags(store::Connection& connection);
// Empties the score table: "delete from fenshu".
void emptyScoreTable(store::Connection& connection);

// The chapter `currentTreeId` (tree.id as text) as its page shows it in `view`: its groups in qtypeid
// order with their type and the view's questions, each with its option ids in query order (the order
// the page lists them). Reads the same rows, in the same order, as the page build.
QVector<GradingGroup> readGradingGroups(store::Connection& connection, const QString& currentTreeId,
                                        study::StudyView view);

// Flags the questions as answered wrongly: ct = "1" (in the wrong-question bank) and ct1 = "1"
// (wrong in this grading), both in the same write.
void postWrongQuestions(store::Connection& connection, const QVector<qint64>& questionIds);
// Appends rows to fenshu in order, the counts written as decimal text.
void appendScoreRows(store::Connection& connection, const QVector<ScoreRow>& rows);

// A row of fenshu as stored: the report shows the texts as they are.
struct StoredScoreRow {
    QString tx;
    QString sts;
    QString dd;
};

// "delete from fenshu where sts='0'": the groups without questions leave the sheet.
void removeEmptyScoreRows(store::Connection& connection);
// "select * from fenshu", in stored order.
QVector<StoredScoreRow> readScoreRows(store::Connection& connection);

// Takes the questions answered wrongly in the latest grading out of the wrong-question bank again:
// "update  question set ct=''where ct1='1'".
void dropLatestWrongQuestions(store::Connection& connection);

}  // namespace quorvex::practice
