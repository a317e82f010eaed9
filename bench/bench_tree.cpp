// tree.1000: the main window's chapter tree build (shown window) on a generated bank of 10 roots x 10
// sections x 10 chapters (1,110 nodes). Floor: the same tree rows read with one plain SQL query on the same
// connection. Also tree.1000.read: the tree walk alone, without the tree widget.

#include <sqlcipher/sqlite3.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "bench_bank.h"
#include "bench_common.h"
#include "database_writer.h"
#include "mainwindow/chapter_tree.h"
#include "mainwindow/main_window.h"
#include "source_reader.h"
#include "synthetic_bank.h"

namespace {

constexpr int kRuns = 15;

bool buildBank(const QString& folder) {
    const quorvex::tools::SyntheticBankShape shape{10, 10, 10, 20};
    return quorvex::bench::buildBankFromJson(
        quorvex::tools::generateSyntheticBank(shape).toJson(QJsonDocument::Compact), folder);
}

// The floor: every tree row in one statement, read into memory.
struct PlainRow {
    qint64 id;
    QString nodename;
    qint64 parentid;
    qint64 code;
};

std::vector<PlainRow> readTreeRowsPlain(sqlite3* db) {
    std::vector<PlainRow> rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "select id, nodename, parentid, code from tree", -1, &statement, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "prepare failed: %s\n", sqlite3_errmsg(db));
        return rows;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        rows.push_back(
            PlainRow{sqlite3_column_int64(statement, 0),
                     QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))),
                     sqlite3_column_int64(statement, 2), sqlite3_column_int64(statement, 3)});
    }
    sqlite3_finalize(statement);
    return rows;
}

template <typename Work>
std::vector<double> timeRuns(Work work) {
    std::vector<double> times;
    work();  // warm-up
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    if (!dir.isValid() || !buildBank(folder)) {
        return 1;
    }

    quorvex::bench::ConsoleDialogs dialogs;
    quorvex::mainwindow::MainWindow window(folder, dialogs);
    if (window.startupFailure()) {
        return 1;
    }

    // On screen, as after a view switch; the tree's layout, done when events are next processed, counts.
    window.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const std::vector<double> build = timeRuns([&window] {
        window.buildTree();
        QCoreApplication::processEvents();
    });
    if (window.nodeCount() != 1110) {
        std::fprintf(stderr, "tree of %d nodes, expected 1110\n", window.nodeCount());
        return 1;
    }

    quorvex::store::Connection& connection = window.connection();
    size_t plainRows = 0;
    const std::vector<double> floor = timeRuns([&connection, &plainRows] {
        plainRows = readTreeRowsPlain(connection.engineHandle()).size();
        connection.close();
    });
    if (plainRows != 1110) {
        std::fprintf(stderr, "plain read gave %zu rows, expected 1110\n", plainRows);
        return 1;
    }

    const std::vector<double> read = timeRuns([&connection] {
        quorvex::mainwindow::readChapterTree(connection, quorvex::study::StudyView::Exercise);
        connection.close();
    });

    quorvex::bench::printMeasureWithFloor(QStringLiteral("tree.1000"), quorvex::bench::median(build),
                                          quorvex::bench::median(floor));
    quorvex::bench::printMeasure(QStringLiteral("tree.1000.read"), quorvex::bench::median(read));
    return 0;
}
