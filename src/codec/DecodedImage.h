// A photograph as one reader decodes it, with the facts the file carries: the rows as stored in
// the file, unless the reader turned them upright while decoding.
#pragma once

#include "codec/CameraFacts.h"
#include "state/ColourImage.h"

namespace vesta {

struct DecodedImage {
    ColourImage image;
    CameraFacts facts;
    bool upright = false;  // the orientation is already applied
};

}  // namespace vesta
