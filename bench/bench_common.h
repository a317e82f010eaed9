#pragma once

#include <QString>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "mainwindow/user_dialogs.h"

namespace quorvex::bench {

inline double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// "<name> <median> ms"
inline void printMeasure(const QString& name, double milliseconds) {
    std::printf("%s %.2f ms\n", qPrintable(name), milliseconds);
    std::fflush(stdout);
}

// "<name> <median> ms", "<name>.floor <median> ms", "<name>.ratio <x>"
inline void printMeasureWithFloor(const QString& name, double milliseconds, double floorMilliseconds) {
    printMeasure(name, milliseconds);
    printMeasure(name + QStringLiteral(".floor"), floorMilliseconds);
    std::printf("%s.ratio %.2f\n", qPrintable(name),
                floorMilliseconds > 0 ? milliseconds / floorMilliseconds : 0.0);
    std::fflush(stdout);
}

// Messages go to stderr; no dialog ever waits for a click.
class ConsoleDialogs : public UserDialogs {
  public:
    void showMessage(QWidget*, const QString& text, const QString&, Icon) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    Answer ask(QWidget*, const QString&, const QString& text, Buttons buttons, Icon) override {
        std::fprintf(stderr, "question: %s\n", qPrintable(text));
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
};

}  // namespace quorvex::bench
