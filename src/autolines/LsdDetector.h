// The straight segments of a photograph by OpenCV's line segment detector (LSD), searched on a
// copy reduced to at most kSearchSide pixels a side.
#pragma once

#include "construction/FoundLines.h"

namespace vesta {

inline constexpr int kSearchSide = 1600;

// The segments in pixels of the photograph (pixel (i, j) at the point (i, j)), with the scale
// of the reduced copy they were found on.
DetectedSegments detectSegments(const GreyView& image);

}  // namespace vesta
