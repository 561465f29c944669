// The synthetic photographs are the ground truth of later rectification tests, so their camera
// geometry and the pixels actually rendered must agree to the pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "facade/FacadeRenderer.h"
#include "image/BitmapFile.h"

namespace vesta::facade {
namespace {

// Along a row of pixels across a projected edge, the pixels wholly on one side carry that
// side's colour exactly; only the pixels the edge passes through may be blends. The rolled
// sample's edges slant both ways.
TEST(RenderedSample, EdgesFallBetweenThePixelsTheyProjectTo) {
    const FacadeScene s = samples::rolled();
    const IndexedImage image = renderFacade(s);
    const PinholeCamera& c = s.camera;
    const FacadeLayout& f = s.facade;
    const auto wall = [](std::uint8_t p) {
        return p == kBrickA || p == kBrickB || p == kBrickC || p == kMortar;
    };

    // The facade's sides, seen along a row at the height of the first floor: neighbour plaster
    // outside, brick inside.
    for (const auto& [name, outside] :
         {std::pair{"left", kLeftNeighbour}, std::pair{"right", kRightNeighbour}}) {
        SCOPED_TRACE(name);
        const ReferenceEdge edge = referenceEdge(f, name);
        const ImageSegment e = projectEdge(c, edge);
        const int row = int(std::floor(projectFacadePoint(c, {edge.from.u, 450}).y));
        // Where the edge crosses the top and the bottom of this pixel row.
        auto xAt = [&](double y) {
            return e.from.x + (e.to.x - e.from.x) * (y - e.from.y) / (e.to.y - e.from.y);
        };
        const double lo = std::min(xAt(row), xAt(row + 1));
        const double hi = std::max(xAt(row), xAt(row + 1));
        // The last pixel ending at or before lo, the first starting at or after hi.
        const std::uint8_t left = image.row(row)[int(std::floor(lo)) - 1];
        const std::uint8_t right = image.row(row)[int(std::ceil(hi))];
        const bool leftEdge = std::string(name) == "left";
        EXPECT_EQ(leftEdge ? left : right, outside);
        EXPECT_TRUE(wall(leftEdge ? right : left)) << int(leftEdge ? right : left);
    }

    // The cornice's lower edge, seen down a column at the middle of the facade: the shadow band
    // above, brick below.
    const ImageSegment e = projectEdge(c, referenceEdge(f, "cornice-bottom"));
    const ImagePoint mid = projectFacadePoint(c, {f.width / 2, f.corniceBottom});
    const int col = int(std::floor(mid.x));
    auto yAt = [&](double x) {
        return e.from.y + (e.to.y - e.from.y) * (x - e.from.x) / (e.to.x - e.from.x);
    };
    const double top = std::min(yAt(col), yAt(col + 1));
    const double bottom = std::max(yAt(col), yAt(col + 1));
    EXPECT_EQ(image.row(int(std::floor(top)) - 1)[col], kShadow);
    const std::uint8_t below = image.row(int(std::ceil(bottom)))[col];
    EXPECT_TRUE(wall(below)) << int(below);
}

#ifdef VESTA_SAMPLES_DIR
// The committed photographs must be what the renderer makes today, or their notes lie.
TEST(CommittedSamples, MatchTheRenderer) {
    const std::pair<const char*, FacadeScene> files[] = {
        {"facciata_centrata.bmp", samples::centred()},
        {"facciata_ruotata.bmp", samples::rolled()},
        {"facciata_grande.bmp", samples::large()},
        {"facciata_livellata.bmp", samples::level()},
    };
    for (const auto& [file, scene] : files) {
        SCOPED_TRACE(file);
        const auto read = readSourceBitmap(std::string(VESTA_SAMPLES_DIR) + "/" + file);
        ASSERT_TRUE(read.ok()) << read.error();
        const IndexedImage& stored = read.value().image;
        const IndexedImage fresh = renderFacade(scene);
        ASSERT_EQ(stored.width, fresh.width);
        ASSERT_EQ(stored.height, fresh.height);
        EXPECT_EQ(stored.palette, fresh.palette);
        // Another compiler may round a ray that grazes an edge the other way: a handful of
        // pixels may differ, a moved feature would change thousands.
        std::size_t differ = 0;
        for (std::size_t i = 0; i < fresh.pixels.size(); ++i) {
            differ += stored.pixels[i] != fresh.pixels[i];
        }
        EXPECT_LE(differ, fresh.pixels.size() / 2000);
    }
}
#endif

}  // namespace
}  // namespace vesta::facade
