// Lines found for the user: straight segments detected in the photograph, sorted into the
// facade's two directions, each line then drawn onto its edge in the photograph itself.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "geometry/LineGrouping.h"
#include "geometry/RadialLens.h"
#include "image/EdgeSnap.h"

namespace vesta {

// Segments a detector found, in pixels of the photograph, and how many of its pixels one pixel
// of the picture they were found on spans (a reduced copy is searched faster).
struct DetectedSegments {
    std::vector<Segment> segments;
    double scale = 1;
};
using SegmentDetector = std::function<DetectedSegments(const GreyView&)>;

// At most this many lines a direction are proposed: the longest carry the vanishing point.
inline constexpr std::size_t kMaxFoundLines = 12;

// The segments `detect` finds in `image`, grouped by their vanishing points (tolerances in
// pixels of the searched picture), the longest lines of each direction, each drawn onto the
// photograph's edge beside it where there is one. Empty directions when none stands out. With
// a lens the segments' ends are taken out of its bend before they are grouped, and the lines,
// in the plane out of the bend, are drawn onto the edges their bent pictures follow. Of several
// fronts, the one whose lines lie in `area` (two opposite corners, in the plane the lines are
// grouped in) when given, else the one covering the largest part of the photograph.
GroupedLines findLines(const GreyView& image, const SegmentDetector& detect,
                       const std::optional<RadialLens>& lens = std::nullopt,
                       const std::optional<std::array<Point, 2>>& area = std::nullopt);

}  // namespace vesta
