#include "image/QuarterTurns.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "codec/Orientation.h"
#include "image/BitmapFile.h"

namespace vesta {

namespace {

// A clockwise quarter turn is the turn the orientation tag asks of a camera's stored rows:
// 6 for one quarter, 3 for a half, 8 for three quarters.
template <typename Sample>
std::vector<Sample> turnSamples(const std::vector<Sample>& from, int width, int height,
                                int channels, int quarters) {
    constexpr int kOrientation[] = {1, 6, 3, 8};
    return orientedSamples(from, width, height, channels, kOrientation[quarters]);
}

}  // namespace

TurnedPixel turnedPixel(double x, double y, int width, int height, int quarters) {
    switch (quarterTurns(quarters)) {
        case 1:
            return {height - 1 - y, x};
        case 2:
            return {width - 1 - x, height - 1 - y};
        case 3:
            return {y, width - 1 - x};
        default:
            return {x, y};
    }
}

IndexedImage turnedClockwise(const IndexedImage& image, int quarters) {
    const int q = quarterTurns(quarters);
    IndexedImage turned;
    turned.width = q % 2 == 1 ? image.height : image.width;
    turned.height = q % 2 == 1 ? image.width : image.height;
    turned.palette = image.palette;
    turned.pixels = turnSamples(image.pixels, image.width, image.height, 1, q);
    return turned;
}

ColourImage turnedClockwise(const ColourImage& image, int quarters) {
    const int q = quarterTurns(quarters);
    ColourImage turned;
    turned.width = q % 2 == 1 ? image.height : image.width;
    turned.height = q % 2 == 1 ? image.width : image.height;
    turned.channels = image.channels;
    turned.bitsPerChannel = image.bitsPerChannel;
    turned.iccProfile = image.iccProfile;
    turned.exif = image.exif;
    if (image.bitsPerChannel == 16) {
        turned.samples16 =
            turnSamples(image.samples16, image.width, image.height, image.channels, q);
    } else {
        turned.samples8 = turnSamples(image.samples8, image.width, image.height, image.channels, q);
    }
    return turned;
}

HeaderBlock turnedHeader(const HeaderBlock& header, int width, int height, int quarters) {
    HeaderBlock turned = patchedHeader(header, width, height);
    if (quarterTurns(quarters) % 2 == 1) {
        // Pixels per metre across (38-41) and down (42-45).
        std::swap_ranges(turned.begin() + 38, turned.begin() + 42, turned.begin() + 42);
    }
    return turned;
}

}  // namespace vesta
