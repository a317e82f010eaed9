#include <algorithm>

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QImage>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "mainwindow/picture_button.h"

using quorvex::mainwindow::PictureButton;
using quorvex::mainwindow::PictureCache;
using State = PictureButton::State;

Q_DECLARE_METATYPE(PictureButton::State)

namespace {

const QColor kIdle(200, 40, 40);
const QColor kHover(40, 170, 60);
const QColor kPressed(40, 70, 200);
const QSize kPictureSize(58, 64);

// A tp/ folder of its own for each test (the cache is keyed by path): one-colour pictures, so that
// a grab of the button tells which picture it shows.
class PictureFolder {
  public:
    PictureFolder() {
        write(QStringLiteral("idle.bmp"), kIdle);
        write(QStringLiteral("hover.bmp"), kHover);
        write(QStringLiteral("pressed.jpg"), kPressed);
    }
    QString path() const { return dir_.path(); }

  private:
    void write(const QString& name, const QColor& colour) {
        QImage image(kPictureSize, QImage::Format_RGB32);
        image.fill(colour);
        QVERIFY(image.save(dir_.filePath(name)));
    }
    QTemporaryDir dir_;
};

QColor shownColour(PictureButton& button) {
    const QImage shot = button.grab().toImage();
    return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

bool near(const QColor& a, const QColor& b) {
    // JPEG may shift a flat colour by a few steps.
    return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8 && qAbs(a.blue() - b.blue()) < 8;
}

const QPoint kInside(10, 10);

void enter(QWidget* widget) {
    QEnterEvent event(kInside, widget->mapTo(widget->window(), kInside), widget->mapToGlobal(kInside));
    QApplication::sendEvent(widget, &event);
}

void leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

// Steps: enter, leave, press, release, hide, show.
void play(PictureButton& button, const QStringList& steps) {
    for (const QString& step : steps) {
        if (step == QLatin1String("enter")) {
            enter(&button);
        } else if (step == QLatin1String("leave")) {
            leave(&button);
        } else if (step == QLatin1String("press")) {
            QTest::mousePress(&button, Qt::LeftButton, {}, kInside);
        } else if (step == QLatin1String("release")) {
            QTest::mouseRelease(&button, Qt::LeftButton, {}, kInside);
        } else if (step == QLatin1String("hide")) {
            button.hide();
        } else if (step == QLatin1String("show")) {
            button.show();
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
}

bool messageBoxShown() {
    if (QApplication::activeModalWidget() != nullptr) {
        return true;
    }
    const auto widgets = QApplication::topLevelWidgets();
    return std::any_of(widgets.begin(), widgets.end(), [](QWidget* widget) {
        return widget->isVisible() && qobject_cast<QMessageBox*>(widget) != nullptr;
    });
}

}  // namespace

class PictureButtonTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void showsThePictureOfItsState_data();
    void showsThePictureOfItsState();
    void takesTheSizeOfItsIdlePicture();
    void missingPicturesLeaveAUsableLabelButton();
    void picturesAreReadOnce_data();
    void picturesAreReadOnce();
};

// New windows open at the screen's corner: keep the pointer elsewhere, so that a button does not
// start under it.
void PictureButtonTest::init() {
    QCursor::setPos(QPoint(900, 700));
}

void PictureButtonTest::showsThePictureOfItsState_data() {
    QTest::addColumn<QString>("hoverFile");
    QTest::addColumn<QString>("pressedFile");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<State>("state");
    QTest::addColumn<QColor>("colour");

    const QString hover = QStringLiteral("hover.bmp");
    const QString pressed = QStringLiteral("pressed.jpg");
    const QString idle = QStringLiteral("idle.bmp");
    QTest::newRow("idle at start") << hover << pressed << QStringList() << State::Idle << kIdle;
    QTest::newRow("pointer over it") << hover << pressed << QStringList{"enter"} << State::Hover << kHover;
    QTest::newRow("pointer gone again")
        << hover << pressed << QStringList{"enter", "leave"} << State::Idle << kIdle;
    QTest::newRow("mouse down") << hover << pressed << QStringList{"enter", "press"} << State::Pressed
                                << kPressed;
    QTest::newRow("released over it")
        << hover << pressed << QStringList{"enter", "press", "release"} << State::Hover << kHover;
    QTest::newRow("released then left")
        << hover << pressed << QStringList{"enter", "press", "release", "leave"} << State::Idle << kIdle;
    // The restore button (sjhy) names its idle picture for the pressed state.
    QTest::newRow("restore button pressed keeps its idle picture")
        << hover << idle << QStringList{"enter", "press"} << State::Pressed << kIdle;
    QTest::newRow("hidden under the pointer comes back idle")
        << hover << pressed << QStringList{"enter", "hide", "show"} << State::Idle << kIdle;
    QTest::newRow("missing hover picture keeps the idle one")
        << QStringLiteral("absent-2.jpg") << pressed << QStringList{"enter"} << State::Hover << kIdle;
    QTest::newRow("missing pressed picture keeps the idle one")
        << hover << QStringLiteral("absent-3.jpg") << QStringList{"enter", "press"} << State::Pressed
        << kIdle;
}

void PictureButtonTest::showsThePictureOfItsState() {
    QFETCH(QString, hoverFile);
    QFETCH(QString, pressedFile);
    QFETCH(QStringList, steps);
    QFETCH(State, state);
    QFETCH(QColor, colour);

    PictureFolder folder;
    PictureButton button(folder.path(), QStringLiteral("idle.bmp"), hoverFile, pressedFile,
                         QStringLiteral("数据还原"));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    play(button, steps);

    QCOMPARE(button.state(), state);
    const QColor shown = shownColour(button);
    QVERIFY2(near(shown, colour),
             qPrintable(QStringLiteral("shows %1, expected %2").arg(shown.name(), colour.name())));
}

void PictureButtonTest::takesTheSizeOfItsIdlePicture() {
    PictureFolder folder;
    PictureButton button(folder.path(), QStringLiteral("idle.bmp"), QStringLiteral("hover.bmp"),
                         QStringLiteral("pressed.jpg"), QStringLiteral("习题集"));
    QCOMPARE(button.sizeHint(), kPictureSize);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QCOMPARE(button.size(), kPictureSize);
}

void PictureButtonTest::missingPicturesLeaveAUsableLabelButton() {
    // Not a single warning on the way either (a missing picture used to bring up an error box).
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QTemporaryDir emptyFolder;
    const QString label = QStringLiteral("使用帮助");
    PictureButton button(emptyFolder.path(), QStringLiteral("sybz-1.jpg"), QStringLiteral("sybz-2.jpg"),
                         QStringLiteral("sybz-3.jpg"), label);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    QVERIFY(!button.hasPicture());
    QVERIFY(button.isEnabled());
    QCOMPARE(button.text(), label);
    QVERIFY(button.width() > button.fontMetrics().horizontalAdvance(label));

    // The face shows the label (it differs from the same face without one) and answers the pointer.
    PictureButton unlabelled(emptyFolder.path(), QStringLiteral("sybz-1.jpg"), QString(), QString(),
                             QString());
    unlabelled.resize(button.size());
    const QImage idleShot = button.grab().toImage();
    QVERIFY(idleShot != unlabelled.grab().toImage());
    enter(&button);
    const QImage hoverShot = button.grab().toImage();
    QVERIFY(hoverShot != idleShot);
    QTest::mouseMove(&button, kInside);
    QTest::mouseClick(&button, Qt::LeftButton, {}, kInside);
    leave(&button);

    QCOMPARE(clicked.count(), 1);
    QVERIFY(!messageBoxShown());
}

void PictureButtonTest::picturesAreReadOnce_data() {
    QTest::addColumn<bool>("filesPresent");
    QTest::newRow("pictures present") << true;
    QTest::newRow("pictures missing") << false;
}

void PictureButtonTest::picturesAreReadOnce() {
    QFETCH(bool, filesPresent);
    PictureFolder present;
    QTemporaryDir empty;
    const QString folder = filesPresent ? present.path() : empty.path();
    const QString idle = QStringLiteral("idle.bmp");
    const QString hover = QStringLiteral("hover.bmp");
    const QString pressed = QStringLiteral("pressed.jpg");

    PictureCache& cache = PictureCache::instance();
    const int readsBefore = cache.diskReads();
    PictureButton first(folder, idle, hover, pressed, QStringLiteral("我的收藏"));
    QCOMPARE(cache.diskReads() - readsBefore, 3);
    // The folder path written differently still finds the same entries.
    PictureButton second(folder + QStringLiteral("/./"), idle, hover, pressed, QStringLiteral("我的收藏"));
    QCOMPARE(cache.diskReads() - readsBefore, 3);

    first.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    const qint64 hoverKey = first.picture(State::Hover).cacheKey();
    for (int i = 0; i < 20; ++i) {
        play(first, {"enter", "press", "release", "leave"});
        first.repaint();
    }
    QCOMPARE(cache.diskReads() - readsBefore, 3);
    QCOMPARE(first.picture(State::Hover).cacheKey(), hoverKey);
    QCOMPARE(second.picture(State::Idle).cacheKey(), first.picture(State::Idle).cacheKey());
    QCOMPARE(first.hasPicture(), filesPresent);
}

QTEST_MAIN(PictureButtonTest)
#include "test_picture_button.moc"
