// The known-measures command: the true width and height of the rectangle the four lines bound,
// asked of the user, and the rectification by them.
#pragma once

#include "state/Context.h"

namespace vesta {

// misureNote_Click: asks width and height in cm ("12,5" or "12.5"); Cancel changes nothing, a
// value that is not above zero is refused with a message, and so is a rectangle the measures
// cannot map (its message). Otherwise the measures are kept and RADDR1 rectifies by them over
// the chosen area, or the whole photograph when none.
void misureNote_Click(Context& ctx);

}  // namespace vesta
