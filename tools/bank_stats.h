#pragma once

#include <QString>
#include <QTextStream>
#include <vector>

namespace quorvex::store {
class Connection;
}

namespace quorvex::tools {

struct QtypeStats {
    qint64 id = 0;
    qint64 code = 0;
    QString title;
    int groups = 0;
    int questions = 0;
};

struct BankStats {
    int roots = 0;     // tree rows with code 1
    int sections = 0;  // children of roots
    int chapters = 0;  // children of sections
    int groups = 0;
    int questions = 0;
    int options = 0;
    std::vector<QtypeStats> qtypes;  // in stored order
    // What the exam room can draw from, by readtext.qtypeid.
    int a1Questions = 0;  // groups of qtypeid 3 to 5
    int a2Questions = 0;  // groups of qtypeid 6 to 9
    int a3Cases = 0;      // groups of qtypeid 10
    int a4Groups = 0;     // groups of qtypeid 11
};

// Throws store::StoreError.
BankStats collectBankStats(store::Connection& connection);

// One "name: value" line per number.
void printBankStats(const BankStats& stats, QTextStream& out);

}  // namespace quorvex::tools
