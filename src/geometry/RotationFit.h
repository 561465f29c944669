// Given the principal distance, the camera's turn that best fits every line of both directions
// at once, and the vanishing points it gives.
#pragma once

#include <optional>
#include <vector>

#include "geometry/LineFit.h"

namespace vesta {

// The facade's horizontal and vertical directions, seen from the eye (P at (0, 0, 0) of the
// camera, the photograph at distance f), are the first two columns of the camera's turn R, and
// their vanishing points P + f · (r.x, r.y) / r.z are square to each other for that distance.
// The turn minimises, over the lines of both directions at once, the distances of each line's
// ends from the line through its midpoint and its direction's vanishing point, over the clicks'
// sigma, as fitVanishingPoint does for one point alone: Gauss-Newton steps on R · exp([δ]x),
// from the turn through the fitted points `vh`, `vv`. Nothing when a column is parallel to the
// photograph (a point at infinity), a line has no length or a step cannot be solved.
std::optional<VanishingPoints> rotationFittedVanishingPoints(
    const std::vector<ClickedSegment>& horizontal, const std::vector<ClickedSegment>& vertical,
    HomogeneousPoint vh, HomogeneousPoint vv, Point principal, double distance);

}  // namespace vesta
