// Aggancia ai bordi through the lens's bend: the edges are sought on the photograph as it is,
// whose straight edges the lens bends, and the line is fitted to their points taken out of the
// bend, in the plane the construction is made in.
#pragma once

#include <optional>
#include <vector>

#include "geometry/RadialLens.h"
#include "image/EdgeSnap.h"

namespace vesta {

// The points of the photograph's edge that runs along the picture of the straight line
// first-second (in the undistorted plane) through `lens` (none: the line itself), within
// `reach` pixels either side of it: the picture is cut into short pieces, each nearly straight,
// and each piece drawn onto its edge; two points of each piece that found one, in the
// photograph's own pixels. Empty when the line is too short to cut.
std::vector<Point> edgePointsAlong(const GreyView& image, const std::optional<RadialLens>& lens,
                                   Point first, Point second, double reach);

// The clicked line first-second of the undistorted plane drawn onto the edge its picture
// follows: the line fitted to that edge's points taken out of the bend, its ends on the
// perpendiculars through the clicked ends. Nothing when most pieces find no edge or the edge
// strays beyond the reach.
std::optional<SnappedLine> snapThroughLens(const GreyView& image, const RadialLens& lens,
                                           Point first, Point second, double reach);

}  // namespace vesta
