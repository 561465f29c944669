// A small photograph opened in a fake window, a construction laid on it, and the slow,
// obviously correct rectification to hold the fast one against.
#pragma once

#include <array>
#include <cmath>
#include <vector>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "geometry/Overlay.h"
#include "image/OpenImage.h"
#include "ui/Startup.h"

namespace vesta::test {

// The rolled sample's construction at a quarter of its size, mirrored and flipped at will
// (a mirrored construction is as sound as the original).
struct Layout {
    bool mirror = false;  // horizontal vanishing point on the other side
    bool flip = false;    // vertical vanishing point below instead of above
};

inline void openPhoto(FakeApp& app, int width, int height) {
    Form_Load(app.ctx, screen1024x768());
    const auto path = app.folder / "foto.bmp";
    writeBytes(path, bitmapBytes({.width = width, .height = height}));
    app.dialogs.openAnswers.push_back(path.string());
    open_Click(app.ctx);
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
    const Frame& f = s.construction->frame;
    const InteriorOrientation& o = s.construction->orientation;
    const VanishingPoints& v = s.construction->fughe;
    const double qRighe = f.rif.y - f.mVert * f.rif.x - o.pv.y;
    const double qColonne = f.rif.y - f.mOrizz * f.rif.x - o.po.y;
    const double ax = f.divRighe[std::size_t(r)].x, ay = f.divRighe[std::size_t(r)].y;
    const double mA = (o.pv.y - ay) / (o.pv.x - ax);
    const double xR = (o.pv.x * mA + qRighe) / (mA - f.mVert);
    const double yR = mA * (xR - o.pv.x) + o.pv.y;
    const double mR = (yR - v.vh.y) / (xR - v.vh.x);
    const double bR = v.vh.y - mR * v.vh.x;
    const double bx = f.divColonne[std::size_t(c)].x, by = f.divColonne[std::size_t(c)].y;
    const double mB = (o.po.y - by) / (o.po.x - bx);
    const double xC = (o.po.x * mB + qColonne) / (mB - f.mOrizz);
    const double yC = mB * (xC - o.po.x) + o.po.y;
    const double mC = (yC - v.vv.y) / (xC - v.vv.x);
    const double sx = (v.vv.x * mC - v.vv.y + bR) / (mC - mR);
    return {sx, mC * (sx - v.vv.x) + v.vv.y};
}

// Every output pixel from the formulas as written, one pixel at a time, rows in file order.
inline std::vector<std::vector<std::uint8_t>> referenceRows(const WorkingState& s) {
    const Frame& f = s.construction->frame;
    const int W = int(f.largOut), H = int(f.altOut);
    const IndexedImage& src = s.sorgente.image;
    std::vector<std::vector<std::uint8_t>> rows;
    const bool downward = s.construction->fughe.vv.y > s.construction->fughe.vh.y;
    for (int step = 0; step < H; ++step) {
        const int r = downward ? H - step : 1 + step;
        std::vector<std::uint8_t> out(std::size_t(W), 0);
        for (int c = 1; c <= W; ++c) {
            auto [sx, sy] = sourcePoint(s, r, c);
            if (sy >= s.areaCalcolo[1][2] && sy <= s.areaCalcolo[2][2] &&
                sx >= s.areaCalcolo[1][1] && sx <= s.areaCalcolo[4][1]) {
                sy = std::floor(sy);
                sx = std::floor(sx);
                if (sx < 1) {
                    sx = 1;
                }
                const int at = f.segnoX == -1 ? W + 1 - c : c;
                if (sy >= 0 && sy < src.height && sx - 1 < src.width) {
                    out[std::size_t(at - 1)] = src.row(int(sy))[std::size_t(sx - 1)];
                }
            }
        }
        rows.push_back(out);
    }
    return rows;
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
