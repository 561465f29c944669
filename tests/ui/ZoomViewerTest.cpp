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

// Steps grow by ten percent more in one direction, restart on a change, and stop short of 600
// and 30000 twips while still counting.
TEST_F(ZoomViewerTest, StepsAccelerateRestartOnAChangeAndStopAtTheLimits) {
    zoo_Click(app.ctx);
    for (int i = 0; i < 4; ++i) {
        Spin1_SpinDown(app.ctx);
    }
    EXPECT_NEAR(z.image.height, 6000 * 0.9 * 0.8 * 0.7 * 0.6, 1e-9);
    zoo_Click(app.ctx);
    Spin1_SpinUp(app.ctx);
    Spin1_SpinDown(app.ctx);
    Spin1_SpinUp(app.ctx);
    EXPECT_NEAR(z.image.height, 6534, 1e-9);
    s.altezzaPic1 = 70;  // 700 twips
    zoo_Click(app.ctx);
    Spin1_SpinDown(app.ctx);  // 630
    Spin1_SpinDown(app.ctx);  // 504: refused
    EXPECT_NEAR(z.image.height, 630, 1e-9);
    s.altezzaPic1 = 2800;
    zoo_Click(app.ctx);
    Spin1_SpinUp(app.ctx);  // 30800: refused
    EXPECT_TRUE(z.image.height == 28000 && s.zoomPerc == 110);
}

// The bars' ranges follow every resize and zoom step, and a bar beyond its new range comes
// back with the picture: left there, the picture's near part could never be scrolled to again.
// A range stops at the 16-bit limit.
TEST_F(ZoomViewerTest, TheBarsAndThePictureFollowEveryResizeAndZoomStep) {
    zoo_Click(app.ctx);
    Spin1_SpinUp(app.ctx);
    Spin1_SpinUp(app.ctx);  // 10560 x 7920 twips in a window of 5325 x 6210
    zoom_HScroll1_Change(app.ctx, z.hScroll.max);
    zoom_VScroll1_Change(app.ctx, z.vScroll.max);
    ASSERT_TRUE(z.hScroll.max == 5235 && z.vScroll.max == 1710);
    zoom_Form_Resize(app.ctx, 900 * 15, 700 * 15);
    EXPECT_TRUE(z.hScroll.max == 0 && z.hScroll.value == 0 && z.image.left == 0 && s.posH == 0);
    EXPECT_TRUE(z.vScroll.max == 0 && z.vScroll.value == 0 && z.image.top == 0 && s.posV == 0);
    zoom_Form_Resize(app.ctx, 5325, 6210);
    zoom_HScroll1_Change(app.ctx, z.hScroll.max);
    Spin1_SpinDown(app.ctx);  // 9504 twips wide
    EXPECT_TRUE(z.hScroll.max == 4179 && z.hScroll.value == 4179 && z.image.left == -4179);
    s.larghezzaPic1 = 400;  // another photograph, narrower than the window
    zoo_Click(app.ctx);
    EXPECT_TRUE(z.hScroll.max == 0 && z.image.left == 0);
    s.larghezzaPic1 = 30000;  // one whose bar saturates at the 16-bit limit
    zoo_Click(app.ctx);
    zoom_Form_Resize(app.ctx, 5000, 6000);
    EXPECT_TRUE(z.hScroll.max == 32767 && z.vScroll.max == 0);
    zoom_HScroll1_Change(app.ctx, 1200);
    EXPECT_TRUE(z.image.left == -1200 && s.posH == 1200);
}

// Ten twips a pixel, of the photograph or of the rectified image; only the latter takes a grid.
TEST_F(ZoomViewerTest, OpensOnThePhotographOrOnTheRectifiedImageWhichAloneTakesAGrid) {
    zoo_Click(app.ctx);
    EXPECT_TRUE(z.showing == ZoomForm::Showing::Photograph && z.image.width == 8000 &&
                z.image.height == 6000);
    Image1_DblClick(app.ctx);
    EXPECT_TRUE(z.grid.empty());
    s.nRaddr = 1;
    s.largRaddr = 100;
    s.altRaddr = 50;
    zoom_Form_Unload(app.ctx);
    zoo_Click(app.ctx);  // loaded again: scalaIniz = 1935 / 100
    EXPECT_TRUE(z.showing == ZoomForm::Showing::Rectified && z.image.width == 1000);
    Image1_DblClick(app.ctx);
    // Before any step zoomPerc is 1, so the step is 200 x 19.35 / 100 = 38.7 twips over a
    // picture of 1000 x 500: 26 vertical lines and 13 horizontal ones, ends included.
    EXPECT_EQ(z.grid.size(), 26u + 13u);
}

}  // namespace
}  // namespace vesta
