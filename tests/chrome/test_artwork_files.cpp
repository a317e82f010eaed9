#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QtTest>

#include "artwork_table.h"

using quorvex::artwork::ArtworkFile;
using quorvex::artwork::artworkFiles;

namespace {

QString pictureFolder() {
    return QStringLiteral(QUORVEX_PROGRAM_DIR "/tp");
}

QString pathOf(const QString& fileName) {
    return QDir(pictureFolder()).filePath(fileName);
}

// The format a file of this name must be stored in.
QByteArray formatFor(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("jpg") ? QByteArray("jpeg") : suffix.toLatin1();
}

QImage load(const QString& fileName) {
    QImageReader reader(pathOf(fileName));
    return reader.read();
}

}  // namespace

// The build draws the pictures into the build's program folder; these tests read what it wrote.
class ArtworkFilesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void everyPictureOfTheTableIsWritten_data();
    void everyPictureOfTheTableIsWritten();
    void everyControlHasPicturesThatChangeWithItsState_data();
    void everyControlHasPicturesThatChangeWithItsState();
};

void ArtworkFilesTest::everyPictureOfTheTableIsWritten_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QSize>("size");
    for (const ArtworkFile& file : artworkFiles()) {
        QTest::newRow(qPrintable(file.fileName)) << file.fileName << file.size;
    }
}

void ArtworkFilesTest::everyPictureOfTheTableIsWritten() {
    QFETCH(QString, fileName);
    QFETCH(QSize, size);

    // The directory listing, not a lookup, so that the case of the name counts on any file system.
    QVERIFY2(QDir(pictureFolder()).entryList(QDir::Files).contains(fileName), qPrintable(pathOf(fileName)));
    QImageReader reader(pathOf(fileName));
    QCOMPARE(reader.format(), formatFor(fileName));
    QCOMPARE(reader.size(), size);
    QVERIFY2(!reader.read().isNull(), qPrintable(reader.errorString()));
}

// The controls of the window and the names they ask for, written out here on their own so that a
// name mistyped in the tool's table shows.
void ArtworkFilesTest::everyControlHasPicturesThatChangeWithItsState_data() {
    QTest::addColumn<QStringList>("files");  // idle, hover, pressed
    QTest::addColumn<QSize>("size");         // width 0: any width

    const QSize toolbar(58, 64);
    const QSize rowHeight(0, 31);
    const QSize titleHeight(0, 25);
    const auto three = [](const QString& stem, const QString& suffix) {
        return QStringList{stem + "-1." + suffix, stem + "-2." + suffix, stem + "-3." + suffix};
    };
    QTest::newRow("exercise sets") << QStringList{"kstk-1.jpg", "KSTK-2.jpg", "KSTK-3.jpg"} << QSize(63, 64);
    for (const char* stem : {"wdsc", "rjdh", "mnkc", "cttk", "sjbf", "rjsj", "zxkf", "zxsc", "sybz"}) {
        QTest::newRow(stem) << three(QString::fromLatin1(stem), QStringLiteral("jpg")) << toolbar;
    }
    QTest::newRow("restore keeps its idle picture when pressed")
        << QStringList{"sjhy-1.jpg", "sjhy-2.jpg", "sjhy-1.jpg"} << toolbar;
    for (const char* stem : {"xsda", "ycda", "cxdt", "tjsj", "da", "xiao", "qpxs", "ckxs"}) {
        QTest::newRow(stem) << three(QString::fromLatin1(stem), QStringLiteral("bmp")) << rowHeight;
    }
    for (const char* stem : {"MinBtn", "MaxBtn", "resBtn", "CloseBtn"}) {
        QTest::newRow(stem) << three(QString::fromLatin1(stem), QStringLiteral("bmp")) << titleHeight;
    }
}

void ArtworkFilesTest::everyControlHasPicturesThatChangeWithItsState() {
    QFETCH(QStringList, files);
    QFETCH(QSize, size);

    const QStringList present = QDir(pictureFolder()).entryList(QDir::Files);
    QList<QImage> pictures;
    for (const QString& name : files) {
        QVERIFY2(present.contains(name), qPrintable(QStringLiteral("missing ") + pathOf(name)));
        pictures << load(name);
        QVERIFY(!pictures.last().isNull());
        QCOMPARE(pictures.last().size(), pictures.first().size());
    }
    QCOMPARE(pictures[0].height(), size.height());
    if (size.width() > 0) {
        QCOMPARE(pictures[0].width(), size.width());
    }
    // Hover and press must be visible: each state's picture differs from the others, unless the
    // control names the same file twice.
    QVERIFY2(pictures[1] != pictures[0], "hover looks like idle");
    if (files[2] != files[0]) {
        QVERIFY2(pictures[2] != pictures[0], "pressed looks like idle");
        QVERIFY2(pictures[2] != pictures[1], "pressed looks like hover");
    }
}

QTEST_GUILESS_MAIN(ArtworkFilesTest)
#include "test_artwork_files.moc"
