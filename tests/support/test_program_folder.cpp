#include "test_program_folder.h"

#include "database_writer.h"
#include "source_reader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QtGlobal>

namespace quorvex::testing {

namespace {

const QString kSourceDir = QStringLiteral(QUORVEX_SOURCE_DIR);

// Picture names in a fixture source are looked up beside the sample bank.
QString pictureFolder() {
    return kSourceDir + QStringLiteral("/resources/sample-bank");
}

// Copies every file under from to the same relative name under to.
void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(file, target)) {
            qFatal("test program folder: cannot copy %s to %s", qPrintable(file), qPrintable(target));
        }
        // Copies of read-only sources must stay writable for the tests that change them.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
}

// The built program folder (Data/med.mdb and pictures) of a source, built once per process: the
// key derivation of an encrypted file is the slow part of a fixture.
QString builtFolderFor(const QByteArray& bankSourceJson) {
    static QTemporaryDir cache;
    if (!cache.isValid()) {
        qFatal("test program folder: cannot create a temporary folder");
    }
    const QString folder = cache.filePath(
        QString::fromLatin1(QCryptographicHash::hash(bankSourceJson, QCryptographicHash::Sha1).toHex()));
    if (QFileInfo::exists(folder + QStringLiteral("/Data/med.mdb"))) {
        return folder;
    }
    const tools::ReadResult source = tools::readBankSource(bankSourceJson, pictureFolder());
    if (!source.ok()) {
        QString problems;
        for (const tools::SourceProblem& problem : source.problems) {
            problems += problem.toString() + QLatin1Char('\n');
        }
        qFatal("test program folder: the bank source is refused:\n%s", qPrintable(problems));
    }
    QString errors;
    QTextStream err(&errors);
    if (!tools::buildBankFolder(source.source, pictureFolder(), folder, err)) {
        qFatal("test program folder: building the bank failed: %s", qPrintable(errors));
    }
    return folder;
}

}  // namespace

TestProgramFolder::TestProgramFolder(const QByteArray& bankSourceJson) {
    if (!dir_.isValid()) {
        qFatal("test program folder: cannot create a temporary folder");
    }
    copyTree(kSourceDir + QStringLiteral("/resources/program"), dir_.path());
    copyTree(builtFolderFor(bankSourceJson), dir_.path());
}

QString TestProgramFolder::path() const {
    return dir_.path() + QLatin1Char('/');
}

QString TestProgramFolder::databasePath() const {
    return path() + QStringLiteral("Data/med.mdb");
}

QByteArray smallBankJson() {
    return QByteArrayLiteral(R"json({
  "format": "quorvex-bank/1",
  "subject": { "name": "职业病", "code": "zyb", "count": "8" },
  "qtypes": [
    { "id": 3, "code": 1, "title": "A1型题：单句型最佳选择题" },
    { "id": 6, "code": 4, "title": "X型题：多项选择题" },
    { "id": 10, "code": 8, "title": "A3/A4型题：每个案例至少有3个提问，每个提问有4-12个备选答案，其中正确答案有一个或多个。" },
    { "id": 11, "code": 9, "title": "B型题配伍选择题" }
  ],
  "examSettings": [2, 1, 1, 1],
  "tree": [
    { "name": "基础知识", "children": [
      { "name": "第一篇 职业卫生概论", "children": [
        { "name": "第一章 职业性有害因素", "groups": [
          { "qtype": 3, "questions": [
            { "content": "下列属于职业性有害因素中物理因素的是",
              "options": ["苯", "噪声", "布鲁氏菌", "矽尘", "铅"],
              "answer": "B", "explain": "噪声属于物理因素；苯、铅为化学因素。" },
            { "content": "下列属于生物性有害因素的是",
              "options": ["紫外线", "一氧化碳", "炭疽杆菌", "振动", "高温"],
              "answer": "C", "explain": "炭疽杆菌属于生物因素。" }
          ] },
          { "qtype": 6, "questions": [
            { "content": "下列属于化学性有害因素的有",
              "options": ["苯", "噪声", "铅", "高温", "汞"],
              "answer": "ACE", "explain": "苯、铅、汞均为化学因素。" }
          ] }
        ] },
        { "name": "第二章 职业病诊断", "groups": [
          { "qtype": 10, "content": "患者，男，45岁，某石英砂厂工人，接尘15年，近来咳嗽、气短。",
            "questions": [
              { "itemnum": "1", "content": "最可能的诊断是",
                "options": ["矽肺", "肺结核", "肺癌", "支气管哮喘"], "answer": "A", "explain": "长期接触游离二氧化硅粉尘。" },
              { "itemnum": "2", "content": "诊断最需要的检查是",
                "options": ["高千伏胸片", "血常规", "肝功能", "心电图"], "answer": "A", "explain": "依据胸片诊断尘肺。" },
              { "itemnum": "3", "content": "应采取的措施有",
                "options": ["调离粉尘作业", "定期复查", "大量饮水", "预防肺部感染"], "answer": "ABD", "explain": "脱离接触并防治并发症。" }
          ] },
          { "qtype": 11, "content": "A．铅  B．汞  C．苯  D．锰  E．镉", "opnum": 5,
            "questions": [
              { "itemnum": "1", "content": "可引起再生障碍性贫血的是", "answer": "C", "explain": "苯抑制骨髓造血。" },
              { "itemnum": "2", "content": "可引起帕金森综合征样表现的是", "answer": "D", "explain": "锰损害锥体外系。" }
          ] }
        ] }
      ] },
      { "name": "第二篇 职业卫生法规" }
    ] },
    { "name": "相关专业知识" }
  ]
}
)json");
}

}  // namespace quorvex::testing
