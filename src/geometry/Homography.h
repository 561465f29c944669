// Projective mappings of the plane, the exact relation between a plane in the world and its
// photograph.
#pragma once

#include <array>
#include <optional>

#include "geometry/Lines.h"

namespace vesta {

// (x, y) ↦ ((m0·x + m1·y + m2) / w, (m3·x + m4·y + m5) / w) with w = m6·x + m7·y + m8.
struct Homography {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};

    Point apply(Point p) const;
    // w at p: its sign tells on which side of the line sent to infinity p lies.
    double denominator(Point p) const;
    // The mapping that undoes this one; nothing when it is singular.
    std::optional<Homography> inverse() const;
    // This mapping after the other: p ↦ apply(other.apply(p)).
    Homography after(const Homography& other) const;
};

// The mapping of the rectangle 0..width × 0..height (y downwards) onto the quadrilateral whose
// corners, in the same turn, are topLeft, topRight, bottomRight, bottomLeft. The unit square
// is sent onto the quadrilateral in closed form: with Σ = p0 − p1 + p2 − p3 the mapping is
// affine when Σ = 0, otherwise its last row (g, h) solves g·(p1 − p2) + h·(p3 − p2) = Σ.
// Nothing when that system is singular (three corners on one line).
std::optional<Homography> rectangleToQuadrilateral(double width, double height,
                                                   const std::array<Point, 4>& corners);

// The line through a and b as homogeneous coefficients (a·x + b·y + c = 0).
std::array<double, 3> lineThrough(Point a, Point b);

// The crossing of two homogeneous lines; nothing when they are parallel up to rounding.
std::optional<Point> crossing(const std::array<double, 3>& l1, const std::array<double, 3>& l2);

}  // namespace vesta
