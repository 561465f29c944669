#include "image/QuarterTurns.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/BitmapFile.h"
#include "state/LargePages.h"

namespace vesta {

namespace {

// Tiles of the turned image, so that a quarter turn reads each row of the image a short run
// at a time while it is in the cache, rather than one pixel from every row in turn.
constexpr int kTile = 64;

template <typename Sample, int Channels>
void copyTile(const Sample* from, Sample* to, int outWidth, std::int64_t start, std::int64_t stepU,
              std::int64_t stepV, int u0, int u1, int v0, int v1) {
    for (int v = v0; v < v1; ++v) {
        const std::int64_t in = start + v * stepV;
        Sample* out = to + std::int64_t(v) * outWidth * Channels;
        for (int u = u0; u < u1; ++u) {
            for (int c = 0; c < Channels; ++c) {
                out[u * Channels + c] = from[in + u * stepU + c];
            }
        }
    }
}

template <typename Sample, int Channels>
void copyTiles(const Sample* from, Sample* to, int outWidth, int outHeight, std::int64_t start,
               std::int64_t stepU, std::int64_t stepV) {
    for (int v0 = 0; v0 < outHeight; v0 += kTile) {
        const int v1 = std::min(outHeight, v0 + kTile);
        for (int u0 = 0; u0 < outWidth; u0 += kTile) {
            copyTile<Sample, Channels>(from, to, outWidth, start, stepU, stepV, u0,
                                       std::min(outWidth, u0 + kTile), v0, v1);
        }
    }
}

// Pixel (u, v) of the turned image is pixel (x, y) of the image, read at
// start + u * stepU + v * stepV samples:
//   one quarter:   x = v,         y = H - 1 - u
//   a half turn:   x = W - 1 - u, y = H - 1 - v
//   three:         x = W - 1 - v, y = u
template <typename Sample>
std::vector<Sample> turnSamples(const std::vector<Sample>& from, int width, int height,
                                int channels, int quarters) {
    if (quarters == 0 || from.empty()) {
        return from;
    }
    const std::int64_t c = channels;
    const std::int64_t row = std::int64_t(width) * c;
    std::int64_t start = 0, stepU = 0, stepV = 0;
    if (quarters == 1) {
        start = (height - 1) * row, stepU = -row, stepV = c;
    } else if (quarters == 2) {
        start = (height - 1) * row + (width - 1) * c, stepU = -c, stepV = -row;
    } else {
        start = (width - 1) * c, stepU = row, stepV = -c;
    }
    const int outWidth = quarters == 2 ? width : height;
    const int outHeight = quarters == 2 ? height : width;
    std::vector<Sample> to;
    resizeImageBuffer(to, from.size());
    const Sample* in = from.data();
    Sample* out = to.data();
    switch (channels) {
        case 1:
            copyTiles<Sample, 1>(in, out, outWidth, outHeight, start, stepU, stepV);
            break;
        case 2:
            copyTiles<Sample, 2>(in, out, outWidth, outHeight, start, stepU, stepV);
            break;
        case 3:
            copyTiles<Sample, 3>(in, out, outWidth, outHeight, start, stepU, stepV);
            break;
        default:
            copyTiles<Sample, 4>(in, out, outWidth, outHeight, start, stepU, stepV);
            break;
    }
    return to;
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
