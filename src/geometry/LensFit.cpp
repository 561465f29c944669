#include "geometry/LensFit.h"

#include <cmath>

namespace vesta {

namespace {

// The coefficients tried before the fine search: a step small enough that the straightness,
// smooth in k1, has one minimum between a sample's neighbours.
constexpr double kScanStep = 0.005;
// Below this change of the rms over the whole range (px) the lines do not tell the bend.
constexpr double kLeastSpread = 0.02;
// The step of k1 over which the straightness's curvature is taken: the points' distances from
// their lines are near linear in k1, so the step hardly matters as long as it is not lost in
// rounding.
constexpr double kCurvatureStep = 0.01;

// The fit's own uncertainty: the sum of squared distances is near quadratic in k1 about its
// least, and half its curvature there is the sum of the squared slopes of the distances.
template <typename RmsAt>
LensFit withSpread(LensFit fit, const std::vector<std::vector<Point>>& lines, RmsAt rmsAt) {
    int points = 0, freedom = -1;
    for (const std::vector<Point>& l : lines) {
        if (l.size() > 2) {
            points += int(l.size());
            freedom += int(l.size()) - 2;
        }
    }
    const auto sum = [&](double k1) {
        const double rms = rmsAt(k1);
        return rms * rms * points;
    };
    const double h = kCurvatureStep;
    fit.k1Weight = (sum(fit.k1 + h) - 2 * sum(fit.k1) + sum(fit.k1 - h)) / (2 * h * h);
    if (freedom > 0) {
        fit.pointSigma = std::sqrt(sum(fit.k1) / freedom);
    }
    return fit;
}

}  // namespace

std::optional<FittedLine> fitLine(const std::vector<Point>& points) {
    if (points.size() < 2) {
        return std::nullopt;
    }
    double mx = 0, my = 0;
    for (const Point p : points) {
        mx += p.x;
        my += p.y;
    }
    mx /= double(points.size());
    my /= double(points.size());
    double sxx = 0, sxy = 0, syy = 0;
    for (const Point p : points) {
        sxx += (p.x - mx) * (p.x - mx);
        sxy += (p.x - mx) * (p.y - my);
        syy += (p.y - my) * (p.y - my);
    }
    if (!(sxx + syy > 0)) {
        return std::nullopt;
    }
    // The spread's major axis: the angle that diagonalises the 2x2 scatter matrix.
    const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
    return FittedLine{{mx, my}, {std::cos(angle), std::sin(angle)}};
}

double distanceFrom(const FittedLine& line, Point p) {
    return std::fabs((p.x - line.through.x) * line.direction.y -
                     (p.y - line.through.y) * line.direction.x);
}

std::array<Point, 2> endsOnFittedLine(const std::vector<Point>& points) {
    const std::optional<FittedLine> line = fitLine(points);
    if (!line) {
        return {points.front(), points.back()};
    }
    const auto foot = [&](Point p) {
        const double t = (p.x - line->through.x) * line->direction.x +
                         (p.y - line->through.y) * line->direction.y;
        return Point{line->through.x + t * line->direction.x,
                     line->through.y + t * line->direction.y};
    };
    return {foot(points.front()), foot(points.back())};
}

std::array<double, 2> fittedEndShares(const std::vector<Point>& points) {
    const std::optional<FittedLine> line = fitLine(points);
    if (points.size() < 3 || !line) {
        return {1, 1};
    }
    const auto along = [&](Point p) {
        return (p.x - line->through.x) * line->direction.x +
               (p.y - line->through.y) * line->direction.y;
    };
    double spread = 0;
    for (const Point p : points) {
        spread += along(p) * along(p);
    }
    const double n = double(points.size());
    const auto share = [&](Point end) {
        return std::sqrt(1 / n + along(end) * along(end) / spread);
    };
    return {share(points.front()), share(points.back())};
}

double straightnessRms(const std::vector<std::vector<Point>>& lines, const RadialLens& lens) {
    double sum = 0;
    std::size_t count = 0;
    std::vector<Point> straightened;
    for (const std::vector<Point>& points : lines) {
        if (points.size() < 3) {
            continue;
        }
        straightened.clear();
        for (const Point p : points) {
            straightened.push_back(lens.undistorted(p));
        }
        const std::optional<FittedLine> line = fitLine(straightened);
        for (const Point p : straightened) {
            const double d = line ? distanceFrom(*line, p) : 0;
            sum += d * d;
        }
        count += straightened.size();
    }
    return count == 0 ? 0 : std::sqrt(sum / double(count));
}

Result<LensFit> fitLensK1(const std::vector<std::vector<Point>>& lines, int width, int height) {
    bool anyCurve = false;
    for (const std::vector<Point>& points : lines) {
        anyCurve = anyCurve || points.size() > 2;
    }
    if (!anyCurve) {
        return Result<LensFit>::failure(kLensFitNoPoints);
    }
    const auto rmsAt = [&](double k1) {
        return straightnessRms(lines, RadialLens::ofPhotograph(k1, width, height));
    };
    const int samples = int(std::lround((kLensK1Max - kLensK1Min) / kScanStep));
    int best = 0;
    double bestRms = 0, worstRms = 0;
    for (int i = 0; i <= samples; ++i) {
        const double rms = rmsAt(kLensK1Min + i * kScanStep);
        if (i == 0 || rms < bestRms) {
            best = i;
            bestRms = rms;
        }
        worstRms = i == 0 ? rms : std::max(worstRms, rms);
    }
    if (!(worstRms - bestRms > kLeastSpread)) {
        return Result<LensFit>::failure(kLensFitUninformative);
    }
    // At either end of the range the lines would be straighter still beyond it.
    if (best == 0 || best == samples) {
        return Result<LensFit>::failure(kLensFitImplausible);
    }
    // Golden-section search between the best sample's neighbours.
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    double a = kLensK1Min + (best - 1) * kScanStep, b = kLensK1Min + (best + 1) * kScanStep;
    double c = b - ratio * (b - a), d = a + ratio * (b - a);
    double fc = rmsAt(c), fd = rmsAt(d);
    while (b - a > 1e-9) {
        if (fc < fd) {
            b = d;
            d = c;
            fd = fc;
            c = b - ratio * (b - a);
            fc = rmsAt(c);
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + ratio * (b - a);
            fd = rmsAt(d);
        }
    }
    return Result<LensFit>::success(lensFitAt(lines, width, height, (a + b) / 2));
}

LensFit lensFitAt(const std::vector<std::vector<Point>>& lines, int width, int height, double k1) {
    const auto rmsAt = [&](double k) {
        return straightnessRms(lines, RadialLens::ofPhotograph(k, width, height));
    };
    return withSpread(LensFit{k1, rmsAt(k1), std::nullopt, 0}, lines, rmsAt);
}

}  // namespace vesta
