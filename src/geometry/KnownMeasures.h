// Rectification by known measures: the four lines bound a rectangle of the facade whose true
// width and height the user knows, and the exact projective mapping of its photograph onto a
// rectangle of those proportions rectifies the whole plane. The proportions then depend on
// neither the principal point nor how far the vanishing points lie.
#pragma once

#include <array>

#include "geometry/Construction.h"
#include "geometry/Homography.h"
#include "state/Result.h"

namespace vesta {

// Output coordinates are pixels of the rectified image (pixel (c, r) covers [c, c + 1) ×
// [r, r + 1), y downwards, the facade's top at row 0); source coordinates are those of the
// clicks.
struct KnownMeasuresFrame {
    // The four crossings in the photograph: top-left, top-right, bottom-right, bottom-left.
    std::array<Point, 4> corners;
    Homography rectangleToSource;  // centimetres of the known rectangle (its top-left at 0, 0)
    Homography outputToSource;     // output pixel coordinates
    int largOut = 0, altOut = 0;
    double cmPerPixel = 0;  // the scale of the result, the same across and along
    // Source points outside this box (the chosen area, bounds included) show nothing.
    double clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;

    // The source points of the centres of output row `row`, largOut of each. Along a row the
    // numerators and the denominator change by a constant step, but each point is evaluated
    // whole, so a point does not depend on the ones before it.
    void sourcePointsOfRow(int row, double* sx, double* sy) const;
};

// The frame over the chosen area (the whole photograph one pixel inside its border when no
// area is defined): the area's corners carried onto the rectangle's plane, their bounding box
// as the output. The scale makes the output's pixels over the area as many as the area's own
// pixels, each side divided by the size factor as the construction's sides are; so a larger
// grandezza gives a smaller image, as it does there.
//
// Refused, with the Italian message, when a measure is not above zero, a horizontal and a
// vertical line are parallel, three crossings are in line or the quadrilateral is not convex,
// the area reaches the line the mapping sends to infinity, or a side is beyond a bitmap's.
Result<KnownMeasuresFrame> knownMeasuresFrame(const ConstructionClicks& clicks, double widthCm,
                                              double heightCm);

}  // namespace vesta
