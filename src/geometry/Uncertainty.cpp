#include "geometry/Uncertainty.h"

#include <cmath>
#include <cstdint>
#include <random>

namespace vesta {

namespace {

// Uniform in [-1, 1) from the top 53 bits of the generator, whose sequence the C++ standard
// fixes; the standard distributions may differ from one library to the next.
double symmetricUnit(std::mt19937_64& gen) {
    return double(gen() >> 11) * 0x1.0p-52 - 1.0;
}

// Width over height that construction c gives to the part of the photograph with these corners.
std::optional<double> shownAspect(const Construction& c, const ShownCorners& shown) {
    const std::optional<Point> o = resultPosition(c, shown.o);
    const std::optional<Point> w = resultPosition(c, shown.widthEnd);
    const std::optional<Point> h = resultPosition(c, shown.heightEnd);
    if (!o || !w || !h) {
        return std::nullopt;
    }
    const double aspect = std::fabs((w->x - o->x) / (h->y - o->y));
    return std::isfinite(aspect) && aspect > 0 ? std::optional<double>(aspect) : std::nullopt;
}

}  // namespace

ProportionUncertainty proportionUncertainty(const ConstructionClicks& clicks, double clickSigma) {
    ProportionUncertainty u;
    const Result<Construction> central = construction(clicks);
    if (!central.ok()) {
        u.refusedShare = 1;
        u.indeterminate = true;
        return u;
    }
    // The part of the photograph the result shows stays fixed: a perturbed construction
    // covers another part, and its own width:height would mix the change of region into
    // the change of proportion.
    const std::optional<ShownCorners> shown = shownCorners(central.value());
    const std::optional<double> aspect0 =
        shown ? shownAspect(central.value(), *shown) : std::nullopt;
    if (!aspect0) {
        u.refusedShare = 1;
        u.indeterminate = true;
        return u;
    }
    const double distance0 = central.value().orientation.distanzaPrinc;
    const double reach = std::sqrt(3.0) * clickSigma;

    std::mt19937_64 gen(20261207);
    ConstructionClicks moved = clicks;
    int refused = 0;
    double sumDistance = 0, sumAspect = 0;
    for (int n = 0; n < kUncertaintySamples; ++n) {
        for (std::size_t k = 0; k < 4; ++k) {
            for (std::size_t e = 0; e < 2; ++e) {
                const double dx = reach * symmetricUnit(gen);
                const double dy = reach * symmetricUnit(gen);
                moved.lines[k][e] = Point{clicks.lines[k][e].x + dx, clicks.lines[k][e].y + dy};
            }
        }
        const Result<Construction> c = construction(moved);
        const std::optional<double> aspect = c.ok() ? shownAspect(c.value(), *shown) : std::nullopt;
        if (!aspect) {
            ++refused;
            continue;
        }
        const double dd = c.value().orientation.distanzaPrinc - distance0;
        const double da = *aspect / *aspect0 - 1;
        sumDistance += dd * dd;
        sumAspect += da * da;
    }
    const int made = kUncertaintySamples - refused;
    u.refusedShare = double(refused) / kUncertaintySamples;
    u.indeterminate = u.refusedShare > kIndeterminateShare;
    if (made > 0) {
        u.distanceSigma = std::sqrt(sumDistance / made);
        u.aspectSigma = std::sqrt(sumAspect / made);
    }
    return u;
}

}  // namespace vesta
