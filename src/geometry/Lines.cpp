#include "geometry/Lines.h"

#include <algorithm>
#include <cmath>

namespace vesta {

namespace {
// Every construction starts from single-precision mouse positions (about 6e-8 relative), and
// a dozen operations later a difference below 1e-5 of the numbers it comes from is rounding,
// not geometry. Dividing by it anyway gives slopes whose line-circle roots lose every digit:
// a principal point 2e-5 pixels beside the vertical through Vv put the vertical measuring
// point 57 pixels off.
constexpr double kRelativeRounding = 1e-5;
}  // namespace

bool zeroUpToRounding(double a, double b) {
    return std::fabs(a - b) <= kRelativeRounding * std::max(std::fabs(a), std::fabs(b));
}

std::optional<double> slopeFrom(Point v, Point p) {
    if (zeroUpToRounding(p.x, v.x)) {
        return std::nullopt;
    }
    const double s = (p.y - v.y) / (p.x - v.x);
    return std::isfinite(s) ? std::optional<double>(s) : std::nullopt;
}

std::optional<double> meetingX(Point p1, double s1, Point p2, double s2) {
    if (zeroUpToRounding(s1, s2)) {
        return std::nullopt;
    }
    const double x = (p1.x * s1 - p1.y - p2.x * s2 + p2.y) / (s1 - s2);
    return std::isfinite(x) ? std::optional<double>(x) : std::nullopt;
}

double lineY(double s, double x, Point p) {
    return s * (x - p.x) + p.y;
}

std::optional<Point> meetingPoint(Point p1, double s1, Point p2, double s2) {
    const std::optional<double> x = meetingX(p1, s1, p2, s2);
    if (!x) {
        return std::nullopt;
    }
    const Point m{*x, lineY(s1, *x, p1)};
    return finite(m) ? std::optional<Point>(m) : std::nullopt;
}

std::optional<Roots> lineCircleRoots(Point c, double r, Point p, double s) {
    const double u = -2 * c.x;
    const double v = -2 * c.y;
    const double w = c.x * c.x + c.y * c.y - r * r;
    const double q = p.y - s * p.x;
    const double k2 = 1 + s * s;
    const double k1 = 2 * s * q + u + v * s;
    const double k0 = q * q + v * q + w;
    const double delta = k1 * k1 - 4 * k2 * k0;
    if (!std::isfinite(delta) || delta < 0) {
        return std::nullopt;
    }
    const double root = std::sqrt(delta);
    const Roots roots{(-k1 - root) / (2 * k2), (-k1 + root) / (2 * k2)};
    if (!std::isfinite(roots.minus) || !std::isfinite(roots.plus)) {
        return std::nullopt;
    }
    return roots;
}

double distance(Point a, Point b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
}

bool finite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace vesta
