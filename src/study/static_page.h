#pragma once

#include <QString>
#include <QStringList>

#include "study/study_view.h"

namespace quorvex::store {
class Connection;
}

namespace quorvex::study {

// Places the fragments, concatenated in order, just before the closing body tag of the page file's
// text (at the end when it has none).
QString pageWithFragments(const QString& pageFileText, const QStringList& fragments);

// All fragments of one chapter's page in a view, as the program appends them. Throws StoreError.
QStringList chapterFragments(store::Connection& connection, qint64 treeId, StudyView view);

}  // namespace quorvex::study
