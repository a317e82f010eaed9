#include "study/feedback_report.h"

namespace quorvex::study {

QStringList feedbackColumns() {
    QStringList columns = {QStringLiteral("kemu"), QStringLiteral("tihao"), QStringLiteral("tigan")};
    for (const FeedbackProblem& problem : kFeedbackProblems) {
        columns << QString::fromLatin1(problem.column);
    }
    columns << QStringLiteral("shuoming");
    return columns;
}

QVariantList feedbackValues(const FeedbackReport& report) {
    QVariantList values = {report.subject, report.questionId, report.questionText};
    for (const bool ticked : report.ticked) {
        values << (ticked ? QStringLiteral("1") : QStringLiteral("0"));
    }
    values << report.description;
    return values;
}

QString feedbackInsertStatement() {
    const QStringList columns = feedbackColumns();
    QStringList placeholders;
    for (int i = 0; i < columns.size(); ++i) {
        placeholders << QStringLiteral("?");
    }
    return QStringLiteral("insert into zezaz (") + columns.join(QLatin1Char(',')) +
           QStringLiteral(") values (") + placeholders.join(QLatin1Char(',')) + QStringLiteral(")");
}

}  // namespace quorvex::study
