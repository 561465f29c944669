#include "rectify/RowRectifier.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vesta {

RectifyInputs RectifyInputs::from(const WorkingState& s) {
    RectifyInputs in;
    in.fugaOrizzX = s.fugaOrizzX;
    in.fugaOrizzY = s.fugaOrizzY;
    in.fugaVertX = s.fugaVertX;
    in.fugaVertY = s.fugaVertY;
    in.angoloRifX = s.angoloRifX;
    in.angoloRifY = s.angoloRifY;
    in.mVert = s.mVert;
    in.mOrizz = s.mOrizz;
    in.pvx = s.pvx;
    in.pvy = s.pvy;
    in.pox = s.pox;
    in.poy = s.poy;
    in.segnoX = s.segnoX;
    in.largOut = int(s.largOut);
    in.altOut = int(s.altOut);
    in.clipLeft = s.areaCalcolo[1][1];
    in.clipRight = s.areaCalcolo[4][1];
    in.clipTop = s.areaCalcolo[1][2];
    in.clipBottom = s.areaCalcolo[2][2];
    in.divRighe = &s.divRighe;
    in.divColonne = &s.divColonne;
    in.source = &s.sorgente.image;
    return in;
}

RowLine rowLine(const RectifyInputs& in, int r) {
    const DivisionPoint& d = (*in.divRighe)[std::size_t(r)];
    const double ax = d[2], ay = d[3];
    const double qRighe = in.angoloRifY - in.mVert * in.angoloRifX - in.pvy;
    if (in.pvx - ax == 0) {
        return {};
    }
    const double mA = (in.pvy - ay) / (in.pvx - ax);
    if (mA - in.mVert == 0) {
        return {};
    }
    const double xR = (in.pvx * mA + qRighe) / (mA - in.mVert);
    const double yR = mA * (xR - in.pvx) + in.pvy;
    if (xR - in.fugaOrizzX == 0) {
        return {};
    }
    RowLine line;
    line.mR = (yR - in.fugaOrizzY) / (xR - in.fugaOrizzX);
    line.bR = in.fugaOrizzY - line.mR * in.fugaOrizzX;
    line.valid = std::isfinite(line.mR) && std::isfinite(line.bR);
    return line;
}

ColumnLines columnLines(const RectifyInputs& in) {
    ColumnLines lines;
    const std::size_t n = std::size_t(std::max(0, in.largOut));
    lines.mC.assign(n, 0);
    lines.a.assign(n, 0);
    lines.valid.assign(n, 0);
    const double qColonne = in.angoloRifY - in.mOrizz * in.angoloRifX - in.poy;
    for (std::size_t i = 0; i < n; ++i) {
        const DivisionPoint& d = (*in.divColonne)[i + 1];
        const double bx = d[2], by = d[3];
        if (in.pox - bx == 0) {
            continue;
        }
        const double mB = (in.poy - by) / (in.pox - bx);
        if (mB - in.mOrizz == 0) {
            continue;
        }
        const double xC = (in.pox * mB + qColonne) / (mB - in.mOrizz);
        const double yC = mB * (xC - in.pox) + in.poy;
        if (xC - in.fugaVertX == 0) {
            continue;
        }
        const double mC = (yC - in.fugaVertY) / (xC - in.fugaVertX);
        const double a = in.fugaVertX * mC - in.fugaVertY;
        lines.mC[i] = mC;
        lines.a[i] = a;
        lines.valid[i] = std::isfinite(mC) && std::isfinite(a);
    }
    return lines;
}

void rectifyRow(const RectifyInputs& in, const ColumnLines& columns, const RowLine& row,
                std::uint8_t* out) {
    const int n = in.largOut;
    std::memset(out, 0, std::size_t(n));
    if (!row.valid) {
        return;
    }
    const IndexedImage& src = *in.source;
    const double mR = row.mR, bR = row.bR;
    const double vx = in.fugaVertX, vy = in.fugaVertY;
    const bool mirrored = in.segnoX == -1;
    for (int i = 0; i < n; ++i) {
        const double mC = columns.mC[std::size_t(i)];
        const double divisor = mC - mR;
        if (!columns.valid[std::size_t(i)] || divisor == 0) {
            continue;
        }
        const double sx = (columns.a[std::size_t(i)] + bR) / divisor;
        const double sy = mC * (sx - vx) + vy;
        // Comparisons with NaN fail, so nothing undefined reaches the rounding below.
        if (!(in.clipTop <= sy && sy <= in.clipBottom && in.clipLeft <= sx && sx <= in.clipRight)) {
            continue;
        }
        const double row0 = std::floor(sy);
        const double cell = std::max(1.0, std::floor(sx)) - 1;
        if (row0 < 0 || row0 >= src.height || cell >= src.width) {
            continue;
        }
        const int o = mirrored ? n - 1 - i : i;
        out[o] = src.row(int(row0))[std::size_t(cell)];
    }
}

}  // namespace vesta
