// The perspective grid: what the rectification will straighten, drawn inside the area.
#pragma once

#include "state/Context.h"

namespace vesta {

// griglia1: every 50th output column as a grey line toward the vertical vanishing point, every
// 50th output row toward the horizontal one, clipped to the area, which is outlined in red.
// Uses the frame of the last CERCHIONUOVO; a grid line that would divide by zero is skipped.
void griglia1(Context& ctx);

}  // namespace vesta
