// Turns the rows a camera stored into the upright photograph its orientation tag describes.
#pragma once

#include "state/ColourImage.h"

namespace vesta {

// Orientation 1 to 8 as EXIF and TIFF number them (1 upright, 3 half turn, 6 and 8 quarter
// turns, 2 4 5 7 their mirror images). Any other value leaves the image as stored. The profile
// travels unchanged.
ColourImage turnUpright(ColourImage stored, int orientation);

}  // namespace vesta
