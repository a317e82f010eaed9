#include "source_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <cmath>
#include <initializer_list>
#include <optional>

namespace quorvex::tools {

namespace {

// Whole numbers in JSON are doubles; beyond 2^53 they are no longer exact.
constexpr double kLargestExactWhole = 9007199254740992.0;
constexpr int kMaxOptions = 26;        // letters A to Z
constexpr int kMaxSharedOptions = 15;  // letters A to O
constexpr int kMaxExamSetting = 50;

QString child(const QString& path, const QString& key) {
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}

QString element(const QString& path, qsizetype index) {
    return path + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString letterRange(int count) {
    return count <= 1 ? QString(optionLetter(0))
                      : QString(optionLetter(0)) + QStringLiteral(" to ") + optionLetter(count - 1);
}

// An explicit id as read, with where it was (or where it was missing), for the per-kind id rules.
struct IdEntry {
    qint64 id;  // 0 when absent
    QString path;
};

struct IdKind {
    const char* plural;
    std::vector<IdEntry> entries;
};

class SourceReader {
  public:
    explicit SourceReader(QString pictureFolder) : pictureFolder_(std::move(pictureFolder)) {}

    ReadResult read(const QByteArray& json) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError) {
            problem(kDocumentPath, QStringLiteral("not valid JSON: %1 (%2)")
                                       .arg(error.errorString(), positionOf(json, error.offset)));
            return finish();
        }
        if (!document.isObject()) {
            problem(kDocumentPath, QStringLiteral("must be a JSON object"));
            return finish();
        }
        readTop(document.object());
        checkIds();
        return finish();
    }

  private:
    // --- Problems and typed fields ---------------------------------------------------------------

    void problem(const QString& path, const QString& reason) { result_.problems.push_back({path, reason}); }

    void rejectUnknownKeys(const QJsonObject& object, const QString& path,
                           std::initializer_list<const char*> known) {
        for (auto it = object.begin(); it != object.end(); ++it) {
            bool isKnown = false;
            for (const char* key : known) {
                isKnown = isKnown || it.key() == QLatin1String(key);
            }
            if (!isKnown) {
                problem(child(path, it.key()), QStringLiteral("unknown field"));
            }
        }
    }

    // The field's value when present; reports "missing" only when required.
    std::optional<QJsonValue> field(const QJsonObject& object, const QString& fieldPath, const char* key,
                                    bool required) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined()) {
            if (required) {
                problem(fieldPath, QStringLiteral("missing"));
            }
            return std::nullopt;
        }
        return value;
    }

    // Returns the value when present and of the right type; reports "missing" only when required.
    std::optional<QString> text(const QJsonObject& object, const QString& path, const char* key,
                                bool required) {
        const QString fieldPath = child(path, QLatin1String(key));
        const std::optional<QJsonValue> value = field(object, fieldPath, key, required);
        if (!value) {
            return std::nullopt;
        }
        if (!value->isString()) {
            problem(fieldPath, QStringLiteral("must be text"));
            return std::nullopt;
        }
        return value->toString();
    }

    std::optional<qint64> whole(const QJsonValue& value, const QString& path, qint64 min, qint64 max,
                                const QString& rangeText) {
        const double number = value.toDouble();
        if (!value.isDouble() || std::floor(number) != number || std::fabs(number) > kLargestExactWhole) {
            problem(path, QStringLiteral("must be a whole number"));
            return std::nullopt;
        }
        if (number < static_cast<double>(min) || number > static_cast<double>(max)) {
            problem(path,
                    QStringLiteral("%1 is out of range: must be %2").arg(number, 0, 'f', 0).arg(rangeText));
            return std::nullopt;
        }
        return static_cast<qint64>(number);
    }

    std::optional<qint64> whole(const QJsonObject& object, const QString& path, const char* key,
                                bool required, qint64 min, qint64 max, const QString& rangeText) {
        const QString fieldPath = child(path, QLatin1String(key));
        const std::optional<QJsonValue> value = field(object, fieldPath, key, required);
        if (!value) {
            return std::nullopt;
        }
        return whole(*value, fieldPath, min, max, rangeText);
    }

    std::optional<QJsonArray> array(const QJsonObject& object, const QString& path, const char* key,
                                    bool required) {
        const QString fieldPath = child(path, QLatin1String(key));
        const std::optional<QJsonValue> value = field(object, fieldPath, key, required);
        if (!value) {
            return std::nullopt;
        }
        if (!value->isArray()) {
            problem(fieldPath, QStringLiteral("must be an array"));
            return std::nullopt;
        }
        return value->toArray();
    }

    std::optional<QJsonObject> object(const QJsonValue& value, const QString& path) {
        if (value.isUndefined()) {
            problem(path, QStringLiteral("missing"));
            return std::nullopt;
        }
        if (!value.isObject()) {
            problem(path, QStringLiteral("must be an object"));
            return std::nullopt;
        }
        return value.toObject();
    }

    // The optional "id" of an element; recorded for the all-or-none and uniqueness rules.
    qint64 explicitId(const QJsonObject& object, const QString& path, IdKind& kind) {
        const std::optional<qint64> id =
            whole(object, path, "id", false, 1, static_cast<qint64>(kLargestExactWhole),
                  QStringLiteral("positive"));
        const bool present = object.contains(QLatin1String("id"));
        // A present but invalid id counts as present, so it is not also reported as missing.
        kind.entries.push_back({present ? id.value_or(-1) : 0, path});
        return id.value_or(0);
    }

    // --- The document ----------------------------------------------------------------------------

    void readTop(const QJsonObject& top) {
        BankSource& source = result_.source;
        rejectUnknownKeys(top, QString(), {"format", "subject", "qtypes", "examSettings", "tree"});

        if (const std::optional<QString> format = text(top, QString(), "format", true)) {
            if (*format != kBankFormat) {
                problem(
                    QStringLiteral("format"),
                    QStringLiteral("wrong format %1; expected %2").arg(quoted(*format), quoted(kBankFormat)));
            }
        }

        if (const std::optional<QJsonObject> subject =
                object(top.value(QLatin1String("subject")), QStringLiteral("subject"))) {
            const QString path = QStringLiteral("subject");
            rejectUnknownKeys(*subject, path, {"name", "code", "count"});
            source.subjectName = text(*subject, path, "name", true).value_or(QString());
            source.subjectCode = text(*subject, path, "code", true).value_or(QString());
            source.subjectCount = text(*subject, path, "count", true).value_or(QString());
        }

        readQtypes(top);
        readExamSettings(top);

        if (const std::optional<QJsonArray> tree = array(top, QString(), "tree", true)) {
            for (qsizetype i = 0; i < tree->size(); ++i) {
                if (std::optional<SourceNode> node =
                        readNode(tree->at(i), element(QStringLiteral("tree"), i), 1)) {
                    source.tree.push_back(std::move(*node));
                }
            }
        }
    }

    void readQtypes(const QJsonObject& top) {
        const std::optional<QJsonArray> qtypes = array(top, QString(), "qtypes", true);
        if (!qtypes) {
            return;
        }
        QHash<qint64, QString> firstPath;
        for (qsizetype i = 0; i < qtypes->size(); ++i) {
            const QString path = element(QStringLiteral("qtypes"), i);
            const std::optional<QJsonObject> entry = object(qtypes->at(i), path);
            if (!entry) {
                continue;
            }
            rejectUnknownKeys(*entry, path, {"id", "code", "title"});
            SourceQtype qtype;
            const std::optional<qint64> id =
                whole(*entry, path, "id", true, 1, static_cast<qint64>(kLargestExactWhole),
                      QStringLiteral("positive"));
            const std::optional<qint64> code =
                whole(*entry, path, "code", true, 0, 1000000, QStringLiteral("0 or more"));
            const std::optional<QString> title = text(*entry, path, "title", true);
            if (!id || !code || !title) {
                continue;
            }
            if (firstPath.contains(*id)) {
                problem(child(path, QStringLiteral("id")),
                        QStringLiteral("duplicate id %1 (first at %2)").arg(*id).arg(firstPath.value(*id)));
                continue;
            }
            firstPath.insert(*id, path);
            qtypeCodes_.insert(*id, *code);
            result_.source.qtypes.push_back({*id, *code, *title});
        }
    }

    void readExamSettings(const QJsonObject& top) {
        const std::optional<QJsonArray> settings = array(top, QString(), "examSettings", true);
        if (!settings) {
            return;
        }
        if (settings->size() != 4) {
            problem(QStringLiteral("examSettings"),
                    QStringLiteral("must hold four numbers (a1, a2, a3, a4), not %1").arg(settings->size()));
            return;
        }
        for (qsizetype i = 0; i < 4; ++i) {
            const std::optional<qint64> value =
                whole(settings->at(i), element(QStringLiteral("examSettings"), i), 0, kMaxExamSetting,
                      QStringLiteral("0 to 50"));
            result_.source.examSettings[static_cast<size_t>(i)] = static_cast<int>(value.value_or(0));
        }
    }

    // level 1: root, 2: section, 3: chapter.
    std::optional<SourceNode> readNode(const QJsonValue& value, const QString& path, int level) {
        const std::optional<QJsonObject> entry = object(value, path);
        if (!entry) {
            return std::nullopt;
        }
        rejectUnknownKeys(*entry, path, {"id", "name", "children", "groups"});
        SourceNode node;
        node.id = explicitId(*entry, path, nodeIds_);
        node.name = text(*entry, path, "name", true).value_or(QString());

        const std::optional<QJsonArray> children = array(*entry, path, "children", false);
        const std::optional<QJsonArray> groups = array(*entry, path, "groups", false);
        if (level < 3 && groups) {
            problem(child(path, QStringLiteral("groups")),
                    QStringLiteral(
                        "groups belong on chapters (the third tree level) only; this node is on level %1")
                        .arg(level));
        }
        if (level == 3 && children && !children->isEmpty()) {
            problem(child(path, QStringLiteral("children")),
                    QStringLiteral(
                        "the tree is three levels deep (root, section, chapter); a chapter has no children"));
        }
        if (level < 3 && children) {
            for (qsizetype i = 0; i < children->size(); ++i) {
                const QString childPath = element(child(path, QStringLiteral("children")), i);
                if (std::optional<SourceNode> childNode = readNode(children->at(i), childPath, level + 1)) {
                    node.children.push_back(std::move(*childNode));
                }
            }
        }
        if (level == 3 && groups) {
            for (qsizetype i = 0; i < groups->size(); ++i) {
                if (std::optional<SourceGroup> group =
                        readGroup(groups->at(i), element(child(path, QStringLiteral("groups")), i))) {
                    node.groups.push_back(std::move(*group));
                }
            }
        }
        return node;
    }

    std::optional<SourceGroup> readGroup(const QJsonValue& value, const QString& path) {
        const std::optional<QJsonObject> entry = object(value, path);
        if (!entry) {
            return std::nullopt;
        }
        rejectUnknownKeys(*entry, path, {"id", "qtype", "content", "opnum", "itemnum", "questions"});
        SourceGroup group;
        group.id = explicitId(*entry, path, groupIds_);
        group.content = text(*entry, path, "content", false).value_or(QString());
        group.itemnum = text(*entry, path, "itemnum", false).value_or(QString());

        std::optional<qint64> code;
        if (const std::optional<qint64> qtype =
                whole(*entry, path, "qtype", true, 1, static_cast<qint64>(kLargestExactWhole),
                      QStringLiteral("positive"))) {
            group.qtype = *qtype;
            if (qtypeCodes_.contains(*qtype)) {
                code = qtypeCodes_.value(*qtype);
            } else {
                problem(child(path, QStringLiteral("qtype")),
                        QStringLiteral("question type %1 is not in qtypes").arg(*qtype));
            }
        }
        const bool sharedOptions = code == 9;

        if (sharedOptions) {
            if (!entry->contains(QLatin1String("opnum"))) {
                problem(child(path, QStringLiteral("opnum")),
                        QStringLiteral("missing: a group of question type code 9 needs opnum from 1 to 15"));
            }
            if (const std::optional<qint64> opnum =
                    whole(*entry, path, "opnum", false, 1, kMaxSharedOptions, QStringLiteral("1 to 15"))) {
                group.opnum = static_cast<int>(*opnum);
            }
        } else if (const std::optional<qint64> opnum =
                       whole(*entry, path, "opnum", false, 0, kMaxSharedOptions, QStringLiteral("0 to 15"))) {
            group.opnum = static_cast<int>(*opnum);
        }

        if (const std::optional<QJsonArray> questions = array(*entry, path, "questions", true)) {
            for (qsizetype i = 0; i < questions->size(); ++i) {
                if (std::optional<SourceQuestion> question =
                        readQuestion(questions->at(i), element(child(path, QStringLiteral("questions")), i),
                                     code, group.opnum)) {
                    group.questions.push_back(std::move(*question));
                }
            }
        }
        return group;
    }

    std::optional<SourceQuestion> readQuestion(const QJsonValue& value, const QString& path,
                                               std::optional<qint64> code, std::optional<int> opnum) {
        const std::optional<QJsonObject> entry = object(value, path);
        if (!entry) {
            return std::nullopt;
        }
        rejectUnknownKeys(*entry, path,
                          {"id", "itemnum", "content", "options", "answer", "explain", "picture"});
        SourceQuestion question;
        question.id = explicitId(*entry, path, questionIds_);
        question.itemnum = text(*entry, path, "itemnum", false).value_or(QString());
        question.content = text(*entry, path, "content", true).value_or(QString());
        question.explain = text(*entry, path, "explain", false).value_or(QString());
        question.picture = text(*entry, path, "picture", false).value_or(QString());
        checkPicture(question.picture, child(path, QStringLiteral("picture")));

        const bool sharedOptions = code == 9;
        const std::optional<QJsonArray> options = array(*entry, path, "options", !sharedOptions);
        const QString optionsPath = child(path, QStringLiteral("options"));
        if (sharedOptions && options) {
            problem(optionsPath,
                    QStringLiteral("a question of type code 9 has no options of its own; it answers "
                                   "with a letter of the group's shared option list"));
        } else if (options) {
            if (options->size() > kMaxOptions) {
                problem(optionsPath,
                        QStringLiteral("%1 options are too many (at most 26, A to Z)").arg(options->size()));
            }
            for (qsizetype i = 0; i < options->size(); ++i) {
                if (std::optional<SourceOption> option =
                        readOption(options->at(i), element(optionsPath, i))) {
                    question.options.push_back(std::move(*option));
                }
            }
        }

        if (std::optional<QString> answer = text(*entry, path, "answer", true)) {
            question.answer = *answer;
            const QString answerPath = child(path, QStringLiteral("answer"));
            if (sharedOptions) {
                checkSharedAnswer(*answer, answerPath, opnum);
            } else if (options && options->size() <= kMaxOptions) {
                checkAnswer(*answer, answerPath, static_cast<int>(options->size()), code);
            }
        }
        return question;
    }

    std::optional<SourceOption> readOption(const QJsonValue& value, const QString& path) {
        if (value.isString()) {
            // Plain text: an option without an explicit id.
            optionIds_.entries.push_back({0, path});
            return SourceOption{0, value.toString()};
        }
        if (!value.isObject()) {
            problem(path, QStringLiteral("must be text or an object with \"content\" (and \"id\")"));
            return std::nullopt;
        }
        const QJsonObject entry = value.toObject();
        rejectUnknownKeys(entry, path, {"id", "content"});
        SourceOption option;
        option.id = explicitId(entry, path, optionIds_);
        option.content = text(entry, path, "content", true).value_or(QString());
        return option;
    }

    // --- Rules on answers and pictures -----------------------------------------------------------

    void checkAnswer(const QString& answer, const QString& path, int optionCount,
                     std::optional<qint64> code) {
        if (answer.isEmpty()) {
            problem(path, QStringLiteral("the answer is empty"));
            return;
        }
        QSet<QChar> seen;
        int previous = -1;
        for (const QChar letter : answer) {
            const int index = letter.unicode() - QLatin1Char('A').unicode();
            if (index < 0 || index >= optionCount) {
                problem(path,
                        optionCount == 0
                            ? QStringLiteral("letter %1 is not one of the question's options (it has none)")
                                  .arg(quoted(letter))
                            : QStringLiteral("letter %1 is not one of the question's options (%2)")
                                  .arg(quoted(letter), letterRange(optionCount)));
                return;
            }
            if (seen.contains(letter)) {
                problem(path, QStringLiteral("letter %1 is repeated").arg(quoted(letter)));
                return;
            }
            seen.insert(letter);
            if (index < previous) {
                QString ordered = answer;
                std::sort(ordered.begin(), ordered.end());
                problem(path, QStringLiteral("letters are not in option order (write %1, not %2)")
                                  .arg(quoted(ordered), quoted(answer)));
                return;
            }
            previous = index;
        }
        if (code && *code >= 1 && *code <= 3 && answer.size() > 1) {
            problem(path, QStringLiteral("a question of type code %1 takes one letter, not %2")
                              .arg(*code)
                              .arg(answer.size()));
        }
    }

    void checkSharedAnswer(const QString& answer, const QString& path, std::optional<int> opnum) {
        if (answer.isEmpty()) {
            problem(path, QStringLiteral("the answer is empty"));
            return;
        }
        if (answer.size() != 1) {
            problem(path,
                    QStringLiteral("a question of type code 9 takes one letter, not %1").arg(answer.size()));
            return;
        }
        const int count = opnum.value_or(kMaxSharedOptions);
        const int index = answer.at(0).unicode() - QLatin1Char('A').unicode();
        if (index < 0 || index >= count) {
            problem(path,
                    QStringLiteral(
                        "letter %1 is not among the first %2 letters (%3) of the shared options (opnum)")
                        .arg(quoted(answer))
                        .arg(count)
                        .arg(letterRange(count)));
        }
    }

    void checkPicture(const QString& picture, const QString& path) {
        if (picture.trimmed().isEmpty()) {
            return;  // blank: no picture
        }
        // The picture is copied under the same name into the program folder, so it must stay inside it.
        const QString cleaned = QDir::cleanPath(picture);
        if (QDir::isAbsolutePath(picture) || cleaned == QLatin1String("..") ||
            cleaned.startsWith(QLatin1String("../"))) {
            problem(path, QStringLiteral("picture %1 must be a relative path inside the source's folder")
                              .arg(quoted(picture)));
            return;
        }
        const QFileInfo file(QDir(pictureFolder_).filePath(picture));
        if (!file.isFile()) {
            problem(path, QStringLiteral("picture file %1 does not exist (looked for %2)")
                              .arg(quoted(picture), file.absoluteFilePath()));
        }
    }

    // --- Ids -------------------------------------------------------------------------------------

    void checkIds() {
        for (IdKind* kind : {&nodeIds_, &groupIds_, &questionIds_, &optionIds_}) {
            size_t withId = 0;
            for (const IdEntry& entry : kind->entries) {
                withId += entry.id != 0 ? 1 : 0;
            }
            if (withId == 0) {
                continue;
            }
            if (withId != kind->entries.size()) {
                const IdEntry& example = *std::find_if(kind->entries.begin(), kind->entries.end(),
                                                       [](const IdEntry& entry) { return entry.id != 0; });
                for (const IdEntry& entry : kind->entries) {
                    if (entry.id == 0) {
                        problem(entry.path,
                                QStringLiteral("has no id, but other %1 do (first at %2): all or none "
                                               "carry an id")
                                    .arg(QLatin1String(kind->plural), example.path));
                    }
                }
                continue;
            }
            QHash<qint64, QString> firstPath;
            for (const IdEntry& entry : kind->entries) {
                if (entry.id < 0) {
                    continue;  // invalid, already reported
                }
                if (firstPath.contains(entry.id)) {
                    problem(child(entry.path, QStringLiteral("id")),
                            QStringLiteral("duplicate id %1 (first at %2)")
                                .arg(entry.id)
                                .arg(firstPath.value(entry.id)));
                } else {
                    firstPath.insert(entry.id, entry.path);
                }
            }
        }
    }

    // Numbers every kind without explicit ids 1, 2, 3 ... in document order (the tree in pre-order).
    void numberIds() {
        qint64 nodeId = 0;
        qint64 groupId = 0;
        qint64 questionId = 0;
        qint64 optionId = 0;
        forEachNode(result_.source.tree, [&](SourceNode& node, int) {
            number(node.id, nodeId);
            for (SourceGroup& group : node.groups) {
                number(group.id, groupId);
                for (SourceQuestion& question : group.questions) {
                    number(question.id, questionId);
                    for (SourceOption& option : question.options) {
                        number(option.id, optionId);
                    }
                }
            }
        });
    }

    static void number(qint64& id, qint64& counter) {
        ++counter;
        if (id == 0) {
            id = counter;
        }
    }

    ReadResult finish() {
        if (result_.problems.empty()) {
            numberIds();
        } else {
            result_.source = BankSource();
        }
        return std::move(result_);
    }

    static QString positionOf(const QByteArray& json, int offset) {
        const QByteArray before = json.left(offset);
        const int line = static_cast<int>(before.count('\n')) + 1;
        const int column = static_cast<int>(offset - (before.lastIndexOf('\n') + 1)) + 1;
        return QStringLiteral("line %1, column %2").arg(line).arg(column);
    }

    QString pictureFolder_;
    ReadResult result_;
    QHash<qint64, qint64> qtypeCodes_;
    IdKind nodeIds_{"tree nodes", {}};
    IdKind groupIds_{"groups", {}};
    IdKind questionIds_{"questions", {}};
    IdKind optionIds_{"options", {}};
};

}  // namespace

ReadResult readBankSource(const QByteArray& json, const QString& pictureFolder) {
    return SourceReader(pictureFolder).read(json);
}

ReadResult readBankSourceFile(const QString& filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        ReadResult result;
        result.problems.push_back(
            {kDocumentPath, QStringLiteral("cannot read %1: %2").arg(filePath, file.errorString())});
        return result;
    }
    return readBankSource(file.readAll(), QFileInfo(filePath).absolutePath());
}

}  // namespace quorvex::tools
