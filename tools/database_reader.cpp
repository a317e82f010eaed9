#include "database_reader.h"

#include "store/connection.h"
#include "store/query.h"

#include <QHash>
#include <QSet>

namespace quorvex::tools {

namespace {

// Keys are read as text and converted here, so that an empty or null key reads as 0 instead of
// failing the whole export.
qint64 number(store::Query& query, const QString& field) {
    return query.text(field).trimmed().toLongLong();
}

// Calls read(query) for every row of a table in stored order (the order the rows were inserted).
template <typename Read>
void forEachRow(store::Connection& connection, const QString& table, Read&& read) {
    store::Query query(connection);
    query.setSql(QStringLiteral("select * from ") + table + QStringLiteral(" order by rowid"));
    query.open();
    for (query.first(); !query.eof(); query.next()) {
        read(query);
    }
    query.close();
}

struct TreeRow {
    qint64 id;
    QString name;
    qint64 parentId;
    bool root;
};

class DatabaseReader {
  public:
    explicit DatabaseReader(store::Connection& connection) : connection_(connection) {}

    DatabaseContent read() {
        BankSource& source = content_.source;
        forEachRow(connection_, QStringLiteral("kemu"), [&](store::Query& row) {
            if (row.recNo() == 1) {
                source.subjectName = row.text(QStringLiteral("ID"));
                source.subjectCode = row.text(QStringLiteral("mz"));
            }
        });
        forEachRow(connection_, QStringLiteral("geshu"), [&](store::Query& row) {
            if (row.recNo() == 1) {
                source.subjectCount = row.text(QStringLiteral("kemugeshu"));
            }
        });
        forEachRow(connection_, QStringLiteral("qtype"), [&](store::Query& row) {
            source.qtypes.push_back({number(row, QStringLiteral("id")), number(row, QStringLiteral("code")),
                                     row.text(QStringLiteral("title"))});
        });
        readExamSettings();
        readTree();
        return std::move(content_);
    }

  private:
    void warn(const QString& text) { content_.warnings.append(text); }

    void readExamSettings() {
        int rows = 0;
        forEachRow(connection_, QStringLiteral("ts"), [&](store::Query& row) {
            ++rows;
            if (rows <= 4) {
                bool ok = false;
                const int value = row.text(QStringLiteral("txs")).trimmed().toInt(&ok);
                if (!ok || value < 0 || value > 50) {
                    warn(QStringLiteral("ts row %1: txs \"%2\" is not a number from 0 to 50; written as 0")
                             .arg(rows)
                             .arg(row.text(QStringLiteral("txs"))));
                }
                content_.source.examSettings[static_cast<size_t>(rows - 1)] =
                    ok && value >= 0 && value <= 50 ? value : 0;
            }
        });
        if (rows != 4) {
            warn(QStringLiteral("ts has %1 rows instead of 4").arg(rows));
        }
    }

    void readTree() {
        std::vector<TreeRow> rows;
        QHash<qint64, std::vector<size_t>> childrenOf;
        forEachRow(connection_, QStringLiteral("tree"), [&](store::Query& row) {
            rows.push_back({number(row, QStringLiteral("id")), row.text(QStringLiteral("nodename")),
                            number(row, QStringLiteral("parentid")),
                            row.text(QStringLiteral("code")).trimmed() == QLatin1String("1")});
            if (!rows.back().root) {
                childrenOf[rows.back().parentId].push_back(rows.size() - 1);
            }
        });
        readGroups();

        QSet<size_t> placed;
        const auto makeNode = [&](size_t index) {
            placed.insert(index);
            SourceNode node;
            node.id = rows[index].id;
            node.name = rows[index].name;
            return node;
        };
        for (size_t r = 0; r < rows.size(); ++r) {
            if (!rows[r].root) {
                continue;
            }
            SourceNode root = makeNode(r);
            for (const size_t s : childrenOf.value(root.id)) {
                SourceNode section = makeNode(s);
                for (const size_t c : childrenOf.value(section.id)) {
                    SourceNode chapter = makeNode(c);
                    chapter.groups = groupsOf_.take(chapter.id);
                    section.children.push_back(std::move(chapter));
                }
                root.children.push_back(std::move(section));
            }
            content_.source.tree.push_back(std::move(root));
        }
        for (size_t r = 0; r < rows.size(); ++r) {
            if (!placed.contains(r)) {
                warn(QStringLiteral("tree row id %1 (%2) is not within three levels of a root; left out")
                         .arg(rows[r].id)
                         .arg(rows[r].name));
            }
        }
        for (auto it = groupsOf_.cbegin(); it != groupsOf_.cend(); ++it) {
            for (const SourceGroup& group : it.value()) {
                warn(QStringLiteral(
                         "readtext row id %1 belongs to tree id %2, which is not a chapter; left out")
                         .arg(group.id)
                         .arg(it.key()));
            }
        }
    }

    void readGroups() {
        QHash<qint64, std::vector<SourceOption>> optionsOf;
        forEachRow(connection_, QStringLiteral("opinion"), [&](store::Query& row) {
            std::vector<SourceOption>& options = optionsOf[number(row, QStringLiteral("questionid"))];
            const QString code = row.text(QStringLiteral("code"));
            if (code != QString(optionLetter(static_cast<int>(options.size())))) {
                warn(QStringLiteral("opinion row id %1 has code \"%2\" but is option %3 of its question")
                         .arg(number(row, QStringLiteral("id")))
                         .arg(code, QString(optionLetter(static_cast<int>(options.size())))));
            }
            options.push_back({number(row, QStringLiteral("id")), row.text(QStringLiteral("content"))});
        });

        QHash<qint64, std::vector<SourceQuestion>> questionsOf;
        forEachRow(connection_, QStringLiteral("question"), [&](store::Query& row) {
            SourceQuestion question;
            question.id = number(row, QStringLiteral("id"));
            question.itemnum = row.text(QStringLiteral("itemnum"));
            question.content = row.text(QStringLiteral("content"));
            question.answer = row.text(QStringLiteral("answer"));
            question.explain = row.text(QStringLiteral("explain"));
            question.picture = row.text(QStringLiteral("picurl"));
            question.options = optionsOf.take(question.id);
            questionsOf[number(row, QStringLiteral("readtextid"))].push_back(std::move(question));
        });

        forEachRow(connection_, QStringLiteral("readtext"), [&](store::Query& row) {
            SourceGroup group;
            group.id = number(row, QStringLiteral("id"));
            group.qtype = number(row, QStringLiteral("qtypeid"));
            group.content = row.text(QStringLiteral("content"));
            if (!row.fieldByName(QStringLiteral("opnum")).isNull()) {
                group.opnum = static_cast<int>(number(row, QStringLiteral("opnum")));
            }
            group.itemnum = row.text(QStringLiteral("itemnum"));
            group.questions = questionsOf.take(group.id);
            groupsOf_[number(row, QStringLiteral("treeid"))].push_back(std::move(group));
        });

        for (auto it = questionsOf.cbegin(); it != questionsOf.cend(); ++it) {
            for (const SourceQuestion& question : it.value()) {
                warn(QStringLiteral(
                         "question row id %1 belongs to readtext id %2, which does not exist; left out")
                         .arg(question.id)
                         .arg(it.key()));
            }
        }
        for (auto it = optionsOf.cbegin(); it != optionsOf.cend(); ++it) {
            warn(QStringLiteral("%1 opinion rows belong to question id %2, which does not exist; left out")
                     .arg(it.value().size())
                     .arg(it.key()));
        }
    }

    store::Connection& connection_;
    DatabaseContent content_;
    QHash<qint64, std::vector<SourceGroup>> groupsOf_;  // by tree id
};

}  // namespace

DatabaseContent readBankDatabase(store::Connection& connection) {
    return DatabaseReader(connection).read();
}

}  // namespace quorvex::tools
