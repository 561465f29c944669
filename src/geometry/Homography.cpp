#include "geometry/Homography.h"

#include <cmath>

namespace vesta {

Point Homography::apply(Point p) const {
    const double w = denominator(p);
    return {(m[0] * p.x + m[1] * p.y + m[2]) / w, (m[3] * p.x + m[4] * p.y + m[5]) / w};
}

double Homography::denominator(Point p) const {
    return m[6] * p.x + m[7] * p.y + m[8];
}

std::optional<Homography> Homography::inverse() const {
    // The adjugate, divided by the determinant so the result keeps numbers of a usual size.
    const std::array<double, 9> a{
        m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
        m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
        m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
    const double det = m[0] * a[0] + m[1] * a[3] + m[2] * a[6];
    if (!std::isfinite(det) || det == 0) {
        return std::nullopt;
    }
    Homography h;
    for (std::size_t i = 0; i < 9; ++i) {
        h.m[i] = a[i] / det;
        if (!std::isfinite(h.m[i])) {
            return std::nullopt;
        }
    }
    return h;
}

Homography Homography::after(const Homography& other) const {
    Homography h;
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 3; ++c) {
            h.m[3 * r + c] = m[3 * r] * other.m[c] + m[3 * r + 1] * other.m[3 + c] +
                             m[3 * r + 2] * other.m[6 + c];
        }
    }
    return h;
}

std::optional<Homography> rectangleToQuadrilateral(double width, double height,
                                                   const std::array<Point, 4>& corners) {
    const Point p0 = corners[0], p1 = corners[1], p2 = corners[2], p3 = corners[3];
    const double sx = p0.x - p1.x + p2.x - p3.x;
    const double sy = p0.y - p1.y + p2.y - p3.y;
    const double dx1 = p1.x - p2.x, dx2 = p3.x - p2.x;
    const double dy1 = p1.y - p2.y, dy2 = p3.y - p2.y;
    const double det = dx1 * dy2 - dx2 * dy1;
    if (!std::isfinite(det) || det == 0 || !(width > 0) || !(height > 0)) {
        return std::nullopt;
    }
    const double g = (sx * dy2 - dx2 * sy) / det;
    const double h = (dx1 * sy - sx * dy1) / det;
    // The unit square onto the quadrilateral, then the rectangle shrunk onto the unit square.
    const Homography square{{p1.x - p0.x + g * p1.x, p3.x - p0.x + h * p3.x, p0.x,
                             p1.y - p0.y + g * p1.y, p3.y - p0.y + h * p3.y, p0.y, g, h, 1}};
    const Homography shrink{{1 / width, 0, 0, 0, 1 / height, 0, 0, 0, 1}};
    const Homography result = square.after(shrink);
    for (double v : result.m) {
        if (!std::isfinite(v)) {
            return std::nullopt;
        }
    }
    return result;
}

std::array<double, 3> lineThrough(Point a, Point b) {
    return {a.y - b.y, b.x - a.x, a.x * b.y - a.y * b.x};
}

std::optional<Point> crossing(const std::array<double, 3>& l1, const std::array<double, 3>& l2) {
    const double w = l1[0] * l2[1] - l1[1] * l2[0];
    // w is the sine of the angle between the lines times the lengths of their normals.
    const double n1 = std::hypot(l1[0], l1[1]), n2 = std::hypot(l2[0], l2[1]);
    if (!(std::fabs(w) > 1e-9 * n1 * n2)) {
        return std::nullopt;
    }
    const Point p{(l1[1] * l2[2] - l1[2] * l2[1]) / w, (l1[2] * l2[0] - l1[0] * l2[2]) / w};
    return finite(p) ? std::optional<Point>(p) : std::nullopt;
}

}  // namespace vesta
