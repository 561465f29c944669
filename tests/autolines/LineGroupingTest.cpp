// Segments sorted into the facade's two directions: on a synthetic picture of edges toward two
// known vanishing points, broken into pieces, shaken by a fraction of a pixel and mixed with
// segments of no direction.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/LineGrouping.h"

namespace vesta {
namespace {

constexpr Point kVh{2600, 330}, kVv{380, -4200};

// The point of the line from p toward v at the given x (y).
Point towardX(Point v, Point p, double x) {
    return {x, p.y + (v.y - p.y) * (x - p.x) / (v.x - p.x)};
}
Point towardY(Point v, Point p, double y) {
    return {p.x + (v.x - p.x) * (y - p.y) / (v.y - p.y), y};
}

struct Picture {
    std::vector<Segment> segments;
    std::vector<Segment> horizontalEdges, verticalEdges;
};

// Six horizontal edges (every other one in two pieces with a gap of 30 px) and five vertical
// ones, ends shaken by up to 0.2 px; forty segments of any direction, and short ones.
Picture facadePicture() {
    Picture p;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> shake(-0.2, 0.2), anywhere(0, 800), angle(0, 3.14159);
    const auto shaken = [&](Point a) { return Point{a.x + shake(random), a.y + shake(random)}; };
    for (int k = 0; k < 6; ++k) {
        const Point a = towardX(kVh, {100, 80.0 + 90 * k}, 100), b = towardX(kVh, a, 700);
        p.horizontalEdges.push_back({a, b});
        if (k % 2 == 1) {
            const Point m1 = towardX(kVh, a, 380), m2 = towardX(kVh, a, 410);
            p.segments.push_back({shaken(a), shaken(m1)});
            p.segments.push_back({shaken(m2), shaken(b)});
        } else {
            p.segments.push_back({shaken(a), shaken(b)});
        }
    }
    for (int k = 0; k < 5; ++k) {
        const Point a = towardY(kVv, {120.0 + 140 * k, 60}, 60), b = towardY(kVv, a, 560);
        p.verticalEdges.push_back({a, b});
        p.segments.push_back({shaken(b), shaken(a)});
    }
    for (int k = 0; k < 40; ++k) {
        const Point a{anywhere(random), anywhere(random)};
        const double t = angle(random), l = k % 2 ? 150 : 8;
        p.segments.push_back({a, {a.x + l * std::cos(t), a.y + l * std::sin(t)}});
    }
    return p;
}

double distanceFromLine(const Segment& line, Point p) {
    const double dx = line.second.x - line.first.x, dy = line.second.y - line.first.y;
    return std::fabs((p.x - line.first.x) * dy - (p.y - line.first.y) * dx) / std::hypot(dx, dy);
}

// Each found line lies on one true edge of its direction, to the shaking, and each edge is
// found once: pieces joined, strays and short segments left out, directions not swapped. A
// quarter turn of the picture swaps the directions. The same segments give the same bits.
TEST(LineGrouping, FindsEachEdgeOnceInItsDirectionAndNothingWithoutTwo) {
    const Picture p = facadePicture();
    GroupingOptions options;
    options.minLine = 100;
    const GroupedLines g = groupSegments(p.segments, options);
    ASSERT_EQ(g.horizontal.size(), p.horizontalEdges.size());
    ASSERT_EQ(g.vertical.size(), p.verticalEdges.size());
    for (const auto& [found, truth] :
         {std::pair{&g.horizontal, &p.horizontalEdges}, std::pair{&g.vertical, &p.verticalEdges}}) {
        std::vector<int> hits(truth->size(), 0);
        for (const Segment& line : *found) {
            for (std::size_t e = 0; e < truth->size(); ++e) {
                if (distanceFromLine((*truth)[e], line.first) < 0.3 &&
                    distanceFromLine((*truth)[e], line.second) < 0.3) {
                    ++hits[e];
                }
            }
            // Joined pieces span the whole edge.
            EXPECT_GT(std::hypot(line.second.x - line.first.x, line.second.y - line.first.y), 490);
        }
        for (const int h : hits) {
            EXPECT_EQ(h, 1);
        }
    }
    // The first two of a direction are far apart: they carry the construction.
    EXPECT_GT(distanceFromLine(g.horizontal[0], g.horizontal[1].first), 100);

    std::vector<Segment> turned;
    for (const Segment& s : p.segments) {
        turned.push_back({{s.first.y, s.first.x}, {s.second.y, s.second.x}});
    }
    const GroupedLines t = groupSegments(turned, options);
    EXPECT_EQ(t.horizontal.size(), g.vertical.size());
    EXPECT_EQ(t.vertical.size(), g.horizontal.size());

    const GroupedLines again = groupSegments(p.segments, options);
    ASSERT_EQ(again.horizontal.size(), g.horizontal.size());
    for (std::size_t k = 0; k < g.horizontal.size(); ++k) {
        EXPECT_EQ(again.horizontal[k].first, g.horizontal[k].first);
        EXPECT_EQ(again.horizontal[k].second, g.horizontal[k].second);
    }

    // Nothing agrees: no direction is proposed rather than lines of no facade.
    EXPECT_TRUE(groupSegments({{{0, 0}, {300, 0}}, {{0, 50}, {300, 50}}}, {}).vertical.empty());
    EXPECT_TRUE(groupSegments({}, {}).horizontal.empty());
}

}  // namespace
}  // namespace vesta
