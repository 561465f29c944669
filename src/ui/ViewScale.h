// The picture on show, the photograph or the rectified image, reduced or enlarged. The scale is
// screen pixels per picture pixel; the picture and its bars are sized in screen pixels, while
// every click and every figure drawn stays in picture pixels, so neither the construction nor a
// measure ever depends on the view.
#pragma once

#include "state/Context.h"

namespace vesta {

// The fixed scales of the view menu, smallest first.
inline constexpr double kViewScales[] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};

// The largest scale at which the whole picture on show (the photograph or the rectified
// image) fits the part of the window set aside for it; never above 1:1, since a fit view only
// reduces.
double fitScale(const Context& ctx);

// Shows the picture on show at `scale`, keeping the picture point that lay under the window
// point (anchorX, anchorY) there, as far as the bars reach. Without a picture on show the
// scale is only remembered.
void showAtScale(Context& ctx, double scale, double anchorX, double anchorY);
// The menu's scales: about the middle of the visible region.
void showScale(Context& ctx, double scale);
void showFitting(Context& ctx);
// One scale up (steps > 0) or down among the menu's scales and the fit scale, about a window
// point (the cursor under the wheel, or the middle of the visible region for the keys).
void stepScale(Context& ctx, int steps, double anchorX, double anchorY);
void stepScaleAboutMiddle(Context& ctx, int steps);
// Shows the picture on show again at the chosen view after a procedure laid it out one screen
// pixel per picture pixel (a new photograph, the way back from the rectified image, a new or
// turned result), keeping the picture point at the window's top-left corner. At 1:1 it
// changes nothing.
void reshowView(Context& ctx);
// A photograph just opened: a grey or colour one larger than the window is shown fitted to
// it, anything else at the chosen view as reshowView does. A palette bitmap keeps the view
// the user chose, so its road stays what it is.
void showNewPhotograph(Context& ctx);
// The magnifier on or off.
void toggleMagnifier(Context& ctx);

}  // namespace vesta
