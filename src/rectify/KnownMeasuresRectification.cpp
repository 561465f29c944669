#include "rectify/KnownMeasuresRectification.h"

#include "geometry/Construction.h"

namespace vesta {

Result<KnownMeasuresFrame> knownMeasuresFrameOf(const WorkingState& s) {
    if (!s.misureNote) {
        return Result<KnownMeasuresFrame>::failure("Misure note non date");
    }
    return knownMeasuresFrame(ConstructionClicks::from(s), (*s.misureNote)[0], (*s.misureNote)[1]);
}

RectifyInputs knownMeasuresInputs(const KnownMeasuresFrame& frame) {
    RectifyInputs in;
    in.largOut = frame.largOut;
    in.altOut = frame.altOut;
    in.clipLeft = frame.clipLeft;
    in.clipTop = frame.clipTop;
    in.clipRight = frame.clipRight;
    in.clipBottom = frame.clipBottom;
    return in;
}

}  // namespace vesta
