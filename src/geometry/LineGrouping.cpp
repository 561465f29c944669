#include "geometry/LineGrouping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <optional>
#include <random>

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

}  // namespace

GroupedLines groupSegments(const std::vector<Segment>& segments, const GroupingOptions& options) {
    std::vector<Segment> left;
    double sx = 0, sy = 0;
    for (const Segment& s : segments) {
        if (length(s) >= options.minSegment) {
            left.push_back(s);
            sx += s.first.x + s.second.x;
            sy += s.first.y + s.second.y;
        }
    }
    GroupedLines grouped;
    if (left.empty()) {
        return grouped;
    }
    const Point o{sx / double(2 * left.size()), sy / double(2 * left.size())};
    std::mt19937 random(options.seed);
    std::vector<Segment> groups[2];
    for (std::vector<Segment>& group : groups) {
        const std::optional<HomogeneousPoint> v = dominantPoint(left, options, o, random);
        if (!v) {
            return grouped;
        }
        std::vector<Segment> rest;
        for (const Segment& s : left) {
            (towards(s, *v, options.tolerance) ? group : rest).push_back(s);
        }
        left = std::move(rest);
    }
    const bool firstHorizontal = alongX(groups[0]) >= alongX(groups[1]);
    grouped.horizontal = joined(groups[firstHorizontal ? 0 : 1], options);
    grouped.vertical = joined(groups[firstHorizontal ? 1 : 0], options);
    return grouped;
}

}  // namespace vesta
