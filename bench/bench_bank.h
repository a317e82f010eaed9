#pragma once

#include <QByteArray>
#include <QString>
#include <QTextStream>
#include <cstdio>

#include "database_writer.h"
#include "source_reader.h"

namespace quorvex::bench {

// Builds `folder`/Data/med.mdb from a bank source in the bank format (JSON text).
inline bool buildBankFromJson(const QByteArray& json, const QString& folder) {
    const tools::ReadResult source = tools::readBankSource(json, folder);
    if (!source.ok()) {
        std::fprintf(stderr, "the benchmark's bank source is refused\n");
        return false;
    }
    QString errors;
    QTextStream err(&errors);
    if (!tools::buildBankFolder(source.source, folder, folder, err)) {
        std::fprintf(stderr, "building the bank failed: %s\n", qPrintable(errors));
        return false;
    }
    return true;
}

}  // namespace quorvex::bench
