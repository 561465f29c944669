// The lens's radial coefficient found from lines given by more than two points: the k1 that
// makes them straightest. Pure functions of the points, in the photograph's (bent) pixels.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "geometry/RadialLens.h"
#include "state/Result.h"

namespace vesta {

// The straight line nearest a set of points (total least squares): it passes through their
// centroid along the principal direction of their spread.
struct FittedLine {
    Point through;
    Point direction;  // unit
};
// Nothing for fewer than two distinct points.
std::optional<FittedLine> fitLine(const std::vector<Point>& points);
double distanceFrom(const FittedLine& line, Point p);

// The two ends the construction takes for a line given by `points` (in order along it): the
// feet of the first and last on the line fitted to them all, so the inner points count too.
// The first and last as given when the points do not make a line.
std::array<Point, 2> endsOnFittedLine(const std::vector<Point>& points);

// How much of one point's error across its line the ends endsOnFittedLine gives keep, each
// sqrt(1/n + t²/Σt²), t its place along the line from the points' centroid: a line through
// many points is surer at its ends than a single point. 1 for fewer than three points.
std::array<double, 2> fittedEndShares(const std::vector<Point>& points);

// Root mean square (px, in the undistorted plane) of the distances of every point of the lines
// with more than two, taken out of the lens's bend, from the line fitted to its own line's
// points; 0 when no line has more than two.
double straightnessRms(const std::vector<std::vector<Point>>& lines, const RadialLens& lens);

struct LensFit {
    double k1 = 0;
    double rmsPx = 0;  // how straight the lines are once out of the bend
    // How sure k1 is: a point's error across its line (px), the residuals over the freedom left
    // after each line's two parameters and k1 (nothing when none is left), and the sum over the
    // points of the squared change of their distances from their lines per unit of k1 (px²),
    // so that k1's standard deviation is pointSigma / sqrt(k1Weight).
    std::optional<double> pointSigma;
    double k1Weight = 0;
};

// The k1 within the plausible range that minimises straightnessRms for a photograph of
// width x height pixels: every plausible coefficient tried on a fine step, then a golden-section
// search between the best one's neighbours. Refused, with the Italian message, when no line has
// more than two points, when the lines would be straightest beyond the range, or when they tell
// nothing of the bend (lines through the centre stay straight under any k1).
Result<LensFit> fitLensK1(const std::vector<std::vector<Point>>& lines, int width, int height);

// The fit at a coefficient found before (a kept construction's): how straight it leaves the
// lines and how sure it is, as fitLensK1 states them at its least.
LensFit lensFitAt(const std::vector<std::vector<Point>>& lines, int width, int height, double k1);

inline constexpr const char* kLensFitNoPoints =
    "Per correggere la distorsione dalle rette serve almeno una retta data con più di due punti.";
inline constexpr const char* kLensFitImplausible =
    "Le rette non si raddrizzano con una distorsione plausibile dell'obiettivo: controllare i "
    "punti lungo le rette.";
inline constexpr const char* kLensFitUninformative =
    "Le rette date non dicono la distorsione dell'obiettivo: servono punti lungo rette lontane "
    "dal centro della fotografia.";

}  // namespace vesta
