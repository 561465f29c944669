#include "geometry/Uncertainty.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <random>

#include "geometry/KnownMeasures.h"

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

// The clicks with each line end moved within ±reach in x and in y.
void perturb(const ConstructionClicks& clicks, double reach, std::mt19937_64& gen,
             ConstructionClicks& moved) {
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::size_t e = 0; e < 2; ++e) {
            const double dx = reach * symmetricUnit(gen);
            const double dy = reach * symmetricUnit(gen);
            moved.lines[k][e] = Point{clicks.lines[k][e].x + dx, clicks.lines[k][e].y + dy};
        }
    }
}

constexpr std::uint64_t kSeed = 20261207;

bool usableSigma(double clickSigma) {
    return std::isfinite(clickSigma) && clickSigma >= 0;
}

}  // namespace

ProportionUncertainty proportionUncertainty(const ConstructionClicks& clicks, double clickSigma) {
    ProportionUncertainty u;
    const Result<Construction> central = construction(clicks);
    if (!central.ok() || !usableSigma(clickSigma)) {
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

    std::mt19937_64 gen(kSeed);
    ConstructionClicks moved = clicks;
    int refused = 0;
    double sumDistance = 0, sumAspect = 0;
    for (int n = 0; n < kUncertaintySamples; ++n) {
        perturb(clicks, reach, gen, moved);
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

KnownMeasuresUncertainty knownMeasuresUncertainty(const ConstructionClicks& clicks, double widthCm,
                                                  double heightCm, double clickSigma) {
    KnownMeasuresUncertainty u;
    const Result<KnownMeasuresFrame> central = knownMeasuresFrame(clicks, widthCm, heightCm);
    if (!central.ok() || !usableSigma(clickSigma)) {
        u.refusedShare = 1;
        u.indeterminate = true;
        return u;
    }
    // The result's top-left, top-right and bottom-left corners in the photograph.
    const KnownMeasuresFrame& f = central.value();
    const Point o = f.outputToSource.apply({0, 0});
    const Point w = f.outputToSource.apply({double(f.largOut), 0});
    const Point h = f.outputToSource.apply({0, double(f.altOut)});
    const double width0 = f.largOut * f.cmPerPixel, height0 = f.altOut * f.cmPerPixel;
    const double reach = std::sqrt(3.0) * clickSigma;

    std::mt19937_64 gen(kSeed);
    ConstructionClicks moved = clicks;
    int refused = 0;
    double sumAspect = 0, sumScale = 0;
    for (int n = 0; n < kUncertaintySamples; ++n) {
        perturb(clicks, reach, gen, moved);
        const Result<KnownMeasuresFrame> g = knownMeasuresFrame(moved, widthCm, heightCm);
        const std::optional<Homography> toPlane =
            g.ok() ? g.value().rectangleToSource.inverse() : std::nullopt;
        if (!toPlane) {
            ++refused;
            continue;
        }
        const Point po = toPlane->apply(o), pw = toPlane->apply(w), ph = toPlane->apply(h);
        const double width = distance(po, pw), height = distance(po, ph);
        const double da = (width / height) / (width0 / height0) - 1;
        const double ds = width / width0 - 1;
        if (!std::isfinite(da) || !std::isfinite(ds)) {
            ++refused;
            continue;
        }
        sumAspect += da * da;
        sumScale += ds * ds;
    }
    const int made = kUncertaintySamples - refused;
    u.refusedShare = double(refused) / kUncertaintySamples;
    u.indeterminate = u.refusedShare > kIndeterminateShare;
    if (made > 0) {
        u.aspectSigma = std::sqrt(sumAspect / made);
        u.scaleSigma = std::sqrt(sumScale / made);
    }
    return u;
}

}  // namespace vesta
