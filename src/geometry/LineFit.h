// The vanishing point that best fits any number of lines of one direction, and how far each
// line strays from it. Pure functions of the clicked ends.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "state/Construction.h"

namespace vesta {

// A point of the projective plane: (x / w, y / w), or a direction when w is 0, so a vanishing
// point at infinity (parallel lines) is a point like any other.
struct HomogeneousPoint {
    double x = 0, y = 0, w = 0;
};

// A clicked line: its two ends and how sure each is (pixels, one standard deviation).
struct ClickedSegment {
    std::array<Point, 2> ends{};
    std::array<double, 2> sigmas{};
};

struct VanishingFit {
    HomogeneousPoint point;
    // For each line, in the order given: the distance (px) of its ends from the line through
    // its midpoint and the fitted point.
    std::vector<double> residuals;
};

// The point V minimising the sum over the lines of (d_a² + d_b²) / σ², d the distances of the
// line's ends a, b from the line through its midpoint and V, σ² the mean of its ends' variances.
// The numerators are linear in homogeneous V, so each round is the smallest eigenvector of a
// 3x3 matrix with the denominators of the previous round (first round: each line's own length),
// in coordinates centred on the ends and scaled to unit spread. Nothing for fewer than two
// lines or a line of no length.
std::optional<VanishingFit> fitVanishingPoint(const std::vector<ClickedSegment>& lines);

// The distance (px) of the line's ends from the line through its midpoint and v.
double residualTo(const ClickedSegment& line, HomogeneousPoint v);
// The same with its sign: positive when the first end lies to the left of the line from the
// midpoint toward v, as v's own homogeneous sign has it.
double residualSigned(const ClickedSegment& line, HomogeneousPoint v);

// The point in pixels; nothing at infinity or beyond any number.
std::optional<Point> finitePoint(HomogeneousPoint p);

// Which lines stray: a line's residual from the point the other lines fit, more than three times
// the root mean square of their own residuals in that fit (and than three times `floor`, the
// clicks' own precision, so that lines that all agree to a fraction of it flag nothing). Left
// out of the fit, since a least-squares point moves toward a stray line and shares its residual
// out among the others. Only with four lines or more: of three, none can be told from the rest.
std::vector<bool> strayLines(const std::vector<ClickedSegment>& lines, double floor);

// The unit eigenvector of the symmetric 3x3 matrix m for its smallest eigenvalue (Jacobi
// rotations, a fixed number of sweeps, so the same matrix gives the same bits).
std::array<double, 3> smallestEigenvector(std::array<std::array<double, 3>, 3> m);

}  // namespace vesta
