#include "rectify/RowRectifier.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace vesta {

RectifyInputs RectifyInputs::from(const WorkingState& s) {
    RectifyInputs in;
    // No construction, nothing to rectify: an output of no rows and no columns.
    if (!s.construction) {
        return in;
    }
    const Construction& c = *s.construction;
    const Frame& f = c.frame;
    in.fugaOrizzX = c.fughe.vh.x;
    in.fugaOrizzY = c.fughe.vh.y;
    in.fugaVertX = c.fughe.vv.x;
    in.fugaVertY = c.fughe.vv.y;
    in.angoloRifX = f.rif.x;
    in.angoloRifY = f.rif.y;
    in.mVert = f.mVert;
    in.mOrizz = f.mOrizz;
    in.pvx = c.orientation.pv.x;
    in.pvy = c.orientation.pv.y;
    in.pox = c.orientation.po.x;
    in.poy = c.orientation.po.y;
    in.columnsReversed = f.columnsReversed;
    in.rowsReversed = f.rowsReversed;
    in.largOut = int(f.largOut);
    in.altOut = int(f.altOut);
    in.clipLeft = s.corner(1).x;
    in.clipRight = s.corner(4).x;
    in.clipTop = s.corner(1).y;
    in.clipBottom = s.corner(2).y;
    in.divRighe = f.divRighe;
    in.divColonne = f.divColonne;
    return in;
}

namespace {

// Rows and columns are one construction mirrored: the line from the measuring point through a
// division point meets the side through O (q = O.y − sideSlope·O.x − measuring.y), and the
// output line runs from the vanishing point through that meeting point. Its slope, or nothing
// where a divisor is exactly zero.
std::optional<double> outputLineSlope(Point measuring, const DivisionPoint& d, double q,
                                      double sideSlope, Point vanishing) {
    if (measuring.x - d.x == 0) {
        return std::nullopt;
    }
    const double m = (measuring.y - d.y) / (measuring.x - d.x);
    if (m - sideSlope == 0) {
        return std::nullopt;
    }
    const double x = (measuring.x * m + q) / (m - sideSlope);
    const double y = m * (x - measuring.x) + measuring.y;
    if (x - vanishing.x == 0) {
        return std::nullopt;
    }
    return (y - vanishing.y) / (x - vanishing.x);
}

}  // namespace

RowLine rowLine(const RectifyInputs& in, int r) {
    const double qRighe = in.angoloRifY - in.mVert * in.angoloRifX - in.pvy;
    const std::optional<double> mR =
        outputLineSlope({in.pvx, in.pvy}, in.divRighe[std::size_t(r)], qRighe, in.mVert,
                        {in.fugaOrizzX, in.fugaOrizzY});
    if (!mR) {
        return {};
    }
    RowLine line;
    line.mR = *mR;
    line.bR = in.fugaOrizzY - line.mR * in.fugaOrizzX;
    line.valid = std::isfinite(line.mR) && std::isfinite(line.bR);
    return line;
}

ColumnLines columnLines(const RectifyInputs& in) {
    ColumnLines lines;
    const std::size_t n = std::size_t(std::max(0, in.largOut));
    // An invalid column keeps NaN, which no source point survives.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    lines.mC.assign(n, nan);
    lines.a.assign(n, nan);
    lines.valid.assign(n, 0);
    const double qColonne = in.angoloRifY - in.mOrizz * in.angoloRifX - in.poy;
    for (std::size_t i = 0; i < n; ++i) {
        const std::optional<double> mC =
            outputLineSlope({in.pox, in.poy}, in.divColonne[i + 1], qColonne, in.mOrizz,
                            {in.fugaVertX, in.fugaVertY});
        if (!mC) {
            continue;
        }
        const double a = in.fugaVertX * *mC - in.fugaVertY;
        lines.valid[i] = std::isfinite(*mC) && std::isfinite(a);
        if (lines.valid[i]) {
            lines.mC[i] = *mC;
            lines.a[i] = a;
        }
    }
    return lines;
}

namespace {

// The source points of a whole row: sx = (a + bR) / (mC − mR), sy = mC·(sx − Vx) + Vy, four
// columns at a time. Each lane is the same IEEE operation as the one-at-a-time formula (and
// the build never fuses a multiply with an add), so not a bit changes; the processor's widest
// vectors are chosen when the program starts. A zero divisor gives an infinity the caller
// never uses.
typedef double Lanes __attribute__((vector_size(32)));

#ifdef VESTA_NO_TARGET_CLONES
#define VESTA_VECTOR_CLONES
#else
#define VESTA_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif

VESTA_VECTOR_CLONES void sourcePoints(const double* mC, const double* a, double mR, double bR,
                                      double vx, double vy, int n, double* sx, double* sy) {
    int i = 0;
    const Lanes vmR = {mR, mR, mR, mR}, vbR = {bR, bR, bR, bR};
    const Lanes vvx = {vx, vx, vx, vx}, vvy = {vy, vy, vy, vy};
    for (; i + 4 <= n; i += 4) {
        Lanes m, c;
        std::memcpy(&m, mC + i, sizeof m);
        std::memcpy(&c, a + i, sizeof c);
        const Lanes x = (c + vbR) / (m - vmR);
        const Lanes y = m * (x - vvx) + vvy;
        std::memcpy(sx + i, &x, sizeof x);
        std::memcpy(sy + i, &y, sizeof y);
    }
    for (; i < n; ++i) {
        sx[i] = (a[i] + bR) / (mC[i] - mR);
        sy[i] = mC[i] * (sx[i] - vx) + vy;
    }
}

}  // namespace

void rowSourcePoints(const RectifyInputs& in, const ColumnLines& columns, const RowLine& row,
                     RowWork& work) {
    const int n = std::max(0, in.largOut);
    work.sx.resize(std::size_t(n));
    work.sy.resize(std::size_t(n));
    sourcePoints(columns.mC.data(), columns.a.data(), row.mR, row.bR, in.fugaVertX, in.fugaVertY, n,
                 work.sx.data(), work.sy.data());
}

AreaClip AreaClip::of(const RectifyInputs& in) {
    const double limit = 1 << 30;
    AreaClip clip;
    clip.top = std::max(in.clipTop, -limit);
    clip.bottom = std::min(in.clipBottom, limit);
    clip.left = std::max(in.clipLeft, -limit);
    clip.right = std::min(in.clipRight, limit);
    return clip;
}

}  // namespace vesta
