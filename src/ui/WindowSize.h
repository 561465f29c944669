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
// Lays Picture1 and its bars out again for the photograph at the view's scale in the present
// window.
void refitPhotograph(Context& ctx);

}  // namespace vesta
