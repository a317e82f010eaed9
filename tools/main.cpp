#include "bank_tool.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int exitCode = quorvex::tools::runBankTool(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return exitCode;
}
