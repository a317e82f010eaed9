#pragma once

#include <QString>
#include <optional>

namespace quorvex::store {
class Connection;
}

namespace quorvex::study {

// What a navigation of a question page asks for. The page's buttons go to "http://scbt" + id (toggle the
// favourite mark) and "http://ctfk" + id (report an error); the view hands the address on with a "/"
// appended. Any other address asks for nothing.
struct PageCommand {
    bool reportsError = false;      // the address contains "ctfk"
    bool togglesFavourite = false;  // the address contains "scbt"
    // The question id: the address without its first 11 characters and its last one, taken only when
    // that is a whole number written in digits. Anything else (text a stored link or a crafted page could
    // put there) leaves it empty, and the command is ignored.
    std::optional<qint64> questionId;
};

PageCommand parsePageCommand(const QString& address);

inline const QString kFavouriteAddedMessage = QStringLiteral("收藏成功！");
inline const QString kFavouriteRemovedMessage = QStringLiteral("取消收藏！");

// Whether the bank has a question with this id.
bool questionExists(store::Connection& connection, qint64 questionId);

// Flips question.scbt of one question ("1" <-> "") and posts the row. Returns the new mark, or nothing
// when the bank has no such question. Throws StoreError on a database error.
std::optional<bool> toggleFavourite(store::Connection& connection, qint64 questionId);

// The script that clicks the show-answer button ("xs" + question id) of every question on the page whose
// caption is "显示答案" (show = true) or "隐藏答案" (show = false); the page's xsda then opens or closes
// that answer and flips the caption. Every question on the page counts, whatever its id.
QString allAnswersScript(bool show);

}  // namespace quorvex::study
