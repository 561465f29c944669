// A small photograph opened in a fake window, a construction laid on it, and the slow,
// obviously correct rectification to hold the fast one against.
#pragma once

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
    s.construction->fughe.vh.x = x(-209.5);
    s.construction->fughe.vh.y = y(71.3);
    s.construction->fughe.vv.x = x(191.7);
    s.construction->fughe.vv.y = y(-672.1);
    s.centroX = x(100);
    s.centroY = y(75);
    s.construction = ConstructionStage::VanishingPoints;  // as FUGHE leaves it
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

// Every output pixel from the formulas as written, one pixel at a time, rows in file order.
inline std::vector<std::vector<std::uint8_t>> referenceRows(const WorkingState& s) {
    const int W = int(s.construction->frame.largOut), H = int(s.construction->frame.altOut);
    const IndexedImage& src = s.sorgente.image;
    const double qRighe = s.construction->frame.rif.y -
                          s.construction->frame.mVert * s.construction->frame.rif.x -
                          s.construction->orientation.pv.y;
    const double qColonne = s.construction->frame.rif.y -
                            s.construction->frame.mOrizz * s.construction->frame.rif.x -
                            s.construction->orientation.po.y;
    std::vector<std::vector<std::uint8_t>> rows;
    const bool downward = s.construction->fughe.vv.y > s.construction->fughe.vh.y;
    for (int step = 0; step < H; ++step) {
        const int r = downward ? H - step : 1 + step;
        std::vector<std::uint8_t> out(std::size_t(W), 0);
        const double ax = s.construction->frame.divRighe[std::size_t(r)].x,
                     ay = s.construction->frame.divRighe[std::size_t(r)].y;
        const double mA =
            (s.construction->orientation.pv.y - ay) / (s.construction->orientation.pv.x - ax);
        const double xR =
            (s.construction->orientation.pv.x * mA + qRighe) / (mA - s.construction->frame.mVert);
        const double yR =
            mA * (xR - s.construction->orientation.pv.x) + s.construction->orientation.pv.y;
        const double mR = (yR - s.construction->fughe.vh.y) / (xR - s.construction->fughe.vh.x);
        const double bR = s.construction->fughe.vh.y - mR * s.construction->fughe.vh.x;
        for (int c = 1; c <= W; ++c) {
            const double bx = s.construction->frame.divColonne[std::size_t(c)].x;
            const double by = s.construction->frame.divColonne[std::size_t(c)].y;
            const double mB =
                (s.construction->orientation.po.y - by) / (s.construction->orientation.po.x - bx);
            const double xC = (s.construction->orientation.po.x * mB + qColonne) /
                              (mB - s.construction->frame.mOrizz);
            const double yC =
                mB * (xC - s.construction->orientation.po.x) + s.construction->orientation.po.y;
            const double mC = (yC - s.construction->fughe.vv.y) / (xC - s.construction->fughe.vv.x);
            double sx =
                (s.construction->fughe.vv.x * mC - s.construction->fughe.vv.y + bR) / (mC - mR);
            double sy = mC * (sx - s.construction->fughe.vv.x) + s.construction->fughe.vv.y;
            if (sy >= s.areaCalcolo[1][2] && sy <= s.areaCalcolo[2][2] &&
                sx >= s.areaCalcolo[1][1] && sx <= s.areaCalcolo[4][1]) {
                sy = std::floor(sy);
                sx = std::floor(sx);
                if (sx < 1) {
                    sx = 1;
                }
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
