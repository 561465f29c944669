// The interior orientation of the photograph by ruler and compass: horizon, foot point,
// principal distance and the two measuring points, from the two vanishing points and the
// principal point.
#pragma once

#include <optional>

#include "geometry/Lines.h"
#include "state/Result.h"

namespace vesta {

// The construction, in the order and with the root choices of the classic method:
//  F      = horizon through Vh (perpendicular to Vv-P) meets the line Vv-P;
//  D      = the circle on the diameter Vv-F cut by the parallel to the horizon through P (the
//           smaller root);
//  pv     = the circle of centre Vv through D cut by the line Vv-P (the root whose y is smaller
//           in size);
//  E      = the circle of centre P through D cut by the perpendicular to P-Vh (the larger root);
//  po     = the circle of centre Vh through E cut by the horizon (the root whose x is smaller in
//           size).
// Refuses, with the Italian message for the user, a principal point on a line through a
// vanishing point that the construction must divide by, or a line that misses its circle.
//
// With a given principal distance (from the photograph's focal length) D is taken on the same
// parallel to the horizon at that distance from P, on the same side, instead of on the circle;
// everything after it is made from D as above. When the vanishing points are far away the
// distance they imply is very uncertain, while a known focal length is not.
Result<InteriorOrientation> interiorOrientation(Point vh, Point vv, Point p,
                                                std::optional<double> givenDistance = {});

}  // namespace vesta
