// The main window's size: the pictures, their bars and the command panel share the window, not
// the whole screen, so a smaller window keeps all of them within reach.
#pragma once

#include "state/Context.h"

namespace vesta {

// The window has become width x height pixels. The space set aside for the pictures becomes
// the window's (at start, the window is as large as the screen and nothing moves); the command
// panel keeps its place at the right edge; the bars of the picture on show go to the new right
// and bottom edges, ranged for the new visible region, and the picture follows its bars.
void fitToWindow(Context& ctx, double width, double height);
// The Zoom button under the command panel, at its right edge and in front of the pictures: where
// the design put it, a picture covered it or it covered the picture.
void placeZoomButton(FormModel& f);

// Which picture the window shows: the photograph, the rectified image, or none yet.
enum class PictureOnShow { None, Photograph, Result };
PictureOnShow pictureOnShow(const Context& ctx);
// Lays the picture on show and its bars out again at the view's scale in the present window.
void refitPicture(Context& ctx);

}  // namespace vesta
