#include "rectify/PixelMapping.h"

#include <algorithm>
#include <limits>

namespace vesta {

namespace {

// Tables shorter than the output (a construction not finished) give an empty result rather
// than a read beyond them.
bool tablesCover(const RectifyInputs& in) {
    return in.largOut >= 0 && in.altOut >= 0 &&
           in.divColonne.size() >= std::size_t(in.largOut) + 1 &&
           in.divRighe.size() >= std::size_t(in.altOut) + 1;
}

}  // namespace

PixelMapping PixelMapping::construction(const RectifyInputs& in) {
    PixelMapping m;
    m.covered_ = tablesCover(in);
    if (m.covered_) {
        m.columns_ = columnLines(in);
    }
    return m;
}

PixelMapping PixelMapping::knownMeasures(const KnownMeasuresFrame& frame) {
    PixelMapping m;
    m.known_ = frame;
    return m;
}

void PixelMapping::bendByLens(const RadialLens& lens, RectifyInputs& in) {
    lens_ = lens;
    areaClip_ = AreaClip::of(in);
    const double everywhere = std::numeric_limits<double>::infinity();
    in.clipLeft = in.clipTop = -everywhere;
    in.clipRight = in.clipBottom = everywhere;
}

bool PixelMapping::rowPoints(const RectifyInputs& in, int y, RowWork& work) const {
    if (!straightRowPoints(in, y, work)) {
        return false;
    }
    if (lens_) {
        // Far outside any photograph and any clip: the sampler gives 0 there.
        const double nowhere = -std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < work.sx.size(); ++i) {
            const std::optional<Point> bent = areaClip_.contains(work.sx[i], work.sy[i])
                                                  ? lens_->distorted({work.sx[i], work.sy[i]})
                                                  : std::nullopt;
            work.sx[i] = bent ? bent->x : nowhere;
            work.sy[i] = bent ? bent->y : nowhere;
        }
    }
    return true;
}

bool PixelMapping::straightRowPoints(const RectifyInputs& in, int y, RowWork& work) const {
    if (known_) {
        if (in.largOut != known_->largOut || y < 0 || y >= known_->altOut) {
            return false;
        }
        work.sx.resize(std::size_t(in.largOut));
        work.sy.resize(std::size_t(in.largOut));
        known_->sourcePointsOfRow(y, work.sx.data(), work.sy.data());
        return true;
    }
    // The frame numbers its rows from the reference corner: bottom up unless reversed.
    const int r = in.rowsReversed ? in.altOut - y : y + 1;
    if (!covered_ || r < 1 || r > in.altOut) {
        return false;
    }
    const RowLine line = rowLine(in, r);
    if (!line.valid) {
        return false;
    }
    rowSourcePoints(in, columns_, line, work);
    return true;
}

}  // namespace vesta
