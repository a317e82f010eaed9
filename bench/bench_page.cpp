// page.200, page.1000, page.5000: a chapter of that many questions (five options each) built by the
// main window and shown in its page view, up to a laid-out page. Floor: the same final HTML loaded as
// one static file in the same engine, also up to a laid-out page.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "bench_bank.h"
#include "bench_common.h"
#include "database_writer.h"
#include "mainwindow/main_window.h"
#include "source_reader.h"
#include "store/connection.h"
#include "study/page_view.h"
#include "study/static_page.h"

namespace {

constexpr int kGroupSize = 50;

// One root, one section, one chapter (tree id 3) of `questions` questions in groups of single and
// multiple choice.
QByteArray chapterBank(int questions) {
    QJsonArray groups;
    for (int first = 0; first < questions; first += kGroupSize) {
        const bool multiple = (first / kGroupSize) % 2 == 1;
        QJsonArray rows;
        for (int n = first; n < qMin(questions, first + kGroupSize); ++n) {
            QJsonArray options;
            for (int k = 0; k < 5; ++k) {
                options.append(
                    QStringLiteral("第%1题的备选答案%2，内容长度与真实题目相近").arg(n + 1).arg(k + 1));
            }
            rows.append(QJsonObject{
                {QStringLiteral("content"),
                 QStringLiteral("第%1题：下列关于职业性有害因素的说法，正确的是").arg(n + 1)},
                {QStringLiteral("options"), options},
                {QStringLiteral("answer"), multiple ? QStringLiteral("ACD") : QStringLiteral("B")},
                {QStringLiteral("explain"),
                 QStringLiteral("解析：这是第%1题的解析文字，说明正确答案的依据。").arg(n + 1)}});
        }
        groups.append(
            QJsonObject{{QStringLiteral("qtype"), multiple ? 6 : 3}, {QStringLiteral("questions"), rows}});
    }
    const QJsonObject chapter{{QStringLiteral("name"), QStringLiteral("第一章")},
                              {QStringLiteral("groups"), groups}};
    const QJsonObject section{{QStringLiteral("name"), QStringLiteral("第一篇")},
                              {QStringLiteral("children"), QJsonArray{chapter}}};
    const QJsonObject root{{QStringLiteral("name"), QStringLiteral("基础知识")},
                           {QStringLiteral("children"), QJsonArray{section}}};
    const QJsonObject bank{
        {QStringLiteral("format"), QStringLiteral("quorvex-bank/1")},
        {QStringLiteral("subject"), QJsonObject{{QStringLiteral("name"), QStringLiteral("职业病")},
                                                {QStringLiteral("code"), QStringLiteral("zyb")},
                                                {QStringLiteral("count"), QString::number(questions)}}},
        {QStringLiteral("qtypes"),
         QJsonArray{QJsonObject{{QStringLiteral("id"), 3},
                                {QStringLiteral("code"), 1},
                                {QStringLiteral("title"), QStringLiteral("A1型题")}},
                    QJsonObject{{QStringLiteral("id"), 6},
                                {QStringLiteral("code"), 4},
                                {QStringLiteral("title"), QStringLiteral("X型题")}}}},
        {QStringLiteral("examSettings"), QJsonArray{30, 10, 2, 2}},
        {QStringLiteral("tree"), QJsonArray{root}}};
    return QJsonDocument(bank).toJson(QJsonDocument::Compact);
}

bool buildFolder(const QString& folder, int questions, const QString& pageFile) {
    if (!quorvex::bench::buildBankFromJson(chapterBank(questions), folder)) {
        return false;
    }
    QFile::remove(folder + QStringLiteral("ty.html"));
    return QFile::copy(pageFile, folder + QStringLiteral("ty.html"));
}

void waitFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// Reading the page's height makes the engine lay it out.
int layOut(quorvex::study::PageView& view) {
    return view.runScript(QStringLiteral("document.body.offsetHeight")).toInt();
}

bool measure(int questions, int runs, const QString& pageFile) {
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    if (!dir.isValid() || !buildFolder(folder, questions, pageFile)) {
        return false;
    }
    quorvex::bench::ConsoleDialogs dialogs;
    quorvex::mainwindow::MainWindow window(folder, dialogs);
    window.resize(1024, 720);
    window.show();
    waitFor(500);

    std::vector<double> built;
    for (int i = 0; i <= runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.openChapter(window.nodeAt(2));
        layOut(*window.pageView());
        if (i > 0) {  // the first run warms up
            built.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
    }
    const int stems = window.pageView()
                          ->runScript(QStringLiteral("document.querySelectorAll('span[id^=fan]').length"))
                          .toInt();
    if (stems != questions) {
        std::fprintf(stderr, "page.%d: %d stems on the page\n", questions, stems);
        return false;
    }

    // The same final HTML as one static file, in a page view of the same size in the same engine.
    const QString staticPage = folder + QStringLiteral("static.html");
    {
        quorvex::store::Connection connection(quorvex::store::connectionStringFor(folder));
        QFile file(staticPage);
        QFile page(pageFile);
        if (!page.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly)) {
            return false;
        }
        const QStringList fragments =
            quorvex::study::chapterFragments(connection, 3, quorvex::study::StudyView::Exercise);
        file.write(quorvex::study::pageWithFragments(QString::fromUtf8(page.readAll()), fragments).toUtf8());
    }
    quorvex::study::PageView& view = *window.pageView();
    std::vector<double> floor;
    for (int i = 0; i <= runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        view.loadPageFile(staticPage);
        layOut(view);
        if (i > 0) {
            floor.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
    }
    quorvex::bench::printMeasureWithFloor(QStringLiteral("page.%1").arg(questions),
                                          quorvex::bench::median(built), quorvex::bench::median(floor));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QString build = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build");
    const QString pageFile = build + QStringLiteral("/program/ty.html");
    if (!QFile::exists(pageFile)) {
        std::fprintf(stderr, "no page file at %s\n", qPrintable(pageFile));
        return 1;
    }
    const bool ok = measure(200, 7, pageFile) && measure(1000, 5, pageFile) && measure(5000, 3, pageFile);
    return ok ? 0 : 1;
}
