#include "bank_stats.h"

#include "store/connection.h"
#include "store/query.h"

namespace quorvex::tools {

namespace {

int count(store::Connection& connection, const QString& sql) {
    store::Query query(connection);
    query.setSql(sql);
    query.open();
    return static_cast<int>(query.integer(QStringLiteral("n")));
}

const QString kRootIds = QStringLiteral("select id from tree where code=1");
const QString kSectionIds =
    QStringLiteral("select id from tree where parentid in (") + kRootIds + QLatin1Char(')');
const QString kQuestionsOfQtypes = QStringLiteral(
    "select count(*) as n from question q join readtext r on q.readtextid=r.id where r.qtypeid ");

}  // namespace

BankStats collectBankStats(store::Connection& connection) {
    BankStats stats;
    stats.roots = count(connection, QStringLiteral("select count(*) as n from tree where code=1"));
    stats.sections =
        count(connection, QStringLiteral("select count(*) as n from (") + kSectionIds + QLatin1Char(')'));
    stats.chapters = count(connection, QStringLiteral("select count(*) as n from tree where parentid in (") +
                                           kSectionIds + QLatin1Char(')'));
    stats.groups = count(connection, QStringLiteral("select count(*) as n from readtext"));
    stats.questions = count(connection, QStringLiteral("select count(*) as n from question"));
    stats.options = count(connection, QStringLiteral("select count(*) as n from opinion"));

    store::Query qtypes(connection);
    qtypes.setSql(
        QStringLiteral("select t.id as id, t.code as code, t.title as title, "
                       "(select count(*) from readtext r where r.qtypeid=t.id) as group_count, "
                       "(select count(*) from question q join readtext r on q.readtextid=r.id where "
                       "r.qtypeid=t.id) as question_count "
                       "from qtype t order by t.rowid"));
    qtypes.open();
    for (qtypes.first(); !qtypes.eof(); qtypes.next()) {
        stats.qtypes.push_back({qtypes.integer(QStringLiteral("id")), qtypes.integer(QStringLiteral("code")),
                                qtypes.text(QStringLiteral("title")),
                                static_cast<int>(qtypes.integer(QStringLiteral("group_count"))),
                                static_cast<int>(qtypes.integer(QStringLiteral("question_count")))});
    }

    stats.a1Questions = count(connection, kQuestionsOfQtypes + QStringLiteral("between 3 and 5"));
    stats.a2Questions = count(connection, kQuestionsOfQtypes + QStringLiteral("between 6 and 9"));
    stats.a3Cases = count(connection, QStringLiteral("select count(*) as n from readtext where qtypeid=10"));
    stats.a4Groups = count(connection, QStringLiteral("select count(*) as n from readtext where qtypeid=11"));
    return stats;
}

void printBankStats(const BankStats& stats, QTextStream& out) {
    out << "roots: " << stats.roots << '\n'
        << "sections: " << stats.sections << '\n'
        << "chapters: " << stats.chapters << '\n'
        << "groups: " << stats.groups << '\n'
        << "questions: " << stats.questions << '\n'
        << "options: " << stats.options << '\n';
    for (const QtypeStats& qtype : stats.qtypes) {
        out << "qtype " << qtype.id << " (code " << qtype.code << ", " << qtype.title << "): " << qtype.groups
            << " groups, " << qtype.questions << " questions\n";
    }
    out << "a1 questions (qtypeid 3-5): " << stats.a1Questions << '\n'
        << "a2 questions (qtypeid 6-9): " << stats.a2Questions << '\n'
        << "a3 cases (qtypeid 10): " << stats.a3Cases << '\n'
        << "a4 groups (qtypeid 11): " << stats.a4Groups << '\n';
    out.flush();
}

}  // namespace quorvex::tools
