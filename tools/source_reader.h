#pragma once

#include "bank_source.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace quorvex::tools {

// One thing wrong with a bank source: where (a JSON path such as
// "tree[0].children[1].children[2].groups[0].questions[3].answer") and why.
struct SourceProblem {
    QString path;
    QString reason;
    QString toString() const { return path + QStringLiteral(": ") + reason; }
};

struct ReadResult {
    BankSource source;  // complete, with every id set, only when there are no problems
    std::vector<SourceProblem> problems;
    bool ok() const { return problems.empty(); }
};

// The path used for problems of the document as a whole (not JSON, unreadable file).
inline const QString kDocumentPath = QStringLiteral("(document)");

// Parses and checks a bank source. Picture names are looked up relative to pictureFolder.
// Every problem found is reported, not just the first.
ReadResult readBankSource(const QByteArray& json, const QString& pictureFolder);

// The same for a file; pictures are relative to the file's folder.
ReadResult readBankSourceFile(const QString& filePath);

}  // namespace quorvex::tools
