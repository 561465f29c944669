// Plane geometry in point-slope form, the one form every construction of the program uses.
// Each function evaluates its formula in the order written here, so the same inputs give the
// same bits on every build; each refuses (returns nothing) instead of dividing by a number that
// is zero up to rounding, taking the root of a negative number or giving a non-finite result.
#pragma once

#include <optional>

#include "state/Construction.h"

namespace vesta {

// True when a - b is zero up to the rounding of numbers of their size: a difference that
// small carries no information, and dividing by it gives slopes of 1e16 that wreck every
// construction built on them.
bool zeroUpToRounding(double a, double b);

// Slope of the line from v to p: (p.y - v.y) / (p.x - v.x). Nothing when p lies on the vertical
// through v.
std::optional<double> slopeFrom(Point v, Point p);

// x of the meeting point of the line through p1 with slope s1 and the line through p2 with
// slope s2: (x1·s1 − y1 − x2·s2 + y2) / (s1 − s2). Nothing when the lines are parallel.
std::optional<double> meetingX(Point p1, double s1, Point p2, double s2);

// y at x of the line through p with slope s: s·(x − p.x) + p.y.
double lineY(double s, double x, Point p);

// The meeting point, its y taken on the first line.
std::optional<Point> meetingPoint(Point p1, double s1, Point p2, double s2);

// The two x where the line through p with slope s cuts the circle of centre c and radius r,
// the smaller first. The circle is x² + y² + u·x + v·y + w = 0 (u = −2·cx, v = −2·cy,
// w = cx² + cy² − r²), the line y = s·x + q (q = p.y − s·p.x); substituting gives
// k2·x² + k1·x + k0 = 0 with k2 = 1 + s², k1 = 2·s·q + u + v·s, k0 = q² + v·q + w.
// Nothing when the line misses the circle.
struct Roots {
    double minus = 0;
    double plus = 0;
};
std::optional<Roots> lineCircleRoots(Point c, double r, Point p, double s);

// Distance between two points.
double distance(Point a, Point b);

bool finite(Point p);

}  // namespace vesta
