// A frame of side x side output pixels over the same area as the construction's: the division
// points spread along the measured sides, so that a benchmark sets the size it measures.
#pragma once

#include "geometry/Frame.h"
#include "state/WorkingState.h"

namespace vesta {

inline void frameOfSide(Construction& c, int side) {
    Frame& f = c.frame;
    const double across = distance(f.maxB, f.rif) / side;
    const double down = distance(f.maxA, f.rif) / side;
    f.largOut = side;
    f.altOut = side;
    fillDivisionTables(f, c.orientation.mOrizzonte, across, down, 1.0);
}

}  // namespace vesta
