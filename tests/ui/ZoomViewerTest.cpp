#include <gtest/gtest.h>

#include "Fakes.h"
#include "ui/ZoomViewer.h"

namespace vesta {
namespace {

class ZoomViewerTest : public test::AppTest {
  protected:
    void SetUp() override {
        s.larghezzaPic1 = 800;
        s.altezzaPic1 = 600;
    }
    ZoomForm& z = app.ctx.zoomForm;
};

TEST_F(ZoomViewerTest, OpensOnThePhotographOrOnTheRectifiedImageAtTenTwipsAPixel) {
    zoo_Click(app.ctx);
    EXPECT_TRUE(z.loaded && z.shown);
    EXPECT_EQ(z.showing, ZoomForm::Showing::Photograph);
    EXPECT_TRUE(z.image.width == 8000 && z.image.height == 6000);
    s.nRaddr = 1;
    s.largRaddr = 500;
    s.altRaddr = 400;
    zoo_Click(app.ctx);
    EXPECT_EQ(z.showing, ZoomForm::Showing::Rectified);
    EXPECT_EQ(z.image.width, 5000);
}

TEST_F(ZoomViewerTest, StepsAccelerateInOneDirectionAndRestartOnAChange) {
    zoo_Click(app.ctx);
    for (int i = 0; i < 4; ++i) {
        Spin1_SpinDown(app.ctx);
    }
    EXPECT_NEAR(z.image.height, 6000 * 0.9 * 0.8 * 0.7 * 0.6, 1e-9);
    zoo_Click(app.ctx);
    Spin1_SpinUp(app.ctx);
    EXPECT_NEAR(z.image.height, 6600, 1e-9);
    Spin1_SpinDown(app.ctx);
    EXPECT_NEAR(z.image.height, 5940, 1e-9);
    Spin1_SpinUp(app.ctx);
    EXPECT_NEAR(z.image.height, 6534, 1e-9);
}

TEST_F(ZoomViewerTest, StepsStopAt600And30000TwipsButStillCount) {
    s.altezzaPic1 = 70;  // 700 twips
    zoo_Click(app.ctx);
    Spin1_SpinDown(app.ctx);  // 630
    Spin1_SpinDown(app.ctx);  // 504: refused
    EXPECT_NEAR(z.image.height, 630, 1e-9);
    EXPECT_TRUE(s.zoomPerc == 80 && s.zoomDir == -1);
    s.altezzaPic1 = 2800;
    zoo_Click(app.ctx);
    Spin1_SpinUp(app.ctx);  // 30800: refused
    EXPECT_TRUE(z.image.height == 28000 && s.zoomPerc == 110);
}

TEST_F(ZoomViewerTest, ScrollMaximaSaturateAtTheSixteenBitLimit) {
    s.larghezzaPic1 = 30000;
    zoo_Click(app.ctx);
    zoom_Form_Resize(app.ctx, 5000, 6000);
    EXPECT_TRUE(z.hScroll.max == 32767 && z.vScroll.max == 0);
    zoom_HScroll1_Change(app.ctx, 1200);
    EXPECT_TRUE(z.image.left == -1200 && s.posH == 1200);
}

TEST_F(ZoomViewerTest, TheGridIsForTheRectifiedImageOnly) {
    zoo_Click(app.ctx);
    Image1_DblClick(app.ctx);
    EXPECT_TRUE(z.grid.empty());
    s.nRaddr = 1;
    s.largRaddr = 100;
    s.altRaddr = 50;
    zoom_Form_Unload(app.ctx);
    zoo_Click(app.ctx);  // loaded again: scalaIniz = 1935 / 100
    Image1_DblClick(app.ctx);
    // Before any step zoomPerc is 1, so the step is 200 x 19.35 / 100 = 38.7 twips over a
    // picture of 1000 x 500: 26 vertical lines and 13 horizontal ones, ends included.
    ASSERT_EQ(z.grid.size(), 26u + 13u);
    EXPECT_NEAR(z.grid[1].x1, 38.7, 1e-9);
    EXPECT_EQ(z.grid[0].y2, 500);
}

TEST_F(ZoomViewerTest, ReleasingTheMouseFitsTheWindowToThePicture) {
    zoo_Click(app.ctx);  // a picture larger than the window: the window grows to it
    zoom_Form_MouseUp(app.ctx);
    EXPECT_TRUE(z.window.width == 8000 && z.window.height == 6000);
    s.larghezzaPic1 = 200;
    s.altezzaPic1 = 100;
    zoo_Click(app.ctx);  // a smaller one: the window shrinks to it, with room for a bar
    zoom_Form_MouseUp(app.ctx);
    EXPECT_TRUE(z.window.width == 2000 && z.window.height == 1000 + 380);
    EXPECT_EQ(z.vScroll.place.height, 1000 + 760);
}

}  // namespace
}  // namespace vesta
