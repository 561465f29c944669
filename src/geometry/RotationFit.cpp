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

// One line's term of the fit: its residual from the vanishing point of its direction under
// the turn (px, over its clicks' sigma) and how it changes with a small turn δ of the camera.
struct Term {
    double residual = 0;
    Vec3 slope{};
};

// The residual is e(V) = V · q / |A V|, q the line through an end and the midpoint m and
// A V = (V.x − V.w m.x, V.y − V.w m.y), so de/dV = q / |A V| − e · Aᵀ A V / |A V|²; V = K c
// with K the camera's matrix, and the column c of R · exp([δ]x) moves by R (δ × e_axis), so
// de/dδ_k = de/dV · K R (e_k × e_axis).
Term termOf(const ClickedSegment& l, const Mat3& r, int axis, Point p, double f) {
    const Vec3 c = column(r, axis);
    const HomogeneousPoint v = imageOf(c, p, f);
    const Point a = l.ends[0], b = l.ends[1];
    const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const Vec3 q = cross({a.x, a.y, 1}, {mid.x, mid.y, 1});
    const double ax = v.x - v.w * mid.x, ay = v.y - v.w * mid.y;
    const double norm2 = ax * ax + ay * ay, norm = std::sqrt(norm2);
    const double sigma = std::sqrt((l.sigmas[0] * l.sigmas[0] + l.sigmas[1] * l.sigmas[1]) / 2);
    const double scale = sigma > 0 ? sigma : 1.0;
    const double e = (v.x * q[0] + v.y * q[1] + v.w * q[2]) / norm;
    const Vec3 dv{(q[0] - e * ax / norm) / norm, (q[1] - e * ay / norm) / norm,
                  (q[2] + e * (ax * mid.x + ay * mid.y) / norm) / norm};
    // de/dc = Kᵀ de/dV.
    const Vec3 dc{f * dv[0], f * dv[1], p.x * dv[0] + p.y * dv[1] + dv[2]};
    Term t;
    t.residual = e / scale;
    for (int k = 0; k < 3; ++k) {
        Vec3 ek{}, ea{};
        ek[std::size_t(k)] = 1;
        ea[std::size_t(axis)] = 1;
        const Vec3 turn = cross(ek, ea);
        Vec3 moved{};
        for (int i = 0; i < 3; ++i) {
            moved[std::size_t(i)] = dot(r[std::size_t(i)], turn);
        }
        t.slope[std::size_t(k)] = dot(dc, moved) / scale;
    }
    return t;
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
    // Gauss-Newton on the turn, each line's slope worked out in closed form.
    for (int step = 0; step < 20; ++step) {
        Mat3 normal{};
        Vec3 rhs{};
        for (int axis = 0; axis < 2; ++axis) {
            for (const ClickedSegment& l : axis == 0 ? horizontal : vertical) {
                const Term t = termOf(l, r, axis, principal, f);
                for (std::size_t a = 0; a < 3; ++a) {
                    for (std::size_t b = 0; b < 3; ++b) {
                        normal[a][b] += t.slope[a] * t.slope[b];
                    }
                    rhs[a] -= t.slope[a] * t.residual;
                }
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
