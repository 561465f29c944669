// The pixel loop of the rectification. Every output row is a line through the horizontal
// vanishing point H, every output column a line through the vertical vanishing point V; an
// output pixel takes the palette index of the source pixel where its row and column lines meet
// (nearest pixel, rounded down, no interpolation).
#pragma once

#include <cstdint>
#include <vector>

#include "image/IndexedImage.h"
#include "state/WorkingState.h"

namespace vesta {

// What the loop reads from the working state, gathered once per rectification.
struct RectifyInputs {
    double fugaOrizzX = 0, fugaOrizzY = 0, fugaVertX = 0, fugaVertY = 0;
    double angoloRifX = 0, angoloRifY = 0, mVert = 0, mOrizz = 0;
    double pvx = 0, pvy = 0, pox = 0, poy = 0;
    int segnoX = 0;
    int largOut = 0, altOut = 0;
    double clipLeft = 0, clipRight = 0, clipTop = 0, clipBottom = 0;  // the area, bounds in
    // Copies: a size step taken while the rectification lets events through re-creates the
    // tables in the working state.
    std::vector<DivisionPoint> divRighe;
    std::vector<DivisionPoint> divColonne;
    const IndexedImage* source = nullptr;

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

// Room for the source points of one row, kept from row to row so no row allocates.
struct RowWork {
    std::vector<double> sx, sy;
};

// Fills one output row of largOut cells (cleared first): for each column the meeting point
// sx = (Vx·mC − Vy + bR) / (mC − mR), sy = mC·(sx − Vx) + Vy, kept only inside the area
// (bounds included, before rounding), rounded down, sx raised to 1, mirrored when segnoX = −1.
// A source point outside the stored image gives index 0.
void rectifyRow(const RectifyInputs& in, const ColumnLines& columns, const RowLine& row,
                RowWork& work, std::uint8_t* out);

}  // namespace vesta
