#include "geometry/LineFit.h"

#include <cmath>

#include "geometry/Lines.h"

namespace vesta {

namespace {

using Vec3 = std::array<double, 3>;
using Mat3 = std::array<Vec3, 3>;

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// One line in the fit's coordinates: its midpoint, the line through an end and the midpoint
// (the numerator of that end's distance is V · q) and its weight.
struct Term {
    Point mid;
    Vec3 q;
    double weight;
};

// Distance of the line's first end from the line through its midpoint and v, in the fit's units.
double endDistance(const Term& t, const Vec3& v, double denominator) {
    return dot(v, t.q) / denominator;
}

double denominatorAt(const Term& t, const Vec3& v) {
    return std::hypot(v[0] - v[2] * t.mid.x, v[1] - v[2] * t.mid.y);
}

}  // namespace

std::array<double, 3> smallestEigenvector(std::array<std::array<double, 3>, 3> a) {
    Mat3 vectors{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (int sweep = 0; sweep < 12; ++sweep) {
        for (int p = 0; p < 2; ++p) {
            for (int q = p + 1; q < 3; ++q) {
                if (a[p][q] == 0) {
                    continue;
                }
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t =
                    (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), s = t * c;
                for (int k = 0; k < 3; ++k) {
                    const double akp = a[k][p], akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (int k = 0; k < 3; ++k) {
                    const double apk = a[p][k], aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
                for (int k = 0; k < 3; ++k) {
                    const double vkp = vectors[k][p], vkq = vectors[k][q];
                    vectors[k][p] = c * vkp - s * vkq;
                    vectors[k][q] = s * vkp + c * vkq;
                }
            }
        }
    }
    int smallest = 0;
    for (int k = 1; k < 3; ++k) {
        if (a[k][k] < a[smallest][smallest]) {
            smallest = k;
        }
    }
    return {vectors[0][smallest], vectors[1][smallest], vectors[2][smallest]};
}

std::optional<VanishingFit> fitVanishingPoint(const std::vector<ClickedSegment>& lines) {
    if (lines.size() < 2) {
        return std::nullopt;
    }
    // Centred on the ends and scaled to unit spread, so that the homogeneous numbers are of one
    // size whatever the photograph's.
    Point centre;
    for (const ClickedSegment& l : lines) {
        centre.x += l.ends[0].x + l.ends[1].x;
        centre.y += l.ends[0].y + l.ends[1].y;
    }
    const double count = 2.0 * double(lines.size());
    centre = {centre.x / count, centre.y / count};
    double spread = 0;
    for (const ClickedSegment& l : lines) {
        for (const Point& p : l.ends) {
            spread += (p.x - centre.x) * (p.x - centre.x) + (p.y - centre.y) * (p.y - centre.y);
        }
    }
    spread = std::sqrt(spread / count);
    if (!(spread > 0) || !std::isfinite(spread)) {
        return std::nullopt;
    }
    std::vector<Term> terms;
    std::vector<double> denominators;
    for (const ClickedSegment& l : lines) {
        const Point a{(l.ends[0].x - centre.x) / spread, (l.ends[0].y - centre.y) / spread};
        const Point b{(l.ends[1].x - centre.x) / spread, (l.ends[1].y - centre.y) / spread};
        const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
        const double half = std::hypot(a.x - mid.x, a.y - mid.y);
        const double variance = (l.sigmas[0] * l.sigmas[0] + l.sigmas[1] * l.sigmas[1]) / 2;
        if (!(half > 0)) {
            return std::nullopt;
        }
        terms.push_back(
            {mid, cross({a.x, a.y, 1}, {mid.x, mid.y, 1}), variance > 0 ? 1 / variance : 1.0});
        denominators.push_back(half);
    }
    Vec3 v{};
    for (int round = 0; round < 30; ++round) {
        Mat3 m{};
        for (std::size_t i = 0; i < terms.size(); ++i) {
            const double scale = terms[i].weight / (denominators[i] * denominators[i]);
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c) {
                    m[r][c] += scale * terms[i].q[r] * terms[i].q[c];
                }
            }
        }
        Vec3 next = smallestEigenvector(m);
        if (dot(next, v) < 0) {
            next = {-next[0], -next[1], -next[2]};
        }
        const double change =
            std::fabs(next[0] - v[0]) + std::fabs(next[1] - v[1]) + std::fabs(next[2] - v[2]);
        v = next;
        for (std::size_t i = 0; i < terms.size(); ++i) {
            // V on a line's own midpoint leaves that line free: it keeps its last measure.
            const double d = denominatorAt(terms[i], v);
            denominators[i] = d > 1e-12 ? d : denominators[i];
        }
        if (change < 1e-15) {
            break;
        }
    }
    VanishingFit fit;
    fit.point = {spread * v[0] + centre.x * v[2], spread * v[1] + centre.y * v[2], v[2]};
    for (std::size_t i = 0; i < terms.size(); ++i) {
        fit.residuals.push_back(std::fabs(endDistance(terms[i], v, denominators[i])) * spread);
    }
    return fit;
}

double residualTo(const ClickedSegment& line, HomogeneousPoint v) {
    return std::fabs(residualSigned(line, v));
}

double residualSigned(const ClickedSegment& line, HomogeneousPoint v) {
    const Point a = line.ends[0], b = line.ends[1];
    const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const Vec3 q = cross({a.x, a.y, 1}, {mid.x, mid.y, 1});
    return dot({v.x, v.y, v.w}, q) / std::hypot(v.x - v.w * mid.x, v.y - v.w * mid.y);
}

std::optional<Point> finitePoint(HomogeneousPoint p) {
    if (p.w == 0) {
        return std::nullopt;
    }
    const Point q{p.x / p.w, p.y / p.w};
    return finite(q) ? std::optional<Point>(q) : std::nullopt;
}

std::vector<bool> strayLines(const std::vector<ClickedSegment>& lines, double floor) {
    std::vector<bool> stray(lines.size(), false);
    if (lines.size() < 4) {
        return stray;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<ClickedSegment> others = lines;
        others.erase(others.begin() + std::ptrdiff_t(i));
        const std::optional<VanishingFit> fit = fitVanishingPoint(others);
        if (!fit) {
            continue;
        }
        double sum = 0;
        for (double r : fit->residuals) {
            sum += r * r;
        }
        // Each point the others fit takes two of their degrees of freedom.
        const double spread = std::sqrt(sum / double(others.size() - 2));
        const double alone = residualTo(lines[i], fit->point);
        stray[i] = alone > 3 * spread && alone > 3 * floor;
    }
    return stray;
}

}  // namespace vesta
