// The panel's commands for the construction: a new principal point, a calculation area, the
// size factor of the rectified image.
#pragma once

#include "state/Context.h"

namespace vesta {

// CENTRONUOVO: waits for a click that places the principal point, redrawing the construction
// meanwhile.
void CENTRONUOVO(Context& ctx);
void CENTRO_Click(Context& ctx);
void centro1_Click(Context& ctx);

// RETTANG3: the next two clicks give two opposite corners of the calculation area.
void RETTANG3(Context& ctx);

// The size factor in steps of 0.1 within 1.0 to 1.9; each step recomputes the construction and
// with it the output size. The steps accumulate their rounding, as they always have.
void GRANDEZZA_SpinUp(Context& ctx);
void GRANDEZZA_SpinDown(Context& ctx);

}  // namespace vesta
