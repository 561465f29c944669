#include "geometry/RadialLens.h"

#include <algorithm>
#include <cmath>

namespace vesta {

bool plausibleLensK1(double k1) {
    return k1 >= kLensK1Min && k1 <= kLensK1Max;
}

RadialLens RadialLens::ofPhotograph(double k1, int width, int height) {
    RadialLens lens;
    lens.k1 = k1;
    lens.centre = {(width - 1) / 2.0, (height - 1) / 2.0};
    lens.halfDiagonal = std::max(0.5, std::hypot(double(width), double(height)) / 2);
    return lens;
}

Point RadialLens::undistorted(Point d) const {
    const double x = (d.x - centre.x) / halfDiagonal, y = (d.y - centre.y) / halfDiagonal;
    const double f = 1 + k1 * (x * x + y * y);
    return {centre.x + (d.x - centre.x) * f, centre.y + (d.y - centre.y) * f};
}

std::optional<Point> RadialLens::distorted(Point u) const {
    const double x = (u.x - centre.x) / halfDiagonal, y = (u.y - centre.y) / halfDiagonal;
    const double ru = std::hypot(x, y);
    if (!std::isfinite(ru)) {
        return std::nullopt;
    }
    if (ru == 0 || k1 == 0) {
        return u;
    }
    // rd + k1·rd³ = ru. Its slope 1 + 3·k1·rd² stays positive for k1 ≥ 0; for k1 < 0 it
    // vanishes at rd² = −1/(3·k1), where the bend turns back: beyond the value it reaches there
    // two photograph points would fold onto one.
    if (k1 < 0) {
        const double rTurn = std::sqrt(-1 / (3 * k1));
        if (ru >= rTurn * (1 + k1 * rTurn * rTurn)) {
            return std::nullopt;
        }
    }
    // From rd = ru Newton's steps approach the root from one side only (the function is
    // convex there for k1 > 0 and concave below its turn for k1 < 0), a few for any point of
    // the photograph.
    double rd = ru;
    for (int i = 0; i < 50; ++i) {
        const double slope = 1 + 3 * k1 * rd * rd;
        if (!(slope > 0)) {
            return std::nullopt;
        }
        const double step = (rd + k1 * rd * rd * rd - ru) / slope;
        rd -= step;
        if (std::fabs(step) <= 1e-15 * ru) {
            const double s = rd / ru;
            return Point{centre.x + (u.x - centre.x) * s, centre.y + (u.y - centre.y) * s};
        }
    }
    return std::nullopt;
}

}  // namespace vesta
