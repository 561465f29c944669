// The scale at which a picture fits a part of the window.
#pragma once

#include <algorithm>

namespace vesta {

// The largest scale, screen pixels per picture pixel, at which a picture of width x height
// fits a region of regionWidth x regionHeight; never above 1, since fitting only reduces.
inline double fittingScale(double width, double height, double regionWidth, double regionHeight) {
    if (width <= 0 || height <= 0 || regionWidth <= 0 || regionHeight <= 0) {
        return 1.0;
    }
    return std::min({1.0, regionWidth / width, regionHeight / height});
}

}  // namespace vesta
