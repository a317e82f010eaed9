#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace quorvex::practice {

// One line of the score table fenshu as grading writes it: the type title, the number of questions
// graded and the number answered right.
struct ScoreRow {
    QString title;
    int questions = 0;
    int correct = 0;

    bool operator==(const ScoreRow& other) const {
        return title == other.title && questions == other.questions && correct == other.correct;
    }
};

// Titles whose rows are summed into one row only when there is at least one, in this order.
const QStringList& mergedWhenPresentTitles();
// Titles whose rows are always summed into one row, in this order; without any row this adds a
// row with 0 questions, which the report leaves out.
const QStringList& alwaysMergedTitles();

// Merges the rows of the four titles above, each into one row appended at the end (all other rows
// stay as they are, one per group, also when several share a title).
QVector<ScoreRow> mergeScoreRows(QVector<ScoreRow> rows);

}  // namespace quorvex::practice
