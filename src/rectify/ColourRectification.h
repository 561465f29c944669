// The interpolation of a grey or colour photograph's rectification.
#pragma once

#include "state/Context.h"

namespace vesta {

// The interpolation menu item: bilinear on or off, for the next rectification of a grey or
// colour photograph.
void bilineare_Click(Context& ctx);

}  // namespace vesta
