// The rectification frame: which corner of the area the rectified image grows from, the two
// sides through it, their true lengths found with the measuring points, the output size and
// the division points of the output rows and columns.
#pragma once

#include <array>
#include <vector>

#include "geometry/InteriorOrientation.h"
#include "state/WorkingState.h"

namespace vesta {

struct FrameInputs {
    Point vh, vv;  // horizontal and vertical vanishing points
    InteriorOrientation orientation;
    bool areaDefined = false;      // nAree > 0
    std::array<Point, 4> area{};   // areaCalcolo: top-left, bottom-left, bottom-right, top-right
    double width = 0, height = 0;  // larghezzaPic1, altezzaPic1
    double grandezza = 1.0;
    // Off where only the frame's corners and sizes are wanted (the uncertainty repeats the
    // construction hundreds of times, and a large photograph's tables dwarf the rest).
    bool divisionTables = true;
};

// Division points i = 1..count from o: o + i·(signedT)·(dirX, dirY), spaced t apart (every
// floor(t)-th filled), row 0 unused; only row 0 when count is beyond a bitmap's side.
std::vector<DivisionPoint> divisionTable(double count, Point o, double signedT, double dirX,
                                         double dirY, double t);

// The division tables of frame f for its altOut rows and largOut columns, on the lines through
// O square to and along the horizon of slope mOrizzonte: columns `across` apart, rows `down`
// apart, every floor(step)-th point filled.
void fillDivisionTables(Frame& f, double mOrizzonte, double across, double down, double step);

// Which side of the part rectified each vanishing point lies on.
struct Layout {
    bool vvBelow = false;
    bool vhRight = false;
};

// Case 1..4 of a corner against the vertical through Vv and the horizontal through Vh, for the
// vanishing points laid out as `layout` says.
int cornerCase(double x, double y, Point vh, Point vv, Layout layout);

// The frame, or the message that says why there is none (a side parallel to the line it must
// meet, a corner on the vertical through a vanishing point, a size that is not finite).
Result<Frame> rectificationFrame(const FrameInputs& in);

}  // namespace vesta
