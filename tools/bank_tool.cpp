#include "bank_tool.h"

#include "bank_file.h"
#include "bank_stats.h"
#include "database_reader.h"
#include "database_writer.h"
#include "source_json.h"
#include "source_reader.h"
#include "store/connection.h"
#include "store/query.h"
#include "store/schema.h"
#include "store/store_error.h"
#include "study/static_page.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

namespace quorvex::tools {

namespace {

constexpr int kProgressFrom = 10000;  // banks from this many questions report progress
constexpr int kProgressStep = 5000;

struct CommandLine {
    QString command;
    QStringList positional;
    QHash<QString, QString> options;  // by long name without dashes: output, roots ...
};

int usageError(const QString& message, QTextStream& err) {
    err << "quorvex-bank: " << message << '\n' << "Try 'quorvex-bank --help'." << Qt::endl;
    return kExitUsage;
}

QString sizeText(const BankSize& size) {
    return QStringLiteral("%1 roots, %2 sections, %3 chapters, %4 groups, %5 questions, %6 options")
        .arg(size.roots)
        .arg(size.sections)
        .arg(size.chapters)
        .arg(size.groups)
        .arg(size.questions)
        .arg(size.options);
}

// Splits the arguments into the command, plain arguments and "--name value" / "--name=value" options.
std::optional<CommandLine> parseCommandLine(const QStringList& args, QTextStream& err, int* exitCode) {
    static const QHash<QString, QString> kOptionNames = {
        {QStringLiteral("-o"), QStringLiteral("output")},
        {QStringLiteral("--output"), QStringLiteral("output")},
        {QStringLiteral("--roots"), QStringLiteral("roots")},
        {QStringLiteral("--sections"), QStringLiteral("sections")},
        {QStringLiteral("--chapters"), QStringLiteral("chapters")},
        {QStringLiteral("--questions"), QStringLiteral("questions")},
        {QStringLiteral("--chapter"), QStringLiteral("chapter")},
        {QStringLiteral("--view"), QStringLiteral("view")},
        {QStringLiteral("--page"), QStringLiteral("page")},
    };
    CommandLine line;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            if (line.command.isEmpty()) {
                line.command = arg;
            } else {
                line.positional.append(arg);
            }
            continue;
        }
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString flag = equals < 0 ? arg : arg.left(equals);
        if (!kOptionNames.contains(flag)) {
            *exitCode = usageError(QStringLiteral("unknown option '%1'").arg(flag), err);
            return std::nullopt;
        }
        QString value;
        if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args.at(++i);
        } else {
            *exitCode = usageError(QStringLiteral("option '%1' needs a value").arg(flag), err);
            return std::nullopt;
        }
        line.options.insert(kOptionNames.value(flag), value);
    }
    return line;
}

// Checks the plain arguments and options a command takes.
bool expect(const CommandLine& line, int positional, const QSet<QString>& allowedOptions, QTextStream& err,
            int* exitCode) {
    if (line.positional.size() != positional) {
        *exitCode =
            usageError(positional == 0 ? QStringLiteral("'%1' takes no file argument").arg(line.command)
                                       : QStringLiteral("'%1' takes %2 file argument%3, got %4")
                                             .arg(line.command)
                                             .arg(positional)
                                             .arg(positional == 1 ? QString() : QStringLiteral("s"))
                                             .arg(line.positional.size()),
                       err);
        return false;
    }
    for (auto it = line.options.cbegin(); it != line.options.cend(); ++it) {
        if (!allowedOptions.contains(it.key())) {
            *exitCode =
                usageError(QStringLiteral("'%1' does not take --%2").arg(line.command, it.key()), err);
            return false;
        }
    }
    if (allowedOptions.contains(QStringLiteral("output")) &&
        !line.options.contains(QStringLiteral("output"))) {
        *exitCode = usageError(QStringLiteral("'%1' needs -o PATH").arg(line.command), err);
        return false;
    }
    return true;
}

bool requireFile(const QString& path, QTextStream& err, int* exitCode) {
    if (!QFileInfo(path).isFile()) {
        *exitCode = usageError(QStringLiteral("no such file: %1").arg(path), err);
        return false;
    }
    return true;
}

bool writeFile(const QString& path, const QByteArray& bytes, QTextStream& err) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        err << "error: cannot write " << path << ": " << file.errorString() << Qt::endl;
        return false;
    }
    return true;
}

// Opens a bank file for reading; reports and returns false when it is not one.
bool openBank(store::Connection& connection, const QString& databasePath, QTextStream& err) {
    try {
        connection.setConnectionString(connectionStringForFile(databasePath));
        connection.open();
        store::verifySchema(connection);
        return true;
    } catch (const store::StoreError& error) {
        err << "error: cannot open " << databasePath << " as a bank: " << error.message() << Qt::endl;
        return false;
    }
}

// Copies the pictures an exported source names from the program folder of the database (the folder
// above Data/) to the same names beside the source, so that the source builds again.
void copyExportedPictures(const BankSource& source, const QString& databasePath, const QString& sourcePath,
                          QTextStream& err) {
    QDir programFolder = QFileInfo(databasePath).absoluteDir();
    if (programFolder.dirName().compare(QLatin1String("Data"), Qt::CaseInsensitive) == 0) {
        programFolder.cdUp();
    }
    const QDir sourceFolder = QFileInfo(sourcePath).absoluteDir();
    QSet<QString> done;
    forEachNode(source.tree, [&](const SourceNode& node, int) {
        for (const SourceGroup& group : node.groups) {
            for (const SourceQuestion& question : group.questions) {
                const QString name = QDir::cleanPath(question.picture);
                if (question.picture.trimmed().isEmpty() || done.contains(name)) {
                    continue;
                }
                done.insert(name);
                const QString from = programFolder.absoluteFilePath(name);
                const QString to = sourceFolder.absoluteFilePath(name);
                if (QDir::isAbsolutePath(name) || name.startsWith(QLatin1String(".."))) {
                    err << "warning: picture " << name << " is outside the program folder; not copied"
                        << Qt::endl;
                } else if (!QFileInfo(from).isFile()) {
                    err << "warning: picture " << name << " not found in " << programFolder.path()
                        << Qt::endl;
                } else if (QFileInfo(from).canonicalFilePath() != QFileInfo(to).canonicalFilePath()) {
                    QString error;
                    if (!copyFileReplacing(from, to, &error)) {
                        err << "warning: " << error << Qt::endl;
                    }
                }
            }
        }
    });
}

std::optional<int> shapeValue(const CommandLine& line, const QString& name, int fallback, QTextStream& err,
                              int* exitCode) {
    if (!line.options.contains(name)) {
        return fallback;
    }
    bool ok = false;
    const int value = line.options.value(name).toInt(&ok);
    if (!ok || value < 0) {
        *exitCode = usageError(QStringLiteral("--%1 needs a whole number of 0 or more, not '%2'")
                                   .arg(name, line.options.value(name)),
                               err);
        return std::nullopt;
    }
    return value;
}

}  // namespace

QString bankToolUsage() {
    return QStringLiteral(
        "Usage: quorvex-bank COMMAND [ARGUMENTS]\n"
        "\n"
        "Turns a bank source (JSON, format quorvex-bank/1) into the program's database file and back.\n"
        "\n"
        "Commands:\n"
        "  check SOURCE.json            check a source; print each problem with its JSON path\n"
        "  build SOURCE.json -o FOLDER  write FOLDER/Data/med.mdb and copy the question pictures into\n"
        "                               FOLDER; a refused source writes nothing\n"
        "  export DB -o SOURCE.json     write a database back out as a source, every id explicit\n"
        "                               (pictures are copied beside the source)\n"
        "  stats DB                     count tree levels, groups, questions, options, question types\n"
        "                               and exam paper candidates\n"
        "  generate -o SOURCE.json [--roots R] [--sections S] [--chapters C] [--questions N]\n"
        "                               write a synthetic bank of R roots x S sections x C chapters with\n"
        "                               N questions each (default 10 x 10 x 10 chapters, 20 questions)\n"
        "  preview DB --chapter ID [--view exercise|favourites|wrong] [--page ty.html] -o PAGE.html\n"
        "                               write one chapter's page as the program shows it: the page file\n"
        "                               (default: ty.html of the program folder that holds DB) with the\n"
        "                               chapter's questions before its closing body tag; write it into\n"
        "                               the program folder to see the question pictures\n"
        "\n"
        "Options:\n"
        "  -o, --output PATH            where build, export and generate write\n"
        "  -h, --help                   show this text\n"
        "\n"
        "Exit status: 0 done, 1 refused source or failed command, 2 wrong command line.\n");
}

int checkSource(const QString& sourcePath, QTextStream& out, QTextStream& err) {
    const ReadResult result = readBankSourceFile(sourcePath);
    if (!result.ok()) {
        for (const SourceProblem& problem : result.problems) {
            err << problem.toString() << '\n';
        }
        err << sourcePath << ": " << result.problems.size() << " problem(s)" << Qt::endl;
        return kExitFailed;
    }
    out << sourcePath << ": ok, " << sizeText(sizeOf(result.source)) << Qt::endl;
    return kExitOk;
}

int buildBank(const QString& sourcePath, const QString& outputFolder, QTextStream& out, QTextStream& err) {
    const ReadResult result = readBankSourceFile(sourcePath);
    if (!result.ok()) {
        for (const SourceProblem& problem : result.problems) {
            err << problem.toString() << '\n';
        }
        err << sourcePath << ": refused, " << result.problems.size() << " problem(s); nothing written"
            << Qt::endl;
        return kExitFailed;
    }
    const WriteProgress progress = [&err](int written, int total) {
        if (total >= kProgressFrom && (written % kProgressStep == 0 || written == total)) {
            err << written << " of " << total << " questions written" << Qt::endl;
        }
    };
    if (!buildBankFolder(result.source, QFileInfo(sourcePath).absolutePath(), outputFolder, err, progress)) {
        return kExitFailed;
    }
    out << "built " << QDir(outputFolder).filePath(QStringLiteral("Data/med.mdb")) << ": "
        << sizeText(sizeOf(result.source)) << Qt::endl;
    return kExitOk;
}

int exportBank(const QString& databasePath, const QString& sourcePath, QTextStream& out, QTextStream& err) {
    store::Connection connection;
    if (!openBank(connection, databasePath, err)) {
        return kExitFailed;
    }
    DatabaseContent content;
    try {
        content = readBankDatabase(connection);
    } catch (const store::StoreError& error) {
        err << "error: reading " << databasePath << " failed: " << error.message() << Qt::endl;
        return kExitFailed;
    }
    connection.close();
    for (const QString& warning : content.warnings) {
        err << "warning: " << warning << '\n';
    }
    if (!writeFile(sourcePath, toJson(content.source, SourceIds::Explicit).toJson(QJsonDocument::Indented),
                   err)) {
        return kExitFailed;
    }
    copyExportedPictures(content.source, databasePath, sourcePath, err);
    out << "exported " << sourcePath << ": " << sizeText(sizeOf(content.source)) << Qt::endl;
    return kExitOk;
}

int showStats(const QString& databasePath, QTextStream& out, QTextStream& err) {
    store::Connection connection;
    if (!openBank(connection, databasePath, err)) {
        return kExitFailed;
    }
    try {
        printBankStats(collectBankStats(connection), out);
    } catch (const store::StoreError& error) {
        err << "error: reading " << databasePath << " failed: " << error.message() << Qt::endl;
        return kExitFailed;
    }
    return kExitOk;
}

int generateBank(const QString& sourcePath, const SyntheticBankShape& shape, QTextStream& out,
                 QTextStream& err) {
    const BankSource source = generateSyntheticSource(shape);
    if (!writeFile(sourcePath, toJson(source, SourceIds::Omit).toJson(QJsonDocument::Indented), err)) {
        return kExitFailed;
    }
    out << "generated " << sourcePath << ": " << sizeText(sizeOf(source)) << Qt::endl;
    return kExitOk;
}

int previewChapter(const QString& databasePath, qint64 treeId, study::StudyView view, const QString& pageFile,
                   const QString& pagePath, QTextStream& out, QTextStream& err) {
    QFile page(pageFile);
    if (!page.open(QIODevice::ReadOnly)) {
        err << "error: cannot read the page file " << pageFile << ": " << page.errorString() << Qt::endl;
        return kExitFailed;
    }
    const QString pageText = QString::fromUtf8(page.readAll());
    store::Connection connection;
    if (!openBank(connection, databasePath, err)) {
        return kExitFailed;
    }
    QStringList fragments;
    try {
        store::Query chapter(connection);
        chapter.setSql(QStringLiteral("select * from tree where id=?"));
        chapter.setParams({treeId});
        chapter.open();
        if (chapter.isEmpty()) {
            err << "error: " << databasePath << " has no chapter with id " << treeId << Qt::endl;
            return kExitFailed;
        }
        fragments = study::chapterFragments(connection, treeId, view);
    } catch (const store::StoreError& error) {
        err << "error: reading " << databasePath << " failed: " << error.message() << Qt::endl;
        return kExitFailed;
    }
    connection.close();
    if (!writeFile(pagePath, study::pageWithFragments(pageText, fragments).toUtf8(), err)) {
        return kExitFailed;
    }
    out << "wrote " << pagePath << ": chapter " << treeId << ", " << fragments.size() << " fragments"
        << Qt::endl;
    return kExitOk;
}

int runBankTool(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.contains(QLatin1String("-h")) || args.contains(QLatin1String("--help")) ||
        args.value(0) == QLatin1String("help")) {
        out << bankToolUsage() << Qt::flush;
        return kExitOk;
    }
    if (args.isEmpty()) {
        err << bankToolUsage() << Qt::flush;
        return kExitUsage;
    }
    int exitCode = kExitUsage;
    const std::optional<CommandLine> line = parseCommandLine(args, err, &exitCode);
    if (!line) {
        return exitCode;
    }
    const QString& command = line->command;
    const QString output = line->options.value(QStringLiteral("output"));

    if (command == QLatin1String("check")) {
        if (!expect(*line, 1, {}, err, &exitCode) || !requireFile(line->positional.at(0), err, &exitCode)) {
            return exitCode;
        }
        return checkSource(line->positional.at(0), out, err);
    }
    if (command == QLatin1String("build")) {
        if (!expect(*line, 1, {QStringLiteral("output")}, err, &exitCode) ||
            !requireFile(line->positional.at(0), err, &exitCode)) {
            return exitCode;
        }
        return buildBank(line->positional.at(0), output, out, err);
    }
    if (command == QLatin1String("export")) {
        if (!expect(*line, 1, {QStringLiteral("output")}, err, &exitCode) ||
            !requireFile(line->positional.at(0), err, &exitCode)) {
            return exitCode;
        }
        return exportBank(line->positional.at(0), output, out, err);
    }
    if (command == QLatin1String("stats")) {
        if (!expect(*line, 1, {}, err, &exitCode) || !requireFile(line->positional.at(0), err, &exitCode)) {
            return exitCode;
        }
        return showStats(line->positional.at(0), out, err);
    }
    if (command == QLatin1String("generate")) {
        const QSet<QString> allowed = {QStringLiteral("output"), QStringLiteral("roots"),
                                       QStringLiteral("sections"), QStringLiteral("chapters"),
                                       QStringLiteral("questions")};
        if (!expect(*line, 0, allowed, err, &exitCode)) {
            return exitCode;
        }
        const SyntheticBankShape defaults;
        const std::optional<int> roots =
            shapeValue(*line, QStringLiteral("roots"), defaults.roots, err, &exitCode);
        const std::optional<int> sections =
            roots ? shapeValue(*line, QStringLiteral("sections"), defaults.sections, err, &exitCode)
                  : std::nullopt;
        const std::optional<int> chapters =
            sections ? shapeValue(*line, QStringLiteral("chapters"), defaults.chapters, err, &exitCode)
                     : std::nullopt;
        const std::optional<int> questions =
            chapters
                ? shapeValue(*line, QStringLiteral("questions"), defaults.questionsPerChapter, err, &exitCode)
                : std::nullopt;
        if (!questions) {
            return exitCode;
        }
        return generateBank(output, {*roots, *sections, *chapters, *questions}, out, err);
    }
    if (command == QLatin1String("preview")) {
        const QSet<QString> allowed = {QStringLiteral("output"), QStringLiteral("chapter"),
                                       QStringLiteral("view"), QStringLiteral("page")};
        if (!expect(*line, 1, allowed, err, &exitCode) ||
            !requireFile(line->positional.at(0), err, &exitCode)) {
            return exitCode;
        }
        bool isNumber = false;
        const qint64 treeId = line->options.value(QStringLiteral("chapter")).toLongLong(&isNumber);
        if (!isNumber) {
            return usageError(QStringLiteral("'preview' needs --chapter ID, the tree id of a chapter"), err);
        }
        static const QHash<QString, study::StudyView> kViews = {
            {QStringLiteral("exercise"), study::StudyView::Exercise},
            {QStringLiteral("favourites"), study::StudyView::Favourites},
            {QStringLiteral("wrong"), study::StudyView::WrongQuestions},
        };
        const QString viewName = line->options.value(QStringLiteral("view"), QStringLiteral("exercise"));
        if (!kViews.contains(viewName)) {
            return usageError(
                QStringLiteral("--view is exercise, favourites or wrong, not '%1'").arg(viewName), err);
        }
        const QString databasePath = line->positional.at(0);
        // The database lies in Data/ of its program folder, beside which ty.html lies.
        const QString pageFile = line->options.value(
            QStringLiteral("page"),
            QFileInfo(databasePath).absoluteDir().absoluteFilePath(QStringLiteral("../ty.html")));
        return previewChapter(databasePath, treeId, kViews.value(viewName), QDir::cleanPath(pageFile), output,
                              out, err);
    }
    if (command.isEmpty()) {
        return usageError(QStringLiteral("no command given"), err);
    }
    return usageError(QStringLiteral("unknown command '%1'").arg(command), err);
}

}  // namespace quorvex::tools
