#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace quorvex::study {

// The rows one group of a question page is written from, as read from the bank.
struct OptionRow {
    qint64 id = 0;
    qint64 questionId = 0;
    QString code;  // the option's letter
    QString content;
};

struct QuestionRow {
    qint64 id = 0;
    QString content;
    QString answer;
    QString explain;
    QString picurl;
    QString scbt;  // "1" for a favourite
    QVector<OptionRow> options;
};

struct GroupRow {
    qint64 id = 0;
    QString content;  // the shared stem or shared option list (codes 8 and 9)
    int opnum = 0;    // number of shared options (code 9)
    int typeCode = 0;
    QString typeTitle;
    QVector<QuestionRow> questions;
};

// Which page the fragments are for.
enum class PageVariant {
    Exercise,  // the chapter page of the exercise view
    Filtered,  // the favourites and wrong-question views: groups without questions write nothing
    Feedback,  // one question in the error-feedback window: answer shown, no buttons, no rules
};

// Writes question groups as the fragments that are appended, one by one, to the body of the page file.
// The element ids, names and values are what grading, the page commands and the exam room look up.
// Numbering runs on across the groups of one page: one writer per page.
class PageMarkupWriter {
  public:
    explicit PageMarkupWriter(PageVariant variant = PageVariant::Exercise);

    // Appends the fragments of one group to `out`, in order.
    void writeGroup(const GroupRow& group, QStringList& out);
    QStringList groupFragments(const GroupRow& group);

    // Page state, as the main window knows it.
    int questionNo() const { return questionNo_; }
    int groupFirstNo() const { return groupFirstNo_; }
    bool typeCode8HeadingShown() const { return typeCode8HeadingShown_; }
    bool typeCode9HeadingShown() const { return typeCode9HeadingShown_; }

    // The shared-letter entries of a code-9 select: A to O, at most 15.
    static QString optionLetters(int opnum);

  private:
    QString heading(const GroupRow& group) const;
    QString groupStem(const GroupRow& group) const;
    QString picture(const QuestionRow& question) const;
    QString numberedStem(const GroupRow& group, const QuestionRow& question, int subNumber) const;
    QString option(int typeCode, const OptionRow& option) const;
    QString answerBlock(const QuestionRow& question) const;
    QString separator() const;

    PageVariant variant_;
    int questionNo_ = 1;
    int groupFirstNo_ = 0;
    bool typeCode8HeadingShown_ = false;
    bool typeCode9HeadingShown_ = false;
};

}  // namespace quorvex::study
