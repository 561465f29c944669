// How sure the construction's proportions are: how much the principal distance and the
// width:height ratio of the result move when the clicked line ends move within the error of
// the clicks. The figure is the same for the same clicks, every time and on every build.
#pragma once

#include "geometry/Construction.h"
#include "geometry/RadialLens.h"
#include "state/ClickPrecision.h"

namespace vesta {

// Past this share of perturbed clicks that admit no construction, the ratio is indeterminate.
inline constexpr double kIndeterminateShare = 0.10;

// Perturbed constructions behind one figure: the sigma itself is then known within about 3%,
// in about half a millisecond (bench/ProportionsBench.cpp).
inline constexpr int kUncertaintySamples = 500;

struct ProportionUncertainty {
    double distanceSigma = 0;  // principal distance, pixels, one standard deviation
    double aspectSigma = 0;    // width:height of the result, relative, one standard deviation
    double refusedShare = 0;   // share of perturbed clicks with no construction
    bool indeterminate = false;
};

// A fixed-seed Monte Carlo through the construction itself: each of the eight line ends moves
// uniformly within ±sqrt(3)·σ in x and in y, σ its own (`ConstructionClicks::sigmas`), and
// the construction is made again. The
// spreads are the sizes within which 68.27% of the deviations from the unperturbed figures
// stay (one sigma of a normal spread, robust to the few perturbations that carry a far
// vanishing point across infinity), so a perturbed mean that drifts away counts too. The principal
// point and the area are not perturbed: the first is a choice, not a click, and moving the area
// moves the truth the result is compared with along with the result. Indeterminate when the
// unperturbed clicks have no construction or when more than kIndeterminateShare of the perturbed
// ones have none, or when a σ is not a number of pixels (negative, infinite or NaN). With more than
// two lines a direction, the clicks' error is first estimated from how far the lines stray from
// their fitted points (residualClickError), and no click is taken surer than that.
//
// With a lens's bend fitted to the lines (`bend`), the fitted k1 is itself unsure: each
// perturbation also draws a k1 error of the fit's standard deviation (a gaussian off the same
// generator) and moves every line end as taking the photograph's point out of that other bend
// would. A point's error is then the fit's own (never below the clicks' σ), k1's deviation
// that error over the fit's weight, and a line end's that error times its share (the ends of a
// line given by more points, fittedEndShares, keep less of it; 1 for a line of two, in the order
// of `ConstructionClicks::lines` and of its further lines). A typed or database bend is the
// user's choice: given as nothing.
struct FittedBend {
    RadialLens lens;                   // the bend fitted, in the clicks' coordinates
    std::optional<double> pointSigma;  // LensFit::pointSigma
    double k1Weight = 0;               // LensFit::k1Weight
    std::array<std::array<double, 2>, 4> endShares{{{1, 1}, {1, 1}, {1, 1}, {1, 1}}};
    std::vector<std::array<double, 2>> moreHorizontalShares, moreVerticalShares;
};
ProportionUncertainty proportionUncertainty(const ConstructionClicks& clicks,
                                            const std::optional<FittedBend>& bend = std::nullopt);

// One standard deviation of a click across its line, px, from the residuals of the fitted
// vanishing points of the directions with more than two lines: the sum of 2·r² over their
// lines, over their lines less two each. Nothing when no direction has more than two.
std::optional<double> residualClickError(const ConstructionClicks& clicks);

struct KnownMeasuresUncertainty {
    double aspectSigma = 0;   // width:height of the result, relative, one standard deviation
    double scaleSigma = 0;    // centimetres per pixel, relative, one standard deviation
    double refusedShare = 0;  // share of perturbed clicks with no frame
    bool indeterminate = false;
};

// The same for the known measures: the line ends move as above, and the part of the photograph
// the result shows, carried onto the rectangle's plane by each perturbed mapping, gives the
// width:height and the scale that mapping would give it. With a fitted bend, its corners move
// by each drawn k1 error as the line ends do: the same pixels of the photograph, taken out of
// that other bend (held fixed, they made the scale's sigma twice its error, as the lines' move
// outward with k1 is the area's too). The measures themselves are taken as exact: their own
// error is the user's to know.
KnownMeasuresUncertainty knownMeasuresUncertainty(
    const ConstructionClicks& clicks, double widthCm, double heightCm,
    const std::optional<FittedBend>& bend = std::nullopt);

}  // namespace vesta
