#include "practice/score_rows.h"

namespace quorvex::practice {

namespace {

// Sums the rows of `title` into one row at the end. Returns false (changing nothing) when there is
// none and `always` is false.
bool mergeTitle(QVector<ScoreRow>& rows, const QString& title, bool always) {
    ScoreRow merged{title, 0, 0};
    bool found = false;
    for (qsizetype i = 0; i < rows.size();) {
        if (rows.at(i).title == title) {
            merged.questions += rows.at(i).questions;
            merged.correct += rows.at(i).correct;
            rows.removeAt(i);
            found = true;
        } else {
            ++i;
        }
    }
    if (!found && !always) {
        return false;
    }
    rows.append(merged);
    return true;
}

}  // namespace

const QStringList& mergedWhenPresentTitles() {
    static const QStringList titles = {QStringLiteral("五个公用备选多个题每题一个选项9"),
                                       QStringLiteral("阅读案例多个问题8")};
    return titles;
}

const QStringList& alwaysMergedTitles() {
    static const QStringList titles = {
        QStringLiteral("B型题配伍选择题"),
        QStringLiteral(
            "A3/A4型题：每个案例至少有3个提问，每个提问有4-12个备选答案，其中正确答案有一个或多个。"),
    };
    return titles;
}

QVector<ScoreRow> mergeScoreRows(QVector<ScoreRow> rows) {
    for (const QString& title : mergedWhenPresentTitles()) {
        mergeTitle(rows, title, false);
    }
    for (const QString& title : alwaysMergedTitles()) {
        mergeTitle(rows, title, true);
    }
    return rows;
}

}  // namespace quorvex::practice
