// How sure a k1 fitted to the lines is (geometry/LensFit.h: pointSigma, k1Weight).
#pragma once

#include <optional>

namespace vesta {

struct LensFitSpread {
    std::optional<double> pointSigma;
    double k1Weight = 0;
};

}  // namespace vesta
