#include "study/static_page.h"

#include <QRegularExpression>

namespace quorvex::study {

QString pageWithFragments(const QString& pageFileText, const QStringList& fragments) {
    static const QRegularExpression closingBody(QStringLiteral("</body\\s*>"),
                                                QRegularExpression::CaseInsensitiveOption);
    const QString body = fragments.join(QString());
    QString page = pageFileText;
    const qsizetype at = page.lastIndexOf(closingBody);
    if (at < 0) {
        return page + body;
    }
    return page.insert(at, body);
}

QStringList chapterFragments(store::Connection& connection, qint64 treeId, StudyView view) {
    PageMarkupWriter writer(pageVariantForView(view));
    QStringList fragments;
    readChapterGroups(connection, treeId, view,
                      [&](const GroupRow& group) { writer.writeGroup(group, fragments); });
    return fragments;
}

}  // namespace quorvex::study
