#include "database_writer.h"

#include "bank_file.h"
#include "store/connection.h"
#include "store/store_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QVariant>

namespace quorvex::tools {

namespace {

const QString kEmpty = QStringLiteral("");

class DatabaseWriter {
  public:
    DatabaseWriter(const BankSource& source, store::Connection& connection, const WriteProgress& progress)
        : source_(source), connection_(connection), progress_(progress), total_(sizeOf(source).questions) {}

    void write() {
        connection_.execute(QStringLiteral("insert into kemu (ID, mz) values (?, ?)"),
                            {source_.subjectName, source_.subjectCode});
        connection_.execute(QStringLiteral("insert into geshu (kemugeshu) values (?)"),
                            {source_.subjectCount});
        for (const SourceQtype& qtype : source_.qtypes) {
            connection_.execute(QStringLiteral("insert into qtype (id, code, title) values (?, ?, ?)"),
                                {qtype.id, qtype.code, qtype.title});
        }
        // Row 1 also keeps the configured a1 count in fg; the other rows leave fg empty.
        for (size_t row = 0; row < source_.examSettings.size(); ++row) {
            const QString txs = QString::number(source_.examSettings[row]);
            connection_.execute(QStringLiteral("insert into ts (txs, fg) values (?, ?)"),
                                {txs, row == 0 ? QVariant(txs) : QVariant()});
        }
        writeNodes(source_.tree, 0, 1);
    }

  private:
    void writeNodes(const std::vector<SourceNode>& nodes, qint64 parentId, int level) {
        for (const SourceNode& node : nodes) {
            connection_.execute(
                QStringLiteral(
                    "insert into tree (id, nodename, parentid, code, scbt, ct) values (?, ?, ?, ?, ?, ?)"),
                {node.id, node.name, parentId, level == 1 ? 1 : 0, kEmpty, kEmpty});
            writeNodes(node.children, node.id, level + 1);
            for (const SourceGroup& group : node.groups) {
                writeGroup(group, node.id);
            }
        }
    }

    void writeGroup(const SourceGroup& group, qint64 treeId) {
        connection_.execute(QStringLiteral("insert into readtext (id, treeid, qtypeid, content, opnum, "
                                           "itemnum) values (?, ?, ?, ?, ?, ?)"),
                            {group.id, treeId, group.qtype, group.content,
                             group.opnum ? QVariant(*group.opnum) : QVariant(), group.itemnum});
        for (const SourceQuestion& question : group.questions) {
            connection_.execute(
                QStringLiteral("insert into question (id, readtextid, content, answer, \"explain\", "
                               "picurl, itemnum, lx, scbt, ct, ct1) "
                               "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {question.id, group.id, question.content, question.answer, question.explain, question.picture,
                 question.itemnum, kEmpty, kEmpty, kEmpty, kEmpty});
            for (size_t i = 0; i < question.options.size(); ++i) {
                const SourceOption& option = question.options[i];
                connection_.execute(
                    QStringLiteral("insert into opinion (id, questionid, code, content) values (?, ?, ?, ?)"),
                    {option.id, question.id, QString(optionLetter(static_cast<int>(i))), option.content});
            }
            ++written_;
            if (progress_) {
                progress_(written_, total_);
            }
        }
    }

    const BankSource& source_;
    store::Connection& connection_;
    const WriteProgress& progress_;
    const int total_;
    int written_ = 0;
};

// Every distinct picture name of the source, in document order.
QStringList pictureNames(const BankSource& source) {
    QStringList names;
    QSet<QString> seen;
    forEachNode(source.tree, [&](const SourceNode& node, int) {
        for (const SourceGroup& group : node.groups) {
            for (const SourceQuestion& question : group.questions) {
                const QString name = QDir::cleanPath(question.picture);
                if (!question.picture.trimmed().isEmpty() && !seen.contains(name)) {
                    seen.insert(name);
                    names.append(name);
                }
            }
        }
    });
    return names;
}

bool copyPictures(const BankSource& source, const QString& pictureFolder, const QString& outputFolder,
                  QTextStream& err) {
    const QDir from(pictureFolder);
    const QDir to(outputFolder);
    for (const QString& name : pictureNames(source)) {
        const QString sourceFile = from.absoluteFilePath(name);
        const QString targetFile = to.absoluteFilePath(name);
        if (QFileInfo(sourceFile).canonicalFilePath() == QFileInfo(targetFile).canonicalFilePath()) {
            continue;  // building into the source's own folder
        }
        QString error;
        if (!copyFileReplacing(sourceFile, targetFile, &error)) {
            err << "error: " << error << Qt::endl;
            return false;
        }
    }
    return true;
}

}  // namespace

void writeBankDatabase(const BankSource& source, const QString& filePath, const WriteProgress& progress) {
    store::Connection::createDatabase(filePath);
    store::Connection connection(connectionStringForFile(filePath));
    connection.open();
    connection.beginTransaction();
    try {
        DatabaseWriter(source, connection, progress).write();
        connection.commit();
    } catch (...) {
        try {
            connection.rollback();
        } catch (const store::StoreError&) {
            // The first failure is the one worth reporting.
        }
        connection.close();
        store::Connection::releaseFile(filePath);
        throw;
    }
    connection.close();
    // Let go of the engine handle kept for the file, so nothing holds it when it is renamed.
    store::Connection::releaseFile(filePath);
}

bool buildBankFolder(const BankSource& source, const QString& pictureFolder, const QString& outputFolder,
                     QTextStream& err, const WriteProgress& progress) {
    const QString dataFolder = QDir(outputFolder).absoluteFilePath(QStringLiteral("Data"));
    if (!QDir().mkpath(dataFolder)) {
        err << "error: cannot create the folder " << dataFolder << Qt::endl;
        return false;
    }
    const QString target = dataFolder + QStringLiteral("/med.mdb");
    const QString temporary = temporaryNameBeside(target);
    const auto discard = [&temporary]() {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
    };
    try {
        writeBankDatabase(source, temporary, progress);
    } catch (const store::StoreError& error) {
        err << "error: writing the database failed: " << error.message() << Qt::endl;
        discard();
        return false;
    }
    if (!copyPictures(source, pictureFolder, outputFolder, err)) {
        discard();
        return false;
    }
    QString error;
    if (!renameReplacing(temporary, target, &error)) {
        err << "error: " << error << Qt::endl;
        discard();
        return false;
    }
    // A handle this process kept on the old file must not serve the new one.
    store::Connection::releaseFile(target);
    return true;
}

}  // namespace quorvex::tools
