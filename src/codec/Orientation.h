// Turns the rows a camera stored into the upright photograph its orientation tag describes.
#pragma once

#include <cstdint>
#include <vector>

#include "state/ColourImage.h"

namespace vesta {

// Orientation 1 to 8 as EXIF and TIFF number them (1 upright, 3 half turn, 6 and 8 quarter
// turns, 2 4 5 7 their mirror images). Any other value leaves the image as stored. The profile
// travels unchanged.
ColourImage turnUpright(ColourImage stored, int orientation);

// The samples of a width x height image of `channels` (1 to 4) interleaved samples a pixel,
// turned as orientation 1 to 8 says; any other value gives them as they are. A tile at a time,
// so that a quarter turn reads each row a short run at a time while it is in the cache.
std::vector<std::uint8_t> orientedSamples(const std::vector<std::uint8_t>& stored, int width,
                                          int height, int channels, int orientation);
std::vector<std::uint16_t> orientedSamples(const std::vector<std::uint16_t>& stored, int width,
                                           int height, int channels, int orientation);

// The same turn made while a reader decodes: `count` stored rows from `firstRow` on (of a
// storedWidth x storedHeight image, 8-bit samples) placed straight into `upright`, which has
// the upright size. A reader that decodes in bands so needs no second copy of the photograph.
void placeStoredRows(const std::uint8_t* rows, int firstRow, int count, int storedWidth,
                     int storedHeight, int orientation, ColourImage& upright);

}  // namespace vesta
