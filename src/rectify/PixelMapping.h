// Where each pixel of the result comes from in the photograph: the construction's row and
// column lines, or the projective map of the known measures. A row's source points are made
// here once, whatever sampler then reads them; a correction of the photograph's lens would be
// one more step of this mapping, the samplers unchanged.
#pragma once

#include <optional>

#include "geometry/KnownMeasures.h"
#include "rectify/RowRectifier.h"

namespace vesta {

class PixelMapping {
  public:
    // By the vanishing points' lines: the column lines are made once, here.
    static PixelMapping construction(const RectifyInputs& in);
    // By the frame's projective map of the known measures' rectangle.
    static PixelMapping knownMeasures(const KnownMeasuresFrame& frame);

    // The source points of result row y (top row first, as the result is shown) into work.sx
    // and work.sy, in.largOut of each. False when the row has none: every pixel of it is 0.
    bool rowPoints(const RectifyInputs& in, int y, RowWork& work) const;

  private:
    ColumnLines columns_;
    bool covered_ = false;  // the division tables reach every row and column
    std::optional<KnownMeasuresFrame> known_;
};

}  // namespace vesta
