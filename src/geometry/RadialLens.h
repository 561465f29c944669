// The bending of the photograph's lens. With one radial coefficient: a point of the photograph
// at distance r from its centre, in half diagonals, lies undistorted at (1 + k1·r²) times that
// distance; k1 > 0 takes out a barrel bend, k1 < 0 a pincushion one. With a lens database's
// calibration (state/LensProfile.h): the database's own polynomial from undistorted to distorted
// radius, in its own unit of length. The construction is made in the undistorted plane; the
// rectification bends its source points back, so the photograph is resampled once.
#pragma once

#include <array>
#include <optional>

#include "state/Construction.h"
#include "state/LensProfile.h"

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

    // A database's calibration on a photograph of width x height pixels (as turned; the unit
    // follows its shorter side, so a turn changes nothing).
    LensModel model = LensModel::RadialK1;
    std::array<double, 3> terms{};
    double unit = 1;  // pixels of the database's unit radius
    // The undistorted radius, in units, where the database's bend stops growing: beyond it two
    // photograph points would fold onto one. Infinite where it never does.
    double foldRadius = 0;
    static RadialLens ofProfile(const LensProfile& profile, int width, int height);
    // Whether every point of that photograph has its one undistorted point.
    bool bendsWholePhotograph(int width, int height) const;

    // Where a point of the photograph lies out of the bend (for a database's model by Newton's
    // steps on the radius).
    Point undistorted(Point distorted) const;
    // The photograph's point that the lens bends onto `undistorted` (for one coefficient by
    // Newton's steps on the radius, for a database's model at once); nothing where the bend is
    // not monotonic out to that radius or does not converge.
    std::optional<Point> distorted(Point undistorted) const;
};

// The lens the working state names for its photograph of width x height: the coefficient, or
// the database's calibration; nothing without either.
std::optional<RadialLens> photographLens(const std::optional<double>& k1,
                                         const std::optional<LensProfile>& profile, int width,
                                         int height);

}  // namespace vesta
