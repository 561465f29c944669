#include "geometry/RotationFit.h"

#include <cmath>

#include "geometry/Lines.h"

namespace vesta {

namespace {

using Vec3 = std::array<double, 3>;
using Mat3 = std::array<Vec3, 3>;  // rows

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

std::optional<Vec3> unit(const Vec3& a) {
    const double n = std::sqrt(dot(a, a));
    if (!(n > 0) || !std::isfinite(n)) {
        return std::nullopt;
    }
    return Vec3{a[0] / n, a[1] / n, a[2] / n};
}

Vec3 column(const Mat3& r, int c) {
    return {r[0][c], r[1][c], r[2][c]};
}

// exp([δ]x) by Rodrigues' formula.
Mat3 turnBy(const Vec3& d) {
    const double angle = std::sqrt(dot(d, d));
    Mat3 e{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    if (angle == 0) {
        return e;
    }
    const Vec3 k{d[0] / angle, d[1] / angle, d[2] / angle};
    const double s = std::sin(angle), c = 1 - std::cos(angle);
    const Mat3 kx{{{0, -k[2], k[1]}, {k[2], 0, -k[0]}, {-k[1], k[0], 0}}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            double kk = 0;
            for (int m = 0; m < 3; ++m) {
                kk += kx[i][m] * kx[m][j];
            }
            e[i][j] += s * kx[i][j] + c * kk;
        }
    }
    return e;
}

Mat3 times(const Mat3& a, const Mat3& b) {
    Mat3 p{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int m = 0; m < 3; ++m) {
                p[i][j] += a[i][m] * b[m][j];
            }
        }
    }
    return p;
}

// Solves the symmetric 3x3 system a x = b by Cramer's rule; nothing when singular.
std::optional<Vec3> solve(const Mat3& a, const Vec3& b) {
    const double det = dot(a[0], cross(a[1], a[2]));
    if (!(std::fabs(det) > 0) || !std::isfinite(det)) {
        return std::nullopt;
    }
    Vec3 x{};
    for (int c = 0; c < 3; ++c) {
        Mat3 m = a;
        for (int r = 0; r < 3; ++r) {
            m[r][c] = b[r];
        }
        x[std::size_t(c)] = dot(m[0], cross(m[1], m[2])) / det;
    }
    return x;
}

std::optional<Vec3> ray(HomogeneousPoint v, Point p, double f) {
    return unit({v.x - p.x * v.w, v.y - p.y * v.w, f * v.w});
}

// The vanishing point, homogeneous in pixels, of the camera direction r.
HomogeneousPoint imageOf(const Vec3& r, Point p, double f) {
    return {f * r[0] + p.x * r[2], f * r[1] + p.y * r[2], r[2]};
}

// Each line's residual (px, over its clicks' sigma) from the vanishing point of its direction
// under the turn r.
std::vector<double> residuals(const Mat3& r, const std::vector<ClickedSegment>& horizontal,
                              const std::vector<ClickedSegment>& vertical, Point p, double f) {
    std::vector<double> out;
    for (int axis = 0; axis < 2; ++axis) {
        const HomogeneousPoint v = imageOf(column(r, axis), p, f);
        for (const ClickedSegment& l : axis == 0 ? horizontal : vertical) {
            const double sigma =
                std::sqrt((l.sigmas[0] * l.sigmas[0] + l.sigmas[1] * l.sigmas[1]) / 2);
            out.push_back(residualSigned(l, v) / (sigma > 0 ? sigma : 1.0));
        }
    }
    return out;
}

}  // namespace

std::optional<VanishingPoints> rotationFittedVanishingPoints(
    const std::vector<ClickedSegment>& horizontal, const std::vector<ClickedSegment>& vertical,
    HomogeneousPoint vh, HomogeneousPoint vv, Point principal, double f) {
    for (const auto* lines : {&horizontal, &vertical}) {
        for (const ClickedSegment& l : *lines) {
            if (!(distance(l.ends[0], l.ends[1]) > 0)) {
                return std::nullopt;
            }
        }
    }
    const std::optional<Vec3> r1 = ray(vh, principal, f);
    const std::optional<Vec3> v2 = ray(vv, principal, f);
    if (!r1 || !v2) {
        return std::nullopt;
    }
    const double along = dot(*r1, *v2);
    const std::optional<Vec3> r2 = unit(
        {(*v2)[0] - along * (*r1)[0], (*v2)[1] - along * (*r1)[1], (*v2)[2] - along * (*r1)[2]});
    if (!r2) {
        return std::nullopt;
    }
    const Vec3 r3 = cross(*r1, *r2);
    Mat3 r{{{(*r1)[0], (*r2)[0], r3[0]}, {(*r1)[1], (*r2)[1], r3[1]}, {(*r1)[2], (*r2)[2], r3[2]}}};
    // Gauss-Newton on the turn, the Jacobian by central differences of small turns.
    constexpr double kStep = 1e-7;
    for (int step = 0; step < 20; ++step) {
        const std::vector<double> e = residuals(r, horizontal, vertical, principal, f);
        std::array<std::vector<double>, 3> j;
        for (int k = 0; k < 3; ++k) {
            Vec3 d{};
            d[std::size_t(k)] = kStep;
            const std::vector<double> plus =
                residuals(times(r, turnBy(d)), horizontal, vertical, principal, f);
            d[std::size_t(k)] = -kStep;
            const std::vector<double> minus =
                residuals(times(r, turnBy(d)), horizontal, vertical, principal, f);
            for (std::size_t i = 0; i < e.size(); ++i) {
                j[std::size_t(k)].push_back((plus[i] - minus[i]) / (2 * kStep));
            }
        }
        Mat3 normal{};
        Vec3 rhs{};
        for (std::size_t i = 0; i < e.size(); ++i) {
            for (std::size_t a = 0; a < 3; ++a) {
                for (std::size_t b = 0; b < 3; ++b) {
                    normal[a][b] += j[a][i] * j[b][i];
                }
                rhs[a] -= j[a][i] * e[i];
            }
        }
        const std::optional<Vec3> d = solve(normal, rhs);
        if (!d || !std::isfinite((*d)[0] + (*d)[1] + (*d)[2])) {
            return std::nullopt;
        }
        r = times(r, turnBy(*d));
        if (std::fabs((*d)[0]) + std::fabs((*d)[1]) + std::fabs((*d)[2]) < 1e-13) {
            break;
        }
    }
    const auto vanishing = [&](int c) -> std::optional<Point> {
        const Vec3 k = column(r, c);
        const Point p{principal.x + f * k[0] / k[2], principal.y + f * k[1] / k[2]};
        return k[2] != 0 && finite(p) ? std::optional<Point>(p) : std::nullopt;
    };
    const std::optional<Point> h = vanishing(0), v = vanishing(1);
    if (!h || !v) {
        return std::nullopt;
    }
    return VanishingPoints{*h, *v};
}

}  // namespace vesta
