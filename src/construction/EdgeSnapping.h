// Aggancia ai bordi: each clicked line drawn onto the straight edge of the photograph it was
// clicked on, to a fraction of a pixel, and the panel told how far it moved or that no edge
// was found.
#pragma once

#include "state/Context.h"

namespace vesta {

// Turns snapping on or off for the lines clicked from now on.
void agganciaBordi_Click(Context& ctx);

// Line k as clicked, drawn onto the edge beside it; where no edge runs near it, it stays as
// clicked. Either way the panel's foot says so.
void snapClickedLine(Context& ctx, int k);

// The same for a further line after the four.
void snapExtraLine(Context& ctx, ExtraLine& line);

}  // namespace vesta
