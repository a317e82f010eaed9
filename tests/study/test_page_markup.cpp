#include <QRegularExpression>
#include <QtTest>

#include "study/page_markup.h"

using namespace quorvex::study;

namespace {

QuestionRow question(qint64 id, const QString& content, int optionCount = 0, qint64 firstOptionId = 0) {
    QuestionRow q;
    q.id = id;
    q.content = content;
    q.answer = QStringLiteral("A");
    q.explain = QStringLiteral("解析") + QString::number(id);
    for (int k = 0; k < optionCount; ++k) {
        q.options.append(
            {firstOptionId + k, id, QString(QChar('A' + k)), QStringLiteral("选项") + QString::number(k)});
    }
    return q;
}

GroupRow group(int code, const QString& title, QVector<QuestionRow> questions, const QString& content = {},
               int opnum = 0) {
    GroupRow g;
    g.typeCode = code;
    g.typeTitle = title;
    g.questions = std::move(questions);
    g.content = content;
    g.opnum = opnum;
    return g;
}

// The numbers the page shows in front of stems and group stems, in page order.
QStringList shownNumbers(const QStringList& fragments) {
    static const QRegularExpression stem(
        QStringLiteral("^&nbsp(?: <span  id ='fan\\d+'>)?(\\d+(?:\\.\\d+)?)\\.[ 共]"));
    static const QRegularExpression groupStem(QStringLiteral("^&nbsp(\\d+)\\.(?! )"));
    QStringList numbers;
    for (const QString& f : fragments) {
        auto m = stem.match(f);
        if (m.hasMatch()) {
            numbers << m.captured(1);
            continue;
        }
        m = groupStem.match(f);
        if (m.hasMatch()) {
            numbers << QStringLiteral("stem ") + m.captured(1);
        }
    }
    return numbers;
}

}  // namespace

class TestPageMarkup : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void singleChoiceQuestionIsWrittenToTheCharacter() {
        PageMarkupWriter writer;
        QuestionRow q = question(12, QStringLiteral("下列属于物理因素的是"), 2, 40);
        q.answer = QStringLiteral("B");
        q.explain = QStringLiteral("噪声属于物理因素");
        const QStringList out = writer.groupFragments(group(1, QStringLiteral("A1型题"), {q}));
        const QStringList expected = {
            QStringLiteral("&nbsp <b>A1型题</b>"),
            QStringLiteral("<br><br>"),
            QStringLiteral("&nbsp <span  id ='fan12'>1. 下列属于物理因素的是</span>"),
            QStringLiteral("<br>"),
            QStringLiteral("<br>"),
            QStringLiteral("&nbsp <input type=\"radio\" id=\"40\"  name=\"12\" value=\"A\">A:选项0<br>"),
            QStringLiteral("<br>"),
            QStringLiteral("&nbsp <input type=\"radio\" id=\"41\"  name=\"12\" value=\"B\">B:选项1<br>"),
            QStringLiteral(
                "<div  style=\"cursor:hand;\"><tr><td width=\"100%\"> <div align=\"right\" > <input "
                "id=\"xs12\" onclick=\"xsda(this,'ansnote12')\" name=\"tolvanexsda\" type=\"button\" "
                "value=\"显示答案\"/><input id=\"sc\"  onclick=\"scbt(this); "
                "window.location.href('http://scbt12')\" name=\"tolvanescbt\" type=\"button\" "
                "value=\"收藏本题\"/><input  name=\"tolvanectfk\" "
                "onclick=\"window.location.href('http://ctfk12')\" type=\"button\" value=\"错题反馈\" /> "
                "</div>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</div><div  class=\"Answer\" "
                "id=\"ansnote12\" value=\"B\" style=\"display:none\">正确答案：B "
                "答案解析：噪声属于物理因素</div></td></tr> "),
            QStringLiteral("<hr>"),
        };
        QCOMPARE(out, expected);
    }

    void checkBoxesPictureAndFavouriteCaption_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("picurl");
        QTest::addColumn<QString>("scbt");
        QTest::addColumn<bool>("checkbox");
        QTest::addColumn<bool>("picture");
        QTest::addColumn<QString>("caption");
        QTest::newRow("code 3 radio, no picture") << 3 << ""
                                                  << "" << false << false << "收藏本题";
        QTest::newRow("code 4 check box") << 4 << ""
                                          << "1" << true << false << "取消收藏";
        QTest::newRow("code 7 check box, picture") << 7 << "pictures/x.svg"
                                                   << "" << true << true << "收藏本题";
        QTest::newRow("blank picture name") << 2 << "   "
                                            << " 1" << false << false << "收藏本题";
        QTest::newRow("code 8 check box, picture") << 8 << "a.png"
                                                   << "1" << true << true << "取消收藏";
    }
    void checkBoxesPictureAndFavouriteCaption() {
        QFETCH(int, code);
        QFETCH(QString, picurl);
        QFETCH(QString, scbt);
        QFETCH(bool, checkbox);
        QFETCH(bool, picture);
        QFETCH(QString, caption);
        QuestionRow q = question(5, QStringLiteral("题干"), 1, 9);
        q.picurl = picurl;
        q.scbt = scbt;
        const QString page =
            PageMarkupWriter().groupFragments(group(code, QStringLiteral("T"), {q})).join(QChar('|'));
        QCOMPARE(page.contains(QStringLiteral("type=\"checkbox\" id=\"9\" name=\"5\" value=\"A\">")),
                 checkbox);
        QCOMPARE(page.contains(QStringLiteral("type=\"radio\" id=\"9\"  name=\"5\" value=\"A\">")),
                 !checkbox);
        QCOMPARE(page.contains(QStringLiteral("|&nbsp<br><p> 如图所示：<img src=\"./") + picurl +
                               QStringLiteral("\"> </p> <br>|")),
                 picture);
        QVERIFY(page.contains(QStringLiteral("type=\"button\" value=\"") + caption + QStringLiteral("\"/>")));
        QVERIFY(page.contains(QStringLiteral("style=\"display:none\"")));
        QVERIFY(page.contains(QStringLiteral("value=\"显示答案\"")));
    }

    void numberingRunsAcrossGroups() {
        PageMarkupWriter writer;
        QStringList out;
        writer.writeGroup(
            group(1, QStringLiteral("A1"), {question(1, "a"), question(2, "b"), question(3, "c")}), out);
        writer.writeGroup(group(8, QStringLiteral("案例"), {question(4, "d"), question(5, "e")}, "病例"),
                          out);
        writer.writeGroup(group(9, QStringLiteral("B型"), {question(6, "f"), question(7, "g")}, "A．铅", 5),
                          out);
        writer.writeGroup(group(1, QStringLiteral("A1"), {question(8, "h")}), out);
        QCOMPARE(shownNumbers(out),
                 (QStringList{"1", "2", "3", "stem 4", "4.1", "4.2", "stem 5", "5.1", "5.2", "6"}));
        QCOMPARE(out.count(QStringLiteral("<hr>")), 3 + 2 + 1 + 1);  // one after the whole code-9 group
        QCOMPARE(writer.questionNo(), 7);
        // The code-9 rule comes straight after the group's last answer block.
        const int lastSelect = out.indexOf(QRegularExpression(QStringLiteral(".*id=\"a7\".*")));
        QCOMPARE(out.at(lastSelect + 2).startsWith(QStringLiteral("<div  style")), true);
        QCOMPARE(out.at(lastSelect + 3), QStringLiteral("<hr>"));
    }

    void typeHeadings_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("headings");
        QTest::newRow("code 1 before each group") << 1 << 2;
        QTest::newRow("code 6 before each group") << 6 << 2;
        QTest::newRow("code 8 once per page") << 8 << 1;
        QTest::newRow("code 9 once per page") << 9 << 1;
        QTest::newRow("other codes never") << 0 << 0;
    }
    void typeHeadings() {
        QFETCH(int, code);
        QFETCH(int, headings);
        PageMarkupWriter writer;
        QStringList out;
        writer.writeGroup(group(code, QStringLiteral("题型"), {question(1, "a")}, "干", 3), out);
        writer.writeGroup(group(code, QStringLiteral("题型"), {question(2, "b")}, "干", 3), out);
        QCOMPARE(out.count(QStringLiteral("&nbsp <b>题型</b>")), headings);
    }

    void sharedLetters_data() {
        QTest::addColumn<int>("opnum");
        QTest::addColumn<QString>("lastLetter");
        QTest::newRow("0: only the answer entry") << 0 << "";
        QTest::newRow("5") << 5 << "E";
        QTest::newRow("15") << 15 << "O";
        QTest::newRow("20 stops at O") << 20 << "O";
    }
    void sharedLetters() {
        QFETCH(int, opnum);
        QFETCH(QString, lastLetter);
        const QString letters = PageMarkupWriter::optionLetters(opnum);
        QCOMPARE(letters.count(QStringLiteral("<option")), qMin(opnum, 15));
        if (!lastLetter.isEmpty()) {
            QVERIFY(
                letters.endsWith(QStringLiteral("<option value=\"") + lastLetter + "\">" + lastLetter + " "));
        }
        const QStringList out =
            PageMarkupWriter().groupFragments(group(9, "B", {question(3, "题")}, "备选", opnum));
        QVERIFY(
            out.contains(QStringLiteral("&nbsp1.1.  <select name=\"cars\" id=\"a3\"> <option value=\"daan\" "
                                        "selected>答案 ") +
                         letters + QStringLiteral("</select><span id ='fan3'>题</span>")));
    }

    void emptyGroups_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<int>("fragments");
        QTest::addColumn<int>("nextNumber");
        QTest::newRow("exercise code 1 writes its heading") << 1 << false << 2 << 1;
        QTest::newRow("exercise code 8 writes heading and stem") << 8 << false << 4 << 1;
        QTest::newRow("exercise code 9 writes heading and stem") << 9 << false << 5 << 2;
        QTest::newRow("filtered code 1 writes nothing") << 1 << true << 0 << 1;
        QTest::newRow("filtered code 9 writes nothing") << 9 << true << 0 << 1;
    }
    void emptyGroups() {
        QFETCH(int, code);
        QFETCH(bool, filtered);
        QFETCH(int, fragments);
        QFETCH(int, nextNumber);
        PageMarkupWriter writer(filtered ? PageVariant::Filtered : PageVariant::Exercise);
        QCOMPARE(writer.groupFragments(group(code, "T", {}, "干", 2)).size(), fragments);
        QCOMPARE(writer.questionNo(), nextNumber);
    }

    void filteredCaseShowsOnlyItsMarkedQuestion() {
        PageMarkupWriter writer(PageVariant::Filtered);
        QStringList out;
        writer.writeGroup(group(1, "A1", {}), out);
        writer.writeGroup(group(8, "案例", {question(21, "第二问")}, "病例"), out);
        QCOMPARE(shownNumbers(out), (QStringList{"stem 1", "1.1"}));
    }

    void feedbackVariant() {
        PageMarkupWriter writer(PageVariant::Feedback);
        QuestionRow q = question(30, QStringLiteral("问"), 1, 70);
        q.picurl = QStringLiteral("p.svg");
        q.answer = QStringLiteral("A");
        const QStringList out =
            writer.groupFragments(group(8, QStringLiteral("案例"), {q}, QStringLiteral("病例")));
        const QStringList expected = {
            QStringLiteral("&nbsp <b>案例</b>"),
            QStringLiteral("<br>"),
            QStringLiteral("&nbsp1.病例"),
            QStringLiteral("<br>"),
            QStringLiteral("&nbsp<br><p> 如图所示：<img src=\"./p.svg\"> </p> "),
            QStringLiteral("&nbsp1.1. 问"),
            QStringLiteral("<br>"),
            QStringLiteral("<br>"),
            QStringLiteral("&nbsp <input type=\"checkbox\" id=\"70\" name=\"30\" value=\"A\">A:选项0"),
            QStringLiteral("<br> <br><div class=\"Answer\" id=\"ansnote30\" value=\"A\" "
                           "style=\"display\">正确答案：A</div></td></tr><br><br> "),
        };
        QCOMPARE(out, expected);
    }
};

QTEST_GUILESS_MAIN(TestPageMarkup)
#include "test_page_markup.moc"
