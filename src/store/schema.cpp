#include "schema.h"

#include "connection.h"
#include "query.h"

namespace quorvex::store {

namespace {

// Key columns are plain INTEGER (not the row id), so that rows keep the order in which they were
// inserted; the indexes keep lookups by key and by parent fast and return ties in that order.
const char* const kSchema[] = {
    "CREATE TABLE kemu (ID TEXT, mz TEXT)",
    "CREATE TABLE geshu (kemugeshu TEXT)",
    "CREATE TABLE tree (id INTEGER NOT NULL, nodename TEXT, parentid INTEGER, code INTEGER, scbt TEXT, ct "
    "TEXT)",
    "CREATE TABLE readtext (id INTEGER NOT NULL, treeid INTEGER, qtypeid INTEGER, content TEXT, opnum "
    "INTEGER, "
    "itemnum TEXT)",
    "CREATE TABLE qtype (id INTEGER NOT NULL, code INTEGER, title TEXT)",
    "CREATE TABLE question (id INTEGER NOT NULL, readtextid INTEGER, content TEXT, answer TEXT, \"explain\" "
    "TEXT, "
    "picurl TEXT, itemnum TEXT, lx TEXT, scbt TEXT, ct TEXT, ct1 TEXT)",
    "CREATE TABLE opinion (id INTEGER NOT NULL, questionid INTEGER, code TEXT, content TEXT)",
    "CREATE TABLE sj (tid TEXT, lx TEXT, alt TEXT, tg TEXT, tgid TEXT, da TEXT, tp TEXT, xx TEXT, tjda TEXT)",
    "CREATE TABLE ts (txs TEXT, fg TEXT)",
    "CREATE TABLE fenshu (tx TEXT, sts TEXT, dd TEXT)",
    "CREATE UNIQUE INDEX tree_id ON tree (id)",
    "CREATE INDEX tree_parent ON tree (parentid)",
    "CREATE INDEX tree_code ON tree (code)",
    "CREATE UNIQUE INDEX readtext_id ON readtext (id)",
    "CREATE INDEX readtext_tree ON readtext (treeid, qtypeid, id)",
    "CREATE INDEX readtext_qtype ON readtext (qtypeid)",
    "CREATE UNIQUE INDEX qtype_id ON qtype (id)",
    "CREATE UNIQUE INDEX question_id ON question (id)",
    "CREATE INDEX question_group ON question (readtextid)",
    "CREATE INDEX question_scbt ON question (scbt)",
    "CREATE INDEX question_ct ON question (ct)",
    "CREATE INDEX question_lx ON question (lx)",
    "CREATE UNIQUE INDEX opinion_id ON opinion (id)",
    "CREATE INDEX opinion_question ON opinion (questionid)",
    "CREATE INDEX sj_tid ON sj (tid)",
};

}  // namespace

QStringList bankTableNames() {
    return {"kemu", "geshu", "tree", "readtext", "qtype", "question", "opinion", "sj", "ts", "fenshu"};
}

void createSchema(Connection& connection) {
    for (const char* statement : kSchema) {
        connection.execute(QString::fromLatin1(statement));
    }
}

void verifySchema(Connection& connection) {
    // Preparing a statement that names every table fails with the engine's "no such table" message.
    for (const QString& table : bankTableNames()) {
        Query probe(connection);
        probe.setSql(QStringLiteral("select * from ") + table + QStringLiteral(" where 0"));
        probe.open();
    }
}

}  // namespace quorvex::store
