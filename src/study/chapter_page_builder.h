#pragma once

#include <QString>

#include "study/study_view.h"

namespace quorvex::store {
class Connection;
}

namespace quorvex::study {

class PageView;

// Numbering state of the page last built, as the main window keeps it.
struct PageNumbering {
    int questionNo = 1;
    int groupFirstNo = 0;
    int typeCode8HeadingShown = 0;
    int typeCode9HeadingShown = 0;
};

// Builds one chapter's question page in a page view: loads the page file, then writes the chapter's
// groups in the view as they are read. Errors end the build quietly; what was written stays.
class ChapterPageBuilder {
  public:
    ChapterPageBuilder(PageView& view, store::Connection& connection, const QString& programFolder);

    // Returns the chapter's tree.id as text (empty when the chapter row is missing) and leaves the
    // page's numbering in `numbering`. Processes events while the page loads.
    QString build(qint64 treeId, StudyView studyView, PageNumbering& numbering);

  private:
    PageView& view_;
    store::Connection& connection_;
    QString pageFile_;
};

}  // namespace quorvex::study
