#include "chapter_tree.h"

#include "store/connection.h"
#include "store/query.h"

namespace quorvex::mainwindow {

void walkChapterTree(store::Connection& connection, study::StudyView view,
                     const std::function<void(const TreeRow&)>& visit) {
    // The favourites and wrong-question views list only the chapters with their mark set.
    const QString mark = study::markFieldForView(view);
    const bool filtered = !mark.isEmpty();

    store::Query roots(connection);
    store::Query sections(connection);
    store::Query chapterRows(connection);
    roots.setSql(QStringLiteral("select * from tree where code=1"));
    sections.setSql(QStringLiteral("select * from tree where parentid=?"));
    chapterRows.setSql(filtered ? QStringLiteral("select * from tree where (parentid=?) and (") + mark +
                                      QStringLiteral("=?)")
                                : QStringLiteral("select * from tree where parentid=?"));
    roots.open();
    // The record count is exact as soon as the result is open: handle exactly that many rows.
    for (int r = roots.recordCount(); r > 0; --r, roots.next()) {
        visit(TreeRow{roots.text(QStringLiteral("nodename")), 0, 0});

        sections.close();
        sections.setParams({roots.integer(QStringLiteral("id"))});
        sections.open();
        for (int s = sections.recordCount(); s > 0; --s, sections.next()) {
            visit(TreeRow{sections.text(QStringLiteral("nodename")), 1, 0});

            QVariantList params{sections.integer(QStringLiteral("id"))};
            if (filtered) {
                params.append(QStringLiteral("1"));
            }
            chapterRows.close();
            chapterRows.setParams(params);
            chapterRows.open();
            for (int c = chapterRows.recordCount(); c > 0; --c, chapterRows.next()) {
                visit(TreeRow{chapterRows.text(QStringLiteral("nodename")), 2,
                              static_cast<int>(chapterRows.integer(QStringLiteral("id")))});
            }
        }
    }
    roots.close();
    sections.close();
    chapterRows.close();
}

QVector<TreeRow> readChapterTree(store::Connection& connection, study::StudyView view) {
    QVector<TreeRow> rows;
    walkChapterTree(connection, view, [&rows](const TreeRow& row) { rows.append(row); });
    return rows;
}

}  // namespace quorvex::mainwindow
