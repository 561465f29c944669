// The lens's bend in the real window, on a facade rendered from a known camera and bent by a
// barrel lens: the lines drawn through the bend where they were clicked, the coefficient typed
// or fitted to the edges the lines were drawn onto or to points along the lines.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "../construction/BentFacade.h"
#include "WindowFixture.h"
#include "geometry/LensFit.h"

namespace vesta::desktop {
namespace {

constexpr double kBarrel = 0.05;

class LensWindowTest : public test::WindowTest {
  protected:
    LensWindowTest() { openFile(path.string()); }
    Context& ctx() { return window.context(); }
    void clickAt(Point p) { clickPhoto(int(p.x), int(p.y)); }
    void clickLines() {
        for (const auto& line : bent.clicked) {
            clickAt(line[0]);
            clickAt(line[1]);
        }
    }
    const std::vector<Figure>& figures() { return window.picture1().figures(); }
    // Width over height of the construction's result against the facade's part it shows, and
    // a pixel of flooring.
    std::pair<double, double> aspectError(const Construction& c) const {
        return {c.frame.largOut / c.frame.altOut /
                        test::shownAspect(facade::samples::centred().camera, c) -
                    1,
                1 / std::min(c.frame.largOut, c.frame.altOut)};
    }
    RadialLens lens() const { return RadialLens::ofPhotograph(kBarrel, 800, 600); }

    std::filesystem::path path = scratch.path() / "curva.bmp";
    test::BentFacade bent = test::writeBentFacade(facade::samples::centred(), kBarrel, path);
};

// K1 typed with a comma gives the facade's proportions (within 0.3%, as vesta-rectify --lens
// does); what RadialLens refuses is refused, and 0 leaves the bend in, the lines back where they
// were clicked. With a lens every line of the overlay is a polyline through the bend: each clicked
// line's runs from one clicked point to the other, bowed, each vertex on the bent picture of the
// straight line between them (a line drawn straight between the clicks taken out of the bend
// ends away from them).
TEST_F(LensWindowTest, TheTypedCoefficientGivesTrueProportionsAndBentLines) {
    EXPECT_FALSE(window.menuAction("correggiDistorsione")->isEnabled()) << "no line yet";
    for (const char* refused : {"0,5", "k1"}) {
        dialogs.inputs.push_back(refused);
        choose("distorsioneK1");
    }
    EXPECT_TRUE(dialogs.messages.size() == 2 && !ctx().s.lensK1);
    dialogs.inputs.push_back("0,05");
    choose("distorsioneK1");
    EXPECT_EQ(ctx().s.lensK1, kBarrel);
    clickLines();
    ASSERT_TRUE(ctx().s.construction);
    int clickedLines = 0;
    for (const Figure& f : figures()) {
        EXPECT_NE(f.kind, Figure::Kind::Line);
        if (f.kind != Figure::Kind::Polyline || f.path.size() < 3) {
            continue;
        }
        for (const auto& [a, b] : bent.clicked) {
            const QPointF first = f.path.front(), last = f.path.back();
            if (std::hypot(last.x() - a.x, last.y() - a.y) > 0.01 ||
                std::hypot(first.x() - b.x, first.y() - b.y) > 0.01) {
                continue;
            }
            ++clickedLines;
            const Point ua = lens().undistorted(a), ub = lens().undistorted(b);
            double bow = 0;
            for (const QPointF& v : f.path) {
                bow = std::max(bow, test::offLine({v.x(), v.y()}, a, b));
                EXPECT_LT(test::offLine(lens().undistorted({v.x(), v.y()}), ua, ub), 0.3);
            }
            EXPECT_GT(bow, 0.5);
        }
    }
    EXPECT_EQ(clickedLines, 4);
    const auto [off, pixel] = aspectError(*ctx().s.construction);
    EXPECT_LT(std::fabs(off), 0.003 + pixel);

    dialogs.inputs.push_back("0");
    choose("distorsioneK1");
    EXPECT_FALSE(ctx().s.lensK1);
    EXPECT_NEAR(ctx().s.clickedLine(1).first.x, bent.clicked[0][0].x, 1e-3);
}

// K1 fitted to the edges the lines were drawn onto, sought on the bent photograph, is told on the
// panel (the proportions it gives are the batch tool's lens test's). Edit > Aggancia ai bordi
// shows its mark, and the panel's foot tells each line drawn on.
TEST_F(LensWindowTest, TheFitFromSnappedEdgesIsMarkedAndTold) {
    choose("agganciaBordi");
    EXPECT_TRUE(window.menuAction("agganciaBordi")->isChecked());
    clickLines();
    const QLabel* foot = qobject_cast<QLabel*>(window.control("bordi"));
    EXPECT_TRUE(foot->isVisible() && foot->text().startsWith("Retta agganciata al bordo"))
        << foot->text().toStdString();
    choose("correggiDistorsione");
    EXPECT_TRUE(ctx().s.lensK1 && ctx().s.lensFitRms && dialogs.messages.empty());
    EXPECT_EQ(ctx().form.avviso.caption.rfind("Distorsione tolta (fit): K1 = 0.0", 0), 0u)
        << ctx().form.avviso.caption;
}

// Altri punti sulla retta, offered once a line stands: three clicks more along each bent line
// join it, each marked; k1 fitted to the five points a line comes near the lens's, the
// width:height within 0.5% of the facade's, and the record saved after the fit replays to the
// same bytes.
TEST_F(LensWindowTest, FivePointsALineGiveTheLensAndTheProportions) {
    QAction* item = window.menuAction("altriPunti");
    EXPECT_FALSE(item->isEnabled());
    for (const auto& line : bent.clicked) {
        clickAt(line[0]);
        clickAt(line[1]);
        EXPECT_TRUE(item->isEnabled());
    }
    // Without snapped edges or further points no line has more than two: nothing is fitted.
    choose("correggiDistorsione");
    EXPECT_FALSE(ctx().s.lensK1);
    choose("altriPunti");
    for (const auto& [a, b] : bent.straight) {
        for (const double t : {0.25, 0.5, 0.75}) {
            const Point d =
                lens().distorted({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}).value();
            clickAt({std::round(d.x), std::round(d.y)});
        }
    }
    ASSERT_EQ(ctx().s.pointsAlong.size(), 4u);
    int marks = 0;
    for (const Figure& f : figures()) {
        marks += f.kind == Figure::Kind::Circle && f.colour == colours::lightCyan && f.x2 == 2;
    }
    EXPECT_EQ(marks, 20);

    choose("correggiDistorsione");
    ASSERT_TRUE(ctx().s.lensK1 && ctx().s.construction) << ctx().form.avviso.caption;
    const auto [off, pixel] = aspectError(*ctx().s.construction);
    EXPECT_LT(std::fabs(off), 0.005 + pixel);
    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);
    dialogs.saveAnswers.push_back((scratch.path() / "punti.bmp").string());
    choose("save");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    EXPECT_TRUE(test::replaysTo(scratch.path() / "punti.bmp"));
}

}  // namespace
}  // namespace vesta::desktop
