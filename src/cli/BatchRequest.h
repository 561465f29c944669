// What a batch run is asked to do: the clicks a user would make, and the choices made in the
// window's menus and fields.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "geometry/RadialLens.h"
#include "state/LensFitSpread.h"

namespace vesta {

struct Click {
    float x = 0;
    float y = 0;
    double viewScale = 1.0;  // of the window the click was made in: how sure it is
};

// A line after the four, toward the horizontal or the vertical vanishing point.
struct ExtraLineClicks {
    bool horizontal = true;
    std::array<Click, 2> ends;
    std::vector<Click> points;  // every point along it, ends too, when given by more than two
};

struct BatchRequest {
    std::string input;
    std::string output;
    Click lines[4][2];  // h1, h2, v1, v2: first and second click each
    // Every point along each of the four, ends too, when it was given by more than two.
    std::array<std::vector<Click>, 4> linePoints;
    std::vector<ExtraLineClicks> extraLines;  // further lines, in the order they are given
    std::optional<Click> centre;              // a principal-point click
    std::optional<Click> area[2];             // the two area clicks
    int sizeSteps = 0;                        // spin steps of 0.1 up from 1.0
    std::optional<double> exactSize;   // the factor to the last bit, from a kept construction
    std::optional<bool> bilinear;      // colour photographs: bilinear (the default) or nearest
    std::optional<double> focal35;     // 35 mm equivalent focal length, mm
    bool focal35FromExif = false;      // --focal35 exif: the one the photograph declares
    std::optional<double> clickSigma;  // one standard deviation of a click, pixels
    bool snap = false;                 // each line drawn onto the photograph's edge beside it
    // True width and height, cm, of the lines' rectangle: rectified by them, no construction
    // needed.
    std::optional<std::array<double, 2>> known;
    // Clockwise quarter turns of the photograph once opened (the clicks are pixels of the
    // turned photograph), and of the result before it is written, from a kept construction.
    int photographTurn = 0;
    int resultTurn = 0;
    // Two points of the result and their real distance in cm (x1, y1, x2, y2, cm): its scale,
    // for the world file beside OUTPUT; it holds over the known measures' scale.
    std::optional<std::array<double, 5>> scalePair;
    // --lens K1: the lens's radial coefficient; every click is taken out of its bend before it
    // is made, unless already taken out (a kept construction's clicks).
    std::optional<double> lensK1;
    bool clicksUndistorted = false;
    // --lens fit: the k1 that makes the lines given by more than two points straightest; a
    // kept construction's fit is replayed as its coefficient, with how straight it left them.
    bool lensFit = false;
    std::optional<double> lensFitRms;
    std::optional<LensFitSpread> lensFitSpread;  // how sure it was, when the record tells
    // --lens exif: the lens database's calibration of the lens the photograph declares; or the
    // one a kept construction names.
    bool lensFromExif = false;
    bool autoLines = false;  // --auto: the lines found in the photograph
    std::optional<LensProfile> lensProfile;
};

}  // namespace vesta
