#include <gtest/gtest.h>

#include "Fakes.h"
#include "geometry/Overlay.h"
#include "state/Prompts.h"
#include "ui/Startup.h"

namespace vesta {
namespace {

class FugheTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Form_Load(app.ctx, test::screen1024x768());
        s.larghezzaPic1 = 800;
        s.altezzaPic1 = 600;
        s.centroX = 400;
        s.centroY = 300;
    }
    void lines(std::initializer_list<std::array<double, 4>> four) {
        int k = 1;
        for (const auto& l : four) {
            for (int c = 0; c < 4; ++c) {
                s.rette[k][c + 1] = l[c];
            }
            ++k;
        }
    }
    test::FakeApp app;
    WorkingState& s = app.ctx.s;
    FormModel& f = app.ctx.form;
};

TEST_F(FugheTest, TwoHorizontalLinesMeetAtTheirVanishingPoint) {
    lines({{0, 0, 100, 10}, {0, 100, 100, 90}, {100, 500, 120, 100}, {700, 500, 690, 100}});
    FUGHE(app.ctx);
    EXPECT_EQ(s.fughe->vh.x, 500);
    EXPECT_EQ(s.fughe->vh.y, 50);
    EXPECT_TRUE(f.raddrizza1.enabled);
    EXPECT_FALSE(f.save.enabled) << "nothing rectified yet";
}

TEST_F(FugheTest, AnExactlyVerticalLineHasSlope90) {
    lines({{0, 0, 100, 10}, {0, 100, 100, 90}, {150, 50, 150, 400}, {700, 500, 690, 100}});
    FUGHE(app.ctx);
    EXPECT_EQ(s.pendenze[3], 90);
    for (const auto& m : app.dialogs.messages) {
        EXPECT_NE(m.text, "Fuga verticale o orizzontale all'infinito !!");
    }
    // The vertical vanishing point is that of the slope-90 line through its first end.
    EXPECT_DOUBLE_EQ(s.fughe->vv.y, (s.fughe->vv.x - 150) * 90 + 50);
}

TEST_F(FugheTest, AParallelPairIsRefusedAndLeavesNoVanishingPoints) {
    s.fughe = VanishingPoints{{11, 0}, {0, 22}};
    f.CENTRO.enabled = true;
    // Both vertical lines exactly vertical: both slope 90.
    lines({{0, 0, 100, 10}, {0, 100, 100, 90}, {100, 500, 100, 100}, {700, 500, 700, 100}});
    FUGHE(app.ctx);
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].text, "Fuga verticale o orizzontale all'infinito !!");
    EXPECT_EQ(app.dialogs.messages[0].title, "NON E' POSSIBILE RADDRIZZARE");
    EXPECT_EQ(app.dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(f.domanda1.caption, prompts::kImpossibile);
    EXPECT_FALSE(f.CENTRO.enabled);
    EXPECT_FALSE(f.raddrizza1.enabled);
    EXPECT_FALSE(s.fughe);
    EXPECT_EQ(f.Text6[3].caption, "89.3634064240366");
    EXPECT_EQ(f.Text6[4].caption, "89.3634064240366");
}

// Slopes a few bits apart pass the exact test; what follows must refuse, not crash or
// allocate a table of billions of rows.
TEST_F(FugheTest, ANearlyParallelPairEndsInARefusalNotInACrash) {
    lines({{0, 0, 3, 1},
           {0, 100, 3, 101.00000000000001},
           {100, 500, 120, 100},
           {700, 500, 690, 100}});
    FUGHE(app.ctx);
    EXPECT_FALSE(app.dialogs.messages.empty());
    EXPECT_FALSE(s.construction) << "nothing to rectify after a refusal";
}

}  // namespace
}  // namespace vesta
