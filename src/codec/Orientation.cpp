#include "codec/Orientation.h"

#include <cstdint>
#include <vector>

namespace vesta {

namespace {

// For upright pixel (u, v) of a W' x H' image, the stored pixel (x, y) is
//   x = x0 + u * xu + v * xv,  y = y0 + u * yu + v * yv
// with the steps below; the quarter turns and transposes swap the sides.
struct Mapping {
    bool swapSides;
    int xu, xv, yu, yv;
};

Mapping mappingFor(int orientation) {
    switch (orientation) {
        case 2:
            return {false, -1, 0, 0, 1};
        case 3:
            return {false, -1, 0, 0, -1};
        case 4:
            return {false, 1, 0, 0, -1};
        case 5:
            return {true, 0, 1, 1, 0};
        case 6:
            return {true, 0, 1, -1, 0};
        case 7:
            return {true, 0, -1, -1, 0};
        case 8:
            return {true, 0, -1, 1, 0};
        default:
            return {false, 1, 0, 0, 1};
    }
}

template <typename Sample>
std::vector<Sample> remap(const std::vector<Sample>& from, int width, int height, int channels,
                          const Mapping& m, int outWidth, int outHeight) {
    std::vector<Sample> to(from.size());
    // The stored pixel of upright (0, 0): each negative step starts from the far side.
    const std::int64_t x0 = (m.xu < 0 || m.xv < 0) ? width - 1 : 0;
    const std::int64_t y0 = (m.yu < 0 || m.yv < 0) ? height - 1 : 0;
    const std::int64_t stepU = (std::int64_t(m.yu) * width + m.xu) * channels;
    const std::int64_t stepV = (std::int64_t(m.yv) * width + m.xv) * channels;
    Sample* out = to.data();
    for (int v = 0; v < outHeight; ++v) {
        std::int64_t at = (y0 * width + x0) * channels + v * stepV;
        for (int u = 0; u < outWidth; ++u, at += stepU) {
            for (int c = 0; c < channels; ++c) {
                *out++ = from[std::size_t(at + c)];
            }
        }
    }
    return to;
}

}  // namespace

ColourImage turnUpright(ColourImage stored, int orientation) {
    if (orientation < 2 || orientation > 8) {
        return stored;
    }
    const Mapping m = mappingFor(orientation);
    const int outWidth = m.swapSides ? stored.height : stored.width;
    const int outHeight = m.swapSides ? stored.width : stored.height;
    if (stored.bitsPerChannel == 16) {
        stored.samples16 = remap(stored.samples16, stored.width, stored.height, stored.channels, m,
                                 outWidth, outHeight);
    } else {
        stored.samples8 = remap(stored.samples8, stored.width, stored.height, stored.channels, m,
                                outWidth, outHeight);
    }
    stored.width = outWidth;
    stored.height = outHeight;
    return stored;
}

}  // namespace vesta
