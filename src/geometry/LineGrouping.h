// Straight segments found in a photograph sorted into the facade's two directions: the two
// vanishing points most segments run toward, the pieces of one edge joined into one line, short
// and stray segments left out. Pure functions of the segments.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "geometry/FrontExtent.h"
#include "state/Construction.h"

namespace vesta {

struct GroupingOptions {
    // Segments shorter than this (px) are left out before anything is counted.
    double minSegment = 20;
    // A segment runs toward a vanishing point when its ends lie within this (px) of the line
    // through its midpoint and the point.
    double tolerance = 1.0;
    // Two pieces are one edge when each one's ends lie within this (px) of the other's line and
    // the gap between them is no longer than `maxGap` (px).
    double mergeDistance = 1.5;
    double maxGap = 60;
    // Lines shorter than this once joined (px) are not proposed.
    double minLine = 60;
    // Pairs of segments tried for each vanishing point; the same seed gives the same lines.
    int trials = 600;
    std::uint32_t seed = 20261207;
    // The user's area (two opposite corners, px), when known: of several fronts, the one whose
    // lines lie in it is chosen.
    std::optional<std::array<Point, 2>> area;
};

// The lines of each direction, the longest first, and the second of each far enough from the
// first to carry the construction; empty directions when fewer than two lines agree.
struct GroupedLines {
    std::vector<Segment> horizontal, vertical;
    // The fronts found beside the chosen one and left out, largest first.
    std::vector<FrontExtent> otherFronts;
};

// Vanishing points by consensus (pairs of segments drawn at random with a fixed seed, the point
// met by the longest total of segments wins), each then fitted by least squares to the segments
// that run toward it; each next one is sought among what the ones before left. Of the first two,
// the direction nearer the photograph's y axis is the vertical one, shared by every front; each
// other point whose segments run nearer the x axis is a front's horizontal one. A front's lines
// are its horizontals and the verticals among them; the front chosen is the one whose lines lie
// most in the user's area when there is one, else the one covering the largest part of the
// photograph (a street's far end carries long crisp edges in a small part of it). Pieces of one
// edge are joined, and the joined line is the total least squares fit of their ends.
GroupedLines groupSegments(const std::vector<Segment>& segments, const GroupingOptions& options);

}  // namespace vesta
