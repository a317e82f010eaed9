#pragma once

#include <QString>
#include <QVector>
#include <optional>

namespace quorvex::mainwindow {

// The main window's state shared by the study views, page commands, grading and the window chrome.
// Integers start at 0 and flags are 0/1.
struct MainWindowState {
    // For each tree node by absolute (pre-order) index: the tree.id of a chapter, 0 for roots and
    // sections. Renewed by every tree build; grows with the tree.
    QVector<int> nodeTreeIds;
    // tree.id, as text, of the chapter last opened in the chapter view.
    QString currentTreeId;
    // 1 once a generated question page is complete; while 1, navigations in the page view are page
    // commands. Every page producer sets it to 0 before and 1 after its work.
    int pageReady = 0;
    // The x of the hidden grading button, taken at every tree build. Maximize and restore move the
    // button; activation reopens the first chapter only while the button is still at the stamp.
    int layoutStamp = 0;
    // 1 tells the next activation not to reopen the first chapter (set by page commands and grading,
    // whose windows hand the focus back). Cleared by every activation and by the view switches.
    int skipActivateReload = 0;
    int wasMaximizedBeforeFullScreen = 0;
    int enteringExamRoom = 0;
    // Numbering of the page being generated.
    int questionNo = 0;
    int groupFirstNo = 0;
    int typeCode8HeadingShown = 0;
    int typeCode9HeadingShown = 0;
    // Step of the text-size buttons; unset until an activation opens the first chapter (then 2).
    std::optional<int> textSizeStep;
};

}  // namespace quorvex::mainwindow
