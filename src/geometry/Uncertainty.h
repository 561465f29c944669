// How sure the construction's proportions are: how much the principal distance and the
// width:height ratio of the result move when the clicked line ends move within the error of
// the clicks. The figure is the same for the same clicks, every time and on every build.
#pragma once

#include "geometry/Construction.h"
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
ProportionUncertainty proportionUncertainty(const ConstructionClicks& clicks);

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
// width:height and the scale that mapping would give it. The measures themselves are taken as
// exact: their own error is the user's to know.
KnownMeasuresUncertainty knownMeasuresUncertainty(const ConstructionClicks& clicks, double widthCm,
                                                  double heightCm);

}  // namespace vesta
