// What a print at scale takes to the printer: the rectified image on show, its scale and the
// chosen one, and the name written on every sheet.
#pragma once

#include <string>

#include "state/ColourImage.h"
#include "state/IndexedImage.h"

namespace vesta {

struct ScalePrintJob {
    // The result on show: a palette image, or else a grey or colour one.
    const IndexedImage* palette = nullptr;
    const ColourImage* colour = nullptr;
    double cmPerPixel = 0;  // centimetres of the facade a pixel of the result spans
    int denominator = 0;    // the scale 1:N
    std::string name;       // the photograph's file name
};

}  // namespace vesta
