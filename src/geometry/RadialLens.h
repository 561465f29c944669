// The bending of the photograph's lens, one radial coefficient: a point of the photograph at
// distance r from its centre, in half diagonals, lies undistorted at (1 + k1·r²) times that
// distance. k1 > 0 takes out a barrel bend, k1 < 0 a pincushion one. The construction is made
// in the undistorted plane; the rectification bends its source points back, so the photograph
// is resampled once.
#pragma once

#include <optional>

#include "state/Construction.h"

namespace vesta {

// The coefficients a photograph's lens may have: within them the bend moves every point of
// the photograph outward (or inward) monotonically, so that each undistorted point has one
// distorted point.
constexpr double kLensK1Min = -0.3;
constexpr double kLensK1Max = 0.3;
bool plausibleLensK1(double k1);

struct RadialLens {
    double k1 = 0;
    Point centre;             // the photograph's centre, in the clicks' coordinates
    double halfDiagonal = 1;  // pixels

    // The lens of a photograph of width x height pixels (as turned), whose pixel x has its
    // centre at click coordinate x.
    static RadialLens ofPhotograph(double k1, int width, int height);

    Point undistorted(Point distorted) const;
    // The photograph's point that the lens bends onto `undistorted`, by Newton's steps on the
    // radius; nothing where the bend is not monotonic out to that radius or does not converge.
    std::optional<Point> distorted(Point undistorted) const;
};

}  // namespace vesta
