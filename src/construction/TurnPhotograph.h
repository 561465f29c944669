// Setting a sideways photograph upright: the photograph on show turned by quarter turns, before
// any line is drawn on it.
#pragma once

#include "state/Context.h"

namespace vesta {

// Turns the photograph on show clockwise by `quarters` quarter turns (negative: anticlockwise)
// and starts the construction over, as opening it does: lines, principal point, area, known
// measures and construction go; the focal length stays, being the photograph's. The palette
// bitmap keeps its palette and gets a header of the turned size. Nothing happens while rows
// are computed or with no photograph open.
void turnPhotograph(Context& ctx, int quarters);

}  // namespace vesta
