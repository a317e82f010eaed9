#pragma once

#include "synthetic_bank.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace quorvex::tools {

// Exit codes of the bank tool.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,  // a refused source, an unreadable database, a file that cannot be written
    kExitUsage = 2,   // wrong command line
};

// Runs the bank tool on its arguments (without the program name): "check", "build", "export",
// "stats", "generate", "--help". Results go to out, problems and progress to err.
int runBankTool(const QStringList& args, QTextStream& out, QTextStream& err);

QString bankToolUsage();

// The commands, callable on their own.
int checkSource(const QString& sourcePath, QTextStream& out, QTextStream& err);
int buildBank(const QString& sourcePath, const QString& outputFolder, QTextStream& out, QTextStream& err);
int exportBank(const QString& databasePath, const QString& sourcePath, QTextStream& out, QTextStream& err);
int showStats(const QString& databasePath, QTextStream& out, QTextStream& err);
int generateBank(const QString& sourcePath, const SyntheticBankShape& shape, QTextStream& out,
                 QTextStream& err);

}  // namespace quorvex::tools
