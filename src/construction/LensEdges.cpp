#include "construction/LensEdges.h"

#include <algorithm>
#include <cmath>

#include "geometry/LensFit.h"

namespace vesta {

namespace {

// Pieces this long are straight to well under a pixel under any plausible bend, and long
// enough for the edge search's stations.
constexpr double kPieceLength = 48;
constexpr int kMostPieces = 40;

Point along(Point a, Point b, double t) {
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

int piecesOf(Point first, Point second) {
    const double length = std::hypot(second.x - first.x, second.y - first.y);
    return std::clamp(int(std::lround(length / kPieceLength)), 1, kMostPieces);
}

// Where the point of the line lies on the photograph.
std::optional<Point> pictured(const std::optional<RadialLens>& lens, Point p) {
    return lens ? lens->distorted(p) : std::optional<Point>(p);
}

// Where the line through `fitted` crosses the perpendicular to first-second through `end`, and
// how far along that perpendicular it lies.
std::optional<std::pair<Point, double>> onPerpendicular(const FittedLine& fitted, Point first,
                                                        Point second, Point end) {
    const double length = std::hypot(second.x - first.x, second.y - first.y);
    const double nx = -(second.y - first.y) / length, ny = (second.x - first.x) / length;
    const double across = nx * fitted.direction.y - ny * fitted.direction.x;
    if (std::fabs(across) < 1e-9) {
        return std::nullopt;
    }
    const double a = ((fitted.through.x - end.x) * fitted.direction.y -
                      (fitted.through.y - end.y) * fitted.direction.x) /
                     across;
    return std::pair{Point{end.x + a * nx, end.y + a * ny}, a};
}

}  // namespace

std::vector<Point> edgePointsAlong(const GreyView& image, const std::optional<RadialLens>& lens,
                                   Point first, Point second, double reach) {
    std::vector<Point> points;
    const int n = piecesOf(first, second);
    for (int i = 0; i < n; ++i) {
        const std::optional<Point> from = pictured(lens, along(first, second, double(i) / n));
        const std::optional<Point> to = pictured(lens, along(first, second, double(i + 1) / n));
        if (!from || !to) {
            continue;
        }
        if (const std::optional<SnappedLine> piece = snapToEdge(image, *from, *to, reach)) {
            // Within the piece's stations, clear of its ends.
            points.push_back(along(piece->first, piece->second, 0.25));
            points.push_back(along(piece->first, piece->second, 0.75));
        }
    }
    return points;
}

std::optional<SnappedLine> snapThroughLens(const GreyView& image, const RadialLens& lens,
                                           Point first, Point second, double reach) {
    const std::vector<Point> bent = edgePointsAlong(image, lens, first, second, reach);
    // Most of the line runs along an edge, as a straight snap asks.
    if (bent.size() < std::max<std::size_t>(4, std::size_t(piecesOf(first, second)))) {
        return std::nullopt;
    }
    std::vector<Point> straight;
    for (const Point& p : bent) {
        straight.push_back(lens.undistorted(p));
    }
    std::optional<FittedLine> fitted = fitLine(straight);
    if (!fitted) {
        return std::nullopt;
    }
    // A piece drawn onto a joint or moulding beside the edge is left out once.
    double squares = 0;
    for (const Point& p : straight) {
        squares += std::pow(distanceFrom(*fitted, p), 2);
    }
    const double limit = std::max(0.5, 3 * std::sqrt(squares / double(straight.size())));
    const FittedLine all = *fitted;
    std::erase_if(straight, [&](Point p) { return distanceFrom(all, p) > limit; });
    fitted = fitLine(straight);
    if (!fitted || straight.size() < 4) {
        return std::nullopt;
    }
    const auto a = onPerpendicular(*fitted, first, second, first);
    const auto b = onPerpendicular(*fitted, first, second, second);
    // The bend stretches the photograph by a few per cent: the reach, so stretched.
    const double stretchedReach = 1.2 * reach;
    if (!a || !b || std::fabs(a->second) > stretchedReach ||
        std::fabs(b->second) > stretchedReach) {
        return std::nullopt;
    }
    return SnappedLine{a->first, b->first, std::fabs(a->second), std::fabs(b->second)};
}

}  // namespace vesta
