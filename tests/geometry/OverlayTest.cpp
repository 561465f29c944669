#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Fakes.h"
#include "construction/Overlay.h"
#include "geometry/Degenerate.h"
#include "state/Prompts.h"

namespace vesta {
namespace {

// An 800 x 600 photograph with the principal point at its centre, and the rolled sample's true
// vanishing points (focal length 640 pixels) as FUGHE leaves them.
class OverlayTest : public test::AppTest {
  protected:
    void SetUp() override {
        s.larghezzaPic1 = 800;
        s.altezzaPic1 = 600;
        s.centroX = 400;
        s.centroY = 300;
        s.fughe = VanishingPoints{{-838.0, 285.1}, {766.9, -2688.5}};
    }
};

// A level camera puts the vertical vanishing point straight above the principal point (a few
// bits of difference must not pass for a slope); beyond the horizon, or level with the
// horizontal vanishing point, the circles miss. An eye point thousands of pixels away would be
// drawn as lines across the whole screen.
TEST_F(OverlayTest, PrincipalPointsThatLeaveNoConstructionAreRefusedAndFarEyePointsNotDrawn) {
    const auto touches = [&](Point p) {
        return std::any_of(app.picture1.calls.begin(), app.picture1.calls.end(), [&](auto& c) {
            return (c.at.size() == 4 && c.at[2] == float(p.x) && c.at[3] == float(p.y)) ||
                   (c.at.size() == 3 && c.at[0] == float(p.x) && c.at[1] == float(p.y));
        });
    };
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    EXPECT_TRUE(touches(s.construction->orientation.puntoDist)) << "the line P-D and D's circle";
    const WorkingState before = s;
    const struct {
        double x, y;
        const char* why;
    } cases[] = {{s.fughe->vv.x * (1 + 1e-15), s.centroY, degenerate::kCentroAllineato},
                 {s.centroX, 2000, degenerate::kCerchioMancato},
                 {s.centroX, s.fughe->vh.y, nullptr}};
    for (const auto& c : cases) {
        s = before;
        f.domanda1.caption.clear();
        f.area.enabled = false;
        app.dialogs.messages.clear();
        s.centroX = c.x;
        s.centroY = c.y;
        EXPECT_FALSE(CERCHIONUOVO(app.ctx));
        EXPECT_FALSE(s.construction || f.area.enabled) << "nothing stands to rectify";
        ASSERT_EQ(app.dialogs.messages.size(), 1u);
        EXPECT_EQ(app.dialogs.messages[0].title, degenerate::kTitle);
        EXPECT_EQ(f.domanda1.caption, "Impossibile raddrizzare");
        if (c.why) {
            EXPECT_EQ(app.dialogs.messages[0].text, c.why);
        }
    }

    s = before;
    // Vv a thousand times as far along the same line from P: a lens of some 20000 pixels, so the
    // eye point D lies far off the photograph.
    s.fughe->vv = {400 + 366.9e3, 300 - 2988.5e3};
    app.picture1.calls.clear();
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    ASSERT_GE(std::max(std::abs(s.construction->orientation.puntoDist.x),
                       std::abs(s.construction->orientation.puntoDist.y)),
              10000);
    EXPECT_FALSE(touches(s.construction->orientation.puntoDist));
}

class FugheTest : public OverlayTest {
  protected:
    void lines(std::initializer_list<std::array<double, 4>> four) {
        int k = 1;
        for (const auto& l : four) {
            s.setLine(k++, {l[0], l[1]}, {l[2], l[3]});
        }
    }
};

// The two horizontal lines meet at their vanishing point; an exactly vertical line has slope 90,
// not a division by zero. Two of them are a parallel pair, and two nearly so: refused, the
// centre no longer offered.
TEST_F(FugheTest, TheLinesMeetAtTheirVanishingPointsAndAParallelPairIsRefused) {
    lines({{0, 0, 100, 10}, {0, 100, 100, 90}, {150, 50, 150, 400}, {700, 500, 690, 100}});
    FUGHE(app.ctx);
    EXPECT_EQ(s.fughe->vh, (Point{500, 50}));
    EXPECT_DOUBLE_EQ(s.fughe->vv.y, (s.fughe->vv.x - 150) * 90 + 50);
    EXPECT_TRUE(f.raddrizza1.enabled);
    app.dialogs.messages.clear();

    lines({{0, 0, 100, 10}, {0, 100, 100, 90}, {100, 500, 100, 100}, {700, 500, 700, 100}});
    FUGHE(app.ctx);
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].text, "Fuga verticale o orizzontale all'infinito !!");
    EXPECT_EQ(f.domanda1.caption, prompts::kImpossibile);
    EXPECT_FALSE(f.CENTRO.enabled);

    // Slopes a few bits apart pass the exact test; what follows must refuse, not crash or
    // allocate a table of billions of rows.
    app.dialogs.messages.clear();
    lines({{0, 0, 3, 1},
           {0, 100, 3, 101.00000000000001},
           {100, 500, 120, 100},
           {700, 500, 690, 100}});
    FUGHE(app.ctx);
    EXPECT_FALSE(app.dialogs.messages.empty());
    EXPECT_FALSE(s.construction);
}

}  // namespace
}  // namespace vesta
