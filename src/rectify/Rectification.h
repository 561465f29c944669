// The rectification command: the calculation area resampled into the rectified image, row by
// row into the scratch bitmap, then shown in Picture2. Called again once the image exists, it
// starts measuring instead.
#pragma once

#include "state/Context.h"

namespace vesta {

// RADDR1: yields to the event loop once per output row, so a cancel can stop it before the
// next row; the rows not computed are written as index 0. Only one output row is held in
// memory; each goes to the file as soon as it is finished.
void RADDR1(Context& ctx);

}  // namespace vesta
