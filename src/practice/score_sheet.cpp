#include "practice/score_sheet.h"

#include <cstdio>
#include <cstdlib>

namespace quorvex::practice {

namespace {

qint64 countOf(const QString& text) {
    bool isNumber = false;
    const qint64 value = text.trimmed().toLongLong(&isNumber);
    if (!isNumber) {
        throw ScoreSheetError(QStringLiteral("“%1”不是有效的整数。").arg(text).toStdString());
    }
    return value;
}

// k / n rounded to two decimals. The fraction is formatted with two decimals and read back; an exact
// half (1 of 8 is 0.125) goes up, as a pupil rounds it, where the C library would round to even.
double roundedFraction(qint64 correct, qint64 questions) {
    const double fraction = static_cast<double>(correct) / static_cast<double>(questions);
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", fraction);
    double rounded = std::strtod(text, nullptr);
    // An exact half needs 200 k / n to be an odd whole number and k / n to be exact in binary (the
    // reduced denominator a power of two); otherwise the formatting above has rounded the true value.
    const qint64 scaled = 200 * correct;
    if (scaled % questions == 0 && (scaled / questions) % 2 != 0) {
        qint64 a = correct;
        qint64 b = questions;
        while (b != 0) {
            const qint64 r = a % b;
            a = b;
            b = r;
        }
        const qint64 denominator = questions / (a == 0 ? 1 : a);
        if ((denominator & (denominator - 1)) == 0) {
            rounded = static_cast<double>((scaled / questions + 1) / 2) / 100.0;
        }
    }
    return rounded;
}

QString rowFragment(const QString& title, const QString& questions, const QString& correct,
                    const QString& rate) {
    return QStringLiteral("<tr align=\"center\"><td>") + title + QStringLiteral("</td> <td>") + questions +
           QStringLiteral("</td> <td>") + correct + QStringLiteral("</td><td>") + questions +
           QStringLiteral("</td><td>") + correct + QStringLiteral("</td><td>") + rate + QStringLiteral("%") +
           QStringLiteral("</td> </tr> ");
}

}  // namespace

QString rateText(qint64 correct, qint64 questions) {
    const double fraction = questions == 0 ? 0.0 : roundedFraction(correct, questions);
    // Fifteen significant digits hide the binary remainder: 0.67 * 100 reads 67.
    return QString::number(fraction * 100.0, 'g', 15);
}

QString scoreSheetHeading() {
    return QStringLiteral("<p align=\"center\" class=\"TestResultTitle\" >本 次 测 试 结 果</p>");
}

QString scoreSheetTable(const QVector<StoredScoreRow>& rows) {
    QString table = QStringLiteral(
        "<br><br>  <table align=\"center\"  border=1 bordercolor=skyblue cellpadding=\"0\" cellspacing=\"0\" "
        "class=\"table1\"  ><tr> <th class=\"table3\"  >题  型</th> <th class=\"table4\"  >试 题 数</th>  "
        "<th class=\"table3\"   > 答  对 </th>  <th class=\"table3\"  > 总  分 </th>  <th class=\"table3\"  "
        "> "
        "得  分 </th>  <th class=\"table3\"  >正 确 率</th> </tr> ");
    qint64 totalQuestions = 0;
    qint64 totalCorrect = 0;
    for (const StoredScoreRow& row : rows) {
        const qint64 questions = countOf(row.sts);
        const qint64 correct = countOf(row.dd);
        totalQuestions += questions;
        totalCorrect += correct;
        table += rowFragment(row.tx, row.sts, row.dd, rateText(correct, questions));
    }
    table += rowFragment(QStringLiteral("合  计"), QString::number(totalQuestions),
                         QString::number(totalCorrect), rateText(totalCorrect, totalQuestions));
    table += QStringLiteral("</table>");
    return table;
}

}  // namespace quorvex::practice
