// Where a front of a facade lies in the photograph, from the straight segments found on it.
#pragma once

#include <vector>

#include "state/Construction.h"

namespace vesta {

// A straight segment of the photograph, pixels.
struct Segment {
    Point first, second;
};

// Where a front's lines lie: the box around their ends (px) and the area of their convex hull
// (px²), the part of the photograph the front covers.
struct FrontExtent {
    Point topLeft, bottomRight;
    double area = 0;
};

// The box and hull of the lines' ends; `lines` is not empty.
FrontExtent extentOf(const std::vector<Segment>& lines);

// Whether p lies in the front's box.
bool within(const FrontExtent& box, Point p);

// The length of the segment's part inside the box.
double lengthWithin(const Segment& s, const FrontExtent& box);

}  // namespace vesta
