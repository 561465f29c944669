// The whole construction as one pure function of the clicks: vanishing points, interior
// orientation and frame, evaluated exactly as the construction procedures evaluate them, so
// that it can be repeated on perturbed clicks without touching the working state.
#pragma once

#include <array>
#include <optional>

#include "geometry/Frame.h"
#include "geometry/InteriorOrientation.h"
#include "geometry/LineFit.h"
#include "geometry/Lines.h"
#include "state/ClickPrecision.h"
#include "state/Result.h"
#include "state/WorkingState.h"

namespace vesta {

// Everything the construction reads. Lines 0 and 1 run toward the horizontal vanishing point,
// lines 2 and 3 toward the vertical one; each is given by its two clicked ends.
struct ConstructionClicks {
    std::array<std::array<Point, 2>, 4> lines{};
    // How sure each line end is, photograph pixels, one standard deviation.
    std::array<std::array<double, 2>, 4> sigmas{{{kMouseClickSigma, kMouseClickSigma},
                                                 {kMouseClickSigma, kMouseClickSigma},
                                                 {kMouseClickSigma, kMouseClickSigma},
                                                 {kMouseClickSigma, kMouseClickSigma}}};
    Point principal;
    bool areaDefined = false;
    std::array<Point, 4> area{};  // corners top-left, bottom-left, bottom-right, top-right
    double width = 0, height = 0;
    double grandezza = 1.0;
    std::optional<double> givenDistance;  // principal distance from the focal length
    // Further lines toward each vanishing point, after the four; with any, the points are
    // fitted to every line of their direction.
    std::vector<ClickedSegment> moreHorizontal, moreVertical;

    // One sigma for every line end, whatever view it was clicked at.
    void setClickSigma(double sigma) {
        for (auto& line : sigmas) {
            line = {sigma, sigma};
        }
        for (auto* more : {&moreHorizontal, &moreVertical}) {
            for (ClickedSegment& line : *more) {
                line.sigmas = {sigma, sigma};
            }
        }
    }

    // Every line of one direction (horizontal: the first two, then the further ones), with
    // its sigmas.
    std::vector<ClickedSegment> allLines(bool horizontal) const;

    // The clicks of the working state (rette, centroX/Y, areaCalcolo, picture size, grandezza),
    // each line end as sure as the view it was clicked at, with no given distance.
    static ConstructionClicks from(const WorkingState& s);
};

// The slope of a clicked line from a to b; an exactly vertical line gets the finite slope 90, a
// stand-in the panel and the later steps read as steep, never a division by zero.
double clickedSlope(Point a, Point b);

// Each pair of lines meets at its vanishing point, in point-slope form (clickedSlope). Nothing
// when a pair is parallel or meets beyond any number. Unlike meetingPoint, slopes are refused
// only when exactly equal: two clicked lines that are nearly parallel meet far away, which is
// a vanishing point all the same (the interior orientation then refuses what it cannot use),
// and those that meet beyond any number are caught by the finiteness test.
std::optional<VanishingPoints> vanishingPoints(const std::array<std::array<Point, 2>, 4>& lines);

// The vanishing points the lines give, and how far each line strays from its own (px; the
// two of the four first, then the further ones in their order).
struct FittedVanishingPoints {
    VanishingPoints fughe;
    std::vector<double> residualsH, residualsV;
};

// With the four lines alone, their meeting points as vanishingPoints finds them and no
// residuals. With further lines, each point fitted to all the lines of its direction
// (fitVanishingPoint); with a given principal distance as well, the points of the camera turn
// that fits all lines at once (rotationFittedVanishingPoints), square to each other for that
// distance. Nothing where a point lies at infinity or no fit is found.
std::optional<FittedVanishingPoints> fittedVanishingPoints(const ConstructionClicks& clicks);

// The construction, or the Italian message that says why there is none; without the frame's
// division tables unless asked.
Result<Construction> construction(const ConstructionClicks& clicks, bool divisionTables = false);

// The construction on vanishing points already found (those of the clicked lines), with the
// division tables unless told otherwise; its aspect may be infinite or zero where a measured
// side has no length.
Result<Construction> constructionOn(const VanishingPoints& fughe, const ConstructionClicks& clicks,
                                    bool divisionTables = true);

// Where a point of the photograph falls on the result, as the construction's own lines take
// it: the line from Vv through it meets the side from O toward Vh, and the horizontal measuring
// point carries that onto the line through O parallel to the horizon, where its distance from
// O toward maxB is x; y likewise with Vh, the side toward Vv, the vertical measuring point and
// the line through O square to the horizon. In pixels of the photograph (the size factor left
// out). Nothing where a line is parallel to the one it must meet.
std::optional<Point> resultPosition(const Construction& c, Point source);

// The three corners of the part of the photograph the result shows, on the two sides through
// O: O itself, the end of the side toward Vh (the result's last column) and the end of the
// side toward Vv (its last row).
struct ShownCorners {
    Point o, widthEnd, heightEnd;
};
std::optional<ShownCorners> shownCorners(const Construction& c);

}  // namespace vesta
