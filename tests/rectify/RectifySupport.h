// A small photograph opened in a fake window, a construction laid on it, and the slow,
// obviously correct rectification to hold the fast one against.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <vector>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "geometry/Frame.h"
#include "geometry/Overlay.h"
#include "image/OpenImage.h"

namespace vesta::test {

inline void openPhoto(FakeApp& app, int width, int height) {
    Form_Load(app.ctx, screen1024x768());
    openBitmap(app, width, height);
}

// The rolled sample's construction at a quarter of its size, its horizontal vanishing point on
// the other side when `mirror`, its vertical one below instead of above when `flip` (a mirrored
// construction is as sound as the original).
inline bool construct(FakeApp& app, bool mirror = false, bool flip = false) {
    WorkingState& s = app.ctx.s;
    const double w = s.larghezzaPic1, h = s.altezzaPic1;
    const auto x = [&](double v) { return mirror ? w - v : v; };
    const auto y = [&](double v) { return flip ? h - v : v; };
    s.fughe.emplace();  // as FUGHE leaves them
    s.fughe->vh.x = x(-209.5);
    s.fughe->vh.y = y(71.3);
    s.fughe->vv.x = x(191.7);
    s.fughe->vv.y = y(-672.1);
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

inline bool insideArea(const WorkingState& s, double sx, double sy) {
    return sy >= s.areaCalcolo[1][2] && sy <= s.areaCalcolo[2][2] && sx >= s.areaCalcolo[1][1] &&
           sx <= s.areaCalcolo[4][1];
}

// Every output pixel from the formulas as written, one pixel at a time, rows in file order.
inline std::vector<std::vector<std::uint8_t>> referenceRows(const WorkingState& s) {
    const int W = int(s.construction->frame.largOut), H = int(s.construction->frame.altOut);
    const IndexedImage& src = s.sorgente.image;
    std::vector<std::vector<std::uint8_t>> rows;
    const bool downward = s.fughe->vv.y > s.fughe->vh.y;
    for (int step = 0; step < H; ++step) {
        const int r = downward ? H - step : 1 + step;
        std::vector<std::uint8_t> out(std::size_t(W), 0);
        for (int c = 1; c <= W; ++c) {
            auto [sx, sy] = sourcePoint(s, r, c);
            if (insideArea(s, sx, sy)) {
                sy = std::floor(sy);
                sx = std::max(1.0, std::floor(sx));
                const int o = s.construction->frame.segnoX == -1 ? W + 1 - c : c;
                if (sy >= 0 && sy < src.height && sx - 1 < src.width) {
                    out[std::size_t(o - 1)] = src.row(int(sy))[std::size_t(sx - 1)];
                }
            }
        }
        rows.push_back(out);
    }
    return rows;
}

// Each sound construction of the rolled sample at a quarter of its size, over the given areas
// and size factors, mirrored and flipped: every case of the reference corner, mirrored rows and
// both row orders.
template <class Check>
void forEachConstruction(const std::vector<std::array<double, 4>>& areas,
                         std::initializer_list<double> sizes, Check check) {
    std::set<int> cases;
    for (int layout = 0; layout < 4; ++layout) {
        const bool mirror = layout & 1, flip = layout & 2;
        for (const double size : sizes) {
            for (const auto& a : areas) {
                FakeApp app;
                openPhoto(app, 200, 150);
                double(&corner)[7][3] = app.ctx.s.areaCalcolo;
                corner[1][1] = corner[2][1] = a[0];
                corner[3][1] = corner[4][1] = a[2];
                corner[1][2] = corner[4][2] = a[1];
                corner[2][2] = corner[3][2] = a[3];
                app.ctx.s.nAree = 1;
                app.ctx.s.grandezza = size;
                if (!construct(app, mirror, flip)) {
                    continue;
                }
                const Frame& f = app.ctx.s.construction->frame;
                if (f.largOut < 1 || f.altOut < 1 || f.largOut > 3000) {
                    continue;
                }
                cases.insert(f.casoFughe);
                check(app);
            }
        }
    }
    EXPECT_EQ(cases, (std::set<int>{1, 2, 3, 4}));
}

// A frame of exactly this many columns and rows on the construction, `across` and `down` apart.
inline void resizeFrame(WorkingState& s, int width, int height, double across, double down) {
    Frame& f = s.construction->frame;
    f.largOut = width;
    f.altOut = height;
    fillDivisionTables(f, s.construction->orientation.mOrizzonte, across, down, 1.0);
}

// The pixel rows of a bitmap file, in file order.
inline std::vector<std::vector<std::uint8_t>> fileRows(const std::vector<std::uint8_t>& bytes,
                                                       int width, int height) {
    const int stride = (width + 3) / 4 * 4;
    std::vector<std::vector<std::uint8_t>> rows;
    for (int k = 0; k < height; ++k) {
        const auto start = bytes.begin() + 1078 + std::ptrdiff_t(k) * stride;
        rows.emplace_back(start, start + width);
    }
    return rows;
}

}  // namespace vesta::test
