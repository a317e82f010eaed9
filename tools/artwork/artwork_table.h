#pragma once

#include <QSize>
#include <QString>
#include <vector>

#include "artwork_icons.h"

namespace quorvex::artwork {

// Where a picture is shown; decides its background, colours and layout.
enum class Surface {
    Toolbar,              // picture button of the toolbar: icon above, label below
    ButtonRow,            // picture button of the row above the page: small icon and label side by side
    TitleButton,          // minimize / maximize / restore / close in the title bar
    TitleBackground,      // stretched behind the title bar
    Banner,               // stretched behind the rest of the toolbar
    Logo,                 // word mark on the banner's left edge
    ButtonRowBackground,  // stretched behind the button row
};

enum class ButtonState { Idle, Hover, Pressed };

// One picture file of tp/.
struct ArtworkFile {
    QString fileName;  // exactly as the program asks for it, case included
    QString label;     // text drawn on the picture (empty: none)
    IconPainter icon;  // may be null
    QSize size;
    ButtonState state;
    Surface surface;
};

// Height of the bars the pictures belong to.
inline constexpr int kTitleBarHeight = 25;
inline constexpr int kToolbarHeight = 64;
inline constexpr int kButtonRowHeight = 31;

// Every picture the program reads from tp/, expanded from the table in artwork_table.cpp: one entry
// per file, in table order.
const std::vector<ArtworkFile>& artworkFiles();

}  // namespace quorvex::artwork
