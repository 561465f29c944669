// The sampler of a palette photograph: each pixel of the result takes the index of its source
// point's nearest pixel (forEachNearestPixel's rule), index 0 outside the area or the photograph.
#pragma once

#include <cstdint>

#include "rectify/RowRectifier.h"
#include "state/IndexedImage.h"

namespace vesta {

// One output row of in.largOut indices (cleared first) from the source points in work, right
// to left when in.columnsReversed.
void samplePalette(const RectifyInputs& in, const IndexedImage& photograph, RowWork& work,
                   std::uint8_t* out);

}  // namespace vesta
