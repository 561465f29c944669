// Turning the rectified image on show by quarter turns: what is seen, what is saved and what
// is measured turn together.
#pragma once

#include "state/Context.h"

namespace vesta {

// Turns the rectified image on show clockwise by `quarters` quarter turns (negative:
// anticlockwise). The scratch file is written anew with the turned image, so Save keeps what is
// seen, and a saved result becomes one to save again. The measuring scale stays (it is cm per
// pixel) and its reference pair turns with the image; a point awaiting its pair is dropped.
// When the file cannot be written the user is told and nothing turns. Nothing happens while
// rows are computed or when no result is in memory.
void turnResult(Context& ctx, int quarters);

}  // namespace vesta
