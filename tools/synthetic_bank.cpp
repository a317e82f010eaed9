#include "synthetic_bank.h"

#include "source_json.h"

#include <QtMath>
#include <algorithm>
#include <array>

namespace quorvex::tools {

namespace {

constexpr int kOptionCount = 5;
constexpr int kCaseSize = 3;        // questions of a code-8 case
constexpr int kSharedListSize = 5;  // at most this many questions share one code-9 option list
constexpr int kCodes = 9;

// qtype ids 3 to 11 carry the codes 1 to 9, as in the sample bank.
qint64 qtypeIdOf(int code) {
    return code + 2;
}

const std::array<const char*, kCodes> kTitles = {
    "A1型题：单句型最佳选择题",
    "A2型题：病历摘要型最佳选择题",
    "A1型题：否定型最佳选择题",
    "X型题：多项选择题",
    "X型题：病例多项选择题",
    "多项选择题：综合应用",
    "多项选择题：案例辨析",
    "A3/A4型题：每个案例至少有3个提问，每个提问有4-12个备选答案，其中正确答案有一个或多个。",
    "B型题配伍选择题",
};

// How many questions of each code a chapter of n questions holds: code 8 in whole cases of three,
// the rest spread evenly over the other eight codes (the first codes take the remainder).
std::array<int, kCodes> questionsPerCode(int n) {
    std::array<int, kCodes> counts{};
    const int cases = n >= kCaseSize ? std::max(1, qRound(n / double(kCodes * kCaseSize))) : 0;
    counts[7] = cases * kCaseSize;
    const int rest = n - counts[7];
    int slot = 0;
    for (int index = 0; index < kCodes; ++index) {
        if (index == 7) {
            continue;
        }
        counts[static_cast<size_t>(index)] = rest / (kCodes - 1) + (slot < rest % (kCodes - 1) ? 1 : 0);
        ++slot;
    }
    return counts;
}

class Generator {
  public:
    explicit Generator(const SyntheticBankShape& shape) : shape_(shape) {}

    BankSource generate() {
        BankSource source;
        source.subjectName = QStringLiteral("合成题库");
        source.subjectCode = QStringLiteral("synthetic");
        for (int code = 1; code <= kCodes; ++code) {
            source.qtypes.push_back(
                {qtypeIdOf(code), code, QString::fromUtf8(kTitles[static_cast<size_t>(code - 1)])});
        }
        source.examSettings = {{30, 10, 2, 2}};
        for (int r = 1; r <= shape_.roots; ++r) {
            SourceNode root;
            root.name = QStringLiteral("第%1部分 合成部分").arg(r);
            for (int s = 1; s <= shape_.sections; ++s) {
                SourceNode section;
                section.name = QStringLiteral("第%1篇 合成篇 %2.%1").arg(s).arg(r);
                for (int c = 1; c <= shape_.chapters; ++c) {
                    SourceNode chapter;
                    chapter.name = QStringLiteral("第%1章 合成章 %2.%3.%1").arg(c).arg(r).arg(s);
                    fillChapter(chapter);
                    section.children.push_back(std::move(chapter));
                }
                root.children.push_back(std::move(section));
            }
            source.tree.push_back(std::move(root));
        }
        source.subjectCount = QString::number(questionNumber_);
        return source;
    }

  private:
    void fillChapter(SourceNode& chapter) {
        const std::array<int, kCodes> counts = questionsPerCode(shape_.questionsPerChapter);
        for (int code = 1; code <= kCodes; ++code) {
            const int count = counts[static_cast<size_t>(code - 1)];
            const int perGroup = code == 8 ? kCaseSize : code == 9 ? kSharedListSize : std::max(count, 1);
            for (int first = 0; first < count; first += perGroup) {
                chapter.groups.push_back(makeGroup(code, std::min(perGroup, count - first)));
            }
        }
    }

    SourceGroup makeGroup(int code, int questions) {
        ++groupNumber_;
        SourceGroup group;
        group.qtype = qtypeIdOf(code);
        if (code == 8) {
            group.content =
                QStringLiteral("病例%1：患者，男，%2岁，接触职业性有害因素%3年，近来出现相关症状。")
                    .arg(groupNumber_)
                    .arg(20 + groupNumber_ % 40)
                    .arg(1 + groupNumber_ % 20);
        } else if (code == 9) {
            group.opnum = kOptionCount;
            group.content = QStringLiteral("A．铅  B．汞  C．苯  D．锰  E．镉");
        }
        for (int i = 1; i <= questions; ++i) {
            group.questions.push_back(
                makeQuestion(code, code == 8 || code == 9 ? QString::number(i) : QString()));
        }
        return group;
    }

    SourceQuestion makeQuestion(int code, const QString& itemnum) {
        const int n = ++questionNumber_;
        SourceQuestion question;
        question.itemnum = itemnum;
        question.content = QStringLiteral("合成试题%1：下列关于职业性有害因素的说法，正确的是").arg(n);
        question.explain = QStringLiteral("合成试题%1的解析。").arg(n);
        if (code == 9) {
            question.answer = optionLetter(n % kOptionCount);
            return question;
        }
        for (int o = 0; o < kOptionCount; ++o) {
            question.options.push_back({0, QStringLiteral("试题%1的备选答案%2").arg(n).arg(optionLetter(o))});
        }
        if (code <= 3) {
            question.answer = optionLetter((n * 7) % kOptionCount);
        } else {
            // A non-empty set of letters, spread by a multiplicative hash of the question number.
            const quint32 mask = ((static_cast<quint32>(n) * 2654435761u) >> 11) % 31u + 1u;
            for (int o = 0; o < kOptionCount; ++o) {
                if (mask & (1u << o)) {
                    question.answer += optionLetter(o);
                }
            }
        }
        return question;
    }

    const SyntheticBankShape shape_;
    int groupNumber_ = 0;
    int questionNumber_ = 0;
};

}  // namespace

BankSource generateSyntheticSource(const SyntheticBankShape& shape) {
    return Generator(shape).generate();
}

QJsonDocument generateSyntheticBank(const SyntheticBankShape& shape) {
    return toJson(generateSyntheticSource(shape), SourceIds::Omit);
}

}  // namespace quorvex::tools
