#include <gtest/gtest.h>

#include <filesystem>

#include "Fakes.h"
#include "construction/Commands.h"
#include "construction/Grid.h"
#include "rectify/Rectification.h"
#include "ui/Undo.h"

namespace vesta {
namespace {

// Rectifying and the grid need the whole construction of the photograph on show, made from its
// current lines, principal point and area; these are the ways a stale frame once slipped through.
class StandingConstructionTest : public test::AppTest {
  protected:
    void SetUp() override { test::openBitmap(app, 800, 600, "a.bmp"); }
    void click(float x, float y) { test::click(app.ctx, x, y); }
    // RADDR1 and griglia1 called all the same, as a stray shortcut would: neither may use the
    // old frame.
    void expectNothingComputed() {
        EXPECT_FALSE(f.RADDRIZZA.enabled || f.start.enabled || f.GRIGLIA.enabled ||
                     f.griglia2.enabled);
        const std::size_t drawn = app.picture1.calls.size();
        griglia1(app.ctx);
        EXPECT_EQ(app.picture1.calls.size(), drawn) << "no grid of another frame";
        const std::size_t messages = app.dialogs.messages.size();
        RADDR1(app.ctx);
        EXPECT_EQ(app.dialogs.messages.size(), messages + 1);
        EXPECT_FALSE(std::filesystem::exists(app.ctx.paths.scratchFile()));
    }
};

TEST_F(StandingConstructionTest, ACancelledLineOrARefusedConstructionLeavesNothingToRectify) {
    test::clickFourLines(app.ctx);
    RETTANG3(app.ctx);
    click(150, 150);
    click(600, 450);
    ASSERT_TRUE(app.dialogs.messages.empty());
    EXPECT_TRUE(f.RADDRIZZA.enabled && f.start.enabled && f.GRIGLIA.enabled);
    CANC2(app.ctx);  // line 4 goes
    expectNothingComputed();
    // Verticals redrawn to meet straight above the principal point (x = 400): no horizon.
    CANC2(app.ctx);
    test::clickLine(app.ctx, 300, 500, 350, 100);
    test::clickLine(app.ctx, 500, 500, 450, 100);
    ASSERT_EQ(app.dialogs.messages.size(), 2u) << "the construction is refused";
    expectNothingComputed();
}

// After a result on one photograph, another opened: nothing of the old construction is drawn,
// gridded or rectified on it, and the result's bars and the size arrows go.
TEST_F(StandingConstructionTest, AnotherPhotographStartsWithoutTheOldConstruction) {
    test::clickFourLines(app.ctx);
    RADDR1(app.ctx);
    ASSERT_EQ(s.nRaddr, 1);
    f.VScroll2.visible = f.HScroll2.visible = true;  // as a result larger than the screen
    test::openBitmap(app, 300, 200, "b.bmp");
    EXPECT_FALSE(f.VScroll2.visible || f.HScroll2.visible || f.GRANDEZZA.visible);
    app.picture1.calls.clear();
    GRANDEZZA_SpinUp(app.ctx);
    EXPECT_TRUE(app.picture1.calls.empty()) << "no old construction over the new photograph";
    RETTANG3(app.ctx);
    click(20, 20);
    click(250, 150);
    std::filesystem::remove(app.ctx.paths.scratchFile());
    expectNothingComputed();
}

}  // namespace
}  // namespace vesta
