#pragma once

#include "bank_source.h"

#include <QStringList>

namespace quorvex::store {
class Connection;
}

namespace quorvex::tools {

struct DatabaseContent {
    BankSource source;     // every id explicit, rows in stored order
    QStringList warnings;  // rows that do not fit the bank source format and were left out or changed
};

// Reads a bank file back into a source: the tree from the roots (code 1) down three levels, the groups
// of the chapters, their questions and options. Program state (favourites, wrong questions, papers,
// results) is not part of a source and is not read. Throws store::StoreError.
DatabaseContent readBankDatabase(store::Connection& connection);

}  // namespace quorvex::tools
