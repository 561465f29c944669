// Lines drawn onto the photograph's edges: on edges of known place, and in the window on a
// rendered facade.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "FacadeClicks.h"
#include "construction/EdgeSnapping.h"
#include "construction/ExtraLines.h"
#include "image/EdgeSnap.h"
#include "ui/Undo.h"

namespace vesta {
namespace {

using facade::PinholeCamera;

// A 200 x 120 picture whose grey level is `level` at each point, averaged over each pixel's
// square (pixel (i, j) centred on the point (i, j)) as a camera's sensor takes it.
std::vector<double> rendered(const std::function<double(double, double)>& level) {
    std::vector<double> out;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 200; ++x) {
            double sum = 0;
            for (int i = 0; i < 64; ++i) {
                sum += level(x - 0.5 + (i % 8 + 0.5) / 8, y - 0.5 + (i / 8 + 0.5) / 8);
            }
            out.push_back(sum / 64);
        }
    }
    return out;
}

// The edge y = 60 + 0.07 (x - 100), dark above, light below; a second, stronger one `apart`
// pixels under it when asked.
double edgeLevel(double x, double y, double apart = 0) {
    const double edge = 60 + 0.07 * (x - 100);
    if (apart > 0) {
        return y < edge ? 40 : y < edge + apart ? 100 : 250;
    }
    return y < edge ? 40 : 160;
}

double offEdge(Point p) {
    return (p.y - 60 - 0.07 * (p.x - 100)) / std::hypot(1, 0.07);
}

// A palette picture (grey levels through a palette that is not in grey order), an 8-bit colour
// one, a 16-bit grey one: each finds the edge to a twentieth of a pixel from a line clicked
// three pixels off and askew. Where no edge runs near the line, or it strays beyond the reach,
// or the line is too short to tell or too long for any photograph, nothing is found; of two
// edges within the reach, the one nearer the click, though the other is stronger.
TEST(EdgeSnap, FindsTheStraightEdgeNearTheClickInEveryKindOfImage) {
    const std::vector<double> grey = rendered([](double x, double y) { return edgeLevel(x, y); });
    IndexedImage palette{200, 120, {}, {}};
    for (std::size_t i = 0; i < 256; ++i) {
        std::fill_n(palette.palette.begin() + 4 * i, 3, std::uint8_t(255 - i));
    }
    ColourImage colour{200, 120, 3, 8, {}, {}, {}, {}}, deep{200, 120, 1, 16, {}, {}, {}, {}};
    for (const double v : grey) {
        palette.pixels.push_back(std::uint8_t(255 - std::lround(v)));
        // Red and blue that weigh as the grey level does in the luminance.
        const auto r = std::uint8_t(std::lround(v * 0.8)), b = std::uint8_t(std::lround(v * 0.6));
        const double g = (v - 0.299 * r - 0.114 * b) / 0.587;
        colour.samples8.insert(colour.samples8.end(), {r, std::uint8_t(std::lround(g)), b});
        deep.samples16.push_back(std::uint16_t(std::lround(v * 257)));
    }
    const Point from{10, 60 - 6.3 + 3}, to{190, 60 + 6.3 - 2.5};
    for (const GreyView& view : {GreyView(palette), GreyView(colour), GreyView(deep)}) {
        const std::optional<SnappedLine> s = snapToEdge(view, from, to, 5);
        ASSERT_TRUE(s);
        EXPECT_NEAR(offEdge(s->first), 0, 0.05);
        EXPECT_NEAR(offEdge(s->second), 0, 0.05);
        EXPECT_NEAR(s->firstShift, 3, 0.05);
        EXPECT_NEAR(s->secondShift, 2.5, 0.05);
        EXPECT_FALSE(snapToEdge(view, {from.x, from.y + 8}, {to.x, to.y + 8}, 5));
        EXPECT_FALSE(snapToEdge(view, {from.x, from.y + 8}, {to.x, to.y - 8}, 5));
        EXPECT_FALSE(snapToEdge(view, {100, 63}, {105, 63}, 5));
        // A kept construction may hold any float: lines beyond the photograph, or any number.
        EXPECT_FALSE(snapToEdge(view, {1, 1}, {3e38, 2}, 5));
        EXPECT_FALSE(snapToEdge(view, {-3e9, 60}, {-2e9, 60}, 5));
    }
    ColourImage flat{200, 120, 1, 8, std::vector<std::uint8_t>(200 * 120, 90), {}, {}, {}};
    EXPECT_FALSE(snapToEdge(GreyView(flat), from, to, 5));
    ColourImage two{200, 120, 1, 8, {}, {}, {}, {}};
    for (const double v : rendered([](double x, double y) { return edgeLevel(x, y, 4); })) {
        two.samples8.push_back(std::uint8_t(std::lround(v)));
    }
    const std::optional<SnappedLine> near = snapToEdge(GreyView(two), from, to, 5);
    ASSERT_TRUE(near);
    EXPECT_NEAR(offEdge(near->first), 0, 0.05);
    const std::optional<SnappedLine> below =
        snapToEdge(GreyView(two), {from.x, from.y + 3.5}, {to.x, to.y + 4}, 5);
    ASSERT_TRUE(below);
    EXPECT_NEAR(offEdge(below->second), 4, 0.05);
}

class EdgeSnapWindow : public test::AppTest {};

// Aggancia ai bordi in the window (its menu states and the panel's foot are the window tests'):
// a line clicked two pixels off the cornice is drawn and used where the edge is, its clicks
// kept for the record; one clicked where no edge runs stays as clicked. A further line is drawn
// onto its edge as the four are, and the fit takes it so.
TEST_F(EdgeSnapWindow, LinesAreDrawnOntoTheirEdgesAndKeptAsClicked) {
    const PinholeCamera cam = facade::samples::rolled().camera;
    s.larghezzaPic1 = float(cam.width);
    s.altezzaPic1 = float(cam.height);
    // The rolled sample, its top rows painted over with sky, where no edge runs.
    IndexedImage& photo = s.sorgente.image =
        facade::renderFacade({facade::standardFacade(), cam, 2});
    ConstructionClicks clicks = *test::clicksFor(cam);
    clicks.lines[0][0].y += 2;
    std::fill_n(photo.pixels.begin(), 20 * photo.width, facade::kSky);
    agganciaBordi_Click(app.ctx);
    test::clickLine(app.ctx, clicks.lines[0]);
    const ClickedLine used = s.line(1), asClicked = s.clickedLine(1);
    EXPECT_EQ(asClicked.first, clicks.lines[0][0]);
    EXPECT_GT(std::fabs(used.first.y - asClicked.first.y), 1.5);
    EXPECT_EQ(app.picture1.calls.back().at,
              (std::vector<float>{float(used.second.x), float(used.second.y), float(used.first.x),
                                  float(used.first.y)}));

    test::clickLine(app.ctx, 300, 6, 500, 8);
    EXPECT_EQ(s.line(2).first, (Point{300, 6}));

    CANC2(app.ctx);
    for (std::size_t k = 1; k < 4; ++k) {
        test::clickLine(app.ctx, clicks.lines[k]);
    }
    // The first line clicked again as a further line: drawn onto the same edge, the clicks kept.
    altraRettaOrizz_Click(app.ctx);
    test::clickLine(app.ctx, clicks.lines[0]);
    ASSERT_EQ(s.extraLines.size(), 1u);
    EXPECT_EQ(s.extraLines[0].line, s.clickedLine(1));
    const ConstructionClicks fitted = ConstructionClicks::from(s);
    ASSERT_EQ(fitted.moreHorizontal.size(), 1u);
    EXPECT_EQ(fitted.moreHorizontal[0].ends[0], s.line(1).first);
}

}  // namespace
}  // namespace vesta
