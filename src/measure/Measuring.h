// Measuring on the rectified image: the first pair of points after measuring starts fixes the
// scale from its real length; every pair is shown as length, horizontal and vertical part and
// angle. Positions are Picture2 pixels.
#pragma once

#include <optional>
#include <string>

#include "state/Context.h"
#include "state/Numbers.h"

namespace vesta {

void Picture2_MouseDown(Context& ctx, float x, float y);
void Picture2_MouseMove(Context& ctx, float x, float y);
// A reference grid every 80 pixels, in the draw mode the press before it left.
void Picture2_DblClick(Context& ctx);

// MISURA1: evaluates the pair just taken.
void MISURA1(Context& ctx);

// The first n characters of the Str form, sign place included.
std::string strCut(double value, std::size_t n = 6);

}  // namespace vesta
