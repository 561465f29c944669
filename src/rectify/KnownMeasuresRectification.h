// The rectification by known measures: the frame's projective mapping of the chosen area onto
// the rectangle of the measures, in place of the vanishing points' rows and columns. The same
// clip, samplers, scratch file and progress as the other roads.
#pragma once

#include <string>

#include "geometry/KnownMeasures.h"
#include "rectify/ColourRectification.h"
#include "state/Context.h"

namespace vesta {

// The frame of the working state's four lines, area, size factor and known measures (nothing
// asked of the construction), or the Italian message that says why there is none.
Result<KnownMeasuresFrame> knownMeasuresFrameOf(const WorkingState& s);

// What the samplers read: the frame's size, the frame's clip, the photograph; nothing reversed.
RectifyInputs knownMeasuresInputs(const WorkingState& s, const KnownMeasuresFrame& frame);

// Writes the result into the scratch file `scratch`, already created empty. A palette
// photograph goes band by band on this thread, the event loop running between bands (an Open
// meanwhile would free its pixels); a grey or colour one as rectifyColour computes it. A cancel
// leaves the rows not computed as index 0 or black.
ColourRows rectifyByKnownMeasures(Context& ctx, const KnownMeasuresFrame& frame,
                                  const RectifyInputs& in, const std::string& scratch);

}  // namespace vesta
