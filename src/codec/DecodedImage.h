// A photograph as one reader decodes it: the rows as stored in the file, not yet turned upright,
// and the facts the file carries.
#pragma once

#include "codec/CameraFacts.h"
#include "state/ColourImage.h"

namespace vesta {

struct DecodedImage {
    ColourImage image;
    CameraFacts facts;
};

}  // namespace vesta
