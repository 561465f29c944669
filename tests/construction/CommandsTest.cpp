#include <gtest/gtest.h>

#include "Fakes.h"
#include "construction/Commands.h"
#include "state/Prompts.h"
#include "ui/Startup.h"

namespace vesta {
namespace {

class CommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { Form_Load(app.ctx, test::screen1024x768()); }
    test::FakeApp app;
    WorkingState& s = app.ctx.s;
};

TEST_F(CommandsTest, SpinStepsAccumulateTheirRoundingWithinOneToOnePointNine) {
    const double up[] = {1.1,
                         1.2000000000000002,
                         1.3000000000000003,
                         1.4000000000000004,
                         1.5000000000000004,
                         1.6000000000000005,
                         1.7000000000000006,
                         1.8000000000000007,
                         1.9000000000000008,
                         1.9};
    for (double expected : up) {
        GRANDEZZA_SpinUp(app.ctx);
        EXPECT_EQ(s.grandezza, expected);
    }
    EXPECT_EQ(app.ctx.form.Text3.caption, "1.9");
    for (int i = 0; i < 10; ++i) {
        GRANDEZZA_SpinDown(app.ctx);
    }
    EXPECT_EQ(s.grandezza, 1.0);
    EXPECT_EQ(app.ctx.form.Text3.caption, "1");
    GRANDEZZA_SpinDown(app.ctx);
    EXPECT_EQ(s.grandezza, 1.0);
}

TEST_F(CommandsTest, AreaAndPrincipalPointCommandsSetTheClickMode) {
    RETTANG3(app.ctx);
    RETTANG3(app.ctx);
    EXPECT_EQ(s.nAree, 2);
    EXPECT_EQ(s.modoClick, ClickMode::AreaCorner);
    EXPECT_EQ(app.ctx.form.domanda1.caption, prompts::kDefinisciArea);
    EXPECT_FALSE(app.ctx.form.GRIGLIA.enabled) << "no construction to draw a grid of";
    centro1_Click(app.ctx);
    EXPECT_EQ(s.modoClick, ClickMode::PrincipalPoint);
}

}  // namespace
}  // namespace vesta
