// A new photograph's first step: the panel laid out for the photograph on show and no
// construction on it yet.
#pragma once

#include "state/Context.h"

namespace vesta {

// The photograph just put in Picture1, whose width and height are its size: the panel and bars
// laid out for it and the construction back at its first step, as a new photograph has it: no
// line, the principal point at the centre, the whole photograph as the area, size factor 1.0.
void startConstructionOver(Context& ctx);

}  // namespace vesta
