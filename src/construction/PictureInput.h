// Mouse input on the photograph: the ends of the construction lines, the corners of the
// calculation area and the principal point, by what a click means at the moment (modoClick).
// Positions are single-precision picture pixels; the button and the modifier keys are ignored.
#pragma once

#include "state/Context.h"

namespace vesta {

// A line end keeps the view scale it was clicked at (the form's), which tells how sure it is.
void PICTURE1_MouseDown(Context& ctx, float x, float y);
// The same for a click made at another view scale: a kept construction replayed.
void PICTURE1_MouseDown(Context& ctx, float x, float y, double viewScale);
// Drags a rubber-band line or box, in invert mode, from the first click to the pointer:
// exactly one is on screen at a time.
void Picture1_MouseMove(Context& ctx, float x, float y);
// After the fourth line, and after every later click in line mode, runs the vanishing points;
// after the second corner of an area, the construction and the grid.
void Picture1_MouseUp(Context& ctx, float x, float y);

// Drops a two-click input left half done (a line's first end, an area's first corner, a
// measuring point), erasing its rubber band, so the next click starts a new one.
void abandonPendingInput(Context& ctx);

// The principal point's mark: a cross of 20 pixels each way and a small circle.
void markPrincipalPoint(PictureArea& pic, double x, double y);

// The photograph bare again with every clicked line, then the vanishing points and the
// construction from them once all four lines stand.
void drawLinesAgain(Context& ctx);

}  // namespace vesta
