#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <array>

namespace quorvex::study {

// One kind of error the user can tick in the feedback window, and the column of zezaz it fills.
struct FeedbackProblem {
    const char* label;   // UTF-8
    const char* column;  // Latin-1
};

// The ten kinds, in the order of their check boxes (left column top to bottom, then the right one).
inline constexpr std::array<FeedbackProblem, 10> kFeedbackProblems = {{
    {"试题图片不显示", "tupian"},
    {"试题不在考试大纲范围内", "kaoshidg"},
    {"试题不属于本学科", "xueke"},
    {"试题过于陈旧", "chenjiu"},
    {"试题有错别字", "cuobiezi"},
    {"解题思路与题干不符", "silutigan"},
    {"解题思路图片不显示", "silutp"},
    {"解题思路与答案相互矛盾", "siluddaan"},
    {"解题思路有错别字", "silucbz"},
    {"试题与其他试题重复", "shiticf"},
}};

// The subject every report names (kemu).
inline const QString kFeedbackSubject = QStringLiteral("职业病");
inline const QString kFeedbackWindowTitle = QStringLiteral("错题反馈");
inline const QString kFeedbackSentMessage = QStringLiteral("您的问题已经反馈成功，谢谢您的反馈！");
inline const QString kFeedbackFailedMessage = QStringLiteral("反馈失败！");

// What the user reports about one question.
struct FeedbackReport {
    QString subject = kFeedbackSubject;
    QString questionId;    // tihao
    QString questionText;  // tigan: the question's own stem
    std::array<bool, kFeedbackProblems.size()> ticked{};
    QString description;  // shuoming
};

// The fourteen columns of zezaz in the order of the insert: kemu, tihao, tigan, the ten problem columns,
// shuoming.
QStringList feedbackColumns();
// The fourteen values in that order, all text; a problem is "1" when ticked, else "0".
QVariantList feedbackValues(const FeedbackReport& report);
// The one insert of a report; the values are bound to its fourteen placeholders, so nothing the user
// typed or the bank holds becomes statement text.
QString feedbackInsertStatement();

}  // namespace quorvex::study
