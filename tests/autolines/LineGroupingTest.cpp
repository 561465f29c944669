// Segments sorted into the facade's two directions: on a synthetic picture of edges toward two
// known vanishing points, broken into pieces, shaken by a fraction of a pixel and mixed with
// segments of no direction; and on a photograph of two fronts, the one the lines are offered of.
// Then vesta-rectify --auto on facades rendered from known cameras: the lines found give the true
// proportions, --json lists them, and a kept construction replays them without finding again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "../cli/BatchRuns.h"
#include "../cli/FacadeRuns.h"
#include "../construction/BentFacade.h"
#include "Fakes.h"
#include "construction/AutoLines.h"
#include "geometry/LineGrouping.h"

namespace vesta {
namespace {

using namespace facade;

constexpr Point kVh{2600, 330}, kVv{380, -4200};

// The point of the line from p toward v at the given x (y).
Point towardX(Point v, Point p, double x) {
    return {x, p.y + (v.y - p.y) * (x - p.x) / (v.x - p.x)};
}
Point towardY(Point v, Point p, double y) {
    return {p.x + (v.x - p.x) * (y - p.y) / (v.y - p.y), y};
}

struct Picture {
    std::vector<Segment> segments;
    std::vector<Segment> horizontalEdges, verticalEdges;
};

// Six horizontal edges (every other one in two pieces with a gap of 30 px) and five vertical
// ones, ends shaken by up to 0.2 px; forty segments of any direction, and short ones.
Picture facadePicture() {
    Picture p;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> shake(-0.2, 0.2), anywhere(0, 800), angle(0, 3.14159);
    const auto shaken = [&](Point a) { return Point{a.x + shake(random), a.y + shake(random)}; };
    for (int k = 0; k < 6; ++k) {
        const Point a = towardX(kVh, {100, 80.0 + 90 * k}, 100), b = towardX(kVh, a, 700);
        p.horizontalEdges.push_back({a, b});
        if (k % 2 == 1) {
            const Point m1 = towardX(kVh, a, 380), m2 = towardX(kVh, a, 410);
            p.segments.push_back({shaken(a), shaken(m1)});
            p.segments.push_back({shaken(m2), shaken(b)});
        } else {
            p.segments.push_back({shaken(a), shaken(b)});
        }
    }
    for (int k = 0; k < 5; ++k) {
        const Point a = towardY(kVv, {120.0 + 140 * k, 60}, 60), b = towardY(kVv, a, 560);
        p.verticalEdges.push_back({a, b});
        p.segments.push_back({shaken(b), shaken(a)});
    }
    for (int k = 0; k < 40; ++k) {
        const Point a{anywhere(random), anywhere(random)};
        const double t = angle(random), l = k % 2 ? 150 : 8;
        p.segments.push_back({a, {a.x + l * std::cos(t), a.y + l * std::sin(t)}});
    }
    return p;
}

// Each found line lies on one true edge of its direction, to the shaking, and each edge is
// found once: pieces joined, strays and short segments left out, directions not swapped. A
// quarter turn of the picture swaps the directions.
TEST(LineGrouping, FindsEachEdgeOnceInItsDirectionAndNothingWithoutTwo) {
    const Picture p = facadePicture();
    GroupingOptions options;
    options.minLine = 100;
    const GroupedLines g = groupSegments(p.segments, options);
    ASSERT_EQ(g.horizontal.size(), p.horizontalEdges.size());
    ASSERT_EQ(g.vertical.size(), p.verticalEdges.size());
    for (const auto& [found, truth] :
         {std::pair{&g.horizontal, &p.horizontalEdges}, std::pair{&g.vertical, &p.verticalEdges}}) {
        std::vector<int> hits(truth->size(), 0);
        for (const Segment& line : *found) {
            for (std::size_t e = 0; e < truth->size(); ++e) {
                const auto& [a, b] = (*truth)[e];
                if (test::offLine(line.first, a, b) < 0.3 &&
                    test::offLine(line.second, a, b) < 0.3) {
                    ++hits[e];
                }
            }
            // Joined pieces span the whole edge.
            EXPECT_GT(std::hypot(line.second.x - line.first.x, line.second.y - line.first.y), 490);
        }
        for (const int h : hits) {
            EXPECT_EQ(h, 1);
        }
    }
    // The first two of a direction are far apart: they carry the construction.
    EXPECT_GT(test::offLine(g.horizontal[1].first, g.horizontal[0].first, g.horizontal[0].second),
              100);

    std::vector<Segment> turned;
    for (const Segment& s : p.segments) {
        turned.push_back({{s.first.y, s.first.x}, {s.second.y, s.second.x}});
    }
    const GroupedLines t = groupSegments(turned, options);
    EXPECT_EQ(t.horizontal.size(), g.vertical.size());
    EXPECT_EQ(t.vertical.size(), g.horizontal.size());

    // Nothing agrees: no direction is proposed rather than lines of no facade.
    EXPECT_TRUE(groupSegments({{{0, 0}, {300, 0}}, {{0, 50}, {300, 50}}}, {}).vertical.empty());
    EXPECT_TRUE(groupSegments({}, {}).horizontal.empty());
}

// A photograph holding two fronts: a wide one of short horizontals (window frames) and a narrow
// one of long crisp edges with more length in all, both standing on the same verticals' point.
// The front is chosen by where its lines lie, not by their length; the other is named.
constexpr Point kWideVh{1400, 700}, kNarrowVh{-3000, 320}, kFrontsVv{500, -6000};

Segment vertical(double x, double top, double bottom) {
    return {towardY(kFrontsVv, {x, bottom}, top), {x, bottom}};
}

// The wide front: x 50 to 450, y 100 to 600, twenty frames of 60 px toward its point and five
// verticals; the narrow one: x 600 to 900, y 250 to 400, six edges of 280 px and four verticals.
std::vector<Segment> twoFronts() {
    std::vector<Segment> s;
    for (int row = 0; row < 10; ++row) {
        for (const double x : {60.0, 330.0}) {
            const Point a{x + 7 * row, 120.0 + 50 * row};
            s.push_back({a, towardX(kWideVh, a, a.x + 60)});
        }
    }
    for (int k = 0; k < 5; ++k) {
        s.push_back(vertical(80 + 80 * k, 150, 350 + 10 * k));
    }
    for (int row = 0; row < 6; ++row) {
        const Point a{610, 255.0 + 28 * row};
        s.push_back({a, towardX(kNarrowVh, a, 890)});
    }
    for (int k = 0; k < 4; ++k) {
        s.push_back(vertical(640 + 70 * k, 270, 390));
    }
    return s;
}

bool allToward(const std::vector<Segment>& lines, Point v) {
    for (const Segment& l : lines) {
        if (test::offLine(l.second, l.first, v) > 0.5) {
            return false;
        }
    }
    return !lines.empty();
}

bool allWithin(const std::vector<Segment>& lines, double left, double right) {
    for (const Segment& l : lines) {
        if (std::min(l.first.x, l.second.x) < left || std::max(l.first.x, l.second.x) > right) {
            return false;
        }
    }
    return lines.size() >= 2;
}

// Without an area the wide front is taken, though the narrow one's edges are longer in all;
// with the user's area on the narrow one, that one; with an area away from both, the wide one
// again. Either way the other front is named by the box around its lines, and the verticals
// offered stand on the chosen front.
TEST(Fronts, TheFrontIsTheWidestOrTheOneInTheArea) {
    GroupingOptions options;
    options.minLine = 50;
    const GroupedLines wide = groupSegments(twoFronts(), options);
    EXPECT_TRUE(allToward(wide.horizontal, kWideVh));
    EXPECT_TRUE(allWithin(wide.vertical, 50, 450));
    ASSERT_EQ(wide.otherFronts.size(), 1u);
    EXPECT_NEAR(wide.otherFronts[0].bottomRight.x, 890, 1);

    options.area = std::array<Point, 2>{Point{900, 400}, Point{600, 250}};
    const GroupedLines narrow = groupSegments(twoFronts(), options);
    EXPECT_TRUE(allToward(narrow.horizontal, kNarrowVh));
    EXPECT_TRUE(allWithin(narrow.vertical, 600, 900));
    ASSERT_EQ(narrow.otherFronts.size(), 1u);
    EXPECT_LT(narrow.otherFronts[0].bottomRight.x, 460);

    // An area that holds no front's lines says nothing: the widest front again.
    options.area = std::array<Point, 2>{Point{950, 650}, Point{990, 690}};
    EXPECT_TRUE(allToward(groupSegments(twoFronts(), options).horizontal, kWideVh));
}

// In the window the fronts left out are said on the panel, never in a box, and the words go
// with the offer. Accepting the found lines adds them one by one, each making the construction
// again: the camera's focal length is offered once for all of them, not once a line.
TEST(Fronts, TheWindowSaysOtherFrontsWereLeftOutAndOffersTheFocalLengthOnce) {
    test::FakeApp app;
    Form_Load(app.ctx, test::screen1024x768());
    test::openBitmap(app, 1000, 700);
    const auto find = [&] {
        retteAutomatiche_Click(app.ctx,
                               [](const GreyView&) { return DetectedSegments{twoFronts()}; });
    };
    find();
    EXPECT_EQ(app.ctx.form.avviso.caption,
              "Trovate altre facciate: 1, lasciate fuori (le rette offerte sono della facciata "
              "più ampia)");
    withdrawFoundLines(app.ctx);
    EXPECT_EQ(app.ctx.form.avviso.caption, "");

    app.ctx.s.exifFocal35 = 28;
    app.ctx.s.centroX = 420;  // off the verticals' point, which stands above x = 500
    app.ctx.clickSigma = 40;  // clicks this unsure leave the proportions uncertain
    app.dialogs.confirmAnswer = false;
    find();
    accettaRette_Click(app.ctx);
    ASSERT_GT(app.ctx.s.extraLines.size(), 0u);
    ASSERT_TRUE(app.ctx.s.construction);
    EXPECT_EQ(app.dialogs.questions.size(), 1u);
    EXPECT_TRUE(app.dialogs.messages.empty());
}

// Several cameras, turned, rolled, seen from either side and from above and below: width to
// height within 0.3% of the facade's (a whole pixel of flooring aside). On the rolled sample
// --json lists every line found; the kept construction holds them as lines and the tool replays
// it to the same bytes.
TEST(AutoLinesCli, FoundLinesGiveTrueProportionsAndAreListedKeptAndReplayed) {
    test::TempDir dir;
    for (const FacadeScene& scene : test::facadeScenes(true)) {
        const PinholeCamera& cam = scene.camera;
        SCOPED_TRACE(testing::Message() << cam.width << " x " << cam.height << ", yaw " << cam.yaw
                                        << ", roll " << cam.roll);
        // The area inside the facade and the camera's principal point (the large sample's lens is
        // shifted), as a user gives them: the lines alone are found.
        BatchRequest r = test::requestOn(renderFacade(scene), dir, "facciata");
        r.autoLines = true;
        const ConstructionClicks c0 = test::clicksFor(cam).value();
        r.area[0] = Click{float(c0.area[0].x), float(c0.area[0].y)};
        r.area[1] = Click{float(c0.area[2].x), float(c0.area[2].y)};
        r.centre = Click{float(c0.principal.x), float(c0.principal.y)};
        const BatchResult done = runBatch(r, dir.path().string());
        ASSERT_TRUE(done.ok) << done.message;
        const Frame& f = done.state.construction->frame;
        const double off = test::aspectError(cam, done);
        EXPECT_LT(std::fabs(off), 0.003 + 1 / std::min(f.largOut, f.altOut))
            << f.largOut << " x " << f.altOut;
        const std::size_t found = done.state.residualsH.size() + done.state.residualsV.size();
        if (cam.roll != samples::rolled().camera.roll) {
            continue;
        }
        const std::string json = describe(done.state, true);
        const std::size_t at = json.find("\"lines_h\": [[");
        ASSERT_NE(at, std::string::npos) << json;
        EXPECT_EQ(std::count(json.begin() + std::ptrdiff_t(at), json.end(), '[') - 2, found);
        test::replayed(done, r.output, dir, "di-nuovo");
    }
}

// A plain grey photograph has no lines: the run is refused with the count found.
TEST(AutoLinesCli, TooFewLinesAreRefused) {
    test::TempDir dir;
    const IndexedImage grey{320, 240, {}, std::vector<std::uint8_t>(320 * 240, 7)};
    BatchRequest r = test::requestOn(grey, dir, "grigia");
    r.autoLines = true;
    const BatchResult done = runBatch(r, dir.path().string());
    EXPECT_FALSE(done.ok);
    EXPECT_EQ(done.message,
              "Rette trovate: 0 orizzontali e 0 verticali; ne servono almeno due per direzione.");
}

}  // namespace
}  // namespace vesta
