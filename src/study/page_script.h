#pragma once

#include <QString>
#include <QStringList>

// Script texts the page view sends into the page. Plain text work, no window: the view only runs them.
namespace quorvex::study {

// A double-quoted JavaScript string literal holding exactly the given text.
QString jsStringLiteral(const QString& text);

// The onclick texts of the pages call "location.href('...')", which only the old engine accepted as a call;
// this turns every such call into "location.assign('...')", which navigates to the same address.
QString rewriteLocationCalls(QString html);

// A script that appends every fragment at the end of the body, in order, each parsed on its own as
// insertAdjacentHTML("beforeend") does (an unclosed tag of one fragment does not swallow the next).
QString appendFragmentsScript(const QStringList& fragments);

// A script returning {id: [exists, checked, value]} for every id; a missing element gives
// [false, false, ""]. An element without a value property reports its value attribute.
QString readControlsScript(const QStringList& ids);

// Scripts that change elements found by id; missing elements are skipped.
QString setColorScript(const QStringList& ids, const QString& color);
QString setCheckedScript(const QString& id, bool checked);
QString setValueScript(const QString& id, const QString& value);
QString setBodyFontSizeScript(int pixels);

}  // namespace quorvex::study
