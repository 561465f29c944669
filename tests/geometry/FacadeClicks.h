// The clicks a user makes on a photograph rendered from a known camera, and the same clicks
// made through the window's procedures.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <random>
#include <utility>

#include "Fakes.h"
#include "construction/Commands.h"
#include "facade/FacadeRenderer.h"
#include "geometry/Construction.h"
#include "geometry/KnownMeasures.h"
#include "geometry/Uncertainty.h"
#include "state/IndexedImage.h"

namespace vesta::test {

// A mouse reports the pixel under the pointer. Its number is the pixel's left (top) edge in
// the renderer's coordinates, where its centre lies half a pixel further on.
inline Point mouse(facade::ImagePoint p) {
    return {std::floor(p.x), std::floor(p.y)};
}

// A point of the renderer as the clicks' coordinates give it exactly: half a pixel before.
template <class P>
Point exact(P p) {
    return {p.x - 0.5, p.y - 0.5};
}

// The line between the two ends, clicked.
inline void clickLine(Context& ctx, const std::array<Point, 2>& l) {
    clickLine(ctx, float(l[0].x), float(l[0].y), float(l[1].x), float(l[1].y));
}

// The clicks with the area from (left, top) to (right, bottom), its corners in the order the
// area's second click leaves them.
inline ConstructionClicks withArea(ConstructionClicks c, double left, double top, double right,
                                   double bottom) {
    c.areaDefined = true;
    c.area = {Point{left, top}, Point{left, bottom}, Point{right, bottom}, Point{right, top}};
    return c;
}

// The cornice bottom, the string-course top and the two facade edges a little inside their
// ends, the area inside the facade rectangle 100..1100 x 80..820, the camera's principal point:
// exact, or as a mouse gives them (in the clicks' coordinates, see mouse()). Nothing when a click
// would fall outside the photograph.
inline std::optional<ConstructionClicks> clicksFor(const facade::PinholeCamera& cam,
                                                   bool floored = true) {
    const auto inImage = [&](facade::ImagePoint p) {
        return 1 <= p.x && p.x < cam.width - 1 && 1 <= p.y && p.y < cam.height - 1;
    };
    const auto clicked = [&](facade::ImagePoint p) { return floored ? mouse(p) : Point{p.x, p.y}; };
    ConstructionClicks c;
    const facade::FacadeLayout layout = facade::standardFacade();
    std::size_t k = 0;
    for (const char* name : {"cornice-bottom", "string-course-top", "left", "right"}) {
        const facade::ReferenceEdge e = facade::referenceEdge(layout, name);
        std::size_t end = 0;
        for (double t : {0.04, 0.96}) {
            const facade::FacadePoint f{e.from.u + t * (e.to.u - e.from.u),
                                        e.from.v + t * (e.to.v - e.from.v)};
            const facade::ImagePoint p = facade::projectFacadePoint(cam, f);
            if (!inImage(p)) {
                return std::nullopt;
            }
            c.lines[k][end++] = clicked(p);
        }
        ++k;
    }
    const auto at = [&](double u, double v) { return facade::projectFacadePoint(cam, {u, v}); };
    // The box inside the rectangle's picture, however the photograph is turned: between its
    // second and third corner from the left, and from the top.
    std::array<double, 4> xs, ys;
    std::size_t i = 0;
    for (const facade::ImagePoint p : {at(100, 820), at(100, 80), at(1100, 80), at(1100, 820)}) {
        xs[i] = p.x;
        ys[i++] = p.y;
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    const facade::ImagePoint from{xs[1], ys[1]}, to{xs[2], ys[2]};
    if (!inImage(from) || !inImage(to)) {
        return std::nullopt;
    }
    c.width = cam.width;
    c.height = cam.height;
    const double half = floored ? 0.5 : 0;
    c.principal = Point{cam.principal.x - half, cam.principal.y - half};
    return withArea(c, clicked(from).x, clicked(from).y, clicked(to).x, clicked(to).y);
}

// A camera turned by yaw, pitch and roll that looks at the facade point (600, aimV) from as
// near as lets every click fall inside the photograph.
inline std::optional<facade::PinholeCamera> aimedCamera(double yaw, double pitch, double roll,
                                                        double focal, double aimV) {
    facade::PinholeCamera cam;
    cam.focal = focal;
    cam.yaw = yaw;
    cam.pitch = pitch;
    cam.roll = roll;
    const facade::CameraAxes axes = facade::cameraAxes(cam);
    for (double d = 500; d < 20000; d *= 1.05) {
        cam.position = {600 - d * axes.forward.x, aimV - d * axes.forward.y, -d * axes.forward.z};
        if (clicksFor(cam)) {
            return cam;
        }
    }
    return std::nullopt;
}

// The window made for the photograph, its principal point placed, the four lines clicked.
inline void clickLines(FakeApp& app, const ConstructionClicks& c) {
    Form_Load(app.ctx, screen1024x768());
    WorkingState& s = app.ctx.s;
    s.larghezzaPic1 = float(c.width);
    s.altezzaPic1 = float(c.height);
    s.centroX = c.principal.x;
    s.centroY = c.principal.y;
    for (const auto& line : c.lines) {
        clickLine(app.ctx, line);
    }
}

// Where the camera saw a point of the photograph (clicks' coordinates, see mouse()) on the facade.
inline facade::FacadePoint onFacade(const facade::PinholeCamera& cam, Point p) {
    const std::optional<facade::FacadePoint> q = facade::imageToFacade(cam, {p.x + 0.5, p.y + 0.5});
    EXPECT_TRUE(q.has_value());
    return q.value_or(facade::FacadePoint{});
}

// Width over height, on the facade, of the part of it the construction's result shows, its
// corners first carried by `straight` onto the camera's own picture (out of a lens's bend).
template <class Straight>
double shownAspect(const facade::PinholeCamera& cam, const Construction& c, Straight straight) {
    const std::optional<ShownCorners> shown = shownCorners(c);
    EXPECT_TRUE(shown.has_value());
    if (!shown) {
        return 0;
    }
    const facade::FacadePoint o = onFacade(cam, straight(shown->o)),
                              w = onFacade(cam, straight(shown->widthEnd)),
                              h = onFacade(cam, straight(shown->heightEnd));
    return std::hypot(w.u - o.u, w.v - o.v) / std::hypot(h.u - o.u, h.v - o.v);
}

inline double shownAspect(const facade::PinholeCamera& cam, const Construction& c) {
    return shownAspect(cam, c, [](Point p) { return p; });
}

// How far the result's own width over height is from what it shows of the facade.
inline double aspectError(const facade::PinholeCamera& cam, const Construction& c) {
    return c.aspect / shownAspect(cam, c) - 1;
}

// How far a result by known measures is from what it shows of the facade: its width over
// height, and its scale; its corners carried by `straight` as for shownAspect.
template <class Straight>
std::array<double, 2> knownMeasuresErrors(const facade::PinholeCamera& cam,
                                          const KnownMeasuresFrame& k, Straight straight) {
    const auto at = [&](double x, double y) {
        return onFacade(cam, straight(k.outputToSource.apply({x, y})));
    };
    const facade::FacadePoint o = at(0, 0), w = at(k.largOut, 0), h = at(0, k.altOut);
    const double width = std::hypot(w.u - o.u, w.v - o.v);
    return {double(k.largOut) / k.altOut / (width / std::hypot(h.u - o.u, h.v - o.v)) - 1,
            k.cmPerPixel / (width / k.largOut) - 1};
}

// A uniform number from a to b off the fixed generator's top 53 bits.
inline double uniform(std::mt19937_64& gen, double a, double b) {
    return a + (b - a) * double(gen() >> 11) * 0x1.0p-53;
}

// A gaussian from the fixed generator (Box-Muller on its top 53 bits).
inline double gaussian(std::mt19937_64& gen) {
    const double u = (double(gen() >> 11) + 0.5) * 0x1.0p-53;
    const double v = double(gen() >> 11) * 0x1.0p-53;
    return std::sqrt(-2 * std::log(u)) * std::cos(2 * 3.14159265358979323846 * v);
}

// The true errors of the proportions and of the principal distance over a sweep of cameras,
// each over the sigma stated for it: honest when their rms lies between 0.8 and 1.25, nine in
// ten lie within two sigma and none beyond five.
struct SigmaHonesty {
    double squares = 0, worst = 0, worstDistance = 0;
    int count = 0, withinTwo = 0;

    void add(const facade::PinholeCamera& cam, const Construction& c, double aspectError,
             const ProportionUncertainty& u) {
        const double error = std::fabs(aspectError) / u.aspectSigma;
        squares += error * error;
        withinTwo += error <= 2;
        worst = std::max(worst, error);
        worstDistance = std::max(
            worstDistance, std::fabs(c.orientation.distanzaPrinc - cam.focal) / u.distanceSigma);
        ++count;
    }
    void expectHonest(int atLeast) const {
        EXPECT_GE(count, atLeast);
        EXPECT_GT(std::sqrt(squares / count), 0.8);
        EXPECT_LT(std::sqrt(squares / count), 1.25);
        EXPECT_GE(withinTwo, 0.9 * count);
        EXPECT_LE(worst, 5);
        EXPECT_LE(worstDistance, 5);
    }
};

// A camera of a sweep of every kind of shot: of each three the first near-frontal, the second
// level.
inline facade::PinholeCamera sweepCamera(std::mt19937_64& gen, int n) {
    double yaw = uniform(gen, -40, 40), pitch = uniform(gen, -4, 18);
    const double roll = uniform(gen, -3, 3), focal = uniform(gen, 560, 1200);
    const double aim = uniform(gen, 300, 600);
    if (n % 3 == 0) {
        yaw = uniform(gen, -4, 4);
    } else if (n % 3 == 1) {
        pitch = uniform(gen, -2, 2);
    }
    return aimedCamera(yaw, pitch, roll, focal, aim).value();
}

// The camera that took the photograph turned clockwise by `quarters` quarter turns: the same
// photograph turned, as a camera held sideways or an editor gives it.
inline facade::PinholeCamera turned(facade::PinholeCamera cam, int quarters) {
    for (int i = 0; i < quarters; ++i) {
        cam.principal = {cam.height - cam.principal.y, cam.principal.x};
        std::swap(cam.width, cam.height);
        cam.roll += 90;
    }
    return cam;
}

// The standard facade without the two upper windows of its left column, so that a mirror image
// of it differs from it.
inline facade::FacadeLayout lopsidedFacade() {
    facade::FacadeLayout layout = facade::standardFacade();
    std::erase_if(layout.windows,
                  [](const facade::FacadeRect& w) { return w.left < 200 && w.bottom > 300; });
    return layout;
}

// How a result shows the facade.
enum class Shown { Upright, HalfTurned, MirroredLeftRight, UpsideDownMirrored };

// Which way a palette result shows the part `box` of the facade it covers: of the four ways,
// the one in which most of a grid of its pixels hold the facade's own colour at their place;
// and how many more than in the next best (a share of the grid).
inline std::pair<Shown, double> shownWay(const IndexedImage& result,
                                         const facade::FacadeLayout& layout,
                                         facade::FacadeRect box) {
    std::array<int, 4> hits{};
    for (int j = 0; j < 60; ++j) {
        for (int i = 0; i < 80; ++i) {
            const int x = (2 * i + 1) * result.width / 160, y = (2 * j + 1) * result.height / 120;
            const double fx = (x + 0.5) / result.width, fy = (y + 0.5) / result.height;
            const std::uint8_t got = result.row(y)[x];
            for (std::size_t way = 0; way < 4; ++way) {
                const bool acrossTurned = way == 1 || way == 2, upTurned = way == 1 || way == 3;
                const double u =
                    acrossTurned ? box.right - fx * box.width() : box.left + fx * box.width();
                const double v =
                    upTurned ? box.bottom + fy * box.height() : box.top - fy * box.height();
                hits[way] += got == facade::facadeColour(layout, {u, v});
            }
        }
    }
    std::array<int, 4> order{0, 1, 2, 3};
    std::sort(order.begin(), order.end(), [&](int a, int b) { return hits[a] > hits[b]; });
    return {Shown(order[0]), (hits[order[0]] - hits[order[1]]) / (80 * 60.0)};
}

// Area, then its two corners.
inline void clickArea(FakeApp& app, const ConstructionClicks& c) {
    RETTANG3(app.ctx);
    click(app.ctx, float(c.area[0].x), float(c.area[0].y));
    click(app.ctx, float(c.area[2].x), float(c.area[2].y));
}

}  // namespace vesta::test
