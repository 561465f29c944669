// A small photograph opened in a fake window, a construction laid on it, and the slow,
// obviously correct rectification to hold the fast one against.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <vector>

#include "Fakes.h"
#include "construction/Overlay.h"
#include "geometry/Frame.h"
#include "image/BitmapFile.h"

namespace vesta::test {

// The rolled sample's construction at a quarter of its size, its horizontal vanishing point on
// the other side when `mirror`, its vertical one below instead of above when `flip` (a mirrored
// construction is as sound as the original).
inline bool construct(FakeApp& app, bool mirror = false, bool flip = false) {
    WorkingState& s = app.ctx.s;
    const double w = s.larghezzaPic1, h = s.altezzaPic1;
    const auto x = [&](double v) { return mirror ? w - v : v; };
    const auto y = [&](double v) { return flip ? h - v : v; };
    s.fughe.emplace();  // as FUGHE leaves them
    s.fughe->vh = {x(-209.5), y(71.3)};
    s.fughe->vv = {x(191.7), y(-672.1)};
    s.centroX = x(100);
    s.centroY = y(75);
    return CERCHIONUOVO(app.ctx);
}

// The source point of output row r, column c, by the formulas as written.
inline std::array<double, 2> sourcePoint(const WorkingState& s, int r, int c) {
    const Frame& f = s.construction->frame;
    const auto& o = s.construction->orientation;
    const double qRighe = f.rif.y - f.mVert * f.rif.x - o.pv.y;
    const double qColonne = f.rif.y - f.mOrizz * f.rif.x - o.po.y;
    const double ax = f.divRighe[std::size_t(r)].x, ay = f.divRighe[std::size_t(r)].y;
    const double mA = (o.pv.y - ay) / (o.pv.x - ax);
    const double xR = (o.pv.x * mA + qRighe) / (mA - f.mVert);
    const double yR = mA * (xR - o.pv.x) + o.pv.y;
    const double mR = (yR - s.fughe->vh.y) / (xR - s.fughe->vh.x);
    const double bR = s.fughe->vh.y - mR * s.fughe->vh.x;
    const double bx = f.divColonne[std::size_t(c)].x, by = f.divColonne[std::size_t(c)].y;
    const double mB = (o.po.y - by) / (o.po.x - bx);
    const double xC = (o.po.x * mB + qColonne) / (mB - f.mOrizz);
    const double yC = mB * (xC - o.po.x) + o.po.y;
    const double mC = (yC - s.fughe->vv.y) / (xC - s.fughe->vv.x);
    const double sx = (s.fughe->vv.x * mC - s.fughe->vv.y + bR) / (mC - mR);
    return {sx, mC * (sx - s.fughe->vv.x) + s.fughe->vv.y};
}

// Every output pixel from the formulas as written, one at a time, top row first: the nearest
// pixel, or bilinear with pixel centres at (column + 1.5, row + 0.5), weights in 1/128 of a
// pixel rounded down and neighbours beyond the photograph replaced by its edge; 0 where the
// nearest pixel is outside the area or the photograph.
inline ColourImage referenceImage(const WorkingState& s, const ColourImage& photo, bool bilinear) {
    const int W = int(s.construction->frame.largOut), H = int(s.construction->frame.altOut),
              ch = photo.channels;
    const auto sample = [&](int x, int y, int k) -> std::uint32_t {
        x = std::clamp(x, 0, photo.width - 1);
        y = std::clamp(y, 0, photo.height - 1);
        const std::size_t at = (std::size_t(y) * photo.width + x) * ch + k;
        return photo.bitsPerChannel == 8 ? photo.samples8[at] : photo.samples16[at];
    };
    std::vector<std::uint32_t> samples(std::size_t(W) * H * ch, 0);
    for (int y = 0; y < H; ++y) {
        const int r = s.fughe->vv.y > s.fughe->vh.y ? y + 1 : H - y;
        for (int c = 1; c <= W; ++c) {
            const auto [sx, sy] = sourcePoint(s, r, c);
            const double nx = std::max(1.0, std::floor(sx)) - 1, ny = std::floor(sy);
            if (sy < s.corner(1).y || sy > s.corner(2).y || sx < s.corner(1).x ||
                sx > s.corner(4).x || ny < 0 || ny >= photo.height || nx >= photo.width) {
                continue;
            }
            const double qx = std::floor((sx - 1.5) * 128), qy = std::floor((sy - 0.5) * 128);
            const int x0 = int(std::floor(qx / 128)), y0 = int(std::floor(qy / 128));
            const std::uint32_t wx = std::uint32_t(qx - x0 * 128.0);
            const std::uint32_t wy = std::uint32_t(qy - y0 * 128.0);
            const int o = s.construction->frame.segnoX == -1 ? W - c : c - 1;
            for (int k = 0; k < ch; ++k) {
                const std::uint32_t sum = sample(x0, y0, k) * (128 - wx) * (128 - wy) +
                                          sample(x0 + 1, y0, k) * wx * (128 - wy) +
                                          sample(x0, y0 + 1, k) * (128 - wx) * wy +
                                          sample(x0 + 1, y0 + 1, k) * wx * wy;
                samples[(std::size_t(y) * W + o) * ch + k] =
                    bilinear ? (sum + 8192) >> 14 : sample(int(nx), int(ny), k);
            }
        }
    }
    ColourImage out{W, H, ch, photo.bitsPerChannel, {}, {}, {}, {}};
    if (photo.bitsPerChannel == 8) {
        out.samples8.assign(samples.begin(), samples.end());
    } else {
        out.samples16.assign(samples.begin(), samples.end());
    }
    return out;
}

// The palette road's reference: the indices of the photograph on show, nearest pixel.
inline std::vector<std::uint8_t> referenceIndices(const WorkingState& s) {
    const IndexedImage& image = s.sorgente.image;
    return referenceImage(s, {image.width, image.height, 1, 8, image.pixels, {}, {}, {}}, false)
        .samples8;
}

// The palette bitmap file of this size as read, its rows padded to 4 bytes.
inline IndexedImage fileImage(const std::filesystem::path& path, int width, int height) {
    EXPECT_EQ(std::filesystem::file_size(path), 1078 + std::size_t(width + 3) / 4 * 4 * height);
    const auto read = readSourceBitmap(path.string());
    EXPECT_TRUE(read.ok() && read.value().image.width == width) << path;
    return read.ok() ? read.value().image : IndexedImage{};
}

// The rolled sample's construction on a 200 x 150 photograph.
class RectifyTest : public AppTest {
  protected:
    void SetUp() override {
        openBitmap(app, 200, 150);
        ASSERT_TRUE(construct(app));
    }
    // A frame of exactly this many columns and rows, one pixel apart.
    void resize(int width, int height) {
        Frame& frame = s.construction->frame;
        frame.largOut = width;
        frame.altOut = height;
        fillDivisionTables(frame, s.construction->orientation.mOrizzonte, 1.0, 1.0, 1.0);
    }
};

}  // namespace vesta::test
