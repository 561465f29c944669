#include "geometry/LineGrouping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <optional>
#include <random>
#include <utility>

#include "geometry/FrontExtent.h"
#include "geometry/LineFit.h"

namespace vesta {

namespace {

using Vec3 = std::array<double, 3>;

double length(const Segment& s) {
    return std::hypot(s.second.x - s.first.x, s.second.y - s.first.y);
}

ClickedSegment clicked(const Segment& s) {
    return {{s.first, s.second}, {1.0, 1.0}};
}

// The line through the segment, homogeneous, in coordinates centred on `o` so that the products
// of two of them stay within a few orders of the pixels.
Vec3 lineThrough(const Segment& s, Point o) {
    const Vec3 a{s.first.x - o.x, s.first.y - o.y, 1}, b{s.second.x - o.x, s.second.y - o.y, 1};
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

HomogeneousPoint meeting(const Vec3& l, const Vec3& m, Point o) {
    const Vec3 v{l[1] * m[2] - l[2] * m[1], l[2] * m[0] - l[0] * m[2], l[0] * m[1] - l[1] * m[0]};
    const double n = std::hypot(v[0], v[1], v[2]);
    if (!(n > 0)) {
        return {};
    }
    // Back to the photograph's coordinates: x = x' + o.x w.
    return {v[0] / n + o.x * v[2] / n, v[1] / n + o.y * v[2] / n, v[2] / n};
}

bool towards(const Segment& s, HomogeneousPoint v, double tolerance) {
    return residualTo(clicked(s), v) <= tolerance;
}

// The vanishing point the longest total of `segments` runs toward: pairs of the longest ones
// drawn with `random`, each meeting point counted, the best fitted by least squares to its
// segments and those counted again. Nothing when no two segments meet one point.
std::optional<HomogeneousPoint> dominantPoint(const std::vector<Segment>& segments,
                                              const GroupingOptions& options, Point o,
                                              std::mt19937& random) {
    if (segments.size() < 2) {
        return std::nullopt;
    }
    // Short segments meet anywhere; the pairs are drawn from the longest.
    std::vector<std::size_t> order(segments.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return length(segments[a]) > length(segments[b]);
    });
    const std::size_t pool = std::min<std::size_t>(order.size(), 120);
    std::vector<Vec3> lines(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        lines[i] = lineThrough(segments[i], o);
    }
    const auto support = [&](HomogeneousPoint v) {
        double total = 0;
        for (const Segment& s : segments) {
            total += towards(s, v, options.tolerance) ? length(s) : 0;
        }
        return total;
    };
    double best = 0;
    std::optional<HomogeneousPoint> chosen;
    for (int t = 0; t < options.trials; ++t) {
        const std::size_t i = order[random() % pool], j = order[random() % pool];
        if (i == j) {
            continue;
        }
        const HomogeneousPoint v = meeting(lines[i], lines[j], o);
        if (v.x == 0 && v.y == 0 && v.w == 0) {
            continue;
        }
        const double score = support(v);
        if (score > best) {
            best = score;
            chosen = v;
        }
    }
    // The consensus point refined by least squares on its segments, twice: the fit may take in
    // segments the drawn pair's point just missed.
    for (int round = 0; chosen && round < 2; ++round) {
        std::vector<ClickedSegment> in;
        for (const Segment& s : segments) {
            if (towards(s, *chosen, options.tolerance)) {
                in.push_back(clicked(s));
            }
        }
        const std::optional<VanishingFit> fit = fitVanishingPoint(in);
        if (!fit) {
            break;
        }
        chosen = fit->point;
    }
    return chosen;
}

// The pieces of one edge as one line: the total least squares line of all their length (each
// piece as a uniform rod), from the first projection of an end to the last.
struct Edge {
    std::vector<Segment> pieces;
    Segment line;

    void refit() {
        double mass = 0, mx = 0, my = 0;
        for (const Segment& s : pieces) {
            const double l = length(s);
            mass += l;
            mx += l * (s.first.x + s.second.x) / 2;
            my += l * (s.first.y + s.second.y) / 2;
        }
        mx /= mass;
        my /= mass;
        double sxx = 0, sxy = 0, syy = 0;
        for (const Segment& s : pieces) {
            const double l = length(s);
            const double cx = (s.first.x + s.second.x) / 2 - mx,
                         cy = (s.first.y + s.second.y) / 2 - my;
            const double dx = s.second.x - s.first.x, dy = s.second.y - s.first.y;
            sxx += l * (cx * cx + dx * dx / 12);
            sxy += l * (cx * cy + dx * dy / 12);
            syy += l * (cy * cy + dy * dy / 12);
        }
        const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
        const double ux = std::cos(angle), uy = std::sin(angle);
        double lo = 0, hi = 0;
        bool first = true;
        for (const Segment& s : pieces) {
            for (const Point p : {s.first, s.second}) {
                const double t = (p.x - mx) * ux + (p.y - my) * uy;
                lo = first ? t : std::min(lo, t);
                hi = first ? t : std::max(hi, t);
                first = false;
            }
        }
        line = {{mx + lo * ux, my + lo * uy}, {mx + hi * ux, my + hi * uy}};
    }
};

double distanceFromLine(const Segment& line, Point p) {
    const double dx = line.second.x - line.first.x, dy = line.second.y - line.first.y;
    const double l = std::hypot(dx, dy);
    return l > 0 ? std::fabs((p.x - line.first.x) * dy - (p.y - line.first.y) * dx) / l : 0;
}

// The gap along `line` between it and the segment, 0 where they overlap.
double gapAlong(const Segment& line, const Segment& s) {
    const double dx = line.second.x - line.first.x, dy = line.second.y - line.first.y;
    const double l = std::hypot(dx, dy);
    const auto at = [&](Point p) {
        return ((p.x - line.first.x) * dx + (p.y - line.first.y) * dy) / l;
    };
    const double a = std::min(at(s.first), at(s.second)), b = std::max(at(s.first), at(s.second));
    return std::max({0.0, a - l, -b});
}

// The piece's ends lie on the edge's line, which also bounds the angle between them, and no
// longer a gap than a window's width parts them.
bool oneEdge(const Segment& line, const Segment& s, const GroupingOptions& options) {
    return distanceFromLine(line, s.first) <= options.mergeDistance &&
           distanceFromLine(line, s.second) <= options.mergeDistance &&
           gapAlong(line, s) <= options.maxGap;
}

// The segments of one direction joined edge by edge, the longest first, and the second of them
// the longest one well apart from the first.
std::vector<Segment> joined(std::vector<Segment> segments, const GroupingOptions& options) {
    std::stable_sort(segments.begin(), segments.end(),
                     [](const Segment& a, const Segment& b) { return length(a) > length(b); });
    std::vector<Edge> edges;
    for (const Segment& s : segments) {
        auto edge = std::find_if(edges.begin(), edges.end(),
                                 [&](const Edge& e) { return oneEdge(e.line, s, options); });
        if (edge == edges.end()) {
            edges.push_back({{s}, s});
        } else {
            edge->pieces.push_back(s);
            edge->refit();
        }
    }
    std::vector<Segment> lines;
    for (const Edge& e : edges) {
        if (length(e.line) >= options.minLine) {
            lines.push_back(e.line);
        }
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Segment& a, const Segment& b) { return length(a) > length(b); });
    // Two lines side by side fix their vanishing point poorly: the second of the four is the
    // longest that stands a fifth of the first's length away from it.
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const Point mid{(lines[k].first.x + lines[k].second.x) / 2,
                        (lines[k].first.y + lines[k].second.y) / 2};
        if (distanceFromLine(lines[0], mid) >= length(lines[0]) / 5) {
            std::rotate(lines.begin() + 1, lines.begin() + std::ptrdiff_t(k),
                        lines.begin() + std::ptrdiff_t(k) + 1);
            break;
        }
    }
    if (lines.size() < 2) {
        lines.clear();
    }
    return lines;
}

// How nearly the segments run along the photograph's x axis: the mean |cos| of their angle,
// weighted by length.
double alongX(const std::vector<Segment>& segments) {
    double sum = 0, total = 0;
    for (const Segment& s : segments) {
        sum += std::fabs(s.second.x - s.first.x);
        total += length(s);
    }
    return total > 0 ? sum / total : 0;
}

// A vanishing point's segments.
struct Bundle {
    HomogeneousPoint point;
    std::vector<Segment> segments;
    double alongX = 0;
};

// A front: its horizontal lines and where they lie.
struct Front {
    std::vector<Segment> horizontal;
    FrontExtent extent;
};

// At most this many vanishing points are sought: the verticals' and a few fronts', beyond which
// what is left is texture and strays.
constexpr int kMostPoints = 5;
// A further front's horizontals run within 45 degrees of the photograph's x axis (the mean |cos|
// of their angle); a roof's slope or a street's edges run steeper.
constexpr double kFrontAlongX = 0.7;

// The vanishing points the segments long enough run toward, the most length first, each with
// its segments; nothing where fewer than two stand out.
std::vector<Bundle> bundlesOf(const std::vector<Segment>& segments,
                              const GroupingOptions& options) {
    std::vector<Segment> left;
    double sx = 0, sy = 0;
    for (const Segment& s : segments) {
        if (length(s) >= options.minSegment) {
            left.push_back(s);
            sx += s.first.x + s.second.x;
            sy += s.first.y + s.second.y;
        }
    }
    std::vector<Bundle> bundles;
    if (left.empty()) {
        return bundles;
    }
    const Point o{sx / double(2 * left.size()), sy / double(2 * left.size())};
    std::mt19937 random(options.seed);
    while (bundles.size() < std::size_t(kMostPoints)) {
        const std::optional<HomogeneousPoint> v = dominantPoint(left, options, o, random);
        if (!v) {
            break;
        }
        Bundle bundle{*v, {}, 0};
        std::vector<Segment> rest;
        for (const Segment& s : left) {
            (towards(s, *v, options.tolerance) ? bundle.segments : rest).push_back(s);
        }
        if (bundle.segments.size() < 2) {
            break;
        }
        bundle.alongX = alongX(bundle.segments);
        bundles.push_back(std::move(bundle));
        left = std::move(rest);
    }
    return bundles;
}

// The fronts of the bundles `horizontals` names, their lines joined. A short segment may run
// toward two fronts' points within the tolerance: it belongs to the one it runs nearest toward,
// the first found on a tie.
std::vector<Front> frontsOf(std::vector<Bundle>& bundles,
                            const std::vector<std::size_t>& horizontals,
                            const GroupingOptions& options) {
    if (horizontals.size() > 1) {
        std::vector<std::vector<Segment>> regrouped(horizontals.size());
        for (const std::size_t k : horizontals) {
            for (const Segment& s : bundles[k].segments) {
                std::size_t nearest = 0;
                for (std::size_t j = 1; j < horizontals.size(); ++j) {
                    if (residualTo(clicked(s), bundles[horizontals[j]].point) <
                        residualTo(clicked(s), bundles[horizontals[nearest]].point)) {
                        nearest = j;
                    }
                }
                regrouped[nearest].push_back(s);
            }
        }
        for (std::size_t j = 0; j < horizontals.size(); ++j) {
            bundles[horizontals[j]].segments = std::move(regrouped[j]);
        }
    }
    std::vector<Front> fronts;
    for (const std::size_t k : horizontals) {
        Front front{joined(bundles[k].segments, options), {}};
        if (!front.horizontal.empty()) {
            front.extent = extentOf(front.horizontal);
            fronts.push_back(std::move(front));
        }
    }
    return fronts;
}

// The fronts in the order they are offered: the length of the front's lines inside the user's
// area, then the part of the photograph the front covers. With no area, or an area holding no
// front's lines, the widest front comes first.
void rankFronts(std::vector<Front>& fronts, const GroupingOptions& options) {
    const auto score = [&options](const Front& f) {
        double inside = 0;
        if (options.area) {
            const auto [a, b] = *options.area;
            const FrontExtent box{{std::min(a.x, b.x), std::min(a.y, b.y)},
                                  {std::max(a.x, b.x), std::max(a.y, b.y)},
                                  0};
            for (const Segment& s : f.horizontal) {
                inside += lengthWithin(s, box);
            }
        }
        return std::pair{inside, f.extent.area};
    };
    std::stable_sort(fronts.begin(), fronts.end(),
                     [&](const Front& a, const Front& b) { return score(a) > score(b); });
}

}  // namespace

GroupedLines groupSegments(const std::vector<Segment>& segments, const GroupingOptions& options) {
    GroupedLines grouped;
    std::vector<Bundle> bundles = bundlesOf(segments, options);
    if (bundles.size() < 2) {
        return grouped;
    }
    // The first two points are the photograph's main directions; the one nearer its y axis is
    // the verticals', the other the first front's horizontals.
    const std::size_t verticals = bundles[0].alongX >= bundles[1].alongX ? 1 : 0;
    std::vector<std::size_t> horizontals;
    for (std::size_t k = 0; k < bundles.size(); ++k) {
        if (k != verticals && (k < 2 || bundles[k].alongX >= kFrontAlongX)) {
            horizontals.push_back(k);
        }
    }
    std::vector<Front> fronts = frontsOf(bundles, horizontals, options);
    if (fronts.empty()) {
        grouped.vertical = joined(bundles[verticals].segments, options);
        return grouped;
    }
    rankFronts(fronts, options);
    grouped.horizontal = fronts.front().horizontal;
    for (std::size_t k = 1; k < fronts.size(); ++k) {
        grouped.otherFronts.push_back(fronts[k].extent);
    }
    std::stable_sort(grouped.otherFronts.begin(), grouped.otherFronts.end(),
                     [](const FrontExtent& a, const FrontExtent& b) { return a.area > b.area; });
    // The verticals run toward the one point every front shares; of several fronts, those
    // standing on the chosen one are offered where they are enough.
    std::vector<Segment> standing;
    if (fronts.size() > 1) {
        for (const Segment& s : bundles[verticals].segments) {
            if (within(fronts.front().extent,
                       {(s.first.x + s.second.x) / 2, (s.first.y + s.second.y) / 2})) {
                standing.push_back(s);
            }
        }
        standing = joined(standing, options);
    }
    grouped.vertical =
        standing.size() >= 2 ? standing : joined(bundles[verticals].segments, options);
    return grouped;
}

}  // namespace vesta
