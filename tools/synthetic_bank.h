#pragma once

#include "bank_source.h"

#include <QJsonDocument>

namespace quorvex::tools {

// The size of a synthetic bank: roots x sections x chapters, each chapter with the same number of
// questions. The defaults (1,000 chapters of 20) make 20,000 questions.
struct SyntheticBankShape {
    int roots = 10;
    int sections = 10;  // per root
    int chapters = 10;  // per section
    int questionsPerChapter = 20;
};

// A deterministic bank of any size for tests and benchmarks: question types with ids 3 to 11 for the
// codes 1 to 9; each chapter spreads its questions over every code (five options each; code 8 as
// cases of three questions, code 9 as shared lists of five options). No ids are set (0): a build
// numbers them in document order.
BankSource generateSyntheticSource(const SyntheticBankShape& shape);

// The same in the bank source format.
QJsonDocument generateSyntheticBank(const SyntheticBankShape& shape);

}  // namespace quorvex::tools
