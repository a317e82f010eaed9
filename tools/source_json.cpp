#include "source_json.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

namespace quorvex::tools {

namespace {

class SourceJsonWriter {
  public:
    SourceJsonWriter(const BankSource& source, SourceIds ids)
        : source_(source), withIds_(ids == SourceIds::Explicit) {
        for (const SourceQtype& qtype : source.qtypes) {
            qtypeCodes_.insert(qtype.id, qtype.code);
        }
    }

    QJsonDocument write() const {
        QJsonObject top;
        top.insert(QStringLiteral("format"), kBankFormat);
        top.insert(QStringLiteral("subject"), QJsonObject{{QStringLiteral("name"), source_.subjectName},
                                                          {QStringLiteral("code"), source_.subjectCode},
                                                          {QStringLiteral("count"), source_.subjectCount}});
        QJsonArray qtypes;
        for (const SourceQtype& qtype : source_.qtypes) {
            qtypes.append(QJsonObject{{QStringLiteral("id"), qtype.id},
                                      {QStringLiteral("code"), qtype.code},
                                      {QStringLiteral("title"), qtype.title}});
        }
        top.insert(QStringLiteral("qtypes"), qtypes);
        QJsonArray settings;
        for (const int value : source_.examSettings) {
            settings.append(value);
        }
        top.insert(QStringLiteral("examSettings"), settings);
        top.insert(QStringLiteral("tree"), nodes(source_.tree));
        return QJsonDocument(top);
    }

  private:
    void putId(QJsonObject& object, qint64 id) const {
        if (withIds_) {
            object.insert(QStringLiteral("id"), id);
        }
    }

    static void putText(QJsonObject& object, const QString& key, const QString& value) {
        if (!value.isEmpty()) {
            object.insert(key, value);
        }
    }

    QJsonArray nodes(const std::vector<SourceNode>& list) const {
        QJsonArray array;
        for (const SourceNode& node : list) {
            QJsonObject object;
            putId(object, node.id);
            object.insert(QStringLiteral("name"), node.name);
            if (!node.children.empty()) {
                object.insert(QStringLiteral("children"), nodes(node.children));
            }
            if (!node.groups.empty()) {
                QJsonArray groups;
                for (const SourceGroup& group : node.groups) {
                    groups.append(groupObject(group));
                }
                object.insert(QStringLiteral("groups"), groups);
            }
            array.append(object);
        }
        return array;
    }

    QJsonObject groupObject(const SourceGroup& group) const {
        QJsonObject object;
        putId(object, group.id);
        object.insert(QStringLiteral("qtype"), group.qtype);
        putText(object, QStringLiteral("content"), group.content);
        if (group.opnum) {
            object.insert(QStringLiteral("opnum"), *group.opnum);
        }
        putText(object, QStringLiteral("itemnum"), group.itemnum);
        const bool sharedOptions = qtypeCodes_.value(group.qtype) == 9;
        QJsonArray questions;
        for (const SourceQuestion& question : group.questions) {
            questions.append(questionObject(question, sharedOptions));
        }
        object.insert(QStringLiteral("questions"), questions);
        return object;
    }

    QJsonObject questionObject(const SourceQuestion& question, bool sharedOptions) const {
        QJsonObject object;
        putId(object, question.id);
        putText(object, QStringLiteral("itemnum"), question.itemnum);
        object.insert(QStringLiteral("content"), question.content);
        if (!sharedOptions || !question.options.empty()) {
            QJsonArray options;
            for (const SourceOption& option : question.options) {
                if (withIds_) {
                    options.append(QJsonObject{{QStringLiteral("id"), option.id},
                                               {QStringLiteral("content"), option.content}});
                } else {
                    options.append(option.content);
                }
            }
            object.insert(QStringLiteral("options"), options);
        }
        object.insert(QStringLiteral("answer"), question.answer);
        putText(object, QStringLiteral("explain"), question.explain);
        putText(object, QStringLiteral("picture"), question.picture);
        return object;
    }

    const BankSource& source_;
    const bool withIds_;
    QHash<qint64, qint64> qtypeCodes_;
};

}  // namespace

QJsonDocument toJson(const BankSource& source, SourceIds ids) {
    return SourceJsonWriter(source, ids).write();
}

}  // namespace quorvex::tools
