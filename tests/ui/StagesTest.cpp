// The procedures and the table of stages agree: after every step of the road the window offers
// exactly what the table gives for the stage the work is in.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "construction/Commands.h"
#include "construction/ConstructionState.h"
#include "rectify/Rectification.h"
#include "ui/Undo.h"

namespace vesta {
namespace {

class StagesTest : public test::AppTest {
  protected:
    // The stage is the one the user is in, and a command set by hand against the table, or a
    // procedure that forgets to enter its stage, shows as a difference.
    void expectStage(const char* step, Stage expected) {
        EXPECT_EQ(stageName(stageOf(s)), stageName(expected)) << step;
        FormModel table = f;
        applyStage(table, stageOf(s), stageFacts(app.ctx));
        const auto menus = f.menus(), tableMenus = table.menus();
        for (std::size_t i = 0; i < menus.size(); ++i) {
            EXPECT_TRUE(menus[i]->enabled == tableMenus[i]->enabled &&
                        menus[i]->visible == tableMenus[i]->visible)
                << step << ": " << menus[i]->name;
        }
        const auto controls = f.controls(), tableControls = table.controls();
        for (std::size_t i = 0; i < controls.size(); ++i) {
            EXPECT_TRUE(controls[i]->enabled == tableControls[i]->enabled &&
                        controls[i]->visible == tableControls[i]->visible)
                << step << ": " << controls[i]->name;
        }
    }
};

TEST_F(StagesTest, EveryStepOfTheRoadOffersItsStagesCommands) {
    expectStage("start", Stage::NoPhotograph);
    test::openBitmap(app, 800, 600);
    expectStage("opened", Stage::DrawingLines);
    test::clickFourLines(app.ctx);
    expectStage("four lines", Stage::Area);
    CANC2(app.ctx);
    expectStage("the fourth line taken away", Stage::DrawingLines);
    CANC2(app.ctx);
    CANC2(app.ctx);
    expectStage("a line", Stage::DrawingLines);
    test::clickLine(app.ctx, 100, 500, 700, 450);
    test::clickLine(app.ctx, 120, 520, 150, 80);
    test::clickLine(app.ctx, 680, 520, 650, 90);
    expectStage("four lines again", Stage::Area);
    RETTANG3(app.ctx);
    test::click(app.ctx, 150, 150);
    expectStage("an area's first corner", Stage::Construction);
    test::click(app.ctx, 600, 450);
    expectStage("an area", Stage::Area);
    bool sawRows = false;
    app.events.duringYield = [&](int) {
        if (!sawRows) {
            expectStage("rows computed", Stage::Rectifying);
            sawRows = true;
        }
    };
    RADDR1(app.ctx);
    app.events.duringYield = nullptr;
    EXPECT_TRUE(sawRows);
    expectStage("a result", Stage::Result);
    GRANDEZZA_SpinUp(app.ctx);
    expectStage("a size step on the result", Stage::Result);
    RADDR1(app.ctx);
    expectStage("Misura", Stage::Measuring);
    ALTRA1(app.ctx);
    expectStage("Altra", Stage::Area);
    CANC2(app.ctx);
    EXPECT_FALSE(f.save.enabled) << "Canc. takes Save away";
    f.save.enabled = true;
    expectStage("Canc. back to the area", Stage::Area);
    test::openBitmap(app, 640, 480, "altra.bmp");
    expectStage("another photograph", Stage::DrawingLines);
}

}  // namespace
}  // namespace vesta
