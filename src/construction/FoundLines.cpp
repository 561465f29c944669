#include "construction/FoundLines.h"

#include <algorithm>
#include <cmath>

#include "construction/LensEdges.h"

namespace vesta {

GroupedLines findLines(const GreyView& image, const SegmentDetector& detect,
                       const std::optional<RadialLens>& lens,
                       const std::optional<std::array<Point, 2>>& area) {
    DetectedSegments found = detect(image);
    // A bent edge's pieces lie on one line, and run toward its vanishing point, out of the bend.
    if (lens) {
        for (Segment& piece : found.segments) {
            piece = {lens->undistorted(piece.first), lens->undistorted(piece.second)};
        }
    }
    const double scale = std::max(1.0, found.scale);
    // Measures of the searched picture, whatever the photograph's size: a segment of a given
    // share of the picture counts the same on a small and a large one.
    const double diagonal = std::hypot(image.width(), image.height());
    GroupingOptions options;
    options.minSegment = std::max(12 * scale, diagonal / 80);
    options.tolerance = scale;
    // Pieces are one edge only across the gaps the detector leaves within one edge, a few pixels
    // of the searched picture, and to its pixel. Across a window or a sill they are another
    // edge: on a real front each storey's edge stands a pixel off the next, or leans a little
    // otherwise, and the line joined across them runs along neither (on building.jpg such
    // lines put the verticals' vanishing point a third further away, the proportions 10% off).
    options.mergeDistance = scale;
    options.maxGap = 6 * scale;
    options.minLine = diagonal / 25;
    options.area = area;
    GroupedLines lines = groupSegments(found.segments, options);
    for (std::vector<Segment>* direction : {&lines.horizontal, &lines.vertical}) {
        if (direction->size() > kMaxFoundLines) {
            direction->resize(kMaxFoundLines);
        }
        // Found on a reduced copy, a line is a pixel of it off: its edge is sought within that.
        for (Segment& line : *direction) {
            const double reach = 2 * scale + 1;
            if (const auto snapped =
                    lens ? snapThroughLens(image, *lens, line.first, line.second, reach)
                         : snapToEdge(image, line.first, line.second, reach)) {
                line = {snapped->first, snapped->second};
            }
        }
    }
    return lines;
}

}  // namespace vesta
