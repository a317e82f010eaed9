#include "study/study_view.h"

#include "store/connection.h"
#include "store/query.h"

namespace quorvex::study {

using store::Connection;
using store::Query;

StudyView viewForCaption(const QString& caption) {
    if (caption == kFavouritesCaption) {
        return StudyView::Favourites;
    }
    if (caption == kWrongQuestionsCaption) {
        return StudyView::WrongQuestions;
    }
    return StudyView::Exercise;
}

QString captionForView(StudyView view) {
    switch (view) {
        case StudyView::Favourites:
            return kFavouritesCaption;
        case StudyView::WrongQuestions:
            return kWrongQuestionsCaption;
        case StudyView::Exercise:
            break;
    }
    return kExerciseCaption;
}

QString markFieldForView(StudyView view) {
    switch (view) {
        case StudyView::Favourites:
            return QStringLiteral("scbt");
        case StudyView::WrongQuestions:
            return QStringLiteral("ct");
        case StudyView::Exercise:
            break;
    }
    return {};
}

QString emptyViewMessage(StudyView view) {
    switch (view) {
        case StudyView::Favourites:
            return QStringLiteral("您没有收藏试题！");
        case StudyView::WrongQuestions:
            return QStringLiteral("您没有错题！");
        case StudyView::Exercise:
            break;
    }
    return {};
}

PageVariant pageVariantForView(StudyView view) {
    return view == StudyView::Exercise ? PageVariant::Exercise : PageVariant::Filtered;
}

namespace {

QString questionQuery(StudyView view) {
    const QString field = markFieldForView(view);
    if (field.isEmpty()) {
        return QStringLiteral("select * from question where readtextid=?");
    }
    // The mark field is one of two fixed names, never text from outside.
    return QStringLiteral("select * from question where (readtextid=?) and (") + field +
           QStringLiteral("='1')");
}

void readType(Connection& connection, qint64 qtypeId, GroupRow& group) {
    Query type(connection);
    type.setSql(QStringLiteral("select * from qtype where id=?"));
    type.setParams({qtypeId});
    type.open();
    group.typeCode = static_cast<int>(type.fieldByName(QStringLiteral("code")).asInteger());
    group.typeTitle = type.text(QStringLiteral("title"));
}

QVector<OptionRow> readOptions(Connection& connection, qint64 questionId) {
    Query options(connection);
    options.setSql(QStringLiteral("select * from opinion where questionid=?"));
    options.setParams({questionId});
    options.open();
    QVector<OptionRow> rows;
    rows.reserve(options.recordCount());
    for (; !options.eof(); options.next()) {
        rows.append({options.integer(QStringLiteral("id")), options.integer(QStringLiteral("questionid")),
                     options.text(QStringLiteral("code")), options.text(QStringLiteral("content"))});
    }
    return rows;
}

QuestionRow questionFromRow(Connection& connection, Query& q, bool withOptions) {
    QuestionRow question;
    question.id = q.integer(QStringLiteral("id"));
    question.content = q.text(QStringLiteral("content"));
    question.answer = q.text(QStringLiteral("answer"));
    question.explain = q.text(QStringLiteral("explain"));
    question.picurl = q.text(QStringLiteral("picurl"));
    question.scbt = q.text(QStringLiteral("scbt"));
    if (withOptions) {
        question.options = readOptions(connection, question.id);
    }
    return question;
}

// Options are shown for codes 1 to 8 only.
bool showsOptions(int typeCode) {
    return typeCode >= 1 && typeCode <= 8;
}

GroupRow groupFromRow(Connection& connection, Query& readtext) {
    GroupRow group;
    group.id = readtext.integer(QStringLiteral("id"));
    group.content = readtext.text(QStringLiteral("content"));
    bool isNumber = false;
    group.opnum = readtext.text(QStringLiteral("opnum")).trimmed().toInt(&isNumber);
    if (!isNumber) {
        group.opnum = 0;
    }
    readType(connection, readtext.integer(QStringLiteral("qtypeid")), group);
    return group;
}

}  // namespace

void readChapterGroups(Connection& connection, qint64 treeId, StudyView view,
                       const std::function<void(const GroupRow&)>& sink) {
    Query groups(connection);
    groups.setSql(QStringLiteral("select * from readtext where treeid=? order by qtypeid"));
    groups.setParams({treeId});
    groups.open();
    const QString questionSql = questionQuery(view);
    for (; !groups.eof(); groups.next()) {
        GroupRow group = groupFromRow(connection, groups);
        Query questions(connection);
        questions.setSql(questionSql);
        questions.setParams({group.id});
        questions.open();
        group.questions.reserve(questions.recordCount());
        for (; !questions.eof(); questions.next()) {
            group.questions.append(questionFromRow(connection, questions, showsOptions(group.typeCode)));
        }
        sink(group);
    }
}

GroupRow readSingleQuestionGroup(Connection& connection, qint64 questionId) {
    Query question(connection);
    question.setSql(QStringLiteral("select * from question where id=?"));
    question.setParams({questionId});
    question.open();
    const qint64 groupId = question.integer(QStringLiteral("readtextid"));

    Query readtext(connection);
    readtext.setSql(QStringLiteral("select * from readtext where id=? order by qtypeid"));
    readtext.setParams({groupId});
    readtext.open();
    GroupRow group = groupFromRow(connection, readtext);
    group.questions.append(questionFromRow(connection, question, showsOptions(group.typeCode)));
    return group;
}

bool recomputeChapterMarks(Connection& connection, StudyView view) {
    const QString field = markFieldForView(view);
    if (field.isEmpty()) {
        return true;
    }
    Query marked(connection);
    marked.setSql(QStringLiteral("select * from question where ") + field + QStringLiteral("='1'"));
    marked.open();
    if (marked.isEmpty()) {
        return false;
    }
    // One statement marks every chapter that holds a marked question (the same rows a walk over the
    // marked questions would edit one by one).
    connection.execute(QStringLiteral("update tree set ") + field + QStringLiteral("=''"));
    connection.execute(QStringLiteral("update tree set ") + field +
                       QStringLiteral("='1' where id in (select treeid from readtext where id in "
                                      "(select readtextid from question where ") +
                       field + QStringLiteral("='1'))"));
    return true;
}

}  // namespace quorvex::study
