// Points along the lines in the real window, on a facade rendered from a known camera and bent
// by a barrel lens: four lines of five clicks each along their bent pictures give the lens's
// coefficient and the facade's true proportions, and the record replays to the same result.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "../construction/BentFacade.h"
#include "WindowFixture.h"

namespace vesta::desktop {
namespace {

constexpr double kBarrel = 0.05;

class LinePointsWindowTest : public test::WindowTest {
  protected:
    LinePointsWindowTest() { openFile(path.string()); }
    Context& ctx() { return window.context(); }
    void clickAt(Point p) { clickPhoto(int(p.x), int(p.y)); }
    // Where a mouse clicks the point a fraction t along straight line k on the bent picture.
    Point along(std::size_t k, double t) const {
        const auto [a, b] = bent.straight[k];
        const RadialLens lens = RadialLens::ofPhotograph(kBarrel, 800, 600);
        const Point d = lens.distorted({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}).value();
        return {std::round(d.x), std::round(d.y)};
    }
    int marks() {
        int n = 0;
        for (const Figure& f : window.picture1().figures()) {
            n += f.kind == Figure::Kind::Circle && f.colour == colours::lightCyan && f.x2 == 2;
        }
        return n;
    }

    std::filesystem::path path = scratch.path() / "curva.bmp";
    test::BentFacade bent = test::writeBentFacade(facade::samples::centred(), kBarrel, path);
};

// Offered once a line stands; a click far from the lines is refused on the panel; Canc. takes
// the last point back. Fitted to the five points of each line, k1 comes near the lens's and the
// width:height within 0.5% of the facade's; the saved record replays to the same bytes.
TEST_F(LinePointsWindowTest, FivePointsALineGiveTheLensAndTheProportions) {
    QAction* item = window.menuAction("altriPunti");
    EXPECT_FALSE(item->isEnabled());
    for (const auto& line : bent.clicked) {
        clickAt(line[0]);
        clickAt(line[1]);
        EXPECT_TRUE(item->isEnabled());
    }
    choose("altriPunti");
    EXPECT_TRUE(item->isChecked());
    clickPhoto(400, 300);
    EXPECT_EQ(qobject_cast<QLabel*>(window.control("avviso"))->text().toStdString(),
              "Punto lontano dalle rette: non preso.");
    for (std::size_t k = 0; k < 4; ++k) {
        for (const double t : {0.25, 0.5, 0.75}) {
            clickAt(along(k, t));
        }
    }
    ASSERT_EQ(ctx().s.pointsAlong.size(), 4u);
    EXPECT_EQ(marks(), 20);
    clickAt(along(0, 0.4));
    EXPECT_EQ(ctx().s.pointsAlong[0].points.size(), 6u);
    QTest::mouseClick(window.control("cancella"), Qt::LeftButton);
    EXPECT_EQ(ctx().s.pointsAlong[0].points.size(), 5u);
    EXPECT_EQ(ctx().s.nRette, 4);

    choose("correggiDistorsione");
    ASSERT_TRUE(ctx().s.lensK1 && ctx().s.construction) << ctx().form.avviso.caption;
    EXPECT_NEAR(*ctx().s.lensK1, kBarrel, 0.01);
    const Construction& c = *ctx().s.construction;
    const double off =
        c.frame.largOut / c.frame.altOut / test::shownAspect(facade::samples::centred().camera, c) -
        1;
    EXPECT_LT(std::fabs(off), 0.005 + 1 / std::min(c.frame.largOut, c.frame.altOut));
    std::printf("k1 %.4f fitted (%.2f px rms), width:height %+.3f%% off\n", *ctx().s.lensK1,
                ctx().s.lensFitRms.value_or(-1), 100 * off);

    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);
    dialogs.saveAnswers.push_back((scratch.path() / "punti.bmp").string());
    choose("save");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    EXPECT_TRUE(test::replaysTo(scratch.path() / "punti.bmp"));
}

}  // namespace
}  // namespace vesta::desktop
