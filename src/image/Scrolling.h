// Scrolling the picture areas. A scroll bar's value is the number of image pixels scrolled out
// of view; scrolling moves the picture area itself, so no offset ever enters a coordinate.
#pragma once

#include "state/Context.h"

namespace vesta {

// The part of the window set aside for a picture: the window less one bar thickness and the
// command panel's column across, less three bar thicknesses down.
struct VisibleRegion {
    double width = 0;
    double height = 0;
};
VisibleRegion visibleRegion(const WorkingState& s);

// Range of a bar for an image side longer than the visible side: Max is the overhang,
// the small and large steps a hundredth and a tenth of the visible side (half to even).
struct ScrollRange {
    int max = 0;
    int smallChange = 0;
    int largeChange = 0;
};
ScrollRange scrollRange(double imageSide, double visibleSide);

// Shows the bars an image of width x height needs beside its picture area: the vertical bar
// at the right of the visible region (the horizontal one then as wide as that region), the
// horizontal bar at its bottom with the picture sent behind it. Bars not needed are left as
// they are.
void showScrollBars(FormModel& form, Control& vertical, Control& horizontal, Control& picture,
                    double width, double height, const VisibleRegion& visible);

void HScroll1_Change(Context& ctx);
void VScroll1_Change(Context& ctx);
void HScroll2_Change(Context& ctx);
void VScroll2_Change(Context& ctx);

}  // namespace vesta
