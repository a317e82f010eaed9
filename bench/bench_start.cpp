// start: a new program process up to its first chapter page loaded, on the sample bank of the build's
// program folder (the same steps as the program: application, main window, show, tree, activation).
// Floor: a new process that loads the same first page, saved as one static file, into a bare web view.
//
//   bench_start BUILD_FOLDER                       runs both a few times, prints the measures
//   bench_start --child PROGRAM_FOLDER [SAVE_TO]   one start; prints "ready"; saves the page's HTML
//   bench_start --floor HTML_FILE                  one bare start on the saved page; prints "ready"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <cstdio>

#include "bench_common.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_texts.h"
#include "study/page_view.h"

namespace {

constexpr int kRuns = 5;
constexpr int kTimeoutMs = 60000;

void ready() {
    std::printf("ready\n");
    std::fflush(stdout);
}

int fail(const char* why) {
    std::fprintf(stderr, "bench_start: %s\n", why);
    return 1;
}

// Saves the page as one file that loads on its own: its address base is the program folder.
void savePage(quorvex::study::PageView* view, const QString& programFolder, const QString& path) {
    QString html = view->runScript(QStringLiteral("document.documentElement.outerHTML")).toString();
    const QString base = QStringLiteral("<base href=\"") + QUrl::fromLocalFile(programFolder).toString() +
                         QStringLiteral("\">");
    const int head = html.indexOf(QStringLiteral("<head>"), 0, Qt::CaseInsensitive);
    html.insert(head >= 0 ? head + 6 : 0, base);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write((QStringLiteral("<!DOCTYPE html>\n<html>") + html + QStringLiteral("</html>")).toUtf8());
    }
}

int runChild(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(quorvex::mainwindow::kApplicationTitle);
    const QString programFolder = QString::fromLocal8Bit(argv[2]);
    const QString saveTo = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    quorvex::bench::ConsoleDialogs dialogs;
    quorvex::mainwindow::MainWindow window(programFolder, dialogs);
    if (window.startupFailure()) {
        return fail("the program folder has no readable bank");
    }
    QObject::connect(&window, &quorvex::mainwindow::MainWindow::firstChapterOpened, &app, [&] {
        quorvex::study::PageView* view = window.pageView();
        if (view->isReady()) {
            view->flush();
        }
        ready();
        if (!saveTo.isEmpty()) {
            savePage(view, programFolder, saveTo);
        }
        QCoreApplication::exit(0);
    });
    QTimer::singleShot(kTimeoutMs, &app, [] {
        std::fprintf(stderr, "bench_start: no first chapter within the time-out\n");
        QCoreApplication::exit(2);
    });
    window.show();
    if (window.nodeCount() < 3) {
        return fail("the tree has fewer than three nodes: activation opens nothing");
    }
    return QApplication::exec();
}

int runFloor(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(1024, 720);
    QObject::connect(&view, &QWebEngineView::loadFinished, &app, [](bool ok) {
        if (ok) {
            ready();
        }
        QCoreApplication::exit(ok ? 0 : 1);
    });
    view.show();
    view.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[2])));
    return QApplication::exec();
}

// Starts one process and returns the milliseconds until it printed "ready"; negative on failure.
double timeProcess(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(QCoreApplication::applicationFilePath(), arguments);
    QByteArray output;
    double elapsed = -1;
    while (elapsed < 0 && process.waitForReadyRead(kTimeoutMs)) {
        output += process.readAllStandardOutput();
        if (output.contains("ready\n")) {
            elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        }
    }
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return process.exitCode() == 0 ? elapsed : -1;
}

int runBenchmark(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString build = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const QString programFolder =
        QDir(build).absoluteFilePath(QStringLiteral("program")) + QStringLiteral("/");
    if (!QFileInfo::exists(programFolder + QStringLiteral("Data/med.mdb"))) {
        return fail(qPrintable(QStringLiteral("no sample bank at ") + programFolder +
                               QStringLiteral("Data/med.mdb")));
    }
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("first-page.html"));

    // The first run warms the file cache and saves the page for the floor; it is not counted.
    if (timeProcess({QStringLiteral("--child"), programFolder, page}) < 0) {
        return fail("the program did not start");
    }
    std::vector<double> start;
    std::vector<double> floor;
    for (int i = 0; i < kRuns; ++i) {
        const double program = timeProcess({QStringLiteral("--child"), programFolder});
        const double bare = timeProcess({QStringLiteral("--floor"), page});
        if (program < 0 || bare < 0) {
            return fail("a run failed");
        }
        start.push_back(program);
        floor.push_back(bare);
    }
    quorvex::bench::printMeasureWithFloor(QStringLiteral("start"), quorvex::bench::median(start),
                                          quorvex::bench::median(floor));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--child" && argc > 2) {
        return runChild(argc, argv);
    }
    if (mode == "--floor" && argc > 2) {
        return runFloor(argc, argv);
    }
    return runBenchmark(argc, argv);
}
