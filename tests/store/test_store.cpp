// The helpers below build foreign files with the engine directly; sqlite3_key() needs the codec.
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "store/connection.h"
#include "store/query.h"
#include "store/store_error.h"

using quorvex::store::Connection;
using quorvex::store::connectionStringFor;
using quorvex::store::kDatabasePassword;
using quorvex::store::Query;
using quorvex::store::StoreError;
using quorvex::store::Table;

namespace {

// The message of the StoreError that action throws; empty when it throws none.
template <typename Action>
QString storeErrorOf(Action&& action) {
    try {
        action();
    } catch (const StoreError& error) {
        return error.message();
    }
    return QString();
}

#define EXPECT_STORE_ERROR(action, fragment)                                                       \
    do {                                                                                           \
        const QString message_ = storeErrorOf([&] { action; });                                    \
        QVERIFY2(!message_.isEmpty(), "no StoreError thrown");                                     \
        QVERIFY2(message_.contains(fragment), qPrintable(QStringLiteral("message: ") + message_)); \
    } while (false)

QString dataSource(const QString& file, const QString& password = kDatabasePassword) {
    return QStringLiteral("Data Source=%1;Jet OLEDB:Database Password=%2").arg(file, password);
}

void insertRows(Connection& connection, const QString& table, const QStringList& columns,
                const QList<QVariantList>& rows) {
    QStringList marks;
    marks.fill(QStringLiteral("?"), columns.size());
    const QString sql = QStringLiteral("insert into %1 (%2) values (%3)")
                            .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    for (const QVariantList& row : rows) {
        connection.execute(sql, row);
    }
}

// A database written with the engine itself: plain SQLite when key is empty.
void writeEngineFile(const QString& path, const QByteArray& key, const QStringList& statements) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
             SQLITE_OK);
    if (!key.isEmpty()) {
        QCOMPARE(sqlite3_key(db, key.constData(), static_cast<int>(key.size())), SQLITE_OK);
    }
    for (const QString& statement : statements) {
        QCOMPARE(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
    sqlite3_close(db);
}

qint64 countOf(Connection& connection, const QString& sql, const QVariantList& params = {}) {
    Query query(connection);
    query.setSql(sql);
    query.setParams(params);
    query.open();
    return query.recordCount();
}

QString textOf(Connection& connection, const QString& sql, const QVariantList& params, const QString& field) {
    Query query(connection);
    query.setSql(sql);
    query.setParams(params);
    query.open();
    return query.text(field);
}

const QByteArray kPlainHeader("SQLite format 3\0", 16);

}  // namespace

class TestStore : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void connectionString();
    void connectionStringKeysAnyCase();
    void recordCountExactOnOpen_data();
    void recordCountExactOnOpen();
    void sameStatementWithNewValues();
    void navigation();
    void nullReadsAsEmpty();
    void fieldNamesAnyCase_data();
    void fieldNamesAnyCase();
    void fieldConversions_data();
    void fieldConversions();
    void fieldReadErrors_data();
    void fieldReadErrors();
    void editableResults_data();
    void editableResults();
    void editPostSeenBySecondConnection();
    void insertPostSeenBySecondConnection();
    void postAfterConnectionReopened();
    void tsRowsByPosition();
    void openFailures_data();
    void openFailures();
    void createDatabaseRefusesExistingFile();
    void fileIsEncrypted();
    void sqlcipherShellReadsFile();
    void fileReplacedByRenameIsReopened();
    void parametersKeepQuotes_data();
    void parametersKeepQuotes();
    void injectionTextMatchesNothing();
    void execSqlCountsChangedRows();
    void transactions();

  private:
    QTemporaryDir fixtureDir_;
    QString fixturePath_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;  // the program folder of the current test, ending with "/"
    QString dbPath_;
    QString connectionString_;
};

// One encrypted bank per test binary (the key derivation is slow); each test works on a copy.
void TestStore::initTestCase() {
    QVERIFY(fixtureDir_.isValid());
    fixturePath_ = fixtureDir_.path() + QStringLiteral("/Data/med.mdb");
    Connection::createDatabase(fixturePath_);

    Connection connection(dataSource(fixturePath_));
    connection.beginTransaction();
    insertRows(connection, "kemu", {"ID", "mz"}, {{"护理学", "hl01"}});
    insertRows(connection, "geshu", {"kemugeshu"}, {{"5"}});
    insertRows(connection, "tree", {"id", "nodename", "parentid", "code", "scbt", "ct"},
               {{1, "基础护理", 0, 1, "", ""},
                {2, "第一章", 1, 0, QVariant(), QVariant()},
                {3, "第二章 it's", 1, 0, "1", ""}});
    insertRows(connection, "qtype", {"id", "code", "title"}, {{1, 1, "A1型题"}});
    insertRows(connection, "readtext", {"id", "treeid", "qtypeid", "content", "opnum", "itemnum"},
               {{1, 2, 1, QVariant(), QVariant(), ""}});
    insertRows(connection, "question",
               {"id", "readtextid", "content", "answer", "\"explain\"", "picurl", "scbt", "ct", "ct1"},
               {{1, 1, "题目1", "A", QVariant(), "", "", "", ""},
                {2, 1, "题目2", "B", "解析2", "", QVariant(), "1", "1"},
                {3, 1, "题目3", "C", "解析3", "", "", "1", ""},
                {4, 1, "题目4", "D", "解析4", "", "", "", ""},
                {5, 1, "题目5", "AB", "解析5", "", "1", "", ""}});
    insertRows(connection, "opinion", {"id", "questionid", "code", "content"},
               {{1, 1, "A", "甲"}, {2, 1, "B", "乙"}});
    insertRows(connection, "sj", {"tid", "lx", "alt", "tg", "tgid", "da", "tp", "xx", "tjda"},
               {{"1", "a1", "", "题目1", "1", "A", "", "", ""},
                {"2", "a1", "", "题目2", "2", "B", "", "", ""},
                {"3", "a2", "", "题目5", "5", "AB", "", "", ""}});
    // Stored order differs from the order of the values as text.
    insertRows(connection, "ts", {"txs", "fg"}, {{"10", "10"}, {"20", ""}, {"3", ""}, {"2", ""}});
    connection.commit();
    connection.close();
    Connection::releaseFile(fixturePath_);
}

void TestStore::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    folder_ = dir_->path() + QLatin1Char('/');
    QVERIFY(QDir(folder_).mkpath(QStringLiteral("Data")));
    dbPath_ = folder_ + QStringLiteral("Data/med.mdb");
    QVERIFY(QFile::copy(fixturePath_, dbPath_));
    connectionString_ = connectionStringFor(folder_);
}

void TestStore::cleanup() {
    Connection::releaseFile(dbPath_);
    dir_.reset();
}

void TestStore::connectionString() {
    const QString expected = QStringLiteral(
        "Provider=Microsoft.Jet.OLEDB.4.0;user ID=Admin;Data Source=/opt/bank/Data/med.mdb"
        ";Persist Security Info=false;Jet OLEDB:Database Password=qorintav#!3816xeh");
    QCOMPARE(connectionStringFor(QStringLiteral("/opt/bank/")), expected);
    QCOMPARE(connectionStringFor(QStringLiteral("/opt/bank")), expected);

    Connection connection(expected);
    QCOMPARE(connection.databasePath(), QStringLiteral("/opt/bank/Data/med.mdb"));
    QVERIFY(!connection.isOpen());
}

void TestStore::connectionStringKeysAnyCase() {
    Connection connection(QStringLiteral("provider=x;DATA SOURCE=%1;jet oledb:database password=%2")
                              .arg(dbPath_, kDatabasePassword));
    QCOMPARE(connection.databasePath(), dbPath_);
    connection.open();  // opens only with the password read from the string
    QVERIFY(connection.isOpen());
    QCOMPARE(textOf(connection, "select * from kemu", {}, "ID"), QStringLiteral("护理学"));
}

void TestStore::recordCountExactOnOpen_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("params");
    QTest::addColumn<int>("count");

    QTest::newRow("whole table") << "select * from question" << QVariantList{} << 5;
    QTest::newRow("by parent") << "select * from question where readtextid=?" << QVariantList{1} << 5;
    QTest::newRow("one row") << "select * from question where id=?" << QVariantList{3} << 1;
    QTest::newRow("no row") << "select * from question where id=?" << QVariantList{99} << 0;
    QTest::newRow("flag") << "select * from question where ct='1'" << QVariantList{} << 2;
    QTest::newRow("lines") << "select *\nfrom tree\nwhere parentid=?" << QVariantList{1} << 2;
    QTest::newRow("aggregate") << "select count(*) as n from opinion" << QVariantList{} << 1;
}

void TestStore::recordCountExactOnOpen() {
    QFETCH(QString, sql);
    QFETCH(QVariantList, params);
    QFETCH(int, count);

    Connection connection(connectionString_);
    Query query(connection);
    for (const QString& line : sql.split(QLatin1Char('\n'))) {
        query.addSql(line);
    }
    query.setParams(params);
    query.open();
    QVERIFY(connection.isOpen());
    QCOMPARE(query.recordCount(), count);
    QCOMPARE(query.isEmpty(), count == 0);
    QCOMPARE(query.eof(), count == 0);
    QCOMPARE(query.recNo(), count == 0 ? 0 : 1);

    int walked = 0;
    while (!query.eof()) {
        ++walked;
        QCOMPARE(query.recNo(), walked);
        query.next();
    }
    QCOMPARE(walked, count);
}

void TestStore::sameStatementWithNewValues() {
    // The same text comes back with new values; each run must see only its own.
    Connection connection(connectionString_);
    for (int id : {3, 1, 5, 99, 2}) {
        Query query(connection);
        query.setSql("select * from question where id=?");
        query.addParam(id);
        query.open();
        if (id == 99) {
            QVERIFY(query.isEmpty());
        } else {
            QCOMPARE(query.text("content"), QStringLiteral("题目%1").arg(id));
        }
    }
}

void TestStore::navigation() {
    Connection connection(connectionString_);
    Query query(connection);
    query.setSql("select * from question order by id");
    query.open();
    QVERIFY(query.bof());
    QCOMPARE(query.integer("id"), 1);

    query.next();
    QCOMPARE(query.integer("id"), 2);
    QVERIFY(!query.bof());
    query.prior();
    QCOMPARE(query.integer("id"), 1);
    query.last();
    QCOMPARE(query.recNo(), 5);
    QVERIFY(!query.eof());
    query.next();
    QVERIFY(query.eof());
    QCOMPARE(query.recNo(), 5);
    query.first();
    QCOMPARE(query.integer("id"), 1);
    query.setRecNo(4);
    QCOMPARE(query.integer("id"), 4);
    EXPECT_STORE_ERROR(query.setRecNo(6), "row 6");
    EXPECT_STORE_ERROR(query.setRecNo(0), "row 0");
}

void TestStore::nullReadsAsEmpty() {
    Connection connection(connectionString_);
    Query query(connection);
    query.setSql("select * from question where id=?");
    query.addParam(1);
    query.open();
    QVERIFY(query.fieldByName("explain").isNull());
    QCOMPARE(query.text("explain"), QString(""));
    QVERIFY(!query.fieldByName("scbt").isNull());  // stored as "", not null
    QCOMPARE(query.text("scbt"), QString(""));

    query.setSql("select * from tree where id=?");
    query.addParam(2);
    query.open();
    QVERIFY(query.fieldByName("ct").isNull());
    QCOMPARE(query.text("ct"), QString(""));
}

void TestStore::fieldNamesAnyCase_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("lower") << "nodename"
                           << "第二章 it's";
    QTest::newRow("upper") << "NODENAME"
                           << "第二章 it's";
    QTest::newRow("mixed") << "NodeName"
                           << "第二章 it's";
    QTest::newRow("key upper") << "ID"
                               << "3";
    QTest::newRow("key mixed") << "pARENTid"
                               << "1";
}

void TestStore::fieldNamesAnyCase() {
    QFETCH(QString, name);
    QFETCH(QString, value);
    Connection connection(connectionString_);
    Query query(connection);
    query.setSql("select * from tree where id=3");
    query.open();
    QVERIFY(query.hasField(name));
    QCOMPARE(query.fieldByName(name).asString(), value);
}

void TestStore::fieldConversions_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isInteger");
    QTest::addColumn<qint64>("integer");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("number");

    QTest::newRow("null") << QVariant() << "" << false << qint64(0) << false << 0.0;
    QTest::newRow("empty text") << QVariant("") << "" << false << qint64(0) << false << 0.0;
    QTest::newRow("word") << QVariant("abc") << "abc" << false << qint64(0) << false << 0.0;
    QTest::newRow("chinese numeral") << QVariant("十") << "十" << false << qint64(0) << false << 0.0;
    QTest::newRow("whole text") << QVariant("42") << "42" << true << qint64(42) << true << 42.0;
    QTest::newRow("blanks around") << QVariant(" 42 ") << " 42 " << true << qint64(42) << true << 42.0;
    QTest::newRow("negative text") << QVariant("-7") << "-7" << true << qint64(-7) << true << -7.0;
    QTest::newRow("digits and word") << QVariant("12ab") << "12ab" << false << qint64(0) << false << 0.0;
    QTest::newRow("decimal text") << QVariant("3.5") << "3.5" << false << qint64(0) << true << 3.5;
    QTest::newRow("integer") << QVariant(qint64(7)) << "7" << true << qint64(7) << true << 7.0;
    QTest::newRow("large integer") << QVariant(qint64(9007199254740993)) << "9007199254740993" << true
                                   << qint64(9007199254740993) << true << 9007199254740992.0;
    QTest::newRow("float") << QVariant(2.5) << "2.5" << false << qint64(0) << true << 2.5;
    QTest::newRow("whole float") << QVariant(3.0) << "3" << true << qint64(3) << true << 3.0;
    QTest::newRow("tenth") << QVariant(0.1) << "0.1" << false << qint64(0) << true << 0.1;
}

void TestStore::fieldConversions() {
    QFETCH(QVariant, stored);
    QFETCH(QString, text);
    QFETCH(bool, isInteger);
    QFETCH(qint64, integer);
    QFETCH(bool, isNumber);
    QFETCH(double, number);

    Connection connection(connectionString_);
    connection.execute("create table conversion (fieldvalue)");  // no affinity: values stay as bound
    connection.execute("insert into conversion values (?)", {stored});
    Query query(connection);
    query.setSql("select * from conversion");
    query.open();
    const auto field = query.fieldByName("fieldvalue");

    QCOMPARE(field.asString(), text);
    if (isInteger) {
        QCOMPARE(field.asInteger(), integer);
    } else {
        EXPECT_STORE_ERROR(field.asInteger(), QStringLiteral("fieldvalue"));
        EXPECT_STORE_ERROR(field.asInteger(), QStringLiteral("'%1' is not a valid integer").arg(text));
    }
    if (isNumber) {
        QCOMPARE(field.asFloat(), number);
    } else {
        EXPECT_STORE_ERROR(field.asFloat(), QStringLiteral("'%1' is not a valid floating point").arg(text));
    }
}

void TestStore::fieldReadErrors_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QStringList>("fragments");

    QTest::newRow("unknown field") << "select * from tree"
                                   << "nosuchfield"
                                   << "text" << QStringList{"nosuchfield", "select * from tree"};
    QTest::newRow("word as integer") << "select * from kemu"
                                     << "ID"
                                     << "integer"
                                     << QStringList{"field ID", "'护理学' is not a valid integer value"};
    QTest::newRow("empty as integer")
        << "select * from tree where id=1"
        << "scbt"
        << "integer" << QStringList{"field scbt", "'' is not a valid integer value"};
    QTest::newRow("word as number") << "select * from kemu"
                                    << "mz"
                                    << "float" << QStringList{"field mz", "'hl01'"};
    QTest::newRow("no row") << "select * from tree where id=99"
                            << "nodename"
                            << "text" << QStringList{"field nodename", "no current row"};
}

void TestStore::fieldReadErrors() {
    QFETCH(QString, sql);
    QFETCH(QString, field);
    QFETCH(QString, read);
    QFETCH(QStringList, fragments);

    Connection connection(connectionString_);
    Query query(connection);
    query.setSql(sql);
    query.open();
    const QString message = storeErrorOf([&] {
        if (read == "integer") {
            query.fieldByName(field).asInteger();
        } else if (read == "float") {
            query.fieldByName(field).asFloat();
        } else {
            query.fieldByName(field).asString();
        }
    });
    QVERIFY2(!message.isEmpty(), "no StoreError thrown");
    for (const QString& fragment : fragments) {
        QVERIFY2(message.contains(fragment), qPrintable(message));
    }
}

void TestStore::editableResults_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("editable");

    QTest::newRow("table") << "select * from sj" << true;
    QTest::newRow("two spaces") << "select * from  sj" << true;
    QTest::newRow("upper case with where") << "SELECT * FROM sj WHERE lx='a1'" << true;
    QTest::newRow("lines with order") << "select *\nfrom sj\norder by tid" << true;
    QTest::newRow("bracketed where") << "select * from question where (readtextid=1) and (ct='1')" << true;
    QTest::newRow("column list") << "select tid, tg from sj" << false;
    QTest::newRow("two tables") << "select * from sj, ts" << false;
    QTest::newRow("aggregate") << "select count(*) from sj" << false;
}

void TestStore::editableResults() {
    QFETCH(QString, sql);
    QFETCH(bool, editable);

    Connection connection(connectionString_);
    Query query(connection);
    query.setSql(sql);
    query.open();
    QVERIFY(!query.isEmpty());
    // The row id read for posting stays hidden.
    QVERIFY(!query.hasField("_rowid_"));
    QVERIFY(!query.hasField("rowid"));
    if (editable && sql.contains("sj")) {
        QCOMPARE(query.fieldNames(),
                 QStringList({"tid", "lx", "alt", "tg", "tgid", "da", "tp", "xx", "tjda"}));
    }
    if (editable) {
        query.edit();
        QVERIFY(query.isEditing());
        query.cancel();
        QVERIFY(!query.isEditing());
    } else {
        EXPECT_STORE_ERROR(query.edit(), "cannot be edited");
        EXPECT_STORE_ERROR(query.insert(), "cannot be edited");
        EXPECT_STORE_ERROR(query.post(), "not being edited");
    }
}

void TestStore::editPostSeenBySecondConnection() {
    Connection first(connectionString_);
    Connection second(connectionString_);
    QCOMPARE(countOf(second, "select * from question where scbt='1'"), 1);

    Query query(first);
    query.setSql("select * from question where id=?");
    query.addParam(4);
    query.open();
    query.edit();
    query.fieldByName("scbt").setAsString("1");
    query.fieldByName("EXPLAIN").setAsString("it's 解析");
    query.post();
    QVERIFY(!query.isEditing());
    QCOMPARE(query.text("scbt"), QStringLiteral("1"));

    Query check(second);
    check.setSql("select * from question where id=?");
    check.addParam(4);
    check.open();
    QCOMPARE(check.text("scbt"), QStringLiteral("1"));
    QCOMPARE(check.text("explain"), QStringLiteral("it's 解析"));
    QCOMPARE(check.text("content"), QStringLiteral("题目4"));  // fields not set keep their values
    QCOMPARE(countOf(second, "select * from question where scbt='1'"), 2);  // only that row changed
}

void TestStore::insertPostSeenBySecondConnection() {
    Connection first(connectionString_);
    Connection second(connectionString_);

    Query paper(first);
    paper.setSql("select * from  sj");
    paper.open();
    QCOMPARE(paper.recordCount(), 3);

    paper.insert();
    QCOMPARE(paper.recNo(), 4);
    paper.fieldByName("tid").setAsString("4");
    paper.fieldByName("lx").setAsString("a1");
    paper.fieldByName("tg").setAsString("新题");
    paper.fieldByName("tjda").setAsString("");
    paper.post();
    QCOMPARE(paper.recordCount(), 4);

    Query check(second);
    check.setSql("select * from sj where tid=?");
    check.addParam("4");
    check.open();
    QCOMPARE(check.recordCount(), 1);
    QCOMPARE(check.text("tg"), QStringLiteral("新题"));
    QVERIFY(!check.fieldByName("tjda").isNull());
    QVERIFY(check.fieldByName("alt").isNull());  // never set

    // A cancelled insert leaves neither the file nor the result changed.
    paper.insert();
    paper.cancel();
    QCOMPARE(paper.recordCount(), 4);
    QCOMPARE(paper.recNo(), 4);
    QCOMPARE(countOf(second, "select * from sj"), 4);

    // The inserted row can be edited again: its new row id was kept.
    paper.edit();
    paper.fieldByName("tjda").setAsString("B");
    paper.post();
    QCOMPARE(textOf(second, "select * from sj where tid=?", {"4"}, "tjda"), QStringLiteral("B"));
    QCOMPARE(countOf(second, "select * from sj where tjda<>''"), 1);
}

void TestStore::postAfterConnectionReopened() {
    Connection first(connectionString_);
    Connection second(connectionString_);

    Query query(first);
    query.setSql("select * from tree where id=?");
    query.addParam(3);
    query.open();
    first.close();
    QVERIFY(!first.isOpen());
    QCOMPARE(query.text("nodename"), QStringLiteral("第二章 it's"));  // the result is kept

    query.edit();
    query.fieldByName("ct").setAsString("1");
    query.post();  // reopens the connection
    QVERIFY(first.isOpen());
    QCOMPARE(textOf(second, "select * from tree where id=?", {3}, "ct"), QStringLiteral("1"));

    first.close();
    first.open();
    Query again(first);
    again.setSql("select * from tree where id=?");
    again.addParam(3);
    again.open();
    again.edit();
    again.fieldByName("scbt").setAsString("");
    again.post();
    QCOMPARE(countOf(second, "select * from tree where scbt='1'"), 0);
}

void TestStore::tsRowsByPosition() {
    Connection connection(connectionString_);
    Table ts(connection, "ts");
    ts.open();
    QCOMPARE(ts.recordCount(), 4);
    const QStringList stored{"10", "20", "3", "2"};
    for (int row = 1; row <= 4; ++row) {
        ts.setRecNo(row);
        QCOMPARE(ts.recNo(), row);
        QCOMPARE(ts.text("txs"), stored.at(row - 1));
    }

    ts.setRecNo(3);
    ts.edit();
    ts.fieldByName("txs").setAsString("7");
    ts.post();
    ts.setRecNo(1);
    ts.edit();
    ts.fieldByName("fg").setAsString("12");
    ts.post();
    EXPECT_STORE_ERROR(ts.setRecNo(5), "4 row");
    EXPECT_STORE_ERROR(ts.setRecNo(0), "4 row");

    Connection other(connectionString_);
    Table check(other, "ts");
    check.open();
    const QStringList txs{"10", "20", "7", "2"};
    const QStringList fg{"12", "", "", ""};
    for (int row = 1; row <= 4; ++row) {
        check.setRecNo(row);
        QCOMPARE(check.text("txs"), txs.at(row - 1));
        QCOMPARE(check.text("fg"), fg.at(row - 1));
    }
}

void TestStore::openFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("openedBefore");  // a handle on the good file is kept from an earlier open
    QTest::addColumn<QString>("message");

    QTest::newRow("missing file") << "missing" << kDatabasePassword << false
                                  << "unable to open database file";
    QTest::newRow("removed after an open")
        << "missing" << kDatabasePassword << true << "unable to open database file";
    QTest::newRow("wrong password") << "bank"
                                    << "wrong" << false << "is not a database";
    QTest::newRow("wrong password after the right one") << "bank"
                                                        << "wrong" << true << "is not a database";
    QTest::newRow("plain SQLite file") << "plain" << kDatabasePassword << false << "is not a database";
    QTest::newRow("random bytes") << "random" << kDatabasePassword << false << "is not a database";
    QTest::newRow("empty file") << "empty" << kDatabasePassword << false << "no such table: kemu";
    QTest::newRow("encrypted file without bank tables")
        << "foreign" << kDatabasePassword << true << "no such table: kemu";
}

void TestStore::openFailures() {
    QFETCH(QString, kind);
    QFETCH(QString, password);
    QFETCH(bool, openedBefore);
    QFETCH(QString, message);

    if (openedBefore) {
        Connection good(connectionString_);
        good.open();
    }
    // The bad file is made beside the bank and renamed over it.
    const QString replacement = folder_ + QStringLiteral("Data/replacement.db");
    if (kind == "missing") {
        QVERIFY(QFile::remove(dbPath_));
    } else if (kind == "plain") {
        writeEngineFile(replacement, {},
                        {"create table kemu (ID, mz)", "insert into kemu values ('x', 'y')"});
        QFile file(replacement);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(16), kPlainHeader);  // really a plain file
    } else if (kind == "random") {
        QFile file(replacement);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QRandomGenerator random(7);
        QByteArray bytes(8192, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random.bounded(256));
        }
        file.write(bytes);
    } else if (kind == "empty") {
        QFile file(replacement);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == "foreign") {
        writeEngineFile(replacement, kDatabasePassword.toUtf8(), {"create table other (x)"});
    }
    if (QFile::exists(replacement)) {
        QCOMPARE(
            std::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(dbPath_).constData()),
            0);
    }

    Connection connection(dataSource(dbPath_, password));
    const QString openError = storeErrorOf([&] { connection.open(); });
    QVERIFY2(openError.contains(message), qPrintable(openError));
    QVERIFY2(openError.contains(dbPath_), qPrintable(openError));
    QVERIFY(!connection.isOpen());

    // A query on the failed connection tries again and fails the same way.
    Query query(connection);
    query.setSql("select * from kemu");
    EXPECT_STORE_ERROR(query.open(), message);
}

void TestStore::createDatabaseRefusesExistingFile() {
    const QByteArray before = [&] {
        QFile file(dbPath_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    EXPECT_STORE_ERROR(Connection::createDatabase(dbPath_), "already exists");
    QFile file(dbPath_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestStore::fileIsEncrypted() {
    QFile file(dbPath_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(16);
    QCOMPARE(header.size(), 16);
    QVERIFY(header != kPlainHeader);
    QVERIFY(!file.readAll().contains(QByteArray("题目1")));
}

void TestStore::sqlcipherShellReadsFile() {
    const QString shell = QStringLiteral("/usr/bin/sqlcipher");
    if (!QFileInfo(shell).isExecutable()) {
        QSKIP("the sqlcipher shell is not installed");
    }
    Connection connection(connectionString_);
    connection.open();  // the kept handle must not lock the file against other programs

    QProcess process;
    process.start(shell, {dbPath_});
    QVERIFY(process.waitForStarted());
    process.write(
        QStringLiteral("PRAGMA key='%1';\nselect nodename from tree where id=3;\nPRAGMA journal_mode;\n")
            .arg(kDatabasePassword)
            .toUtf8());
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(30000));
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(output.contains(QStringLiteral("第二章 it's")), qPrintable(output + errors));
    QVERIFY2(output.contains(QStringLiteral("delete")), qPrintable(output + errors));
}

void TestStore::fileReplacedByRenameIsReopened() {
    Connection connection(connectionString_);
    QCOMPARE(textOf(connection, "select * from kemu", {}, "ID"), QStringLiteral("护理学"));
    connection.close();

    // A restore: another bank is written beside the file and renamed over it.
    const QString restored = folder_ + QStringLiteral("Data/restored.mdb");
    QVERIFY(QFile::copy(fixturePath_, restored));
    {
        Connection writer(dataSource(restored));
        writer.execute("update kemu set ID=?", {"药学"});
    }
    Connection::releaseFile(restored);
    QCOMPARE(std::rename(QFile::encodeName(restored).constData(), QFile::encodeName(dbPath_).constData()), 0);

    QCOMPARE(textOf(connection, "select * from kemu", {}, "ID"), QStringLiteral("药学"));
    Connection another(connectionString_);
    QCOMPARE(textOf(another, "select * from kemu", {}, "ID"), QStringLiteral("药学"));
}

void TestStore::parametersKeepQuotes_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("apostrophe") << "it's";
    QTest::newRow("injection") << "1' or '1'='1";
    QTest::newRow("double quotes") << "say \"hi\"";
    QTest::newRow("statement end and comment") << "a'); delete from sj; --";
    QTest::newRow("chinese quotes") << "中文‘引号’";
    QTest::newRow("empty") << "";
}

void TestStore::parametersKeepQuotes() {
    QFETCH(QString, value);
    Connection connection(connectionString_);

    // Through a statement ...
    QCOMPARE(connection.execute("insert into sj (tid, tg) values (?, ?)", {"x", value}), 1);
    // ... and through a posted row.
    Query paper(connection);
    paper.setSql("select * from sj");
    paper.open();
    paper.insert();
    paper.fieldByName("tid").setAsString("y");
    paper.fieldByName("tg").setAsString(value);
    paper.post();

    Query query(connection);
    query.setSql("select * from sj where tg=? order by tid");
    query.addParam(value);
    query.open();
    QCOMPARE(query.recordCount(), 2);
    QCOMPARE(query.text("tg"), value);
    query.next();
    QCOMPARE(query.text("tg"), value);
    QCOMPARE(countOf(connection, "select * from sj"), 5);
}

void TestStore::injectionTextMatchesNothing() {
    Connection connection(connectionString_);
    QCOMPARE(countOf(connection, "select * from sj where tid=?", {"1"}), 1);
    QCOMPARE(countOf(connection, "select * from sj where tid=?", {"1' or '1'='1"}), 0);
    QCOMPARE(connection.execute("delete from sj where tid=?", {"1' or '1'='1"}), 0);
    QCOMPARE(countOf(connection, "select * from sj"), 3);
}

void TestStore::execSqlCountsChangedRows() {
    Connection connection(connectionString_);
    Query query(connection);
    query.setSql("update question set ct1=''");
    QCOMPARE(query.execSql(), 5);
    query.setSql("delete from sj where lx=?");
    query.addParam("a1");
    QCOMPARE(query.execSql(), 2);
    query.setSql("create table scratch (x)");
    QCOMPARE(query.execSql(), 0);
    query.setSql("select * from nosuchtable");
    EXPECT_STORE_ERROR(query.execSql(), "no such table: nosuchtable");
    query.setSql("delete from sj where tid=?");  // a value missing
    EXPECT_STORE_ERROR(query.execSql(), "placeholder");
}

void TestStore::transactions() {
    Connection writer(connectionString_);
    Connection reader(connectionString_);
    const QString insert =
        QStringLiteral("insert into opinion (id, questionid, code, content) values (?, ?, ?, ?)");

    writer.beginTransaction();
    for (int i = 0; i < 50; ++i) {
        writer.execute(insert, {100 + i, 2, "A", "甲"});
    }
    writer.rollback();
    QCOMPARE(countOf(reader, "select * from opinion"), 2);

    writer.beginTransaction();
    for (int i = 0; i < 50; ++i) {
        writer.execute(insert, {100 + i, 2, "A", "甲"});
    }
    writer.commit();
    QCOMPARE(countOf(reader, "select * from opinion"), 52);

    // Closing drops an unfinished transaction; it is not carried over on the kept handle.
    writer.beginTransaction();
    writer.execute(insert, {200, 2, "B", "乙"});
    writer.close();
    QCOMPARE(countOf(reader, "select * from opinion"), 52);
    reader.beginTransaction();
    reader.commit();
}

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
