// The bank tool run in-process: refused sources, what build writes, export round trips, stats, the
// synthetic generator and the command line.

#include "bank_file.h"
#include "bank_stats.h"
#include "bank_tool.h"
#include "source_json.h"
#include "source_reader.h"
#include "store/connection.h"
#include "store/query.h"
#include "store/schema.h"
#include "synthetic_bank.h"
#include "test_program_folder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace quorvex;

namespace {

struct ToolRun {
    int exitCode;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& args) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int exitCode = tools::runBankTool(args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {exitCode, out, err};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), qPrintable(path));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sets the value at a JSON path such as "tree[0].children[1].name"; null removes it.
QJsonValue edited(const QJsonValue& node, const QStringList& steps, int step, const QJsonValue& value) {
    if (step == steps.size()) {
        return value;
    }
    const QString& key = steps.at(step);
    const bool last = step + 1 == steps.size();
    if (key.startsWith(QLatin1Char('['))) {
        QJsonArray array = node.toArray();
        const int index = key.mid(1, key.size() - 2).toInt();
        if (last && value.isNull()) {
            array.removeAt(index);
        } else {
            array[index] = edited(array.at(index), steps, step + 1, value);
        }
        return array;
    }
    QJsonObject object = node.toObject();
    if (last && value.isNull()) {
        object.remove(key);
    } else {
        object[key] = edited(object.value(key), steps, step + 1, value);
    }
    return object;
}

QByteArray withEdits(const QByteArray& json, const QJsonObject& edits) {
    QJsonValue root = QJsonDocument::fromJson(json).object();
    static const QRegularExpression stepPattern(QStringLiteral(R"(\[\d+\]|[^.\[]+)"));
    for (auto it = edits.begin(); it != edits.end(); ++it) {
        QStringList steps;
        for (const QRegularExpressionMatch& match : stepPattern.globalMatch(it.key())) {
            steps.append(match.captured());
        }
        root = edited(root, steps, 0, it.value());
    }
    return QJsonDocument(root.toObject()).toJson();
}

// Every row of every bank table in stored order, each field as text ("<null>" for NULL).
using Tables = QMap<QString, QList<QStringList>>;

Tables readTables(const QString& databasePath) {
    store::Connection connection(tools::connectionStringForFile(databasePath));
    Tables tables;
    for (const QString& table : store::bankTableNames()) {
        store::Query query(connection);
        query.setSql(QStringLiteral("select * from ") + table + QStringLiteral(" order by rowid"));
        query.open();
        for (query.first(); !query.eof(); query.next()) {
            QStringList row;
            for (const QString& field : query.fieldNames()) {
                const store::Field value = query.fieldByName(field);
                row.append(value.isNull() ? QStringLiteral("<null>") : value.asString());
            }
            tables[table].append(row);
        }
    }
    connection.close();
    return tables;
}

QList<QStringList> rows(const QString& databasePath, const QString& sql) {
    store::Connection connection(tools::connectionStringForFile(databasePath));
    store::Query query(connection);
    query.setSql(sql);
    query.open();
    QList<QStringList> result;
    for (query.first(); !query.eof(); query.next()) {
        QStringList row;
        for (const QString& field : query.fieldNames()) {
            const store::Field value = query.fieldByName(field);
            row.append(value.isNull() ? QStringLiteral("<null>") : value.asString());
        }
        result.append(row);
    }
    connection.close();
    return result;
}

// Paths into the small bank.
const QString kChapter1 = QStringLiteral("tree[0].children[0].children[0]");
const QString kChapter2 = QStringLiteral("tree[0].children[0].children[1]");
const QString kSingle = kChapter1 + QStringLiteral(".groups[0].questions[0]");    // code 1, five options
const QString kMultiple = kChapter1 + QStringLiteral(".groups[1].questions[0]");  // code 4, answer ACE
const QString kCase = kChapter2 + QStringLiteral(".groups[0]");                   // code 8, four options each
const QString kShared = kChapter2 + QStringLiteral(".groups[1]");                 // code 9, opnum 5

// Explicit ids on all six tree nodes of the small bank, in pre-order.
QJsonObject treeIds(const QList<int>& ids) {
    const QStringList nodes = {QStringLiteral("tree[0]"),
                               QStringLiteral("tree[0].children[0]"),
                               kChapter1,
                               kChapter2,
                               QStringLiteral("tree[0].children[1]"),
                               QStringLiteral("tree[1]")};
    QJsonObject edits;
    for (int i = 0; i < nodes.size(); ++i) {
        edits.insert(nodes.at(i) + QStringLiteral(".id"), ids.at(i));
    }
    return edits;
}

}  // namespace

class TestBankTool : public QObject {
    Q_OBJECT

  private slots:
    void refusedSource_data();
    void refusedSource();
    void buildWritesEveryTable();
    void buildNumbersIds_data();
    void buildNumbersIds();
    void roundTrip_data();
    void roundTrip();
    void stats();
    void generatedBank();
    void commandLine_data();
    void commandLine();
    void preview_data();
    void preview();

  private:
    QTemporaryDir temp_;
};

void TestBankTool::refusedSource_data() {
    QTest::addColumn<QJsonObject>("edits");       // path -> new value (null removes) on the small bank
    QTest::addColumn<QByteArray>("replacement");  // whole source text instead, when not empty
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");

    const auto row = [](const char* name, const QJsonObject& edits, const QString& path, const char* reason) {
        QTest::newRow(name) << edits << QByteArray() << path << QString::fromUtf8(reason);
    };
    const auto set = [](const QString& path, const QJsonValue& value) { return QJsonObject{{path, value}}; };

    QTest::newRow("not JSON") << QJsonObject()
                              << QByteArray("{\"format\": \"quorvex-bank/1\",\n  \"tree\": [")
                              << tools::kDocumentPath << QStringLiteral("JSON");
    row("wrong format", set("format", "quorvex-bank/2"), "format", "wrong format");
    row("missing subject name", set("subject.name", QJsonValue::Null), "subject.name", "missing");
    row("count as a number", set("subject.count", 8), "subject.count", "text");
    row("misspelt field", set(kSingle + ".explian", "x"), kSingle + ".explian", "unknown field");
    row("exam setting above 50", set("examSettings[1]", 51), "examSettings[1]", "0 to 50");
    row("negative exam setting", set("examSettings[0]", -1), "examSettings[0]", "0 to 50");
    row("fractional exam setting", set("examSettings[0]", 2.5), "examSettings[0]", "whole number");
    row("three exam settings", set("examSettings", QJsonArray{1, 2, 3}), "examSettings", "four");
    row("duplicate qtype id", set("qtypes[1].id", 3), "qtypes[1].id", "duplicate");
    row("tree not an array", set("tree", QJsonObject()), "tree", "array");
    row("fourth tree level", set(kChapter1 + ".children", QJsonArray{QJsonObject{{"name", "第一节"}}}),
        kChapter1 + ".children", "three levels");
    row("groups on a section",
        set("tree[0].children[1].groups", QJsonArray{QJsonObject{{"qtype", 3}, {"questions", QJsonArray()}}}),
        "tree[0].children[1].groups", "chapters");
    row("groups on a root", set("tree[1].groups", QJsonArray()), "tree[1].groups", "chapters");
    row("qtype not in qtypes", set(kChapter1 + ".groups[0].qtype", 99), kChapter1 + ".groups[0].qtype",
        "not in qtypes");
    row("question not an object", set(kChapter1 + ".groups[0].questions[1]", "text"),
        kChapter1 + ".groups[0].questions[1]", "object");
    row("question without options", set(kSingle + ".options", QJsonValue::Null), kSingle + ".options",
        "missing");
    row("empty answer", set(kSingle + ".answer", ""), kSingle + ".answer", "empty");
    row("letter beyond the options", set(kSingle + ".answer", "F"), kSingle + ".answer",
        "not one of the question's options");
    row("lower-case letter", set(kSingle + ".answer", "b"), kSingle + ".answer",
        "not one of the question's options");
    row("letter beyond a case question's options", set(kCase + ".questions[0].answer", "E"),
        kCase + ".questions[0].answer", "not one of the question's options");
    row("repeated letter", set(kMultiple + ".answer", "AAC"), kMultiple + ".answer", "repeated");
    row("letters out of order", set(kMultiple + ".answer", "CA"), kMultiple + ".answer", "option order");
    row("two letters for code 1", set(kSingle + ".answer", "BC"), kSingle + ".answer", "one letter");
    row("code 9 without opnum", set(kShared + ".opnum", QJsonValue::Null), kShared + ".opnum", "missing");
    row("code 9 opnum 16", set(kShared + ".opnum", 16), kShared + ".opnum", "1 to 15");
    row("code 9 opnum 0", set(kShared + ".opnum", 0), kShared + ".opnum", "1 to 15");
    row("code 9 letter beyond opnum", set(kShared + ".questions[0].answer", "F"),
        kShared + ".questions[0].answer", "first 5 letters");
    row("code 9 two letters", set(kShared + ".questions[0].answer", "CD"), kShared + ".questions[0].answer",
        "one letter");
    row("code 9 question with options", set(kShared + ".questions[0].options", QJsonArray{"铅", "汞"}),
        kShared + ".questions[0].options", "code 9");
    row("missing picture", set(kSingle + ".picture", "tp/missing.png"), kSingle + ".picture",
        "does not exist");
    row("picture outside the source folder", set(kSingle + ".picture", "../bank.json"), kSingle + ".picture",
        "inside the source's folder");
    row("id on one tree node only", set("tree[1].id", 7), "tree[0]", "all or none");
    row("duplicate tree ids", treeIds({1, 2, 3, 4, 5, 3}), "tree[1].id", "duplicate id 3");
    row("tree id 0", treeIds({1, 2, 3, 4, 5, 0}), "tree[1].id", "positive");
}

// Each refused source names the place and the reason, and neither check nor build writes anything.
void TestBankTool::refusedSource() {
    QFETCH(QJsonObject, edits);
    QFETCH(QByteArray, replacement);
    QFETCH(QString, path);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("src/bank.json"));
    writeFile(source, replacement.isEmpty() ? withEdits(testing::smallBankJson(), edits) : replacement);

    const ToolRun check = runTool({QStringLiteral("check"), source});
    QCOMPARE(check.exitCode, int(tools::kExitFailed));
    const QStringList lines = check.err.split(QLatin1Char('\n'));
    const bool named = std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
        return line.startsWith(path + QStringLiteral(": ")) && line.contains(reason);
    });
    QVERIFY2(named,
             qPrintable(QStringLiteral("expected \"%1: ...%2...\" in:\n%3").arg(path, reason, check.err)));

    // A new folder is not even created; an existing bank is left byte for byte.
    const QString absent = dir.filePath(QStringLiteral("absent"));
    QCOMPARE(runTool({QStringLiteral("build"), source, QStringLiteral("-o"), absent}).exitCode,
             int(tools::kExitFailed));
    QVERIFY(!QFileInfo::exists(absent));

    const QString existing = dir.filePath(QStringLiteral("existing"));
    writeFile(existing + QStringLiteral("/Data/med.mdb"), "old bank");
    QCOMPARE(runTool({QStringLiteral("build"), source, QStringLiteral("-o"), existing}).exitCode,
             int(tools::kExitFailed));
    QCOMPARE(readFile(existing + QStringLiteral("/Data/med.mdb")), QByteArray("old bank"));
    QCOMPARE(QDir(existing + QStringLiteral("/Data"))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("med.mdb")});
    QCOMPARE(QDir(existing).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Data")});
}

// Build over an old file: every table as the program reads it, an encrypted file, no leftovers.
void TestBankTool::buildWritesEveryTable() {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("bank.json"));
    writeFile(source, withEdits(testing::smallBankJson(),
                                {{kSingle + QStringLiteral(".picture"), "tp/物理因素.png"}}));
    writeFile(dir.filePath(QStringLiteral("tp/物理因素.png")), "picture bytes");
    const QString folder = dir.filePath(QStringLiteral("program"));
    writeFile(folder + QStringLiteral("/Data/med.mdb"), "old bank");

    const ToolRun build = runTool({QStringLiteral("build"), source, QStringLiteral("-o"), folder});
    QVERIFY2(build.exitCode == tools::kExitOk, qPrintable(build.err));
    QCOMPARE(QDir(folder + QStringLiteral("/Data"))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("med.mdb")});
    QCOMPARE(readFile(folder + QStringLiteral("/tp/物理因素.png")), QByteArray("picture bytes"));
    const QByteArray header = readFile(folder + QStringLiteral("/Data/med.mdb")).left(16);
    QCOMPARE(header.size(), 16);
    QVERIFY(header != QByteArray("SQLite format 3\0", 16));

    const Tables tables = readTables(folder + QStringLiteral("/Data/med.mdb"));
    QCOMPARE(tables.value("kemu"), (QList<QStringList>{{"职业病", "zyb"}}));
    QCOMPARE(tables.value("geshu"), (QList<QStringList>{{"8"}}));
    QCOMPARE(tables.value("ts"),
             (QList<QStringList>{{"2", "2"}, {"1", "<null>"}, {"1", "<null>"}, {"1", "<null>"}}));
    QCOMPARE(tables.value("qtype").size(), 4);
    QCOMPARE(tables.value("qtype").at(3), (QStringList{"11", "9", "B型题配伍选择题"}));
    QVERIFY(tables.value("sj").isEmpty());
    QVERIFY(tables.value("fenshu").isEmpty());

    const QString db = folder + QStringLiteral("/Data/med.mdb");
    QCOMPARE(rows(db, "select id, treeid, qtypeid, content, opnum, itemnum from readtext where id=4"),
             (QList<QStringList>{{"4", "4", "11", "A．铅  B．汞  C．苯  D．锰  E．镉", "5", ""}}));
    QCOMPARE(rows(db, "select opnum from readtext where id=1"), (QList<QStringList>{{"<null>"}}));
    QCOMPARE(rows(db,
                  "select readtextid, content, answer, explain, picurl, itemnum, lx, scbt, ct, ct1 "
                  "from question where id=1"),
             (QList<QStringList>{{"1", "下列属于职业性有害因素中物理因素的是", "B",
                                  "噪声属于物理因素；苯、铅为化学因素。", "tp/物理因素.png", "", "", "", "",
                                  ""}}));
    QCOMPARE(rows(db, "select itemnum, answer from question where readtextid=3"),
             (QList<QStringList>{{"1", "A"}, {"2", "A"}, {"3", "ABD"}}));
    QCOMPARE(rows(db, "select code, content from opinion where questionid=3"),
             (QList<QStringList>{{"A", "苯"}, {"B", "噪声"}, {"C", "铅"}, {"D", "高温"}, {"E", "汞"}}));
    QCOMPARE(rows(db, "select count(*) from opinion where questionid in (7, 8)"),
             (QList<QStringList>{{"0"}}));
    QCOMPARE(rows(db, "select scbt, ct from tree where id=3"), (QList<QStringList>{{"", ""}}));
}

void TestBankTool::buildNumbersIds_data() {
    QTest::addColumn<QJsonObject>("edits");
    QTest::addColumn<QList<QStringList>>("tree");  // id, parentid, code, nodename in stored order

    QTest::newRow("numbered in pre-order") << QJsonObject()
                                           << QList<QStringList>{{"1", "0", "1", "基础知识"},
                                                                 {"2", "1", "0", "第一篇 职业卫生概论"},
                                                                 {"3", "2", "0", "第一章 职业性有害因素"},
                                                                 {"4", "2", "0", "第二章 职业病诊断"},
                                                                 {"5", "1", "0", "第二篇 职业卫生法规"},
                                                                 {"6", "0", "1", "相关专业知识"}};
    QTest::newRow("explicit ids kept") << treeIds({60, 50, 40, 30, 20, 10})
                                       << QList<QStringList>{{"60", "0", "1", "基础知识"},
                                                             {"50", "60", "0", "第一篇 职业卫生概论"},
                                                             {"40", "50", "0", "第一章 职业性有害因素"},
                                                             {"30", "50", "0", "第二章 职业病诊断"},
                                                             {"20", "60", "0", "第二篇 职业卫生法规"},
                                                             {"10", "0", "1", "相关专业知识"}};
}

// Without ids every kind is numbered 1, 2, 3 ... in document order; rows go in in that order.
void TestBankTool::buildNumbersIds() {
    QFETCH(QJsonObject, edits);
    QFETCH(QList<QStringList>, tree);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("bank.json"));
    writeFile(source, withEdits(testing::smallBankJson(), edits));
    const ToolRun build = runTool({QStringLiteral("build"), source, QStringLiteral("-o"), dir.path()});
    QVERIFY2(build.exitCode == tools::kExitOk, qPrintable(build.err));
    const QString db = dir.filePath(QStringLiteral("Data/med.mdb"));

    QCOMPARE(rows(db, "select id, parentid, code, nodename from tree order by rowid"), tree);
    QCOMPARE(rows(db, "select id, treeid, qtypeid from readtext order by rowid"),
             (QList<QStringList>{{"1", tree[2][0], "3"},
                                 {"2", tree[2][0], "6"},
                                 {"3", tree[3][0], "10"},
                                 {"4", tree[3][0], "11"}}));
    QCOMPARE(
        rows(db, "select id, readtextid from question order by rowid"),
        (QList<QStringList>{
            {"1", "1"}, {"2", "1"}, {"3", "2"}, {"4", "3"}, {"5", "3"}, {"6", "3"}, {"7", "4"}, {"8", "4"}}));
    // Options: questions 1 to 3 have five, the case questions four, the code-9 questions none.
    QList<QStringList> options;
    const int optionCounts[] = {5, 5, 5, 4, 4, 4};
    for (int question = 1; question <= 6; ++question) {
        for (int letter = 0; letter < optionCounts[question - 1]; ++letter) {
            options.append({QString::number(options.size() + 1), QString::number(question),
                            QString(QChar('A' + letter))});
        }
    }
    QCOMPARE(rows(db, "select id, questionid, code from opinion order by rowid"), options);
}

void TestBankTool::roundTrip_data() {
    QTest::addColumn<QByteArray>("json");     // written to a temporary source folder
    QTest::addColumn<QString>("sourceFile");  // or a source file used where it is
    QTest::addColumn<QString>("picture");     // a picture to create beside the written source

    QTest::newRow("small bank with a picture")
        << withEdits(testing::smallBankJson(),
                     {{kCase + QStringLiteral(".questions[1].picture"), "tp/x/胸片.png"}})
        << QString() << QStringLiteral("tp/x/胸片.png");
    QTest::newRow("generated bank") << tools::generateSyntheticBank({2, 2, 3, 25}).toJson() << QString()
                                    << QString();
    QTest::newRow("sample bank") << QByteArray()
                                 << QStringLiteral(QUORVEX_SOURCE_DIR "/resources/sample-bank/bank.json")
                                 << QString();
}

// build -> export -> build gives the same tables, and export of the second build the same source.
void TestBankTool::roundTrip() {
    QFETCH(QByteArray, json);
    QFETCH(QString, sourceFile);
    QFETCH(QString, picture);

    QTemporaryDir dir;
    if (sourceFile.isEmpty()) {
        sourceFile = dir.filePath(QStringLiteral("source/bank.json"));
        writeFile(sourceFile, json);
        if (!picture.isEmpty()) {
            writeFile(dir.filePath(QStringLiteral("source/") + picture), "picture bytes");
        }
    } else if (!QFileInfo::exists(sourceFile)) {
        QSKIP("resources/sample-bank/bank.json is not there yet");
    }

    const QString first = dir.filePath(QStringLiteral("first"));
    const QString exported = dir.filePath(QStringLiteral("exported/bank.json"));
    const QString second = dir.filePath(QStringLiteral("second"));
    const QString again = dir.filePath(QStringLiteral("again/bank.json"));
    for (const QStringList& args : {QStringList{"build", sourceFile, "-o", first},
                                    QStringList{"export", first + "/Data/med.mdb", "-o", exported},
                                    QStringList{"build", exported, "-o", second},
                                    QStringList{"export", second + "/Data/med.mdb", "-o", again}}) {
        const ToolRun run = runTool(args);
        QVERIFY2(run.exitCode == tools::kExitOk && run.err.isEmpty(),
                 qPrintable(args.join(' ') + ":\n" + run.err));
    }

    const Tables before = readTables(first + QStringLiteral("/Data/med.mdb"));
    const Tables after = readTables(second + QStringLiteral("/Data/med.mdb"));
    QVERIFY(!before.value("question").isEmpty());
    for (const QString& table : store::bankTableNames()) {
        QCOMPARE(after.value(table), before.value(table));
    }
    QCOMPARE(readFile(again), readFile(exported));
    if (!picture.isEmpty()) {
        QCOMPARE(readFile(second + QLatin1Char('/') + picture), QByteArray("picture bytes"));
    }
}

void TestBankTool::stats() {
    testing::TestProgramFolder folder(testing::smallBankJson());
    const ToolRun run = runTool({QStringLiteral("stats"), folder.databasePath()});
    QVERIFY2(run.exitCode == tools::kExitOk, qPrintable(run.err));
    QCOMPARE(run.out.split(QLatin1Char('\n')),
             QStringList({"roots: 2", "sections: 2", "chapters: 2", "groups: 4", "questions: 8",
                          "options: 27", "qtype 3 (code 1, A1型题：单句型最佳选择题): 1 groups, 2 questions",
                          "qtype 6 (code 4, X型题：多项选择题): 1 groups, 1 questions",
                          "qtype 10 (code 8, A3/A4型题：每个案例至少有3个提问，每个提问有4-12个备选答案，"
                          "其中正确答案有一个或多个。): 1 groups, 3 questions",
                          "qtype 11 (code 9, B型题配伍选择题): 1 groups, 2 questions",
                          "a1 questions (qtypeid 3-5): 2", "a2 questions (qtypeid 6-9): 1",
                          "a3 cases (qtypeid 10): 1", "a4 groups (qtypeid 11): 1", ""}));
}

// The generator's shape: every chapter covers the codes 1 to 9, cases of three, shared lists of five.
void TestBankTool::generatedBank() {
    const tools::SyntheticBankShape shape{2, 3, 4, 20};
    const QByteArray json = tools::generateSyntheticBank(shape).toJson();
    QCOMPARE(tools::generateSyntheticBank(shape).toJson(), json);

    const tools::ReadResult read = tools::readBankSource(json, temp_.path());
    QVERIFY(read.ok());
    const tools::BankSize size = tools::sizeOf(read.source);
    QCOMPARE(size.roots, 2);
    QCOMPARE(size.sections, 6);
    QCOMPARE(size.chapters, 24);
    QCOMPARE(size.questions, 24 * 20);
    QCOMPARE(read.source.subjectCount, QStringLiteral("480"));

    tools::forEachNode(read.source.tree, [](const tools::SourceNode& node, int level) {
        if (level != 3) {
            return;
        }
        QSet<qint64> qtypes;
        int questions = 0;
        for (const tools::SourceGroup& group : node.groups) {
            qtypes.insert(group.qtype);
            questions += static_cast<int>(group.questions.size());
            for (const tools::SourceQuestion& question : group.questions) {
                QCOMPARE(question.options.size(), size_t(group.qtype == 11 ? 0 : 5));
            }
            if (group.qtype == 10) {
                QCOMPARE(group.questions.size(), size_t(3));
            }
            QVERIFY(group.opnum == (group.qtype == 11 ? std::optional<int>(5) : std::nullopt));
        }
        QCOMPARE(qtypes, (QSet<qint64>{3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QCOMPARE(questions, 20);
    });

    // The paper candidates of one chapter of 20: codes 1-3 take 3 + 2 + 2, codes 4-7 2 each.
    const QString source = temp_.filePath(QStringLiteral("generated/bank.json"));
    QCOMPARE(runTool({"generate", "-o", source, "--roots=1", "--sections", "1", "--chapters", "1",
                      "--questions", "20"})
                 .exitCode,
             int(tools::kExitOk));
    const QString folder = temp_.filePath(QStringLiteral("generated"));
    QCOMPARE(runTool({"build", source, "-o", folder}).exitCode, int(tools::kExitOk));
    store::Connection connection(tools::connectionStringForFile(folder + QStringLiteral("/Data/med.mdb")));
    const tools::BankStats stats = tools::collectBankStats(connection);
    QCOMPARE(stats.questions, 20);
    QCOMPARE(stats.a1Questions, 7);
    QCOMPARE(stats.a2Questions, 8);
    QCOMPARE(stats.a3Cases, 1);
    QCOMPARE(stats.a4Groups, 1);
}

void TestBankTool::commandLine_data() {
    QTest::addColumn<QStringList>("args");  // @json: a valid source, @out: a new path
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text");  // expected in err (or in out when the exit code is 0)

    QTest::newRow("help") << QStringList{"--help"} << 0 << "generate -o SOURCE.json";
    QTest::newRow("no arguments") << QStringList{} << 2 << "Usage: quorvex-bank";
    QTest::newRow("unknown command") << QStringList{"compile", "@json"} << 2 << "unknown command 'compile'";
    QTest::newRow("unknown option") << QStringList{"check", "@json", "--fast"} << 2
                                    << "unknown option '--fast'";
    QTest::newRow("build without -o") << QStringList{"build", "@json"} << 2 << "needs -o";
    QTest::newRow("export without -o") << QStringList{"export", "@json"} << 2 << "needs -o";
    QTest::newRow("generate without -o") << QStringList{"generate", "--roots", "1"} << 2 << "needs -o";
    QTest::newRow("-o without a value") << QStringList{"build", "@json", "-o"} << 2 << "needs a value";
    QTest::newRow("check without a file") << QStringList{"check"} << 2 << "takes 1 file argument";
    QTest::newRow("missing source") << QStringList{"check", "/no/such/bank.json"} << 2 << "no such file";
    QTest::newRow("missing database") << QStringList{"stats", "/no/such/med.mdb"} << 2 << "no such file";
    QTest::newRow("bad shape") << QStringList{"generate", "-o", "@out", "--roots", "many"} << 2
                               << "whole number";
    QTest::newRow("stats of a file that is not a bank")
        << QStringList{"stats", "@json"} << 1 << "cannot open";
    QTest::newRow("preview without --chapter")
        << QStringList{"preview", "@db", "-o", "@out"} << 2 << "needs --chapter ID";
    QTest::newRow("preview of an unknown view")
        << QStringList{"preview", "@db", "--chapter", "3", "--view", "all", "-o", "@out"} << 2
        << "--view is exercise, favourites or wrong";
    QTest::newRow("preview of a missing chapter")
        << QStringList{"preview", "@db", "--chapter", "99", "-o", "@out"} << 1 << "no chapter with id 99";
    QTest::newRow("check of a good source")
        << QStringList{"check", "@json"} << 0
        << "ok, 2 roots, 2 sections, 2 chapters, 4 groups, 8 questions, 27 options";
}

void TestBankTool::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, text);

    const QString json = temp_.filePath(QStringLiteral("good.json"));
    writeFile(json, testing::smallBankJson());
    args.replaceInStrings(QStringLiteral("@json"), json);
    args.replaceInStrings(QStringLiteral("@out"), temp_.filePath(QStringLiteral("out.json")));
    std::optional<testing::TestProgramFolder> folder;
    if (args.contains(QStringLiteral("@db"))) {
        folder.emplace(testing::smallBankJson());
        args.replaceInStrings(QStringLiteral("@db"), folder->databasePath());
    }

    const ToolRun run = runTool(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? run.out : run.err).contains(text), qPrintable(run.out + run.err));
    QVERIFY(!QFileInfo::exists(temp_.filePath(QStringLiteral("out.json"))));
}

// The page an author opens: the program's page file with the chapter's fragments before </body>.
void TestBankTool::preview_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("exercise") << "exercise"
                              << QStringList{"'fan1'>1. 下列属于职业性有害因素中物理因素的是",
                                             "'fan2'>2. 下列属于生物性有害因素的是",
                                             "<b>X型题：多项选择题</b>"}
                              << QStringList{};
    QTest::newRow("favourites") << "favourites" << QStringList{"'fan2'>1. 下列属于生物性有害因素的是"}
                                << QStringList{"'fan1'", "<b>X型题：多项选择题</b>"};
    QTest::newRow("wrong") << "wrong" << QStringList{} << QStringList{"'fan1'", "'fan2'", "<b>"};
}

void TestBankTool::preview() {
    QFETCH(QString, view);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    testing::TestProgramFolder folder(testing::smallBankJson());
    {
        store::Connection connection(tools::connectionStringForFile(folder.databasePath()));
        connection.execute(QStringLiteral("update question set scbt='1' where id=2"));
    }
    const QString page = folder.path() + QStringLiteral("preview.html");
    const ToolRun run =
        runTool({"preview", folder.databasePath(), "--chapter", "3", "--view", view, "-o", page});
    QVERIFY2(run.exitCode == tools::kExitOk, qPrintable(run.err));

    const QString pageFile = QString::fromUtf8(readFile(folder.path() + QStringLiteral("ty.html")));
    const QString written = QString::fromUtf8(readFile(page));
    const qsizetype bodyEnd = pageFile.lastIndexOf(QStringLiteral("</body>"), -1, Qt::CaseInsensitive);
    QVERIFY(bodyEnd > 0);
    QVERIFY(written.startsWith(pageFile.left(bodyEnd)));
    QVERIFY(written.endsWith(pageFile.mid(bodyEnd)));
    const QString inserted = written.mid(bodyEnd, written.size() - pageFile.size());
    for (const QString& text : shown) {
        QVERIFY2(inserted.contains(text), qPrintable(text));
    }
    for (const QString& text : hidden) {
        QVERIFY2(!inserted.contains(text), qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(TestBankTool)
#include "test_bank_tool.moc"
