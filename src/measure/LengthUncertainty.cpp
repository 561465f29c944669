#include "measure/LengthUncertainty.h"

#include <cmath>
#include <limits>

namespace vesta {

namespace {

// cos² of the angle of a–b to the rows; a zero length has no direction and counts as across.
double cosSquared(Point a, Point b) {
    const double d2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
    return d2 > 0 ? (b.x - a.x) * (b.x - a.x) / d2 : 1;
}

}  // namespace

LengthUncertainty measuredLength(Point refA, Point refB, double refCm, Point a, Point b,
                                 double clickSigma, double aspectSigma) {
    LengthUncertainty u;
    const double dRef = distance(refA, refB);
    const double d = distance(a, b);
    const double pair = std::sqrt(2.0) * clickSigma;
    if (!(dRef > 0)) {
        const double inf = std::numeric_limits<double>::infinity();
        u.length = inf;
        u.scalePart = u.sigma = inf;
        return u;
    }
    const double scale = refCm / dRef;
    u.length = scale * d;
    u.scalePart = u.length * pair / dRef;
    u.clickPart = scale * pair;
    u.aspectPart = u.length * aspectSigma * std::fabs(cosSquared(a, b) - cosSquared(refA, refB));
    u.sigma = std::sqrt(u.scalePart * u.scalePart + u.clickPart * u.clickPart +
                        u.aspectPart * u.aspectPart);
    return u;
}

LengthUncertainty measuredLengthAtScale(Point a, Point b, double cmPerPixel, double clickSigma,
                                        double scaleSigma) {
    LengthUncertainty u;
    u.length = cmPerPixel * distance(a, b);
    u.scalePart = u.length * scaleSigma;
    u.clickPart = cmPerPixel * std::sqrt(2.0) * clickSigma;
    u.sigma = std::sqrt(u.scalePart * u.scalePart + u.clickPart * u.clickPart);
    return u;
}

}  // namespace vesta
