#pragma once

#include <QString>

namespace quorvex::mainwindow {

// The help document to open: "hlp.chm" in the program folder where the platform opens CHM files
// (Windows) and the file exists, otherwise the HTML help shipped beside the program,
// programFolder + "help/index.html".
QString helpDocumentPath(const QString& programFolder);

// The same choice with the platform given, so that both branches can be tried on any system.
QString helpDocumentPath(const QString& programFolder, bool platformOpensChm);

}  // namespace quorvex::mainwindow
