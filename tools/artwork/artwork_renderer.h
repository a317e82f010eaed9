#pragma once

#include <QImage>
#include <QString>

#include "artwork_table.h"

namespace quorvex::artwork {

// The family every label is set in.
inline const QString kLabelFontFamily = QStringLiteral("Noto Sans CJK SC");

// Draws one picture of the table. Pictures of one bar share its background exactly (the button
// pictures have no transparency), so they sit seamlessly on the stretched background picture.
QImage renderArtwork(const ArtworkFile& file);

}  // namespace quorvex::artwork
