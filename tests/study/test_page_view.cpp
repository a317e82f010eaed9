#include "study/page_view.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

using quorvex::study::ControlState;
using quorvex::study::PageView;

namespace {

// The answer block with its button row, as the question pages write it for question q.
QString answerBlock(int q, const QString& answer = QStringLiteral("A")) {
    const QString id = QString::number(q);
    return QStringLiteral(
               "<div  style=\"cursor:hand;\"><tr><td width=\"100%\"> <div align=\"right\" > <input "
               "id=\"xs%1\" "
               "onclick=\"xsda(this,'ansnote%1')\" name=\"tolvanexsda\" type=\"button\" value=\"显示答案\"/>"
               "<input id=\"sc\"  onclick=\"scbt(this); window.location.href('http://scbt%1')\" "
               "name=\"tolvanescbt\" type=\"button\" value=\"收藏本题\"/><input  name=\"tolvanectfk\" "
               "onclick=\"window.location.href('http://ctfk%1')\" type=\"button\" value=\"错题反馈\" /> "
               "</div>"
               "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</div><div  class=\"Answer\" "
               "id=\"ansnote%1\" "
               "value=\"%2\" style=\"display:none\">正确答案：%2 答案解析：无</div></td></tr> ")
        .arg(id, answer);
}

}  // namespace

class TestPageView : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();

    void fragmentsParseOnTheirOwn_data();
    void fragmentsParseOnTheirOwn();
    void manyFragmentsStayInOrder();
    void queuedFragmentsGoWithTheNextRead();

    void readControls_data();
    void readControls();
    void writtenControlsReadBack();
    void bodyFontSizeAndZoom();

    void pageScripts_data();
    void pageScripts();

    void navigationReachesHandler_data();
    void navigationReachesHandler();
    void handlerMayLoadPagesItself();
    void localNavigationLetThroughLoadsTheFile();
    void withoutHandlerOnlyLocalNavigationsGo();

    void remoteContentNeverLoads_data();
    void remoteContentNeverLoads();

    void loadPageFileFailures();
    void reloadDiscardsOldPageAndQueue();
    void secondLoadWhileWaitingDoesNotCrash();

  private:
    std::unique_ptr<PageView> openPage();
    QString pagePath() const { return root_.filePath(QStringLiteral("ty.html")); }

    QTemporaryDir root_{QDir::tempPath() + QStringLiteral("/题库 page-XXXXXX")};
    QTemporaryDir outside_;
};

void TestPageView::initTestCase() {
    QVERIFY(root_.isValid());
    QVERIFY(outside_.isValid());
    QVERIFY(QFile::copy(QStringLiteral(QUORVEX_SOURCE_DIR "/resources/program/ty.html"), pagePath()));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(root_.filePath(QStringLiteral("pic.png"))));
    QVERIFY(picture.save(outside_.filePath(QStringLiteral("pic.png"))));
    QFile other(root_.filePath(QStringLiteral("other.html")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("<!DOCTYPE html><html><body><p id=\"otherPage\">other</p></body></html>");
}

std::unique_ptr<PageView> TestPageView::openPage() {
    auto view = std::make_unique<PageView>();
    view->setContentRoot(root_.path());
    view->resize(900, 700);
    view->show();
    if (!view->loadPageFile(pagePath())) {
        return nullptr;
    }
    return view;
}

void TestPageView::fragmentsParseOnTheirOwn_data() {
    QTest::addColumn<QStringList>("fragments");
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("expected");

    QTest::newRow("unclosed b does not swallow the next fragment")
        << QStringList{QStringLiteral("<b>bold"), QStringLiteral("<span id='x'>after</span>")}
        << QStringLiteral("document.getElementById('x').parentNode.nodeName") << QStringLiteral("BODY");
    QTest::newRow("unclosed div does not swallow the next fragment")
        << QStringList{QStringLiteral("<div id='d'>open"), QStringLiteral("<i id='x'>next</i>")}
        << QStringLiteral("document.getElementById('x').parentNode.nodeName") << QStringLiteral("BODY");
    QTest::newRow("closing tags of another fragment are ignored")
        << QStringList{QStringLiteral("<span id='s'>in"), QStringLiteral("</span><i id='x'>out</i>")}
        << QStringLiteral("document.getElementById('x').parentNode.nodeName") << QStringLiteral("BODY");
    QTest::newRow("order of fragments")
        << QStringList{QStringLiteral("<i id='a'>1</i>"), QStringLiteral("<i id='b'>2</i>"),
                       QStringLiteral("<i id='c'>3</i>")}
        << QStringLiteral("Array.from(document.querySelectorAll('i')).map(function(e){return e.id;}).join()")
        << QStringLiteral("a,b,c");
    const QString awkward = QStringLiteral("\"q\" 'a' \\n\\ \n\ttab \u2028\u2029 𝄞 中文 </x> ${v} `t`");
    QTest::newRow("any text survives the script call")
        << QStringList{QStringLiteral("<span id='t'>") + awkward.toHtmlEscaped() + QStringLiteral("</span>")}
        << QStringLiteral("document.getElementById('t').textContent") << awkward;
    QTest::newRow("nbsp without semicolon")
        << QStringList{QStringLiteral("&nbsp<span id='x'>1</span>")}
        << QStringLiteral("document.getElementById('x').previousSibling.textContent")
        << QStringLiteral("\u00a0");
    QTest::newRow("answer block keeps its ids inside stray table tags")
        << QStringList{answerBlock(7)}
        << QStringLiteral(
               "[!!document.getElementById('xs7'), !!document.getElementById('sc'),"
               " getComputedStyle(document.getElementById('ansnote7')).display,"
               " document.getElementById('ansnote7').className].join()")
        << QStringLiteral("true,true,none,Answer");
    QTest::newRow("location.href calls become assign")
        << QStringList{QStringLiteral(
               "<input id='b' onclick=\"scbt(this); window.location.href('http://scbt5')\">"
               "<input id='c' onclick=\"location.href('http://ctfk5')\">")}
        << QStringLiteral(
               "document.getElementById('b').getAttribute('onclick') + '|' +"
               " document.getElementById('c').getAttribute('onclick')")
        << QStringLiteral(
               "scbt(this); window.location.assign('http://scbt5')|location.assign('http://ctfk5')");
}

void TestPageView::fragmentsParseOnTheirOwn() {
    QFETCH(QStringList, fragments);
    QFETCH(QString, probe);
    QFETCH(QString, expected);

    auto view = openPage();
    QVERIFY(view);
    view->appendFragments(fragments);
    QCOMPARE(view->runScript(probe).toString(), expected);
}

void TestPageView::manyFragmentsStayInOrder() {
    // More text than one script call carries, sent one fragment at a time.
    auto view = openPage();
    QVERIFY(view);
    const QString filler(600, u'题');
    const int count = 5000;
    for (int i = 0; i < count; ++i) {
        view->appendFragment(QStringLiteral("<p class='f' id='p%1'>%2").arg(i).arg(filler));
    }
    const QVariant checked = view->runScript(
        QStringLiteral("(function(){var ps=document.querySelectorAll('p.f');for(var i=0;i<ps.length;i++)"
                       "{if(ps[i].id!=='p'+i)return 'out of order at '+i;if(ps[i].parentNode!==document.body)"
                       "return 'nested at '+i;}return ps.length;})()"));
    QCOMPARE(checked.toInt(), count);
}

void TestPageView::queuedFragmentsGoWithTheNextRead() {
    auto view = openPage();
    QVERIFY(view);
    view->appendFragment(QStringLiteral("<input type='checkbox' id='c1' value='A' checked>"));
    QVERIFY(view->readControls({QStringLiteral("c1")}).value(QStringLiteral("c1")).checked);
    view->appendFragment(QStringLiteral("<i id='late'>x</i>"));
    view->flush();
    QCOMPARE(view->runScript(QStringLiteral("document.querySelectorAll('#late').length")).toInt(), 1);
}

void TestPageView::readControls_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("value");

    QTest::newRow("ticked radio") << "101" << true << true << "A";
    QTest::newRow("other radio of the group") << "102" << true << false << "B";
    QTest::newRow("ticked check box") << "201" << true << true << "C";
    QTest::newRow("free check box") << "202" << true << false << "D";
    QTest::newRow("select at its preset entry") << "a9" << true << false << "daan";
    QTest::newRow("select with a chosen letter") << "a10" << true << false << "B";
    QTest::newRow("answer block reports its value attribute") << "ansnote9" << true << false << "ABD";
    QTest::newRow("stem span without value") << "fan9" << true << false << "";
    QTest::newRow("id with quotes") << "q\"'x" << true << true << "E";
    QTest::newRow("missing element") << "404" << false << false << "";
}

void TestPageView::readControls() {
    QFETCH(QString, id);
    QFETCH(bool, exists);
    QFETCH(bool, checked);
    QFETCH(QString, value);

    auto view = openPage();
    QVERIFY(view);
    view->appendFragments({
        QStringLiteral("&nbsp <input type=\"radio\" id=\"101\"  name=\"1\" value=\"A\" checked>A:甲<br>"),
        QStringLiteral("&nbsp <input type=\"radio\" id=\"102\"  name=\"1\" value=\"B\">B:乙<br>"),
        QStringLiteral("&nbsp <input type=\"checkbox\" id=\"201\" name=\"2\" value=\"C\" checked>C:丙<br>"),
        QStringLiteral("&nbsp <input type=\"checkbox\" id=\"202\" name=\"2\" value=\"D\">D:丁<br>"),
        QStringLiteral("&nbsp5.1.  <select name=\"cars\" id=\"a9\"> <option value=\"daan\" selected>答案 "
                       "<option value=\"A\">A <option value=\"B\">B </select><span id ='fan9'>题干</span>"),
        QStringLiteral("<select name=\"cars\" id=\"a10\"> <option value=\"daan\">答案 <option value=\"A\">A "
                       "<option value=\"B\" selected>B </select>"),
        answerBlock(9, QStringLiteral("ABD")),
        QStringLiteral("<input type=\"checkbox\" id=\"q&quot;'x\" value=\"E\" checked>"),
    });
    // All ids in one call, as grading reads them.
    const QStringList ids{"101", "102", "201", "202", "a9", "a10", "ansnote9", "fan9", "q\"'x", "404"};
    const QHash<QString, ControlState> states = view->readControls(ids);
    QCOMPARE(states.size(), ids.size());
    const ControlState state = states.value(id);
    QCOMPARE(state.exists, exists);
    QCOMPARE(state.checked, checked);
    QCOMPARE(state.value, value);
}

void TestPageView::writtenControlsReadBack() {
    auto view = openPage();
    QVERIFY(view);
    view->appendFragments({
        QStringLiteral("&nbsp <span  id ='fan1'>1. 甲</span><br>"),
        QStringLiteral("&nbsp <input type=\"radio\" id=\"101\"  name=\"1\" value=\"A\" checked>A:甲<br>"),
        QStringLiteral("&nbsp <input type=\"radio\" id=\"102\"  name=\"1\" value=\"B\">B:乙<br>"),
        QStringLiteral("&nbsp <input type=\"checkbox\" id=\"201\" name=\"2\" value=\"C\">C:丙<br>"),
        QStringLiteral("&nbsp <span  id ='fan2'>2. 乙</span><br>"),
        QStringLiteral("<select name=\"cars\" id=\"a9\"> <option value=\"daan\" selected>答案 "
                       "<option value=\"A\">A <option value=\"B\">B </select>"),
    });

    view->setChecked(QStringLiteral("102"), true);
    view->setChecked(QStringLiteral("201"), true);
    view->setSelectValue(QStringLiteral("a9"), QStringLiteral("B"));
    view->setColor({QStringLiteral("fan1"), QStringLiteral("fan2"), QStringLiteral("gone")},
                   QStringLiteral("red"));

    const auto states = view->readControls({"101", "102", "201", "a9"});
    QVERIFY(!states.value(QStringLiteral("101")).checked);  // same radio group
    QVERIFY(states.value(QStringLiteral("102")).checked);
    QVERIFY(states.value(QStringLiteral("201")).checked);
    QCOMPARE(states.value(QStringLiteral("a9")).value, QStringLiteral("B"));
    QCOMPARE(view->runScript(QStringLiteral("document.getElementById('fan1').style.color + ',' + "
                                            "document.getElementById('fan2').style.color"))
                 .toString(),
             QStringLiteral("red,red"));

    view->setChecked(QStringLiteral("201"), false);
    QVERIFY(!view->readControls({QStringLiteral("201")}).value(QStringLiteral("201")).checked);
}

void TestPageView::bodyFontSizeAndZoom() {
    auto view = openPage();
    QVERIFY(view);
    view->setBodyFontSize(17);
    QCOMPARE(view->runScript(QStringLiteral("getComputedStyle(document.body).fontSize")).toString(),
             QStringLiteral("17px"));

    view->setZoomLevel(1);
    QCOMPARE(view->zoomFactor(), 1.0);
    double previous = 0;
    for (int level = 0; level <= 4; ++level) {
        view->setZoomLevel(level);
        QVERIFY2(view->zoomFactor() > previous, qPrintable(QString::number(level)));
        previous = view->zoomFactor();
    }
    view->setZoomLevel(9);
    QCOMPARE(view->zoomFactor(), previous);
    view->setZoomLevel(0);
    const double smallest = view->zoomFactor();
    view->setZoomLevel(-2);
    QCOMPARE(view->zoomFactor(), smallest);
}

void TestPageView::pageScripts_data() {
    QTest::addColumn<QStringList>("fragments");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("expected");

    const QString answer = QStringLiteral(
        "var b=document.getElementById('xs7');"
        "b.value + ',' + getComputedStyle(document.getElementById('ansnote7')).display");
    QTest::newRow("xsda opens the answer")
        << QStringList{answerBlock(7)} << QStringLiteral("document.getElementById('xs7').click()") << answer
        << QStringLiteral("隐藏答案,block");
    QTest::newRow("xsda closes it again")
        << QStringList{answerBlock(7)}
        << QStringLiteral("document.getElementById('xs7').click();document.getElementById('xs7').click()")
        << answer << QStringLiteral("显示答案,none");
    // The show-all command clicks every closed answer's button by its caption.
    QTest::newRow("show all opens closed answers only")
        << QStringList{answerBlock(3), answerBlock(4), answerBlock(7)}
        << QStringLiteral(
               "document.getElementById('xs4').click();"
               "function showallans(){var tmpd;  var allnum =10000; var i;  for (i=1;i<=allnum;i++) { "
               "tmpd=document.getElementById(\"xs\"+i);if ((tmpd!=null)&&(tmpd.value=='显示答案')) "
               "tmpd.click(); "
               "}\t} showallans();")
        << QStringLiteral(
               "['3','4','7'].map(function(q){return document.getElementById('xs'+q).value+':'+"
               "getComputedStyle(document.getElementById('ansnote'+q)).display;}).join()")
        << QStringLiteral("隐藏答案:block,隐藏答案:block,隐藏答案:block");
    const QString caption = QStringLiteral("document.getElementById('b').value");
    QTest::newRow("scbt marks") << QStringList{QStringLiteral(
                                       "<input id='b' type='button' value='收藏本题'>")}
                                << QStringLiteral("window.r = scbt(document.getElementById('b'))") << caption
                                << QStringLiteral("取消收藏");
    QTest::newRow("scbt unmarks") << QStringList{QStringLiteral(
                                         "<input id='b' type='button' value='取消收藏'>")}
                                  << QStringLiteral("scbt(document.getElementById('b'))") << caption
                                  << QStringLiteral("收藏本题");
    QTest::newRow("click on an option's text ticks it")
        << QStringList{QStringLiteral("&nbsp <input type=\"radio\" id=\"101\"  name=\"1\" value=\"A\">"
                                      "A:<u id='t'>甲乙丙丁</u><br>")}
        << QStringLiteral(
               "var r=document.getElementById('t').getBoundingClientRect();"
               "document.getElementById('t').dispatchEvent(new MouseEvent('click',{bubbles:true,"
               "clientX:r.left+2,clientY:r.top+2}))")
        << QStringLiteral("document.getElementById('101').checked") << QStringLiteral("true");
}

void TestPageView::pageScripts() {
    QFETCH(QStringList, fragments);
    QFETCH(QString, script);
    QFETCH(QString, probe);
    QFETCH(QString, expected);

    auto view = openPage();
    QVERIFY(view);
    view->appendFragments(fragments);
    view->runScript(script);
    QCOMPARE(view->runScript(probe).toString(), expected);
}

void TestPageView::navigationReachesHandler_data() {
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("expectedUrl");

    const QString byId = QStringLiteral("document.getElementById('b').click()");
    QTest::newRow("onclick location.href call")
        << QStringLiteral("<input type='button' id='b' onclick=\"window.location.href('http://scbt5')\">")
        << byId << true << "http://scbt5/";
    QTest::newRow("favourite button")
        << answerBlock(12) << QStringLiteral("document.getElementById('sc').click()") << true
        << "http://scbt12/";
    QTest::newRow("feedback button") << answerBlock(12)
                                     << QStringLiteral("document.getElementsByName('tolvanectfk')[0].click()")
                                     << true << "http://ctfk12/";
    QTest::newRow("assignment to location.href")
        << QStringLiteral("<input type='button' id='b' onclick=\"location.href='http://scbt9'\">") << byId
        << true << "http://scbt9/";
    QTest::newRow("link in a stored text")
        << QStringLiteral("<a id='b' href='https://example.com/a?b=1'>link</a>") << byId << true
        << "https://example.com/a?b=1";
    QTest::newRow("form in a stored text")
        << QStringLiteral(
               "<form action='http://example.com/f'><input name='q' value='1'>"
               "<input type='submit' id='b'></form>")
        << byId << true << "http://example.com/f?q=1";
    QTest::newRow("remote address not cancelled still never loads")
        << QStringLiteral("<a id='b' href='http://127.0.0.1:9/'>link</a>") << byId << false
        << "http://127.0.0.1:9/";
    QTest::newRow("local file cancelled")
        << QStringLiteral("<a id='b' href='other.html'>link</a>") << byId << true << "other.html";
}

void TestPageView::navigationReachesHandler() {
    QFETCH(QString, fragment);
    QFETCH(QString, click);
    QFETCH(bool, cancel);
    QFETCH(QString, expectedUrl);

    auto view = std::make_unique<PageView>();
    view->setContentRoot(root_.path());
    QStringList reported;
    view->setNavigationHandler([&](const QString& url) {
        reported.append(url);
        return cancel;
    });
    view->show();
    QVERIFY(view->loadPageFile(pagePath()));
    QVERIFY2(reported.isEmpty(), "the view's own load is not reported");

    view->appendFragments({QStringLiteral("<p id='marker'>page</p>"), fragment});
    const QUrl before = view->url();
    view->runScript(click);
    QTRY_COMPARE(reported.size(), 1);
    if (expectedUrl.contains(u':')) {
        QCOMPARE(reported.first(), expectedUrl);
    } else {
        QCOMPARE(reported.first(), QUrl::fromLocalFile(root_.filePath(expectedUrl)).toString());
    }

    // The page is left as it was.
    QVERIFY(view->isReady());
    QCOMPARE(view->url(), before);
    QCOMPARE(view->runScript(QStringLiteral("document.getElementById('marker').textContent")).toString(),
             QStringLiteral("page"));
    QCOMPARE(reported.size(), 1);
}

void TestPageView::handlerMayLoadPagesItself() {
    // A page command opens another page and reads it while the navigation is being handled.
    auto view = openPage();
    QVERIFY(view);
    PageView second;
    second.setContentRoot(root_.path());
    second.show();
    QStringList seen;
    view->setNavigationHandler([&](const QString& url) {
        if (!second.loadPageFile(pagePath())) {
            seen.append(QStringLiteral("load failed"));
            return true;
        }
        second.appendFragment(QStringLiteral("<i id='n'>") + url + QStringLiteral("</i>"));
        seen.append(second.runScript(QStringLiteral("document.getElementById('n').textContent")).toString());
        seen.append(view->runScript(QStringLiteral("document.getElementById('sc').value")).toString());
        return true;
    });
    view->appendFragment(answerBlock(12));
    for (int round = 1; round <= 3; ++round) {
        view->runScript(QStringLiteral("document.getElementById('sc').click()"));
        QTRY_COMPARE(seen.size(), 2 * round);
        QCOMPARE(seen.at(2 * round - 2), QStringLiteral("http://scbt12/"));
    }
    QCOMPARE(seen.at(1), QStringLiteral("取消收藏"));
    QCOMPARE(seen.at(3), QStringLiteral("收藏本题"));
}

void TestPageView::localNavigationLetThroughLoadsTheFile() {
    auto view = std::make_unique<PageView>();
    view->setContentRoot(root_.path());
    QStringList reported;
    view->setNavigationHandler([&](const QString& url) {
        reported.append(url);
        return false;
    });
    view->show();
    QVERIFY(view->loadPageFile(pagePath()));
    QSignalSpy loaded(view.get(), &PageView::pageLoaded);
    view->appendFragment(QStringLiteral("<a id='b' href='other.html'>link</a>"));
    view->runScript(QStringLiteral("document.getElementById('b').click()"));
    QTRY_COMPARE(loaded.size(), 1);
    QCOMPARE(loaded.first().first().toBool(), true);
    QVERIFY(view->isReady());
    QCOMPARE(reported.size(), 1);
    QCOMPARE(view->runScript(QStringLiteral("document.getElementById('otherPage').textContent")).toString(),
             QStringLiteral("other"));
}

void TestPageView::withoutHandlerOnlyLocalNavigationsGo() {
    auto view = openPage();
    QVERIFY(view);
    QSignalSpy loaded(view.get(), &PageView::pageLoaded);
    view->appendFragments(
        {QStringLiteral("<p id='marker'>page</p>"),
         QStringLiteral("<a id='r' href='http://scbt3'>r</a><a id='l' href='other.html'>l</a>")});
    view->runScript(QStringLiteral("document.getElementById('r').click()"));
    QCOMPARE(view->runScript(QStringLiteral("document.getElementById('marker').textContent")).toString(),
             QStringLiteral("page"));
    view->runScript(QStringLiteral("document.getElementById('l').click()"));
    QTRY_COMPARE(loaded.size(), 1);
    QVERIFY(view->isReady());
    QVERIFY(view->url().toLocalFile().endsWith(QStringLiteral("/other.html")));
}

void TestPageView::remoteContentNeverLoads_data() {
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("expected");

    // {server}: an address on a local server; {outside}: a file outside the program folder; {inside}: one in
    // it.
    const QString settle =
        QStringLiteral(" onload=\"window.settled='load'\" onerror=\"window.settled='error'\"");
    QTest::newRow("picture") << QStringLiteral("<img src='{server}/x.png'") + settle + u'>' << "error";
    QTest::newRow("style sheet") << QStringLiteral("<link rel='stylesheet' href='{server}/x.css'") + settle +
                                        u'>'
                                 << "error";
    QTest::newRow("fetch from a page script")
        << QStringLiteral(
               "<img src='nothing.png' onerror=\"fetch('{server}/f').then(function(){window.settled='load';},"
               "function(){window.settled='error';})\">")
        << "error";
    QTest::newRow("file outside the program folder")
        << QStringLiteral("<img src='{outside}'") + settle + u'>' << "error";
    QTest::newRow("file inside the program folder")
        << QStringLiteral("<img src='{inside}'") + settle + u'>' << "load";
}

void TestPageView::remoteContentNeverLoads() {
    QFETCH(QString, fragment);
    QFETCH(QString, expected);

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    auto view = openPage();
    QVERIFY(view);
    fragment.replace(QStringLiteral("{server}"),
                     QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()));
    fragment.replace(QStringLiteral("{outside}"),
                     QUrl::fromLocalFile(outside_.filePath(QStringLiteral("pic.png"))).toString());
    fragment.replace(QStringLiteral("{inside}"), QStringLiteral("./pic.png"));
    view->appendFragment(fragment);
    QTRY_COMPARE(view->runScript(QStringLiteral("window.settled || ''")).toString(), expected);
    QVERIFY(!server.hasPendingConnections());
}

void TestPageView::loadPageFileFailures() {
    auto view = openPage();
    QVERIFY(view);
    view->appendFragment(QStringLiteral("<p id='marker'>page</p>"));
    view->flush();
    QVERIFY(!view->loadPageFile(root_.filePath(QStringLiteral("missing.html"))));
    QVERIFY(!view->loadPageFile(outside_.filePath(QStringLiteral("pic.png"))));
    QVERIFY(view->isReady());
    QCOMPARE(view->runScript(QStringLiteral("document.getElementById('marker').textContent")).toString(),
             QStringLiteral("page"));
}

void TestPageView::reloadDiscardsOldPageAndQueue() {
    auto view = openPage();
    QVERIFY(view);
    QSignalSpy loaded(view.get(), &PageView::pageLoaded);
    view->appendFragment(QStringLiteral("<p id='sent'>1</p>"));
    view->flush();
    view->appendFragment(QStringLiteral("<p id='queued'>2</p>"));
    QVERIFY(view->loadPageFile(pagePath()));
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(loaded.first().first().toBool(), true);
    QCOMPARE(view->runScript(QStringLiteral("document.querySelectorAll('#sent, #queued').length")).toInt(),
             0);
    QCOMPARE(view->runScript(QStringLiteral("typeof xsda")).toString(), QStringLiteral("function"));
}

void TestPageView::secondLoadWhileWaitingDoesNotCrash() {
    PageView view;
    view.setContentRoot(root_.path());
    view.show();
    bool innerLoaded = false;
    QTimer::singleShot(0, &view, [&] { innerLoaded = view.loadPageFile(pagePath()); });
    const bool outerLoaded = view.loadPageFile(pagePath());
    QVERIFY(innerLoaded);
    QVERIFY(outerLoaded);
    QVERIFY(view.isReady());
    view.appendFragment(QStringLiteral("<i id='x'>after</i>"));
    QCOMPARE(view.runScript(QStringLiteral("document.getElementById('x').textContent")).toString(),
             QStringLiteral("after"));
}

QTEST_MAIN(TestPageView)
#include "test_page_view.moc"
