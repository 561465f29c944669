#include "geometry/InteriorOrientation.h"

#include <cmath>

#include "geometry/Degenerate.h"

namespace vesta {

namespace {

Result<InteriorOrientation> refuse(const char* why) {
    return Result<InteriorOrientation>::failure(why);
}

// Each step fills its part of `o` from the parts before it; the reason when it cannot.

// Horizon and foot point. A zero slope of Vv-P would make the horizon vertical.
const char* horizonAndFoot(Point vh, Point vv, Point p, InteriorOrientation& o) {
    const std::optional<double> mCentro = slopeFrom(vv, p);
    if (!mCentro || zeroUpToRounding(p.y, vv.y)) {
        return degenerate::kCentroAllineato;
    }
    o.mCentro = *mCentro;
    o.mOrizzonte = -1 / o.mCentro;
    const std::optional<double> piedeX = meetingX(vh, o.mOrizzonte, vv, o.mCentro);
    if (!piedeX) {
        return degenerate::kCentroAllineato;
    }
    o.piede = Point{*piedeX, lineY(o.mCentro, *piedeX, vv)};
    return nullptr;
}

// Principal distance: the chord through P perpendicular to the diameter Vv-F, which P halves; a
// given distance is the circle of that radius about P cut by the same line.
const char* principalDistance(Point vv, Point p, std::optional<double> givenDistance,
                              InteriorOrientation& o) {
    std::optional<Roots> d;
    if (givenDistance) {
        if (!(*givenDistance > 0) || !std::isfinite(*givenDistance)) {
            return degenerate::kCerchioMancato;
        }
        d = lineCircleRoots(p, *givenDistance, p, o.mOrizzonte);
    } else {
        const Point centre1{(vv.x + o.piede.x) / 2, (vv.y + o.piede.y) / 2};
        const double r1 = distance(vv, o.piede) / 2;
        d = lineCircleRoots(centre1, r1, p, o.mOrizzonte);
    }
    if (!d) {
        return degenerate::kCerchioMancato;
    }
    o.puntoDist = Point{d->minus, lineY(o.mOrizzonte, d->minus, p)};
    o.distanzaPrinc = distance(o.puntoDist, p);
    return nullptr;
}

// Measuring point of the vertical direction.
const char* verticalMeasuringPoint(Point vv, Point p, InteriorOrientation& o) {
    o.r2 = distance(vv, o.puntoDist);
    const std::optional<Roots> v = lineCircleRoots(vv, o.r2, vv, o.mCentro);
    if (!v) {
        return degenerate::kCerchioMancato;
    }
    const double yMinus = lineY(o.mCentro, v->minus, p);
    const double yPlus = lineY(o.mCentro, v->plus, p);
    o.pv = (std::fabs(yMinus) - std::fabs(p.y)) < (std::fabs(yPlus) - std::fabs(p.y))
               ? Point{v->minus, yMinus}
               : Point{v->plus, yPlus};
    return nullptr;
}

// Measuring point of the horizontal direction.
const char* horizontalMeasuringPoint(Point vh, Point p, InteriorOrientation& o) {
    const std::optional<double> mH = slopeFrom(p, vh);
    if (!mH || zeroUpToRounding(vh.y, p.y)) {
        return degenerate::kCentroAllineato;
    }
    o.mH = *mH;
    const double kH = -1 / o.mH;
    const std::optional<Roots> e = lineCircleRoots(p, o.distanzaPrinc, p, kH);
    if (!e) {
        return degenerate::kCerchioMancato;
    }
    o.e = Point{e->plus, lineY(kH, e->plus, p)};
    o.r3 = distance(o.e, vh);
    const std::optional<Roots> h = lineCircleRoots(vh, o.r3, vh, o.mOrizzonte);
    if (!h) {
        return degenerate::kCerchioMancato;
    }
    o.po =
        (std::fabs(h->minus) - std::fabs(o.piede.x)) < (std::fabs(h->plus) - std::fabs(o.piede.x))
            ? Point{h->minus, lineY(o.mOrizzonte, h->minus, vh)}
            : Point{h->plus, lineY(o.mOrizzonte, h->plus, vh)};
    return nullptr;
}

bool allFinite(const InteriorOrientation& o) {
    for (const Point& q : {o.piede, o.puntoDist, o.pv, o.e, o.po}) {
        if (!finite(q)) {
            return false;
        }
    }
    return std::isfinite(o.distanzaPrinc) && std::isfinite(o.r2) && std::isfinite(o.r3) &&
           std::isfinite(o.mOrizzonte);
}

}  // namespace

Result<InteriorOrientation> interiorOrientation(Point vh, Point vv, Point p,
                                                std::optional<double> givenDistance) {
    InteriorOrientation o;
    const char* why = horizonAndFoot(vh, vv, p, o);
    if (!why) {
        why = principalDistance(vv, p, givenDistance, o);
    }
    if (!why) {
        why = verticalMeasuringPoint(vv, p, o);
    }
    if (!why) {
        why = horizontalMeasuringPoint(vh, p, o);
    }
    if (!why && !allFinite(o)) {
        why = degenerate::kCerchioMancato;
    }
    return why ? refuse(why) : Result<InteriorOrientation>::success(o);
}

}  // namespace vesta
