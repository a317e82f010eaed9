#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

#include "practice/score_rows.h"

namespace quorvex::practice {

// One control of the question page as grading reads it (by element id).
struct PageControl {
    bool exists = false;
    bool checked = false;
    QString value;
};

// The states of every control grading needs, read from the page in one go.
using PageSnapshot = QHash<QString, PageControl>;

// A question as grading walks it: the stored answer and, for option questions, the element ids of its
// option controls in the order the page lists them.
struct GradingQuestion {
    qint64 id = 0;
    QString answer;
    QStringList optionIds;
};

// One question group of the chapter with the questions the current view lists.
struct GradingGroup {
    QString title;          // qtype.title: the score row's label
    bool matching = false;  // qtype.code "9": one drop-down list per question instead of options
    QVector<GradingQuestion> questions;
};

// Element ids on the question page.
QString stemElementId(qint64 questionId);    // "fan" + id
QString selectElementId(qint64 questionId);  // "a" + id

// Removes blanks and control characters (everything up to U+0020) from both ends.
QString trimAnswer(const QString& answer);
// Right exactly when both answers, trimmed, are the same text (case counts).
bool answersMatch(const QString& given, const QString& stored);

// The user's answer to a question: the values of its ticked options joined in option order, or the
// value of its drop-down list ("daan" while the preset entry is chosen). Empty optional when a control
// the question needs is missing from the page.
std::optional<QString> userAnswer(const GradingGroup& group, const GradingQuestion& question,
                                  const PageSnapshot& page);

// Every element id grading reads: answer controls and question stems.
QStringList snapshotIds(const QVector<GradingGroup>& groups);

// What one grading found, in the order the page was walked. When the walk stops at a missing
// element, it holds what was done before the stop: the wrong questions found so far (a wrong question
// is flagged before its stem is coloured, so one whose stem is missing is still flagged), the stems
// coloured and the rows of the groups finished.
struct GradingOutcome {
    QVector<qint64> wrongQuestionIds;
    QStringList redStemIds;
    QVector<ScoreRow> rows;  // one per finished group; merged when the grading is complete
    bool complete = false;
};

GradingOutcome gradeGroups(const QVector<GradingGroup>& groups, const PageSnapshot& page);

}  // namespace quorvex::practice
