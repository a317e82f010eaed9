#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include "mainwindow/help_location.h"

using quorvex::mainwindow::helpDocumentPath;

namespace {

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void choosesTheDocumentThePlatformCanOpen_data();
    void choosesTheDocumentThePlatformCanOpen();
    void shippedDocumentIsWholeAndCoversTheProgram();
};

void HelpTest::choosesTheDocumentThePlatformCanOpen_data() {
    QTest::addColumn<bool>("chmPresent");
    QTest::addColumn<bool>("platformOpensChm");
    QTest::addColumn<QString>("folderSuffix");  // how the caller wrote the folder's end
    QTest::addColumn<QString>("expected");      // relative to the folder

    QTest::newRow("windows with the chm") << true << true << "/"
                                          << "hlp.chm";
    QTest::newRow("windows with the chm, folder without slash") << true << true << ""
                                                                << "hlp.chm";
    QTest::newRow("windows without the chm") << false << true << "/"
                                             << "help/index.html";
    QTest::newRow("other system with a chm") << true << false << "/"
                                             << "help/index.html";
    QTest::newRow("other system, folder without slash") << false << false << ""
                                                        << "help/index.html";
}

void HelpTest::choosesTheDocumentThePlatformCanOpen() {
    QFETCH(bool, chmPresent);
    QFETCH(bool, platformOpensChm);
    QFETCH(QString, folderSuffix);
    QFETCH(QString, expected);

    QTemporaryDir folder;
    if (chmPresent) {
        QFile chm(folder.filePath(QStringLiteral("hlp.chm")));
        QVERIFY(chm.open(QIODevice::WriteOnly));
    }
    QCOMPARE(helpDocumentPath(folder.path() + folderSuffix, platformOpensChm), folder.filePath(expected));
}

// The build copies the help beside the program; the path the program opens must hold a document
// whose links all lead somewhere and that speaks of every button of the window.
void HelpTest::shippedDocumentIsWholeAndCoversTheProgram() {
    const QString path = helpDocumentPath(QStringLiteral(QUORVEX_PROGRAM_DIR "/"), false);
    const QString html = readText(path);
    QVERIFY2(!html.isEmpty(), qPrintable(path));

    QSet<QString> ids;
    const QRegularExpression idPattern(QStringLiteral(R"re(\bid="([^"]+)")re"));
    for (auto it = idPattern.globalMatch(html); it.hasNext();) {
        const QString id = it.next().captured(1);
        QVERIFY2(!ids.contains(id), qPrintable(QStringLiteral("id twice: ") + id));
        ids.insert(id);
    }
    const QRegularExpression linkPattern(QStringLiteral(R"re(\b(?:href|src)="([^"]+)")re"));
    for (auto it = linkPattern.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        if (target.startsWith('#')) {
            QVERIFY2(ids.contains(target.mid(1)), qPrintable(QStringLiteral("no anchor for ") + target));
        } else if (!target.contains(QLatin1String("://")) && !target.startsWith(QLatin1String("mailto:"))) {
            const QString file = QFileInfo(path).dir().filePath(target.section('#', 0, 0));
            QVERIFY2(QFileInfo::exists(file), qPrintable(QStringLiteral("missing ") + file));
        }
    }

    const QStringList functions = {"习题集",         "我的收藏",     "人机对话",
                                   "模拟考场",       "错题题库",     "数据备份",
                                   "数据还原",       "软件升级",     "在线客服",
                                   "在线购买",       "使用帮助",     "显示答案",
                                   "隐藏答案",       "重新答题",     "提交试卷",
                                   "放大",           "缩小",         "全屏显示",
                                   "窗口显示",       "收藏本题",     "错题反馈",
                                   "全选",           "反选",         "删除",
                                   "确定退出系统？", "Data/med.mdb", "med.mdb.before-restore"};
    for (const QString& function : functions) {
        QVERIFY2(html.contains(function), qPrintable(QStringLiteral("not explained: ") + function));
    }
}

QTEST_GUILESS_MAIN(HelpTest)
#include "test_help.moc"
