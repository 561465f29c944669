// The construction checked against the camera that took the photograph: the division points of
// the frame, carried back onto the facade through the true camera, must fall evenly spaced and
// make square output pixels, whatever the camera's pitch, yaw and roll.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "FacadeClicks.h"
#include "geometry/KnownMeasures.h"
#include "rectify/Bands.h"
#include "rectify/KnownMeasuresRectification.h"

namespace vesta {
namespace {

using facade::FacadePoint;
using facade::FacadeRect;
using facade::PinholeCamera;
using test::Shown;

// The meeting point of the line through a and b with the line through o of slope m.
Point meet(Point a, Point b, Point o, double m) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double t = (m * (a.x - o.x) - (a.y - o.y)) / (dy - m * dx);
    return {a.x + t * dx, a.y + t * dy};
}

// Worst relative departure of the facade spacing of the division points, taken through the
// measuring point onto the side through O as the perspective grid draws them, from that of the
// last division; and that spacing.
std::pair<double, double> spacing(const PinholeCamera& cam, const Construction& c, bool columns) {
    const Frame& f = c.frame;
    const std::vector<DivisionPoint>& table = columns ? f.divColonne : f.divRighe;
    const int count = int(columns ? f.largOut : f.altOut);
    const Point measuring = columns ? c.orientation.po : c.orientation.pv;
    const FacadePoint fo = test::onFacade(cam, f.rif);
    const auto along = [&](int i) {
        const DivisionPoint d = table.at(std::size_t(i));
        const FacadePoint p =
            test::onFacade(cam, meet(measuring, {d.x, d.y}, f.rif, columns ? f.mOrizz : f.mVert));
        return (columns ? p.u - fo.u : p.v - fo.v) / i;
    };
    const double step = along(count);
    double worst = 0;
    for (int i = 1; i < count; i += std::max(1, count / 40)) {
        worst = std::max(worst, std::fabs(along(i) / step - 1));
    }
    return {step, worst};
}

// The smallest rectangle of the facade that holds the points of the photograph.
FacadeRect onFacade(const PinholeCamera& cam, std::initializer_list<Point> points) {
    FacadeRect box{1e9, 1e9, -1e9, -1e9};
    for (const Point p : points) {
        const FacadePoint f = test::onFacade(cam, p);
        box = {std::min(box.left, f.u), std::min(box.bottom, f.v), std::max(box.right, f.u),
               std::max(box.top, f.v)};
    }
    return box;
}

// The four ways the vanishing points can lie: a rolled camera whose principal point is off the
// centre, with clicks exact and a size factor; cameras from the right, and from above on either
// side, with clicks as a mouse gives them. Without roll, exact lines put the vertical vanishing
// point straight above the true principal point (refused, see OverlayTest); one pixel aside the
// result is true again. A slope passed to sin/cos as an angle, a wrong measuring point, a swapped
// root or a size factor applied to one side only gives uneven steps on the facade, or columns
// and rows of different facade size; wrong measured ends give a frame of the wrong proportions,
// and a wrong reference corner a result that leaves part of the area out.
TEST(GroundTruth, DivisionPointsAreEvenAndSquareOnTheFacade) {
    const struct {
        const char* name;
        PinholeCamera camera;
        bool floored;
        double size, aside;
    } shots[] = {{"rolledAndShiftedLens", facade::samples::large().camera, false, 1.3, 0},
                 {"fromTheRight", facade::samples::rolled().camera, true, 1, 0},
                 {"fromAboveLeft", test::aimedCamera(24, -12, 2, 700, 450).value(), true, 1, 0},
                 {"fromAboveRight", test::aimedCamera(-24, -12, -2, 700, 450).value(), true, 1, 0},
                 {"levelOnePixelAside", facade::samples::centred().camera, false, 1, 1}};
    for (const auto& shot : shots) {
        SCOPED_TRACE(shot.name);
        const PinholeCamera& cam = shot.camera;
        std::optional<ConstructionClicks> clicks = test::clicksFor(cam, shot.floored);
        ASSERT_TRUE(clicks);
        clicks->principal.x += shot.aside;
        test::FakeApp app;
        test::clickLines(app, *clicks);
        app.ctx.s.grandezza = shot.size;
        test::clickArea(app, *clicks);
        ASSERT_TRUE(app.dialogs.messages.empty()) << app.dialogs.messages[0].text;
        ASSERT_TRUE(app.ctx.s.construction);
        const Construction& c = *app.ctx.s.construction;
        const Frame& f = c.frame;
        const auto [columnStep, worstColumn] = spacing(cam, c, true);
        const auto [rowStep, worstRow] = spacing(cam, c, false);
        EXPECT_LT(std::max(worstColumn, worstRow), 0.005);
        EXPECT_LT(std::fabs(std::fabs(columnStep / rowStep) - 1), 0.005)
            << columnStep << " cm per column, " << rowStep << " per row";
        // Flooring a side to whole pixels may take up to one pixel off it.
        EXPECT_LT(std::fabs(f.largOut / f.altOut / test::shownAspect(cam, c) - 1),
                  0.005 + 1 / std::min(f.largOut, f.altOut))
            << f.largOut << " x " << f.altOut;
        // The result's sides run through the area's outermost corners on the facade, to within two
        // pixels of the photograph (5 cm).
        const std::optional<ShownCorners> shown = shownCorners(c);
        ASSERT_TRUE(shown);
        const auto& a = clicks->area;
        const FacadeRect area = onFacade(cam, {a[0], a[1], a[2], a[3]}),
                         result = onFacade(cam, {shown->o, shown->widthEnd, shown->heightEnd});
        EXPECT_NEAR(result.left, area.left, 5);
        EXPECT_NEAR(result.right, area.right, 5);
        EXPECT_NEAR(result.bottom, area.bottom, 5);
        EXPECT_NEAR(result.top, area.top, 5);
    }
}

// The whole result of a rectification in bands, as the batch tool and the colour road make it.
IndexedImage rectified(const BandRectifier& rectifier) {
    IndexedImage out;
    out.width = rectifier.width();
    rectifyInBands(rectifier, {}, [&](int, const ColourImage& band) {
        out.pixels.insert(out.pixels.end(), band.samples8.begin(), band.samples8.end());
        out.height += band.height;
        return true;
    });
    return out;
}

// A photograph turned by a quarter (a camera held sideways, a scan) came out as the facade's
// mirror image in some poses: upside down, left and right kept. A lopsided facade in every
// quarter turn of poses from either side, looking up and down, rectified by the construction
// and by known measures, is never mirrored: upright as the photograph stands, turned by half
// when it stands on its head.
TEST(GroundTruth, NoQuarterTurnOfThePhotographMirrorsTheFacade) {
    const facade::FacadeLayout layout = test::lopsidedFacade();
    const std::array<double, 3> poses[] = {{24, -12, 2}, {-24, 12, -3}};
    for (const auto& [yaw, pitch, roll] : poses) {
        const PinholeCamera upright = test::aimedCamera(yaw, pitch, roll, 700, 450).value();
        for (int quarters = 0; quarters < 4; ++quarters) {
            SCOPED_TRACE(testing::Message() << "yaw " << yaw << ", pitch " << pitch << ", roll "
                                            << roll << ", quarter turns " << quarters);
            const PinholeCamera cam = test::turned(upright, quarters);
            const IndexedImage photo = facade::renderFacade({layout, cam, 1});
            const ConstructionClicks clicks = test::clicksFor(cam).value();
            test::FakeApp app;
            test::clickLines(app, clicks);
            test::clickArea(app, clicks);
            ASSERT_TRUE(app.ctx.s.construction);
            // The part `box` of the facade, shown upright or turned by half, never mirrored.
            const auto expectShown = [&](const BandRectifier& rectifier, FacadeRect box) {
                const auto [way, margin] = test::shownWay(rectified(rectifier), layout, box);
                EXPECT_GT(margin, 0.05);
                const bool upright = way == Shown::Upright, half = way == Shown::HalfTurned;
                EXPECT_TRUE(quarters % 2    ? upright || half
                            : quarters == 0 ? upright
                                            : half)
                    << int(way);
            };
            const ShownCorners shown = shownCorners(*app.ctx.s.construction).value();
            const RectifyInputs in = RectifyInputs::from(app.ctx.s);
            expectShown(BandRectifier(in, PixelMapping::construction(in), photo),
                        onFacade(cam, {shown.o, shown.widthEnd, shown.heightEnd}));
            // The cornice bottom to the string-course top, edge to edge.
            const Result<KnownMeasuresFrame> frame = knownMeasuresFrame(clicks, 1200, 522);
            ASSERT_TRUE(frame.ok()) << frame.error();
            const auto& a = clicks.area;
            expectShown(BandRectifier(knownMeasuresInputs(frame.value()),
                                      PixelMapping::knownMeasures(frame.value()), photo),
                        onFacade(cam, {a[0], a[1], a[2], a[3]}));
        }
    }
}

// Nearly level verticals in a camera a little rolled put Vv a million pixels off and tens of
// thousands to one side, beyond Vh; a hair's change of a click sends it across infinity to the
// other side. Judged by abscissae alone, Vh then lay on Vv's other side, and the frame was laid
// from corners that are not the area's outermost: the result, square in itself, showed a part
// 40% wider for its height than the area asked for.
TEST(GroundTruth, AVerticalPointFarToOneSideStillFramesTheArea) {
    const auto span = [](std::vector<double> t) {
        return *std::max_element(t.begin(), t.end()) - *std::min_element(t.begin(), t.end());
    };
    // From the left and from the right: Vv then lies to the other side of Vh than its abscissa
    // tells.
    const std::array<double, 3> poses[] = {{-30, -0.05, 2}, {30, 0.05, 2}};
    for (const auto& [yaw, pitch, roll] : poses) {
        const PinholeCamera cam = test::aimedCamera(yaw, pitch, roll, 800, 450).value();
        ConstructionClicks clicks = test::clicksFor(cam, false).value();
        clicks.givenDistance = cam.focal;
        const Result<Construction> c = construction(clicks);
        ASSERT_TRUE(c.ok()) << c.error();
        std::vector<double> us, vs;
        for (const Point p : clicks.area) {
            const FacadePoint f = test::onFacade(cam, {p.x - 0.5, p.y - 0.5});
            us.push_back(f.u);
            vs.push_back(f.v);
        }
        EXPECT_NEAR(c.value().aspect / (span(us) / span(vs)), 1, 0.005) << "yaw " << yaw;
    }
}

}  // namespace
}  // namespace vesta
