#pragma once

#include <QDateTime>
#include <QString>

namespace quorvex::mainwindow {

// The application's title (also the title of plain messages).
inline const QString kApplicationTitle = QStringLiteral("Quorvex");
// The title label before the subject is known.
inline const QString kDesignTitle = QStringLiteral("Quorvex 中级职称");
// Status panel 0 before the question count is known.
inline const QString kDesignQuestionCount = QStringLiteral("试题量：XXX");
// Status panel 1: our contact line.
inline const QString kContactLine = QStringLiteral("Quorvex 题库 · 客服邮箱 support@quorvex.cn");
// Status panel 2 before the date and time of the tree build.
inline const QString kBuildTimePrefix = QStringLiteral("现在的日期和时间是： ");
// The host that serves the version files of each subject.
inline const QString kUpdateHost = QStringLiteral("update.quorvex.cn");

// "Quorvex 中级职称" + two spaces + the subject name; used for the title label and the system title.
QString titleForSubject(const QString& subjectName);
// "试题量：" + the count as stored, without conversion.
QString questionCountText(const QString& storedCount);
// "现在的日期和时间是： " + "yyyy-MM-dd hh:mm:ss".
QString buildTimeText(const QDateTime& when);

// Colour values of the window design are Windows colour values: 0x00BBGGRR. Returns 0xRRGGBB.
constexpr quint32 rgbFromWindowsColor(quint32 value) {
    return ((value & 0xFFu) << 16) | (value & 0xFF00u) | ((value >> 16) & 0xFFu);
}
static_assert(rgbFromWindowsColor(0x00332211u) == 0x112233u, "Windows colour values are blue-green-red");

}  // namespace quorvex::mainwindow
