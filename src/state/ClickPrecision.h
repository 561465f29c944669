// How sure a click on the photograph is, by the view it was made on.
#pragma once

namespace vesta {

// A click lands anywhere in the screen pixel under the pointer: uniform over ±0.5 of it in each
// coordinate, one standard deviation 1 / sqrt(12). At 1:1 a screen pixel is a photograph pixel.
inline constexpr double kMouseClickSigma = 0.28867513459481287;

// The same in photograph pixels for a click on a view of `viewScale` screen pixels per
// photograph pixel: a screen pixel there is 1 / viewScale photograph pixels, so a click in the
// fit view of a large photograph is several pixels unsure and one at 8:1 an eighth of one. The
// magnifier shows the photograph's pixels but moves no click: its point is the one the view
// gives, as sure as the view's pixel.
inline double clickSigmaAt(double viewScale) {
    return viewScale == 1.0 ? kMouseClickSigma : kMouseClickSigma / viewScale;
}

}  // namespace vesta
