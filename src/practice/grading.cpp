#include "practice/grading.h"

namespace quorvex::practice {

QString stemElementId(qint64 questionId) {
    return QStringLiteral("fan") + QString::number(questionId);
}

QString selectElementId(qint64 questionId) {
    return QStringLiteral("a") + QString::number(questionId);
}

QString trimAnswer(const QString& answer) {
    qsizetype begin = 0;
    qsizetype end = answer.size();
    while (begin < end && answer.at(begin).unicode() <= 0x20) {
        ++begin;
    }
    while (end > begin && answer.at(end - 1).unicode() <= 0x20) {
        --end;
    }
    return answer.mid(begin, end - begin);
}

bool answersMatch(const QString& given, const QString& stored) {
    return trimAnswer(given) == trimAnswer(stored);
}

std::optional<QString> userAnswer(const GradingGroup& group, const GradingQuestion& question,
                                  const PageSnapshot& page) {
    if (group.matching) {
        const auto found = page.constFind(selectElementId(question.id));
        if (found == page.constEnd() || !found->exists) {
            return std::nullopt;
        }
        return found->value;
    }
    // Option order, not click order: "ACE" whichever box was ticked first.
    QString answer;
    for (const QString& id : question.optionIds) {
        const auto found = page.constFind(id);
        if (found == page.constEnd() || !found->exists) {
            return std::nullopt;
        }
        if (found->checked) {
            answer += found->value;
        }
    }
    return answer;
}

QStringList snapshotIds(const QVector<GradingGroup>& groups) {
    QStringList ids;
    for (const GradingGroup& group : groups) {
        for (const GradingQuestion& question : group.questions) {
            if (group.matching) {
                ids.append(selectElementId(question.id));
            } else {
                ids.append(question.optionIds);
            }
            ids.append(stemElementId(question.id));
        }
    }
    return ids;
}

GradingOutcome gradeGroups(const QVector<GradingGroup>& groups, const PageSnapshot& page) {
    GradingOutcome outcome;
    for (const GradingGroup& group : groups) {
        ScoreRow row{group.title, 0, 0};
        for (const GradingQuestion& question : group.questions) {
            const std::optional<QString> given = userAnswer(group, question, page);
            if (!given) {
                return outcome;
            }
            if (answersMatch(*given, question.answer)) {
                ++row.correct;
            } else {
                outcome.wrongQuestionIds.append(question.id);
                const QString stem = stemElementId(question.id);
                const auto found = page.constFind(stem);
                if (found == page.constEnd() || !found->exists) {
                    return outcome;
                }
                outcome.redStemIds.append(stem);
            }
            ++row.questions;
        }
        outcome.rows.append(row);
    }
    outcome.rows = mergeScoreRows(std::move(outcome.rows));
    outcome.complete = true;
    return outcome;
}

}  // namespace quorvex::practice
