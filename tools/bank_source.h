#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

namespace quorvex::tools {

// The bank source as the tool holds it in memory: one subject, its question types, the exam
// settings and the three-level chapter tree with groups, questions and options.
//
// An id of 0 means "none given". After parsing, every id is set (explicit or numbered in document
// order), so the database writer never numbers anything itself.

struct SourceOption {
    qint64 id = 0;
    QString content;
};

struct SourceQuestion {
    qint64 id = 0;
    QString itemnum;
    QString content;
    std::vector<SourceOption> options;  // letters A, B, C ... in this order
    QString answer;
    QString explain;
    QString picture;  // relative to the source file; blank when the question has none
};

struct SourceGroup {
    qint64 id = 0;
    qint64 qtype = 0;  // a qtypes[].id
    QString content;   // shared stem or shared option list
    std::optional<int> opnum;
    QString itemnum;
    std::vector<SourceQuestion> questions;
};

struct SourceNode {
    qint64 id = 0;
    QString name;
    std::vector<SourceNode> children;  // sections under a root, chapters under a section
    std::vector<SourceGroup> groups;   // chapters only
};

struct SourceQtype {
    qint64 id = 0;
    qint64 code = 0;
    QString title;
};

struct BankSource {
    QString subjectName;
    QString subjectCode;
    QString subjectCount;
    std::vector<SourceQtype> qtypes;
    std::array<int, 4> examSettings{{0, 0, 0, 0}};
    std::vector<SourceNode> tree;
};

inline const QString kBankFormat = QStringLiteral("quorvex-bank/1");

// The option letter of a 0-based position: A, B, C ...
inline QChar optionLetter(int index) {
    return QChar(QLatin1Char('A').unicode() + index);
}

// Calls visit(node, level) for every tree node in pre-order; level 1 is a root. Works on const and
// non-const trees.
template <typename Nodes, typename Visit>
void forEachNode(Nodes& nodes, Visit&& visit, int level = 1) {
    for (auto& node : nodes) {
        visit(node, level);
        forEachNode(node.children, visit, level + 1);
    }
}

struct BankSize {
    int roots = 0;
    int sections = 0;
    int chapters = 0;
    int groups = 0;
    int questions = 0;
    int options = 0;
};

BankSize sizeOf(const BankSource& source);

}  // namespace quorvex::tools
