// The ± of a length measured on the rectified image, in centimetres, one standard deviation,
// split into what it comes from.
#pragma once

#include "geometry/Lines.h"

namespace vesta {

struct LengthUncertainty {
    double length = 0;      // the measured length, cm
    double scalePart = 0;   // from the pair that fixed the scale
    double clickPart = 0;   // from the two points of this length
    double aspectPart = 0;  // from the uncertain width:height of the result
    double sigma = 0;       // all three together (they are independent)
};

// A length a–b on a result whose scale came from the reference pair refA–refB of true length
// refCm. Each point is off by clickSigma pixels in each coordinate, so a distance between two
// points by sqrt(2)·clickSigma. A wrong width:height (relative aspectSigma) stretches
// directions unequally: with θ the angle of a length to the rows, a length measured against a
// reference is off by aspectSigma·|cos²θ − cos²θref| of itself. Nothing is known (all parts
// infinite) when the reference points coincide.
LengthUncertainty measuredLength(Point refA, Point refB, double refCm, Point a, Point b,
                                 double clickSigma, double aspectSigma);

// A length a–b on a result whose scale is known (cmPerPixel, from the known measures, relative
// scaleSigma): the scale's part and the two points'.
LengthUncertainty measuredLengthAtScale(Point a, Point b, double cmPerPixel, double clickSigma,
                                        double scaleSigma);

}  // namespace vesta
