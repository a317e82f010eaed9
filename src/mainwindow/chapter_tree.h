#pragma once

#include <QString>
#include <QVector>
#include <functional>

#include "study/study_view.h"

namespace quorvex::store {
class Connection;
}

namespace quorvex::mainwindow {

// One node of the chapter tree, in the order the tree is built (pre-order): a root (level 0), its
// sections (level 1), each followed by its chapters (level 2). A node's position in this walk is its
// absolute index.
struct TreeRow {
    QString caption;  // tree.nodename
    int level = 0;
    int treeId = 0;  // tree.id of a chapter; 0 for roots and sections
};

// Walks the tree table as the tree is built: the roots (code 1), for each root its sections, for each
// section its chapters; in the favourites and wrong-question views only the chapters whose mark
// (tree.scbt / tree.ct) is "1". Sections are listed even when they keep no chapter. Calls `visit` for
// each node as soon as it is read, so that an error part-way leaves the nodes before it. Uses the
// connection as it is (opens it when closed); throws StoreError.
void walkChapterTree(store::Connection& connection, study::StudyView view,
                     const std::function<void(const TreeRow&)>& visit);

// The whole walk as a list.
QVector<TreeRow> readChapterTree(store::Connection& connection, study::StudyView view);

}  // namespace quorvex::mainwindow
