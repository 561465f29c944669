// Turning a whole image by quarter turns, clockwise: a sideways photograph set upright, a
// rectified image turned the way it is to be read. Pixels are moved, never resampled, so a
// turn and its opposite give back every byte.
#pragma once

#include "state/ColourImage.h"
#include "state/IndexedImage.h"

namespace vesta {

// Any count of quarter turns as 0 to 3 clockwise ones: -1 is 3, 5 is 1.
inline int quarterTurns(int turns) {
    return (turns % 4 + 4) % 4;
}

// Where pixel (x, y) of a width x height image lands after `quarters` clockwise quarter turns.
struct TurnedPixel {
    double x, y;
};
TurnedPixel turnedPixel(double x, double y, int width, int height, int quarters);

// The image turned clockwise; the palette travels unchanged.
IndexedImage turnedClockwise(const IndexedImage& image, int quarters);
// The same for grey and colour, 8 or 16 bits, any number of channels; the profile travels.
ColourImage turnedClockwise(const ColourImage& image, int quarters);

// A bitmap header for the image once turned to width x height: the size and lengths patched,
// and on a quarter turn the horizontal and vertical resolutions exchanged.
HeaderBlock turnedHeader(const HeaderBlock& header, int width, int height, int quarters);

}  // namespace vesta
