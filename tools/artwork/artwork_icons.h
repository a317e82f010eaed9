#pragma once

class QPainter;

namespace quorvex::artwork {

// An icon drawn in a 24 × 24 box with the painter's pen (colour and stroke width set by the caller,
// round caps and joins). Icons may clear parts of their own layer with CompositionMode_Clear to
// separate overlapping shapes; the caller draws every icon on a transparent layer of its own.
using IconPainter = void (*)(QPainter& painter);

namespace icons {

// Toolbar
void book(QPainter& painter);             // exercise sets
void star(QPainter& painter);             // favourites
void dialogScreen(QPainter& painter);     // person-machine dialogue
void paperWithClock(QPainter& painter);   // exam room
void crossedNotebook(QPainter& painter);  // wrong-question bank
void diskDownload(QPainter& painter);     // backup
void diskUpload(QPainter& painter);       // restore
void circularArrows(QPainter& painter);   // software update
void headset(QPainter& painter);          // online service
void cart(QPainter& painter);             // online purchase
void questionMark(QPainter& painter);     // help

// Button row
void eye(QPainter& painter);          // show answers
void eyeOff(QPainter& painter);       // hide answers
void redo(QPainter& painter);         // answer again
void send(QPainter& painter);         // hand in
void textLarger(QPainter& painter);   // A+
void textSmaller(QPainter& painter);  // A-
void expand(QPainter& painter);       // full screen
void compress(QPainter& painter);     // window mode

// Title bar: drawn at half scale (12 px), on odd coordinates so that a 2-unit pen falls on whole pixels.
void minimize(QPainter& painter);
void maximize(QPainter& painter);
void restore(QPainter& painter);
void close(QPainter& painter);

// Logo emblem: an open book carrying a medical cross.
void emblem(QPainter& painter);

}  // namespace icons

}  // namespace quorvex::artwork
