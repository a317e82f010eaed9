#include "page_markup.h"

namespace quorvex::study {

namespace {

bool isSingleChoice(int code) {
    return code >= 1 && code <= 3;
}
bool isPlainQuestion(int code) {
    return code >= 1 && code <= 7;
}
bool hasOptionControls(int code) {
    return code >= 1 && code <= 8;
}

QString num(qint64 value) {
    return QString::number(value);
}

}  // namespace

PageMarkupWriter::PageMarkupWriter(PageVariant variant) : variant_(variant) {}

QStringList PageMarkupWriter::groupFragments(const GroupRow& group) {
    QStringList out;
    writeGroup(group, out);
    return out;
}

void PageMarkupWriter::writeGroup(const GroupRow& group, QStringList& out) {
    const int code = group.typeCode;
    const bool feedback = variant_ == PageVariant::Feedback;
    // The filtered views leave out groups of which no question is listed, heading and stem included.
    const bool writeHead = variant_ != PageVariant::Filtered || !group.questions.isEmpty();

    if (writeHead) {
        if (isPlainQuestion(code)) {
            out << heading(group) << separator();
        } else if (code == 8 || code == 9) {
            bool& shown = code == 8 ? typeCode8HeadingShown_ : typeCode9HeadingShown_;
            if (!shown) {
                shown = true;
                out << heading(group) << separator();
            }
            out << groupStem(group) << separator();
            if (code == 9) {
                ++questionNo_;
            }
        }
        groupFirstNo_ = questionNo_;
    }

    int subNumber = 1;
    for (const QuestionRow& question : group.questions) {
        if (hasOptionControls(code)) {
            if (!question.picurl.trimmed().isEmpty()) {
                out << picture(question);
            }
            if (code == 8 && subNumber != 1) {
                --questionNo_;
            }
            out << numberedStem(group, question, subNumber);
        } else if (code == 9) {
            --questionNo_;
            out << numberedStem(group, question, subNumber);
        }
        out << QStringLiteral("<br>");
        ++subNumber;
        ++questionNo_;

        if (hasOptionControls(code)) {
            for (const OptionRow& row : question.options) {
                out << QStringLiteral("<br>") << QStringLiteral("&nbsp") + option(code, row);
            }
        }
        out << answerBlock(question);
        if (code != 9 && !feedback) {
            out << QStringLiteral("<hr>");
        }
    }

    ++groupFirstNo_;
    if (code == 9 && writeHead && !feedback) {
        out << QStringLiteral("<hr>");
    }
}

QString PageMarkupWriter::optionLetters(int opnum) {
    QString letters;
    for (int k = 1; k <= opnum && k <= 15; ++k) {
        const QChar letter(QLatin1Char(char('A' + k - 1)));
        letters += QStringLiteral("<option value=\"") + letter + QStringLiteral("\">") + letter +
                   QStringLiteral(" ");
    }
    return letters;
}

QString PageMarkupWriter::separator() const {
    return variant_ == PageVariant::Feedback ? QStringLiteral("<br>") : QStringLiteral("<br><br>");
}

QString PageMarkupWriter::heading(const GroupRow& group) const {
    return QStringLiteral("&nbsp <b>") + group.typeTitle + QStringLiteral("</b>");
}

QString PageMarkupWriter::groupStem(const GroupRow& group) const {
    return QStringLiteral("&nbsp") + num(questionNo_) + QStringLiteral(".") + group.content;
}

QString PageMarkupWriter::picture(const QuestionRow& question) const {
    QString html = QStringLiteral("&nbsp<br>") + QStringLiteral("<p> 如图所示：<img src=\"./") +
                   question.picurl + QStringLiteral("\"> </p> ");
    if (variant_ != PageVariant::Feedback) {
        html += QStringLiteral("<br>");
    }
    return html;
}

QString PageMarkupWriter::numberedStem(const GroupRow& group, const QuestionRow& question,
                                       int subNumber) const {
    const bool feedback = variant_ == PageVariant::Feedback;
    const QString q = num(question.id);
    if (group.typeCode == 9) {
        const QString select = QStringLiteral("&nbsp") + num(questionNo_) + QStringLiteral(".") +
                               num(subNumber) + QStringLiteral(". ") +
                               QStringLiteral(" <select name=\"cars\" id=\"a") + q +
                               QStringLiteral("\"> <option value=\"daan\" selected>答案 ") +
                               optionLetters(group.opnum) + QStringLiteral("</select>");
        if (feedback) {
            return select + question.content;
        }
        return select + QStringLiteral("<span id ='fan") + q + QStringLiteral("'>") + question.content +
               QStringLiteral("</span>");
    }
    const QString number =
        group.typeCode == 8 ? num(groupFirstNo_) + QStringLiteral(".") + num(subNumber) : num(questionNo_);
    if (feedback) {
        return QStringLiteral("&nbsp") + number + QStringLiteral(". ") + question.content;
    }
    return QStringLiteral("&nbsp <span  id ='fan") + q + QStringLiteral("'>") + number +
           QStringLiteral(". ") + question.content + QStringLiteral("</span>");
}

QString PageMarkupWriter::option(int typeCode, const OptionRow& row) const {
    QString html;
    if (isSingleChoice(typeCode)) {
        html = QStringLiteral(" <input type=\"radio\" id=\"") + num(row.id) + QStringLiteral("\"  name=\"") +
               num(row.questionId) + QStringLiteral("\" value=\"") + row.code + QStringLiteral("\">");
    } else {
        html = QStringLiteral(" <input type=\"checkbox\" id=\"") + num(row.id) +
               QStringLiteral("\" name=\"") + num(row.questionId) + QStringLiteral("\" value=\"") + row.code +
               QStringLiteral("\">");
    }
    html += row.code + QStringLiteral(":") + row.content;
    if (variant_ != PageVariant::Feedback) {
        html += QStringLiteral("<br>");
    }
    return html;
}

QString PageMarkupWriter::answerBlock(const QuestionRow& question) const {
    const QString q = num(question.id);
    if (variant_ == PageVariant::Feedback) {
        return QStringLiteral("<br> <br><div class=\"Answer\" id=\"ansnote") + q +
               QStringLiteral("\" value=\"") + question.answer + QStringLiteral("\" style=\"display\">") +
               QStringLiteral("正确答案：") + question.answer + QStringLiteral("</div></td></tr><br><br> ");
    }
    const QString favourite =
        question.scbt == QLatin1String("1")
            ? QStringLiteral("')\" name=\"tolvanescbt\" type=\"button\" value=\"取消收藏\"/>")
            : QStringLiteral("')\" name=\"tolvanescbt\" type=\"button\" value=\"收藏本题\"/>");
    return QStringLiteral(
               "<div  style=\"cursor:hand;\"><tr><td width=\"100%\"> <div align=\"right\" > <input id=\"xs") +
           q + QStringLiteral("\" onclick=\"xsda(this,'") + QStringLiteral("ansnote") + q +
           QStringLiteral("')\" name=\"tolvanexsda\" type=\"button\" value=\"显示答案\"/>") +
           QStringLiteral("<input id=\"sc\"  onclick=\"scbt(this); window.location.href('http://scbt") + q +
           favourite +
           QStringLiteral("<input  name=\"tolvanectfk\" onclick=\"window.location.href('http://ctfk") + q +
           QStringLiteral("')\" type=\"button\" value=\"错题反馈\" /> </div>") +
           QStringLiteral(
               "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</div><div  class=\"Answer\" id=\"ansnote") +
           q + QStringLiteral("\" value=\"") + question.answer +
           QStringLiteral("\" style=\"display:none\">") + QStringLiteral("正确答案：") + question.answer +
           QStringLiteral(" 答案解析：") + question.explain + QStringLiteral("</div></td></tr> ");
}

}  // namespace quorvex::study
