#include "geometry/FrontExtent.h"

#include <algorithm>
#include <cmath>

namespace vesta {

namespace {

// The area of the convex hull of the points (Andrew's monotone chain, then the shoelace).
double hullArea(std::vector<Point> points) {
    std::sort(points.begin(), points.end(),
              [](Point a, Point b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    if (points.size() < 3) {
        return 0;
    }
    const auto turn = [](Point o, Point a, Point b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    std::vector<Point> hull(2 * points.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && turn(hull[k - 2], hull[k - 1], points[i]) <= 0) {
            --k;
        }
        hull[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i > 0; --i) {
        while (k >= lower && turn(hull[k - 2], hull[k - 1], points[i - 1]) <= 0) {
            --k;
        }
        hull[k++] = points[i - 1];
    }
    double twice = 0;
    for (std::size_t i = 0; i + 1 < k; ++i) {
        twice += hull[i].x * hull[i + 1].y - hull[i + 1].x * hull[i].y;
    }
    return std::fabs(twice) / 2;
}

}  // namespace

FrontExtent extentOf(const std::vector<Segment>& lines) {
    FrontExtent e{lines.front().first, lines.front().first, 0};
    std::vector<Point> ends;
    for (const Segment& s : lines) {
        for (const Point p : {s.first, s.second}) {
            e.topLeft = {std::min(e.topLeft.x, p.x), std::min(e.topLeft.y, p.y)};
            e.bottomRight = {std::max(e.bottomRight.x, p.x), std::max(e.bottomRight.y, p.y)};
            ends.push_back(p);
        }
    }
    e.area = hullArea(std::move(ends));
    return e;
}

bool within(const FrontExtent& box, Point p) {
    return p.x >= box.topLeft.x && p.x <= box.bottomRight.x && p.y >= box.topLeft.y &&
           p.y <= box.bottomRight.y;
}

// Liang and Barsky's clipping.
double lengthWithin(const Segment& s, const FrontExtent& box) {
    const double dx = s.second.x - s.first.x, dy = s.second.y - s.first.y;
    double t0 = 0, t1 = 1;
    const auto clip = [&](double p, double q) {
        if (p == 0) {
            return q >= 0;
        }
        const double r = q / p;
        if (p < 0) {
            t0 = std::max(t0, r);
        } else {
            t1 = std::min(t1, r);
        }
        return t0 <= t1;
    };
    const bool in = clip(-dx, s.first.x - box.topLeft.x) &&
                    clip(dx, box.bottomRight.x - s.first.x) &&
                    clip(-dy, s.first.y - box.topLeft.y) && clip(dy, box.bottomRight.y - s.first.y);
    return in ? (t1 - t0) * std::hypot(dx, dy) : 0;
}

}  // namespace vesta
