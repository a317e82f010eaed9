#pragma once

#include <QString>
#include <functional>

#include "study/page_markup.h"

namespace quorvex::store {
class Connection;
}

namespace quorvex::study {

// The three views of the question tree. The current view is the caption of the panel above the tree.
enum class StudyView { Exercise, Favourites, WrongQuestions };

inline const QString kFavouritesCaption = QStringLiteral("收 藏 试 题");
inline const QString kWrongQuestionsCaption = QStringLiteral("错 题 题 库");
inline const QString kExerciseCaption = QStringLiteral("习 题 集");
// The caption the exercise view starts with, before any switch.
inline const QString kStartCaption = QStringLiteral("高 级 试 题");

// Compares exactly, spaces included; any other caption is the exercise view.
StudyView viewForCaption(const QString& caption);
QString captionForView(StudyView view);
// The question-mark field a filtered view lists ("scbt" or "ct"); empty for the exercise view.
QString markFieldForView(StudyView view);
// The message shown when a filtered view has nothing to list.
QString emptyViewMessage(StudyView view);
PageVariant pageVariantForView(StudyView view);

// Reads the groups of one chapter as its page shows them in the view: groups by qtypeid (ties in id
// order), each with its type, the view's questions and their options. Calls `sink` once per group as
// soon as the group is read, so that an error further on leaves the groups before it handed over.
// Throws StoreError (a type code that is not a number, a missing type row, any database error).
void readChapterGroups(store::Connection& connection, qint64 treeId, StudyView view,
                       const std::function<void(const GroupRow&)>& sink);

// Reads one question with its group and type, for the error-feedback page. Throws StoreError.
GroupRow readSingleQuestionGroup(store::Connection& connection, qint64 questionId);

// Recomputes the chapter marks of a filtered view: clears the view's flag on every tree row, then sets
// it on each chapter holding a marked question. Returns false, changing nothing, when no question is
// marked.
bool recomputeChapterMarks(store::Connection& connection, StudyView view);

}  // namespace quorvex::study
