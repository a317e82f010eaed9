// grade.1000: grading a chapter page of 1,000 questions (every type code; five options per question,
// five shared letters per list) in the main window: the reads of the bank, the one read of the page's
// controls, the flags of the wrong questions, the red stems and the score rows. The page is built and
// answered (by one script, about a third wrongly) before the clock starts; the report is not opened.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "bench_bank.h"
#include "bench_common.h"
#include "database_writer.h"
#include "mainwindow/main_window.h"
#include "practice/page_grader.h"
#include "source_reader.h"
#include "store/connection.h"
#include "store/query.h"
#include "study/page_view.h"
#include "synthetic_bank.h"

namespace {

constexpr int kRuns = 11;
constexpr int kQuestions = 1000;

int fail(const char* why) {
    std::fprintf(stderr, "bench_grade: %s\n", why);
    return 1;
}

bool buildBank(const QString& folder) {
    const quorvex::tools::SyntheticBankShape shape{1, 1, 1, kQuestions};
    return quorvex::bench::buildBankFromJson(
        quorvex::tools::generateSyntheticBank(shape).toJson(QJsonDocument::Compact), folder);
}

// Answers every question from its answer block: right, except every third question, which gets option
// A alone (or list letter A). Returns the number of questions answered.
int answerPage(quorvex::study::PageView* view) {
    return view
        ->runScript(QStringLiteral(
            "(function(){var n=0;var blocks=document.querySelectorAll('div.Answer');"
            "for(var i=0;i<blocks.length;i++){var q=blocks[i].id.substring(7);"
            "var answer=(i%3===2)?'A':blocks[i].getAttribute('value');var "
            "list=document.getElementById('a'+q);"
            "if(list){list.value=answer;}else{var boxes=document.getElementsByName(q);"
            "for(var k=0;k<boxes.length;k++){if(answer.indexOf(boxes[k].value)>=0)boxes[k].click();}}++n;}"
            "return n;})()"))
        .toInt();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    if (!dir.isValid() || !buildBank(folder)) {
        return fail("the generated bank could not be built");
    }
    // The page file and its pictures come from the build's program folder.
    const QString build = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    if (!QFile::copy(QDir(build).absoluteFilePath(QStringLiteral("program/ty.html")),
                     folder + QStringLiteral("ty.html"))) {
        return fail("no ty.html in the build's program folder");
    }

    quorvex::bench::ConsoleDialogs dialogs;
    quorvex::mainwindow::MainWindow window(folder, dialogs);
    if (window.startupFailure()) {
        return fail("the bank cannot be read");
    }
    QSignalSpy opened(&window, &quorvex::mainwindow::MainWindow::firstChapterOpened);
    window.show();
    if (!opened.wait(120000) || window.state().pageReady != 1) {
        return fail("the chapter page was not built");
    }
    quorvex::study::PageView* view = window.pageView();
    if (answerPage(view) != kQuestions) {
        return fail("the page does not hold 1,000 answer blocks");
    }

    quorvex::practice::PageGrader& grader = *window.pageGrader();
    std::vector<double> times;
    for (int run = 0; run <= kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const bool complete = grader.grade();
        const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (!complete) {
            return fail("grading stopped before the end of the page");
        }
        if (run > 0) {  // the first run warms the caches
            times.push_back(elapsed);
        }
        QCoreApplication::processEvents();
    }

    quorvex::store::Query wrong(window.connection());
    wrong.setSql(QStringLiteral("select * from question where ct1='1'"));
    wrong.open();
    const int wrongCount = wrong.recordCount();
    window.connection().close();
    if (wrongCount < kQuestions / 4 || wrongCount > kQuestions / 2) {
        std::fprintf(stderr, "bench_grade: %d wrong questions, expected about a third\n", wrongCount);
        return 1;
    }
    quorvex::bench::printMeasure(QStringLiteral("grade.1000"), quorvex::bench::median(times));
    return 0;
}
