#include "state/PictureArea.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vesta {

namespace {

// A bent figure's polyline keeps within this many pixels of its picture.
constexpr double kBendTolerance = 0.25;
// Halvings of a first piece at most: a piece that ends where the picture shows nothing is cut
// this fine before it is left out.
constexpr int kDeepestHalving = 12;
// Circles of this radius and less are marks: they move with their centre, unbent.
constexpr float kMarkRadius = 4;

// The picture of the curve over [t0, t1], whose ends show at p0 and p1, added to the runs: a
// piece whose middle shows within the tolerance of its chord's is drawn as the chord, any
// other is halved. Where the picture shows nothing, a run ends.
template <typename Curve>
void bentPiece(const FigureBend& bend, const Curve& at, double t0, std::optional<Point> p0,
               double t1, std::optional<Point> p1, int depth,
               std::vector<std::vector<Point>>& runs) {
    const double tm = (t0 + t1) / 2;
    const std::optional<Point> pm = bend.bent(at(tm));
    const bool chord =
        p0 && p1 && pm &&
        std::hypot(pm->x - (p0->x + p1->x) / 2, pm->y - (p0->y + p1->y) / 2) <= kBendTolerance;
    if (!chord && depth < kDeepestHalving) {
        bentPiece(bend, at, t0, p0, tm, pm, depth + 1, runs);
        bentPiece(bend, at, tm, pm, t1, p1, depth + 1, runs);
        return;
    }
    if (!p0 || !p1) {
        return;
    }
    if (runs.empty() || runs.back().back().x != p0->x || runs.back().back().y != p0->y) {
        runs.push_back({*p0});
    }
    runs.back().push_back(*p1);
}

}  // namespace

void PictureArea::drawPolyline(const std::vector<Point>& points, Rgb colour, DrawMode mode) {
    for (std::size_t i = 1; i < points.size(); ++i) {
        drawLine(float(points[i - 1].x), float(points[i - 1].y), float(points[i].x),
                 float(points[i].y), colour, mode);
    }
}

template <typename Curve>
void PictureArea::drawBent(const FigureBend& bend, const Curve& at, int pieces, Rgb colour) {
    std::vector<std::vector<Point>> runs;
    std::optional<Point> from = bend.bent(at(0.0));
    for (int i = 0; i < pieces; ++i) {
        const double t0 = double(i) / pieces, t1 = double(i + 1) / pieces;
        const std::optional<Point> to = bend.bent(at(t1));
        bentPiece(bend, at, t0, from, t1, to, 0, runs);
        from = to;
    }
    for (const std::vector<Point>& run : runs) {
        drawPolyline(run, colour, drawMode_);
    }
}

void PictureArea::line(float x1, float y1, float x2, float y2, std::optional<Rgb> colour) {
    if (const FigureBend* bend = bending()) {
        const auto at = [&](double t) { return Point{x1 + t * (x2 - x1), y1 + t * (y2 - y1)}; };
        drawBent(*bend, at, 4, colour.value_or(foreColor_));
        return;
    }
    drawLine(x1, y1, x2, y2, colour.value_or(foreColor_), drawMode_);
}

void PictureArea::box(float x1, float y1, float x2, float y2, std::optional<Rgb> colour) {
    if (const FigureBend* bend = bending()) {
        // Around the four sides in one polyline, each corner at the end of a first piece.
        const std::array<Point, 5> corners{{{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}}};
        const auto at = [&](double t) {
            const double side = std::min(std::floor(t * 4), 3.0), u = t * 4 - side;
            const Point a = corners[std::size_t(side)], b = corners[std::size_t(side) + 1];
            return Point{a.x + u * (b.x - a.x), a.y + u * (b.y - a.y)};
        };
        drawBent(*bend, at, 4, colour.value_or(foreColor_));
        return;
    }
    drawBox(x1, y1, x2, y2, colour.value_or(foreColor_), drawMode_);
}

void PictureArea::circle(float cx, float cy, float radius, std::optional<Rgb> colour) {
    const FigureBend* bend = bending();
    if (bend && radius > kMarkRadius) {
        const auto at = [&](double t) {
            const double a = 2 * std::numbers::pi * t;
            return Point{cx + radius * std::cos(a), cy + radius * std::sin(a)};
        };
        drawBent(*bend, at, 16, colour.value_or(foreColor_));
        return;
    }
    if (bend) {
        if (const std::optional<Point> c = bend->bent({cx, cy})) {
            drawCircle(float(c->x), float(c->y), radius, colour.value_or(foreColor_), drawMode_);
        }
        return;
    }
    drawCircle(cx, cy, radius, colour.value_or(foreColor_), drawMode_);
}

}  // namespace vesta
