#pragma once

#include "bank_source.h"

#include <QString>
#include <QTextStream>
#include <functional>

namespace quorvex::tools {

// Told after each question written: how many so far, and of how many.
using WriteProgress = std::function<void(int written, int total)>;

// Writes a checked source (every id set) into a new encrypted bank file at filePath, which must not
// exist yet. All rows go in one transaction, in document order. Throws store::StoreError.
void writeBankDatabase(const BankSource& source, const QString& filePath, const WriteProgress& progress = {});

// Builds outputFolder/Data/med.mdb from a checked source and copies the question pictures from
// pictureFolder to the same relative names under outputFolder. The database is written to a
// temporary file beside med.mdb and renamed over it only when complete, so a failed build leaves
// the old file as it was. Reports failures to err; returns false on failure.
bool buildBankFolder(const BankSource& source, const QString& pictureFolder, const QString& outputFolder,
                     QTextStream& err, const WriteProgress& progress = {});

}  // namespace quorvex::tools
