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

// The rolled sample's construction at a quarter of its size, mirrored and flipped at will
// (a mirrored construction is as sound as the original).
struct Layout {
    bool mirror = false;  // horizontal vanishing point on the other side
    bool flip = false;    // vertical vanishing point below instead of above
};

inline void openPhoto(FakeApp& app, int width, int height) {
    Form_Load(app.ctx, screen1024x768());
    openBitmap(app, width, height);
}

inline bool construct(FakeApp& app, Layout layout) {
    WorkingState& s = app.ctx.s;
    const double w = s.larghezzaPic1, h = s.altezzaPic1;
    const auto x = [&](double v) { return layout.mirror ? w - v : v; };
    const auto y = [&](double v) { return layout.flip ? h - v : v; };
    s.fughe.emplace();  // as FUGHE leaves them
    s.fughe->vh.x = x(-209.5);
    s.fughe->vh.y = y(71.3);
    s.fughe->vv.x = x(191.7);
    s.fughe->vv.y = y(-672.1);
    s.centroX = x(100);
    s.centroY = y(75);
    return CERCHIONUOVO(app.ctx);
}

inline void area(FakeApp& app, double x1, double y1, double x2, double y2) {
    double(&a)[7][3] = app.ctx.s.areaCalcolo;
    a[1][1] = a[2][1] = x1;
    a[3][1] = a[4][1] = x2;
    a[1][2] = a[4][2] = y1;
    a[2][2] = a[3][2] = y2;
    app.ctx.s.nAree = 1;
}

// The source point of output row r, column c, by the formulas as written.
inline std::array<double, 2> sourcePoint(const WorkingState& s, int r, int c) {
    const double qRighe = s.construction->frame.rif.y -
                          s.construction->frame.mVert * s.construction->frame.rif.x -
                          s.construction->orientation.pv.y;
    const double qColonne = s.construction->frame.rif.y -
                            s.construction->frame.mOrizz * s.construction->frame.rif.x -
                            s.construction->orientation.po.y;
    const double ax = s.construction->frame.divRighe[std::size_t(r)].x,
                 ay = s.construction->frame.divRighe[std::size_t(r)].y;
    const double mA =
        (s.construction->orientation.pv.y - ay) / (s.construction->orientation.pv.x - ax);
    const double xR =
        (s.construction->orientation.pv.x * mA + qRighe) / (mA - s.construction->frame.mVert);
    const double yR =
        mA * (xR - s.construction->orientation.pv.x) + s.construction->orientation.pv.y;
    const double mR = (yR - s.fughe->vh.y) / (xR - s.fughe->vh.x);
    const double bR = s.fughe->vh.y - mR * s.fughe->vh.x;
    const double bx = s.construction->frame.divColonne[std::size_t(c)].x,
                 by = s.construction->frame.divColonne[std::size_t(c)].y;
    const double mB =
        (s.construction->orientation.po.y - by) / (s.construction->orientation.po.x - bx);
    const double xC =
        (s.construction->orientation.po.x * mB + qColonne) / (mB - s.construction->frame.mOrizz);
    const double yC =
        mB * (xC - s.construction->orientation.po.x) + s.construction->orientation.po.y;
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
    for (const bool mirror : {false, true}) {
        for (const bool flip : {false, true}) {
            for (const double size : sizes) {
                for (const auto& a : areas) {
                    FakeApp app;
                    openPhoto(app, 200, 150);
                    area(app, a[0], a[1], a[2], a[3]);
                    app.ctx.s.grandezza = size;
                    if (!construct(app, {mirror, flip})) {
                        continue;
                    }
                    const WorkingState& s = app.ctx.s;
                    if (s.construction->frame.largOut < 1 || s.construction->frame.altOut < 1 ||
                        s.construction->frame.largOut > 3000) {
                        continue;
                    }
                    cases.insert(s.construction->frame.casoFughe);
                    check(app);
                }
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
