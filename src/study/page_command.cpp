#include "study/page_command.h"

#include "store/connection.h"
#include "store/query.h"

namespace quorvex::study {

namespace {

// "http://scbt" and "http://ctfk" are 11 characters long.
constexpr int kCommandPrefixLength = 11;
// Ids are whole numbers of the bank; 18 digits always fit in qint64.
constexpr int kLongestId = 18;

std::optional<qint64> wholeNumber(const QString& text) {
    if (text.isEmpty() || text.size() > kLongestId) {
        return std::nullopt;
    }
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    return text.toLongLong();
}

}  // namespace

PageCommand parsePageCommand(const QString& address) {
    PageCommand command;
    command.reportsError = address.contains(QLatin1String("ctfk"));
    command.togglesFavourite = address.contains(QLatin1String("scbt"));
    if ((command.reportsError || command.togglesFavourite) && address.size() > kCommandPrefixLength + 1) {
        command.questionId =
            wholeNumber(address.mid(kCommandPrefixLength, address.size() - kCommandPrefixLength - 1));
    }
    return command;
}

bool questionExists(store::Connection& connection, qint64 questionId) {
    store::Query question(connection);
    question.setSql(QStringLiteral("select id from question where id=?"));
    question.setParams({questionId});
    question.open();
    return !question.isEmpty();
}

std::optional<bool> toggleFavourite(store::Connection& connection, qint64 questionId) {
    connection.close();
    connection.open();
    store::Query question(connection);
    question.setSql(QStringLiteral("select * from question where id=?"));
    question.setParams({questionId});
    question.open();
    if (question.isEmpty()) {
        return std::nullopt;
    }
    question.edit();
    const bool nowFavourite = question.text(QStringLiteral("scbt")) != QLatin1String("1");
    question.fieldByName(QStringLiteral("scbt")).setAsString(nowFavourite ? QStringLiteral("1") : QString());
    question.post();
    question.close();
    return nowFavourite;
}

QString allAnswersScript(bool show) {
    const QString caption = show ? QStringLiteral("显示答案") : QStringLiteral("隐藏答案");
    // Collected first: a click flips the caption, so the list must not be read while clicking.
    return QStringLiteral(
               "(function () {"
               " var buttons = document.querySelectorAll('input[id^=\"xs\"]');"
               " var closed = [];"
               " for (var i = 0; i < buttons.length; i++) {"
               "  if (/^xs[0-9]+$/.test(buttons[i].id) && buttons[i].value === '%1') closed.push(buttons[i]);"
               " }"
               " for (var k = 0; k < closed.length; k++) closed[k].click();"
               " return closed.length;"
               "})();")
        .arg(caption);
}

}  // namespace quorvex::study
