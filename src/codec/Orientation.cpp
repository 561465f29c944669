#include "codec/Orientation.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "state/LargePages.h"

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

// Tiles of the upright image, so that a quarter turn reads each stored row a short run at a
// time while it is in the cache, instead of one pixel from every row in turn.
constexpr int kTile = 64;

template <typename Sample, int Channels>
void remapTile(const Sample* from, Sample* to, int outWidth, std::int64_t start, std::int64_t stepU,
               std::int64_t stepV, int u0, int u1, int v0, int v1) {
    for (int v = v0; v < v1; ++v) {
        const std::int64_t in = start + v * stepV;
        Sample* out = to + (std::int64_t(v) * outWidth) * Channels;
        for (int u = u0; u < u1; ++u) {
            for (int c = 0; c < Channels; ++c) {
                out[u * Channels + c] = from[in + u * stepU + c];
            }
        }
    }
}

template <typename Sample, int Channels>
void remapTiles(const Sample* from, Sample* to, int outWidth, int outHeight, std::int64_t start,
                std::int64_t stepU, std::int64_t stepV) {
    for (int v0 = 0; v0 < outHeight; v0 += kTile) {
        const int v1 = std::min(outHeight, v0 + kTile);
        for (int u0 = 0; u0 < outWidth; u0 += kTile) {
            remapTile<Sample, Channels>(from, to, outWidth, start, stepU, stepV, u0,
                                        std::min(outWidth, u0 + kTile), v0, v1);
        }
    }
}

template <typename Sample>
std::vector<Sample> remap(const std::vector<Sample>& from, int width, int height, int channels,
                          const Mapping& m, int outWidth, int outHeight) {
    std::vector<Sample> to;
    resizeImageBuffer(to, from.size());
    // The stored pixel of upright (0, 0): each negative step starts from the far side.
    const std::int64_t x0 = (m.xu < 0 || m.xv < 0) ? width - 1 : 0;
    const std::int64_t y0 = (m.yu < 0 || m.yv < 0) ? height - 1 : 0;
    const std::int64_t start = (y0 * width + x0) * channels;
    const std::int64_t stepU = (std::int64_t(m.yu) * width + m.xu) * channels;
    const std::int64_t stepV = (std::int64_t(m.yv) * width + m.xv) * channels;
    const Sample* in = from.data();
    Sample* out = to.data();
    switch (channels) {
        case 1:
            remapTiles<Sample, 1>(in, out, outWidth, outHeight, start, stepU, stepV);
            break;
        case 2:
            remapTiles<Sample, 2>(in, out, outWidth, outHeight, start, stepU, stepV);
            break;
        case 3:
            remapTiles<Sample, 3>(in, out, outWidth, outHeight, start, stepU, stepV);
            break;
        default:
            remapTiles<Sample, 4>(in, out, outWidth, outHeight, start, stepU, stepV);
            break;
    }
    return to;
}

template <typename Sample>
std::vector<Sample> orientedSamplesOf(const std::vector<Sample>& stored, int width, int height,
                                      int channels, int orientation) {
    if (orientation < 2 || orientation > 8 || stored.empty()) {
        return stored;
    }
    const Mapping m = mappingFor(orientation);
    return remap(stored, width, height, channels, m, m.swapSides ? height : width,
                 m.swapSides ? width : height);
}

}  // namespace

std::vector<std::uint8_t> orientedSamples(const std::vector<std::uint8_t>& stored, int width,
                                          int height, int channels, int orientation) {
    return orientedSamplesOf(stored, width, height, channels, orientation);
}

std::vector<std::uint16_t> orientedSamples(const std::vector<std::uint16_t>& stored, int width,
                                           int height, int channels, int orientation) {
    return orientedSamplesOf(stored, width, height, channels, orientation);
}

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

namespace {

// Column by column across the band: a quarter turn then writes each upright row a run of
// `count` pixels at a time.
template <int Channels>
void placeColumns(const std::uint8_t* rows, int count, int storedWidth, std::int64_t rowSamples,
                  std::uint8_t* out, std::int64_t origin, std::int64_t stepX, std::int64_t stepY) {
    for (int x = 0; x < storedWidth; ++x) {
        const std::uint8_t* in = rows + std::int64_t(x) * Channels;
        const std::int64_t at = origin + x * stepX;
        for (int r = 0; r < count; ++r) {
            for (int c = 0; c < Channels; ++c) {
                out[at + r * stepY + c] = in[r * rowSamples + c];
            }
        }
    }
}

}  // namespace

void placeStoredRows(const std::uint8_t* rows, int firstRow, int count, int storedWidth,
                     int storedHeight, int orientation, ColourImage& upright) {
    const int channels = upright.channels;
    const std::int64_t rowSamples = std::int64_t(storedWidth) * channels;
    const std::int64_t outRow = std::int64_t(upright.width) * channels;
    // Stored (x, y) lands at upright (u, v) = (u0 + x * ux + y * uy, v0 + x * vx + y * vy).
    int ux = 1, uy = 0, vx = 0, vy = 1;
    std::int64_t u0 = 0, v0 = 0;
    switch (orientation) {
        case 2:
            ux = -1, u0 = storedWidth - 1;
            break;
        case 3:
            ux = -1, u0 = storedWidth - 1, vy = -1, v0 = storedHeight - 1;
            break;
        case 4:
            vy = -1, v0 = storedHeight - 1;
            break;
        case 5:
            ux = 0, uy = 1, vx = 1, vy = 0;
            break;
        case 6:
            ux = 0, uy = -1, u0 = storedHeight - 1, vx = 1, vy = 0;
            break;
        case 7:
            ux = 0, uy = -1, u0 = storedHeight - 1, vx = -1, vy = 0, v0 = storedWidth - 1;
            break;
        case 8:
            ux = 0, uy = 1, vx = -1, vy = 0, v0 = storedWidth - 1;
            break;
        default:
            break;
    }
    const std::int64_t stepX = (std::int64_t(vx) * outRow + std::int64_t(ux) * channels);
    const std::int64_t stepY = (std::int64_t(vy) * outRow + std::int64_t(uy) * channels);
    const std::int64_t origin = v0 * outRow + u0 * channels + std::int64_t(firstRow) * stepY;
    if (channels == 3) {
        placeColumns<3>(rows, count, storedWidth, rowSamples, upright.samples8.data(), origin,
                        stepX, stepY);
    } else {
        placeColumns<1>(rows, count, storedWidth, rowSamples, upright.samples8.data(), origin,
                        stepX, stepY);
    }
}

}  // namespace vesta
