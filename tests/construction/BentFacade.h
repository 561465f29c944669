// A facade rendered from a known camera and then bent by a radial lens, and the lines a mouse
// gives on the bent picture: what the window's lens commands are measured on.
#pragma once

#include <array>
#include <cmath>
#include <filesystem>

#include "../geometry/FacadeClicks.h"
#include "geometry/RadialLens.h"
#include "image/BitmapFile.h"

namespace vesta::test {

struct BentFacade {
    // The four lines where the straight picture has them (clicks' coordinates), and where a
    // mouse clicks them on the bent one.
    std::array<std::array<Point, 2>, 4> straight, clicked;
};

// The picture a lens of coefficient k1 makes of `straight`: each pixel shows what the straight
// picture shows at its undistorted point.
inline IndexedImage bentPicture(const IndexedImage& straight, double k1) {
    const RadialLens lens = RadialLens::ofPhotograph(k1, straight.width, straight.height);
    IndexedImage out = straight;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const Point u = lens.undistorted({double(x), double(y)});
            const int ux = int(std::lround(u.x)), uy = int(std::lround(u.y));
            const bool inside = ux >= 0 && uy >= 0 && ux < out.width && uy < out.height;
            out.pixels[std::size_t(y) * std::size_t(out.width) + std::size_t(x)] =
                inside ? straight.row(uy)[ux] : 0;
        }
    }
    return out;
}

// Renders `scene`, bends it by k1 (each pixel shows what the straight picture shows at its
// undistorted point) and writes it as a palette bitmap at `path`.
inline BentFacade writeBentFacade(const facade::FacadeScene& scene, double k1,
                                  const std::filesystem::path& path) {
    const IndexedImage out = bentPicture(facade::renderFacade(scene), k1);
    const RadialLens lens = RadialLens::ofPhotograph(k1, out.width, out.height);
    EXPECT_TRUE(writeBitmapFile(path.string(), classicHeader(out.width, out.height), out));
    BentFacade b;
    const ConstructionClicks exact = clicksFor(scene.camera, false).value();
    for (std::size_t i = 0; i < 8; ++i) {
        // The renderer's point is half a pixel on from the clicks' coordinates.
        const Point p = exact.lines[i / 2][i % 2];
        b.straight[i / 2][i % 2] = {p.x - 0.5, p.y - 0.5};
        const Point d = lens.distorted(b.straight[i / 2][i % 2]).value();
        b.clicked[i / 2][i % 2] = {std::round(d.x), std::round(d.y)};
    }
    return b;
}

// How far p lies from the straight line through a and b.
inline double offLine(Point p, Point a, Point b) {
    return std::fabs((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) /
           std::hypot(b.x - a.x, b.y - a.y);
}

}  // namespace vesta::test
