// The pixel loop of the rectification. Every output row is a line through the horizontal
// vanishing point H, every output column a line through the vertical vanishing point V; an
// output pixel takes the palette index of the source pixel where its row and column lines meet
// (nearest pixel, rounded down, no interpolation).
#pragma once

#include <cstdint>
#include <vector>

#include "state/IndexedImage.h"
#include "state/WorkingState.h"

namespace vesta {

// What the loop reads from the working state, gathered once per rectification.
struct RectifyInputs {
    double fugaOrizzX = 0, fugaOrizzY = 0, fugaVertX = 0, fugaVertY = 0;
    double angoloRifX = 0, angoloRifY = 0, mVert = 0, mOrizz = 0;
    double pvx = 0, pvy = 0, pox = 0, poy = 0;
    bool columnsReversed = false, rowsReversed = false;  // as the frame shows them
    int largOut = 0, altOut = 0;
    double clipLeft = 0, clipRight = 0, clipTop = 0, clipBottom = 0;  // the area, bounds in
    // Copies: a size step taken while the rectification lets events through re-creates the
    // tables in the working state.
    std::vector<DivisionPoint> divRighe;
    std::vector<DivisionPoint> divColonne;

    static RectifyInputs from(const WorkingState& s);
};

// The row line of output row r: y = mR·x + bR. The line from Pv through the row's division
// point meets the side through the reference corner toward V at (xR, yR); the row line runs
// from H through that point. Invalid when a divisor is zero or a result not finite.
struct RowLine {
    bool valid = false;
    double mR = 0;
    double bR = 0;
};
RowLine rowLine(const RectifyInputs& in, int r);

// The column lines of every output column, which depend on the column alone and so are made
// once per rectification: mC is the slope of the line from V through the point where the line
// from Po through the column's division point meets the side toward H; a = Vx·mC − Vy, the part
// of the meeting-point numerator that is the same in every row.
struct ColumnLines {
    std::vector<double> mC;           // index c - 1
    std::vector<double> a;            // index c - 1
    std::vector<std::uint8_t> valid;  // index c - 1
};
ColumnLines columnLines(const RectifyInputs& in);

// Room for the source points of one row and what a sampler derives from them, kept from row
// to row so no row allocates.
struct RowWork {
    std::vector<double> sx, sy;
    // The bilinear taps of each column; col holds the palette sampler's offsets instead.
    std::vector<std::int32_t> col, row, wx, wy;
};

// The source points of every column of a valid row into work.sx and work.sy:
// sx = (Vx·mC − Vy + bR) / (mC − mR), sy = mC·(sx − Vx) + Vy. Computed once per row, read by
// whichever sampler fills the row.
void rowSourcePoints(const RectifyInputs& in, const ColumnLines& columns, const RowLine& row,
                     RowWork& work);

// The area's bounds as every sampler applies them. Beyond ±2^30 the int conversion of the
// rounding would not hold; no photograph comes near.
struct AreaClip {
    double top = 0, bottom = 0, left = 0, right = 0;
    static AreaClip of(const RectifyInputs& in);
    // Comparisons with NaN fail, so an invalid column (NaN) or a zero divisor (an infinity or
    // NaN) is turned away and nothing undefined reaches a rounding.
    bool contains(double sx, double sy) const {
        return top <= sy && sy <= bottom && left <= sx && sx <= right;
    }
};

// floor(v) for a v the clip has kept within a photograph's coordinates.
inline int floorOf(double v) {
    const int i = int(v);
    return v < i ? i - 1 : i;
}

// The nearest photograph pixel of each source point of a row, the same for every sampler:
// kept only inside the area (bounds included, before rounding); its row is floor(sy), its
// column max(1, floor(sx)) − 1 (sx counts from 1). take(i, row, column) is called for each
// column i whose pixel lies in a width x height photograph.
template <class Take>
inline void forEachNearestPixel(const RowWork& work, int n, AreaClip clip, int width, int height,
                                Take take) {
    // Locals, so that the byte stores of take() cannot make the compiler read them again.
    const double* sxs = work.sx.data();
    const double* sys = work.sy.data();
    const double top = clip.top, bottom = clip.bottom, left = clip.left, right = clip.right;
    for (int i = 0; i < n; ++i) {
        const double sx = sxs[i], sy = sys[i];
        if (!(top <= sy && sy <= bottom && left <= sx && sx <= right)) {
            continue;
        }
        const int row0 = floorOf(sy);
        const int cell = (floorOf(sx) > 1 ? floorOf(sx) : 1) - 1;
        if (row0 < 0 || row0 >= height || cell >= width) {
            continue;
        }
        take(i, row0, cell);
    }
}

}  // namespace vesta
