// Where each pixel of the result comes from in the photograph: the construction's row and
// column lines, or the projective map of the known measures, then the lens's bend when one is
// given. A row's source points are made here once, whatever sampler then reads them.
#pragma once

#include <optional>

#include "geometry/KnownMeasures.h"
#include "geometry/RadialLens.h"
#include "rectify/RowRectifier.h"

namespace vesta {

class PixelMapping {
  public:
    // By the vanishing points' lines: the column lines are made once, here.
    static PixelMapping construction(const RectifyInputs& in);
    // By the frame's projective map of the known measures' rectangle.
    static PixelMapping knownMeasures(const KnownMeasuresFrame& frame);

    // Bends every source point by the lens, from the undistorted plane the construction was
    // made in to the photograph: one resampling. The area is clipped here, before the bend,
    // and `in`'s clip opened to the whole plane, since the samplers see bent points.
    void bendByLens(const RadialLens& lens, RectifyInputs& in);

    // The source points of result row y (top row first, as the result is shown) into work.sx
    // and work.sy, in.largOut of each. False when the row has none: every pixel of it is 0.
    bool rowPoints(const RectifyInputs& in, int y, RowWork& work) const;

  private:
    bool straightRowPoints(const RectifyInputs& in, int y, RowWork& work) const;

    ColumnLines columns_;
    bool covered_ = false;  // the division tables reach every row and column
    std::optional<KnownMeasuresFrame> known_;
    std::optional<RadialLens> lens_;
    AreaClip areaClip_;  // with a lens: the area, in the undistorted plane
};

}  // namespace vesta
