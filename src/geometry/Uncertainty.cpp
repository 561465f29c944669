#include "geometry/Uncertainty.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

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

// The clicks with each line end moved within ±sqrt(3)·σ in x and in y, σ its own.
void perturb(const ConstructionClicks& clicks, std::mt19937_64& gen, ConstructionClicks& moved) {
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::size_t e = 0; e < 2; ++e) {
            const double reach = std::sqrt(3.0) * clicks.sigmas[k][e];
            const double dx = reach * symmetricUnit(gen);
            const double dy = reach * symmetricUnit(gen);
            moved.lines[k][e] = Point{clicks.lines[k][e].x + dx, clicks.lines[k][e].y + dy};
        }
    }
    for (int axis = 0; axis < 2; ++axis) {
        const auto& from = axis == 0 ? clicks.moreHorizontal : clicks.moreVertical;
        auto& to = axis == 0 ? moved.moreHorizontal : moved.moreVertical;
        for (std::size_t k = 0; k < from.size(); ++k) {
            for (std::size_t e = 0; e < 2; ++e) {
                const double reach = std::sqrt(3.0) * from[k].sigmas[e];
                const double dx = reach * symmetricUnit(gen);
                const double dy = reach * symmetricUnit(gen);
                to[k].ends[e] = Point{from[k].ends[e].x + dx, from[k].ends[e].y + dy};
            }
        }
    }
}

constexpr std::uint64_t kSeed = 20261207;

// A normal deviate by Box-Muller on two of the generator's draws, the same on every library.
double gaussian(std::mt19937_64& gen) {
    const double u = (double(gen() >> 11) + 0.5) * 0x1.0p-53;
    const double v = double(gen() >> 11) * 0x1.0p-53;
    return std::sqrt(-2 * std::log(u)) * std::cos(2 * 3.14159265358979323846 * v);
}

// How far each line end moves per unit of a fitted k1's error, and that error's standard
// deviation: the undistorted point is linear in k1, (1 + k1·r²) times the photograph point's
// offset from the centre, so the move is exact for any error.
struct BendShift {
    RadialLens lens;
    double k1Sigma = 0;
    std::array<std::array<Point, 2>, 4> lines{};
    std::array<std::vector<std::array<Point, 2>>, 2> more;
};

Point slopeInK1(const RadialLens& lens, Point end) {
    const std::optional<Point> q = lens.distorted(end);
    if (!q) {
        return {};
    }
    const double x = (q->x - lens.centre.x) / lens.halfDiagonal;
    const double y = (q->y - lens.centre.y) / lens.halfDiagonal;
    const double r2 = x * x + y * y;
    return {(q->x - lens.centre.x) * r2, (q->y - lens.centre.y) * r2};
}

BendShift bendShift(const ConstructionClicks& clicks, const RadialLens& lens, double k1Sigma) {
    BendShift shift;
    shift.lens = lens;
    shift.k1Sigma = k1Sigma;
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::size_t e = 0; e < 2; ++e) {
            shift.lines[k][e] = slopeInK1(lens, clicks.lines[k][e]);
        }
    }
    for (std::size_t axis = 0; axis < 2; ++axis) {
        for (const ClickedSegment& line : axis == 0 ? clicks.moreHorizontal : clicks.moreVertical) {
            shift.more[axis].push_back(
                {slopeInK1(lens, line.ends[0]), slopeInK1(lens, line.ends[1])});
        }
    }
    return shift;
}

// A point of the photograph moved by a k1 error `dk`, along its slope in k1.
Point shiftedBy(Point p, Point slope, double dk) {
    return {p.x + dk * slope.x, p.y + dk * slope.y};
}

// The k1 error drawn.
double shiftByK1Error(const BendShift& shift, std::mt19937_64& gen, ConstructionClicks& moved) {
    const double dk = shift.k1Sigma * gaussian(gen);
    const auto add = [dk](Point& p, Point slope) { p = shiftedBy(p, slope, dk); };
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::size_t e = 0; e < 2; ++e) {
            add(moved.lines[k][e], shift.lines[k][e]);
        }
    }
    for (std::size_t axis = 0; axis < 2; ++axis) {
        auto& to = axis == 0 ? moved.moreHorizontal : moved.moreVertical;
        for (std::size_t k = 0; k < to.size(); ++k) {
            add(to[k].ends[0], shift.more[axis][k][0]);
            add(to[k].ends[1], shift.more[axis][k][1]);
        }
    }
    return dk;
}

bool usableSigmas(const ConstructionClicks& clicks) {
    for (const bool horizontal : {true, false}) {
        for (const ClickedSegment& line : clicks.allLines(horizontal)) {
            for (double sigma : line.sigmas) {
                if (!std::isfinite(sigma) || sigma < 0) {
                    return false;
                }
            }
        }
    }
    return true;
}

// Over the fixed-seed perturbations of the clicks: the share that `deviations` refuses (nothing,
// or a deviation that is not finite), and for each of its two deviations over the others the
// size that 68.27% of them stay within: one standard deviation of a normal spread. Not their
// root mean square: where a vanishing point lies far, a few perturbed clicks carry it across
// infinity or next to a refusal and give deviations a hundred times the others', and those few
// made the stated sigma of such a construction several times its true error.
struct Spread {
    double refusedShare = 0;
    std::array<double, 2> sigma{};
};

constexpr double kOneSigmaShare = 0.6826894921370859;

double oneSigmaSize(std::vector<double>& sizes) {
    const auto at = sizes.begin() + std::ptrdiff_t(kOneSigmaShare * double(sizes.size()));
    std::nth_element(sizes.begin(), at, sizes.end());
    return *at;
}

template <typename Deviations>
Spread spreadOver(const ConstructionClicks& clicks, Deviations deviations,
                  const std::optional<BendShift>& shift = std::nullopt) {
    std::mt19937_64 gen(kSeed);
    ConstructionClicks moved = clicks;
    int refused = 0;
    std::array<std::vector<double>, 2> sizes;
    for (int n = 0; n < kUncertaintySamples; ++n) {
        perturb(clicks, gen, moved);
        const double dk = shift ? shiftByK1Error(*shift, gen, moved) : 0;
        const std::optional<std::array<double, 2>> d = deviations(moved, dk);
        if (!d || !std::isfinite((*d)[0]) || !std::isfinite((*d)[1])) {
            ++refused;
            continue;
        }
        sizes[0].push_back(std::fabs((*d)[0]));
        sizes[1].push_back(std::fabs((*d)[1]));
    }
    Spread spread;
    const int made = kUncertaintySamples - refused;
    spread.refusedShare = double(refused) / kUncertaintySamples;
    if (made > 0) {
        spread.sigma = {oneSigmaSize(sizes[0]), oneSigmaSize(sizes[1])};
    }
    return spread;
}

}  // namespace

std::optional<double> residualClickError(const ConstructionClicks& clicks) {
    double sum = 0;
    int freedom = 0;
    for (const bool horizontal : {true, false}) {
        const std::vector<ClickedSegment> lines = clicks.allLines(horizontal);
        const std::optional<VanishingFit> fit = fitVanishingPoint(lines);
        if (lines.size() < 3 || !fit) {
            continue;
        }
        // Each residual is half the difference of its two ends' errors across the line.
        for (double r : fit->residuals) {
            sum += 2 * r * r;
        }
        freedom += int(lines.size()) - 2;
    }
    if (freedom == 0) {
        return std::nullopt;
    }
    return std::sqrt(sum / freedom);
}

namespace {

// Every click taken no surer than `error`.
void atLeast(ConstructionClicks& clicks, double error) {
    for (auto& line : clicks.sigmas) {
        line = {std::max(line[0], error), std::max(line[1], error)};
    }
    for (auto* more : {&clicks.moreHorizontal, &clicks.moreVertical}) {
        for (ClickedSegment& line : *more) {
            line.sigmas = {std::max(line.sigmas[0], error), std::max(line.sigmas[1], error)};
        }
    }
}

// Each line end as unsure as a point of its line, `error`, times the end's share of it, and
// never surer than clicked.
void endsOfFittedLines(ConstructionClicks& clicks, const FittedBend& bend, double error) {
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::size_t e = 0; e < 2; ++e) {
            clicks.sigmas[k][e] = std::max(clicks.sigmas[k][e], error * bend.endShares[k][e]);
        }
    }
    for (const bool horizontal : {true, false}) {
        auto& more = horizontal ? clicks.moreHorizontal : clicks.moreVertical;
        const auto& shares = horizontal ? bend.moreHorizontalShares : bend.moreVerticalShares;
        for (std::size_t k = 0; k < more.size(); ++k) {
            const std::array<double, 2> share =
                k < shares.size() ? shares[k] : std::array{1.0, 1.0};
            for (std::size_t e = 0; e < 2; ++e) {
                more[k].sigmas[e] = std::max(more[k].sigmas[e], error * share[e]);
            }
        }
    }
}

// The largest σ of the clicks: the precision they were given at.
double leastSureClick(const ConstructionClicks& clicks) {
    double sigma = 0;
    for (const bool horizontal : {true, false}) {
        for (const ClickedSegment& line : clicks.allLines(horizontal)) {
            sigma = std::max({sigma, line.sigmas[0], line.sigmas[1]});
        }
    }
    return sigma;
}

// The clicks as unsure as a fitted bend and the lines' residuals leave them, and how each
// perturbation moves them by k1's own error; without a fit, no move.
struct UnsureClicks {
    ConstructionClicks clicks;
    std::optional<BendShift> shift;
};

UnsureClicks unsureClicks(const ConstructionClicks& given, const std::optional<FittedBend>& bend) {
    UnsureClicks b{given, std::nullopt};
    if (bend) {
        // What the lines stray from straight once out of the fitted bend is the points' error.
        const double error = std::max(bend->pointSigma.value_or(0), leastSureClick(given));
        endsOfFittedLines(b.clicks, *bend, error);
        b.shift = bendShift(b.clicks, bend->lens, error / std::sqrt(bend->k1Weight));
    }
    // Real edges stray from a common point by more than the clicks' rounding: where the fit
    // tells by how much, every click is taken to be that unsure, never surer than clicked.
    if (const std::optional<double> error = residualClickError(given)) {
        atLeast(b.clicks, *error);
    }
    return b;
}

bool usable(const UnsureClicks& b) {
    return usableSigmas(b.clicks) && (!b.shift || std::isfinite(b.shift->k1Sigma));
}

}  // namespace

ProportionUncertainty proportionUncertainty(const ConstructionClicks& given,
                                            const std::optional<FittedBend>& bend) {
    ProportionUncertainty u;
    const UnsureClicks bent = unsureClicks(given, bend);
    const ConstructionClicks& clicks = bent.clicks;
    const Result<Construction> central = construction(clicks);
    if (!central.ok() || !usable(bent)) {
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
    const Spread spread = spreadOver(
        clicks,
        [&](const ConstructionClicks& moved, double) -> std::optional<std::array<double, 2>> {
            const Result<Construction> c = construction(moved);
            const std::optional<double> aspect =
                c.ok() ? shownAspect(c.value(), *shown) : std::nullopt;
            if (!aspect) {
                return std::nullopt;
            }
            return std::array<double, 2>{c.value().orientation.distanzaPrinc - distance0,
                                         *aspect / *aspect0 - 1};
        },
        bent.shift);
    u.refusedShare = spread.refusedShare;
    u.indeterminate = u.refusedShare > kIndeterminateShare;
    u.distanceSigma = spread.sigma[0];
    u.aspectSigma = spread.sigma[1];
    return u;
}

KnownMeasuresUncertainty knownMeasuresUncertainty(const ConstructionClicks& given, double widthCm,
                                                  double heightCm,
                                                  const std::optional<FittedBend>& bend) {
    KnownMeasuresUncertainty u;
    // The four lines bounding the rectangle are real edges too: as unsure as all lines stray.
    const UnsureClicks bent = unsureClicks(given, bend);
    const ConstructionClicks& clicks = bent.clicks;
    const Result<KnownMeasuresFrame> central = knownMeasuresFrame(clicks, widthCm, heightCm);
    if (!central.ok() || !usable(bent)) {
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
    // The same pixels of the photograph, taken out of the bend that each k1 error gives: their
    // slopes in k1 are the same for every draw, and without a fitted bend none moves.
    const auto slopeAt = [&](Point p) {
        return bent.shift ? slopeInK1(bent.shift->lens, p) : Point{};
    };
    const Point so = slopeAt(o), sw = slopeAt(w), sh = slopeAt(h);
    const Spread spread = spreadOver(
        clicks,
        [&](const ConstructionClicks& moved, double dk) -> std::optional<std::array<double, 2>> {
            const Result<KnownMeasuresFrame> g = knownMeasuresFrame(moved, widthCm, heightCm);
            const std::optional<Homography> toPlane =
                g.ok() ? g.value().rectangleToSource.inverse() : std::nullopt;
            if (!toPlane) {
                return std::nullopt;
            }
            const Point po = toPlane->apply(shiftedBy(o, so, dk));
            const Point pw = toPlane->apply(shiftedBy(w, sw, dk));
            const Point ph = toPlane->apply(shiftedBy(h, sh, dk));
            const double width = distance(po, pw), height = distance(po, ph);
            return std::array<double, 2>{(width / height) / (width0 / height0) - 1,
                                         width / width0 - 1};
        },
        bent.shift);
    u.refusedShare = spread.refusedShare;
    u.indeterminate = u.refusedShare > kIndeterminateShare;
    u.aspectSigma = spread.sigma[0];
    u.scaleSigma = spread.sigma[1];
    return u;
}

}  // namespace vesta
