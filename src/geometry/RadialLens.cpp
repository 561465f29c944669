#include "geometry/RadialLens.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vesta {

namespace {

// The database's distorted radius over the undistorted one, g(ru).
double radiusFactor(LensModel model, const std::array<double, 3>& t, double r) {
    switch (model) {
        case LensModel::Poly3:
            return 1 - t[0] + t[0] * r * r;
        case LensModel::Poly5:
            return 1 + t[0] * r * r + t[1] * r * r * r * r;
        case LensModel::PtLens:
            return ((t[0] * r + t[1]) * r + t[2]) * r + 1 - t[0] - t[1] - t[2];
        case LensModel::RadialK1:
            break;
    }
    return 1;
}

// The slope of ru·g(ru), the distorted radius itself.
double radiusSlope(LensModel model, const std::array<double, 3>& t, double r) {
    switch (model) {
        case LensModel::Poly3:
            return 1 - t[0] + 3 * t[0] * r * r;
        case LensModel::Poly5:
            return 1 + 3 * t[0] * r * r + 5 * t[1] * r * r * r * r;
        case LensModel::PtLens:
            return ((4 * t[0] * r + 3 * t[1]) * r + 2 * t[2]) * r + 1 - t[0] - t[1] - t[2];
        case LensModel::RadialK1:
            break;
    }
    return 1;
}

// Radii beyond this many units lie far outside any photograph the calibration was made for.
constexpr double kFarthestRadius = 16;

// The first radius where the bend's slope reaches zero: stepped in 1/512 of a unit, then halved
// to the last bit. The slope is a polynomial of low degree, so no root hides between steps of
// that size for the coefficients a lens has.
double foldOf(LensModel model, const std::array<double, 3>& t) {
    constexpr double step = 1.0 / 512;
    if (!(radiusSlope(model, t, 0) > 0)) {
        return 0;
    }
    for (int i = 0; i < int(kFarthestRadius / step); ++i) {
        const double lo = i * step;
        double hi = lo + step;
        if (radiusSlope(model, t, hi) > 0) {
            continue;
        }
        double good = lo;
        for (int i = 0; i < 60; ++i) {
            const double mid = (good + hi) / 2;
            (radiusSlope(model, t, mid) > 0 ? good : hi) = mid;
        }
        return good;
    }
    return std::numeric_limits<double>::infinity();
}

}  // namespace

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

RadialLens RadialLens::ofProfile(const LensProfile& p, int width, int height) {
    RadialLens lens;
    lens.model = p.model;
    lens.terms = p.terms;
    // The database's unit is half the calibration sensor's shorter side. Crop factors compare
    // sensor diagonals, so the photograph's half shorter side is brought to its half diagonal,
    // scaled by the crop factors to the calibration sensor's, and back to that sensor's half
    // shorter side. The image's sides, and so its aspect, count from its first pixel's centre to
    // its last's.
    const double w = std::max(2, width), h = std::max(2, height);
    const double shortSide = std::min(w, h), aspect = (std::max(w, h) - 1) / (shortSide - 1);
    const double toCalibration = std::sqrt(p.calibrationAspect * p.calibrationAspect + 1) /
                                 std::sqrt(aspect * aspect + 1) * p.calibrationCrop / p.cameraCrop;
    const double halfShort = (shortSide - 1) / 2;
    lens.unit = halfShort / toCalibration;
    lens.centre = {(w - 1) / 2 + p.centreX * halfShort, (h - 1) / 2 + p.centreY * halfShort};
    lens.halfDiagonal = std::max(0.5, std::hypot(w, h) / 2);
    lens.foldRadius = foldOf(p.model, p.terms);
    return lens;
}

bool RadialLens::bendsWholePhotograph(int width, int height) const {
    if (model == LensModel::RadialK1) {
        return true;
    }
    if (!(unit > 0) || !std::isfinite(unit)) {
        return false;
    }
    const double reach = std::isfinite(foldRadius)
                             ? foldRadius * radiusFactor(model, terms, foldRadius)
                             : std::numeric_limits<double>::infinity();
    for (const Point corner : {Point{-0.5, -0.5}, Point{width - 0.5, -0.5},
                               Point{-0.5, height - 0.5}, Point{width - 0.5, height - 0.5}}) {
        if (!(std::hypot(corner.x - centre.x, corner.y - centre.y) / unit < reach)) {
            return false;
        }
    }
    return true;
}

std::optional<RadialLens> photographLens(const std::optional<double>& k1,
                                         const std::optional<LensProfile>& profile, int width,
                                         int height) {
    if (profile) {
        return RadialLens::ofProfile(*profile, width, height);
    }
    if (k1) {
        return RadialLens::ofPhotograph(*k1, width, height);
    }
    return std::nullopt;
}

Point RadialLens::undistorted(Point d) const {
    if (model != LensModel::RadialK1) {
        // ru·g(ru) = rd for ru, by Newton's steps kept inside a bracket that halves when a
        // step would leave it; beyond the fold's reach the radius simply grows on.
        const double rd = std::hypot(d.x - centre.x, d.y - centre.y) / unit;
        if (!(rd > 0) || !std::isfinite(rd)) {
            return d;
        }
        const double hiLimit = std::min(foldRadius, kFarthestRadius);
        const double reach = hiLimit * radiusFactor(model, terms, hiLimit);
        double ru = 0;
        if (rd >= reach) {
            ru = hiLimit + (rd - reach);
        } else {
            double lo = 0, hi = hiLimit;
            ru = std::min(rd, hi);
            for (int i = 0; i < 200; ++i) {
                const double f = ru * radiusFactor(model, terms, ru) - rd;
                (f > 0 ? hi : lo) = ru;
                double next = ru - f / radiusSlope(model, terms, ru);
                if (!(next > lo && next < hi)) {
                    next = (lo + hi) / 2;
                }
                const bool settled = std::fabs(next - ru) <= 1e-15 * rd;
                ru = next;
                if (settled) {
                    break;
                }
            }
        }
        const double s = ru / rd;
        return {centre.x + (d.x - centre.x) * s, centre.y + (d.y - centre.y) * s};
    }
    const double x = (d.x - centre.x) / halfDiagonal, y = (d.y - centre.y) / halfDiagonal;
    const double f = 1 + k1 * (x * x + y * y);
    return {centre.x + (d.x - centre.x) * f, centre.y + (d.y - centre.y) * f};
}

std::optional<Point> RadialLens::distorted(Point u) const {
    if (model != LensModel::RadialK1) {
        const double ru = std::hypot(u.x - centre.x, u.y - centre.y) / unit;
        if (!(ru < foldRadius) || !(ru < kFarthestRadius)) {
            return std::nullopt;
        }
        const double s = radiusFactor(model, terms, ru);
        return Point{centre.x + (u.x - centre.x) * s, centre.y + (u.y - centre.y) * s};
    }
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
