// A photograph holding two fronts: a wide one of short horizontals (window frames) and a narrow
// one of long crisp edges with more length in all, both standing on the same verticals' point.
// The front is chosen by where its lines lie, not by their length; the other is named.
#include <gtest/gtest.h>

#include <cmath>

#include "Fakes.h"
#include "construction/AutoLines.h"
#include "geometry/LineGrouping.h"

namespace vesta {
namespace {

constexpr Point kWideVh{1400, 700}, kNarrowVh{-3000, 320}, kVv{500, -6000};

Point toward(Point v, Point p, double x) {
    return {x, p.y + (v.y - p.y) * (x - p.x) / (v.x - p.x)};
}
Segment vertical(double x, double top, double bottom) {
    const double dx = (kVv.x - x) / (kVv.y - bottom);
    return {{x + dx * (top - bottom), top}, {x, bottom}};
}

// The wide front: x 50 to 450, y 100 to 600, twenty frames of 60 px toward its point and five
// verticals; the narrow one: x 600 to 900, y 250 to 400, six edges of 280 px and four verticals.
std::vector<Segment> twoFronts() {
    std::vector<Segment> s;
    for (int row = 0; row < 10; ++row) {
        for (const double x : {60.0, 330.0}) {
            const Point a{x + 7 * row, 120.0 + 50 * row};
            s.push_back({a, toward(kWideVh, a, a.x + 60)});
        }
    }
    for (int k = 0; k < 5; ++k) {
        s.push_back(vertical(80 + 80 * k, 150, 350 + 10 * k));
    }
    for (int row = 0; row < 6; ++row) {
        const Point a{610, 255.0 + 28 * row};
        s.push_back({a, toward(kNarrowVh, a, 890)});
    }
    for (int k = 0; k < 4; ++k) {
        s.push_back(vertical(640 + 70 * k, 270, 390));
    }
    return s;
}

bool allToward(const std::vector<Segment>& lines, Point v) {
    for (const Segment& l : lines) {
        const double cross = (l.second.x - l.first.x) * (v.y - l.first.y) -
                             (l.second.y - l.first.y) * (v.x - l.first.x);
        if (std::fabs(cross) / std::hypot(v.x - l.first.x, v.y - l.first.y) > 0.5) {
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
// again. Either way the other front is named by the
// box around its lines, and the verticals offered stand on the chosen front.
TEST(Fronts, TheFrontIsTheWidestOrTheOneInTheArea) {
    GroupingOptions options;
    options.minLine = 50;
    const GroupedLines wide = groupSegments(twoFronts(), options);
    EXPECT_TRUE(allToward(wide.horizontal, kWideVh));
    EXPECT_TRUE(allWithin(wide.vertical, 50, 450));
    ASSERT_EQ(wide.otherFronts.size(), 1u);
    EXPECT_NEAR(wide.otherFronts[0].topLeft.x, 610, 1);
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

}  // namespace
}  // namespace vesta
