#include "practice/grading_store.h"

#include <QStringList>
#include <algorithm>

#include "store/connection.h"
#include "store/query.h"

namespace quorvex::practice {

using store::Connection;
using store::Query;

namespace {

// Values per statement stay well under the engine's limit of 999 bound values.
constexpr qsizetype kIdsPerStatement = 500;
constexpr qsizetype kRowsPerStatement = 300;

// A tree.id given as text: bound as a number when it is one, so that it compares with the key.
QVariant treeIdValue(const QString& currentTreeId) {
    bool isNumber = false;
    const qint64 id = currentTreeId.trimmed().toLongLong(&isNumber);
    return isNumber ? QVariant(id) : QVariant(currentTreeId);
}

QString questionQuery(study::StudyView view) {
    const QString field = study::markFieldForView(view);
    if (field.isEmpty()) {
        return QStringLiteral("select * from question where readtextid=?");
    }
    // One of two fixed field names, never text from outside.
    return QStringLiteral("select * from question where (readtextid=?) and (") + field +
           QStringLiteral("='1')");
}

QString placeholders(qsizetype count, const QString& one) {
    QStringList parts;
    parts.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        parts.append(one);
    }
    return parts.join(u',');
}

}  // namespace

void clearLatestWrongFlags(Connection& connection) {
    connection.execute(QStringLiteral("update question set ct1=''"));
}

void emptyScoreTable(Connection& connection) {
    connection.execute(QStringLiteral("delete from fenshu"));
}

QVector<GradingGroup> readGradingGroups(Connection& connection, const QString& currentTreeId,
                                        study::StudyView view) {
    Query chapter(connection);
    chapter.setSql(QStringLiteral("select * from tree where id=?"));
    chapter.setParams({treeIdValue(currentTreeId)});
    chapter.open();
    const qint64 treeId = chapter.integer(QStringLiteral("id"));

    Query groups(connection);
    groups.setSql(QStringLiteral("select * from readtext where treeid=? order by qtypeid"));
    groups.setParams({treeId});
    groups.open();

    const QString questionSql = questionQuery(view);
    QVector<GradingGroup> result;
    result.reserve(groups.recordCount());
    for (; !groups.eof(); groups.next()) {
        GradingGroup group;
        {
            Query type(connection);
            type.setSql(QStringLiteral("select * from qtype where id=?"));
            type.setParams({groups.fieldByName(QStringLiteral("qtypeid")).asInteger()});
            type.open();
            // The code is compared as text: only "9" reads a drop-down list.
            group.matching = type.text(QStringLiteral("code")).trimmed() == QLatin1String("9");
            group.title = type.text(QStringLiteral("title"));
        }

        Query questions(connection);
        questions.setSql(questionSql);
        questions.setParams({groups.integer(QStringLiteral("id"))});
        questions.open();
        group.questions.reserve(questions.recordCount());
        for (; !questions.eof(); questions.next()) {
            GradingQuestion question;
            question.id = questions.integer(QStringLiteral("id"));
            question.answer = questions.text(QStringLiteral("answer"));
            if (!group.matching) {
                Query options(connection);
                options.setSql(QStringLiteral("select * from opinion where questionid=?"));
                options.setParams({question.id});
                options.open();
                question.optionIds.reserve(options.recordCount());
                for (; !options.eof(); options.next()) {
                    question.optionIds.append(options.text(QStringLiteral("id")));
                }
            }
            group.questions.append(std::move(question));
        }
        result.append(std::move(group));
    }
    return result;
}

void postWrongQuestions(Connection& connection, const QVector<qint64>& questionIds) {
    for (qsizetype first = 0; first < questionIds.size(); first += kIdsPerStatement) {
        const qsizetype count = std::min(kIdsPerStatement, questionIds.size() - first);
        QVariantList params;
        params.reserve(count);
        for (qsizetype i = first; i < first + count; ++i) {
            params.append(questionIds.at(i));
        }
        connection.execute(QStringLiteral("update question set ct='1', ct1='1' where id in (") +
                               placeholders(count, QStringLiteral("?")) + QStringLiteral(")"),
                           params);
    }
}

void appendScoreRows(Connection& connection, const QVector<ScoreRow>& rows) {
    for (qsizetype first = 0; first < rows.size(); first += kRowsPerStatement) {
        const qsizetype count = std::min(kRowsPerStatement, rows.size() - first);
        QVariantList params;
        params.reserve(count * 3);
        for (qsizetype i = first; i < first + count; ++i) {
            const ScoreRow& row = rows.at(i);
            params << row.title << QString::number(row.questions) << QString::number(row.correct);
        }
        // One statement keeps the rows in order and costs one write of the file.
        connection.execute(QStringLiteral("insert into fenshu (tx, sts, dd) values ") +
                               placeholders(count, QStringLiteral("(?,?,?)")),
                           params);
    }
}

void removeEmptyScoreRows(Connection& connection) {
    connection.execute(QStringLiteral("delete from fenshu where sts='0'"));
}

QVector<StoredScoreRow> readScoreRows(Connection& connection) {
    Query rows(connection);
    rows.setSql(QStringLiteral("select * from fenshu"));
    rows.open();
    QVector<StoredScoreRow> result;
    result.reserve(rows.recordCount());
    for (; !rows.eof(); rows.next()) {
        result.append({rows.text(QStringLiteral("tx")), rows.text(QStringLiteral("sts")),
                       rows.text(QStringLiteral("dd"))});
    }
    return result;
}

void dropLatestWrongQuestions(Connection& connection) {
    connection.execute(QStringLiteral("update  question set ct=''where ct1='1'"));
}

}  // namespace quorvex::practice
