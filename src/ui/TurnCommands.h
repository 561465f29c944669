// The Edit menu's turns: Ruota a destra, Ruota a sinistra, Capovolgi. They turn the picture on
// show: the photograph before any line is drawn on it, or the rectified image.
#pragma once

#include "state/Context.h"

namespace vesta {

void ruotaDestra_Click(Context& ctx);    // a quarter turn clockwise
void ruotaSinistra_Click(Context& ctx);  // a quarter turn anticlockwise
void capovolgi_Click(Context& ctx);      // a half turn

}  // namespace vesta
