#include <gtest/gtest.h>

#include <algorithm>

#include "Fakes.h"
#include "state/Prompts.h"
#include "ui/Startup.h"

namespace vesta {
namespace {

using test::FakeApp;

class FormLoadTest : public ::testing::Test {
  protected:
    void SetUp() override { Form_Load(app.ctx, test::screen1024x768()); }
    FakeApp app;
    FormModel& f = app.ctx.form;
};

TEST_F(FormLoadTest, MeasuresTheScreenAndPlacesThePanelTopRight) {
    EXPECT_EQ(app.ctx.s.schermoLarg, 1024.0f);
    EXPECT_EQ(app.ctx.s.schermoAlt, 768.0f);
    EXPECT_EQ(f.Frame1.top, 10);
    // 1024 less the panel's 209 less the vertical bar's 16.
    EXPECT_DOUBLE_EQ(f.Frame1.left, 1024 - 3135 / 15.0 - 240 / 15.0);
    EXPECT_DOUBLE_EQ(f.HScroll1.width, 1024);
    EXPECT_DOUBLE_EQ(f.HScroll2.width, 1024);
}

TEST_F(FormLoadTest, DesignPositionsFollowTheScreensResolution) {
    EXPECT_DOUBLE_EQ(f.RADDRIZZA.left, 96);
    EXPECT_DOUBLE_EQ(f.RADDRIZZA.width, 105);
    EXPECT_DOUBLE_EQ(f.domanda1.height, 44);
    FakeApp hiDpi;
    Form_Load(hiDpi.ctx, ScreenInfo{1920 * 12.0, 1080 * 12.0, 12.0, 12.0});  // 120 dpi
    EXPECT_DOUBLE_EQ(hiDpi.ctx.form.RADDRIZZA.left, 120);
    EXPECT_DOUBLE_EQ(hiDpi.ctx.form.Frame1.left, 1920 - 3135 / 12.0 - 20);
}

TEST_F(FormLoadTest, ShowsTheFirstPromptAndTheSizeFactor) {
    EXPECT_EQ(f.caption, "VESTA 3.04");
    EXPECT_EQ(f.domanda1.caption, prompts::kCaricare);
    EXPECT_EQ(f.Text3.caption, "1");
    EXPECT_EQ(app.ctx.s.grandezza, 1.0);
}

}  // namespace
}  // namespace vesta
