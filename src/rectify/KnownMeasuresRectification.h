// The rectification by known measures: the frame's projective mapping of the chosen area onto
// the rectangle of the measures, in place of the vanishing points' rows and columns
// (PixelMapping::knownMeasures); the same clip, samplers, sinks and row driver as the other
// roads.
#pragma once

#include <string>

#include "geometry/KnownMeasures.h"
#include "rectify/RowRectifier.h"
#include "state/Context.h"

namespace vesta {

// The frame of the working state's four lines, area, size factor and known measures (nothing
// asked of the construction), or the Italian message that says why there is none.
Result<KnownMeasuresFrame> knownMeasuresFrameOf(const WorkingState& s);

// What the samplers read: the frame's size and clip; nothing reversed.
RectifyInputs knownMeasuresInputs(const KnownMeasuresFrame& frame);

}  // namespace vesta
