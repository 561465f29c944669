// The rubber band of a two-click input, on the photograph or on the rectified image.
#pragma once

#include "state/WorkingState.h"

namespace vesta {

// Drags the band to (x, y) with `draw(toX, toY)`, in invert mode: the band drawn last is drawn
// once more, which erases it, then the new one, so exactly one is on screen at a time.
template <class Draw>
void dragRubberBand(WorkingState& s, float x, float y, Draw draw) {
    if (s.primoMovimento == 0) {
        draw(s.xElastico, s.yElastico);
    } else {
        s.primoMovimento = 0;
    }
    draw(x, y);
    s.xElastico = x;
    s.yElastico = y;
}

}  // namespace vesta
