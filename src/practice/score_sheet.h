#pragma once

#include <QString>
#include <QVector>
#include <stdexcept>

#include "practice/grading_store.h"

namespace quorvex::practice {

// A count in fenshu that is not a whole number; the sheet is not built.
class ScoreSheetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The rate of k right out of n as the sheet writes it, without the "%": k / n rounded to two decimals,
// times 100, in its shortest form ("67" for 2 of 3, "33" for 1 of 3, "100" for 3 of 3). 0 when n is 0.
QString rateText(qint64 correct, qint64 questions);

// The heading fragment, appended before the table.
QString scoreSheetHeading();

// The table fragment: header, one row per stored row (texts as stored), the total row and the end
// tag, as one piece of markup. Throws ScoreSheetError when a count is not a whole number.
QString scoreSheetTable(const QVector<StoredScoreRow>& rows);

}  // namespace quorvex::practice
