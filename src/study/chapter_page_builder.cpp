#include "study/chapter_page_builder.h"

#include <exception>

#include "store/connection.h"
#include "store/query.h"
#include "study/page_markup.h"
#include "study/page_view.h"

namespace quorvex::study {

namespace {

void keepNumbering(const PageMarkupWriter& writer, PageNumbering& numbering) {
    numbering.questionNo = writer.questionNo();
    numbering.groupFirstNo = writer.groupFirstNo();
    numbering.typeCode8HeadingShown = writer.typeCode8HeadingShown() ? 1 : 0;
    numbering.typeCode9HeadingShown = writer.typeCode9HeadingShown() ? 1 : 0;
}

}  // namespace

ChapterPageBuilder::ChapterPageBuilder(PageView& view, store::Connection& connection,
                                       const QString& programFolder)
    : view_(view), connection_(connection), pageFile_(programFolder + QStringLiteral("ty.html")) {}

QString ChapterPageBuilder::build(qint64 treeId, StudyView studyView, PageNumbering& numbering) {
    numbering = PageNumbering{};
    QString currentTreeId;
    PageMarkupWriter writer(pageVariantForView(studyView));
    try {
        view_.loadPageFile(pageFile_);

        store::Query chapter(connection_);
        chapter.setSql(QStringLiteral("select * from tree where id=?"));
        chapter.setParams({treeId});
        chapter.open();
        currentTreeId = chapter.text(QStringLiteral("id"));

        QStringList fragments;
        readChapterGroups(connection_, currentTreeId.toLongLong(), studyView, [&](const GroupRow& group) {
            fragments.clear();
            writer.writeGroup(group, fragments);
            view_.appendFragments(fragments);
            keepNumbering(writer, numbering);
        });
        connection_.close();
        view_.flush();
        view_.setZoomLevel(1);
    } catch (const std::exception&) {
        // The build ends quietly; what was written stays on the page.
        connection_.close();
        view_.flush();
    }
    keepNumbering(writer, numbering);
    return currentTreeId;
}

}  // namespace quorvex::study
