#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quorvex::testing {

// A fresh temporary program folder for one test: Data/med.mdb built from a bank source (JSON text in
// the bank source format), the files of resources/program (ty.html ...) copied in. The encrypted
// file of each distinct source is built once per test binary and copied for every folder. Picture
// names in the source are relative to resources/sample-bank and are copied in as well.
class TestProgramFolder {
  public:
    explicit TestProgramFolder(const QByteArray& bankSourceJson);
    // Ends with "/".
    QString path() const;
    QString databasePath() const;  // path() + "Data/med.mdb"

  private:
    QTemporaryDir dir_;
};

// A small valid bank: 2 roots; root 1 has a section with 2 chapters and an empty section; root 2 has
// no sections; a few groups of codes 1, 4, 8 and 9 with options and explanations.
QByteArray smallBankJson();

}  // namespace quorvex::testing
