#include <gtest/gtest.h>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "image/OpenImage.h"
#include "image/Scrolling.h"

namespace vesta {
namespace {

class ScrollingTest : public test::AppTest {
  protected:
    void open(int width, int height) { test::openBitmap(app, width, height); }
};

// The visible region is 1008 x 720 with bars 16 pixels thick; each bar appears only for the
// side that does not fit, and its small and large steps are a hundredth and a tenth of the
// visible side, rounded half to even.
TEST_F(ScrollingTest, EachSideThatDoesNotFitGetsItsBar) {
    open(1500, 500);
    EXPECT_FALSE(f.VScroll1.visible);
    ASSERT_TRUE(f.HScroll1.visible);
    EXPECT_EQ(f.HScroll1.max, 1500 - 1008);
    EXPECT_LT(f.Picture1.zOrder, f.HScroll1.zOrder) << "the bar stays on top of the picture";
    open(600, 900);
    EXPECT_FALSE(f.HScroll1.visible);
    ASSERT_TRUE(f.VScroll1.visible);
    EXPECT_EQ(f.VScroll1.max, 900 - 720);
    const struct {
        double side, visible;
        int max, small, large;
    } ranges[] = {{1500, 1007, 493, 10, 101}, {1000, 250, 750, 2, 25}, {1000, 350, 650, 4, 35}};
    for (const auto& r : ranges) {
        const ScrollRange got = scrollRange(r.side, r.visible);
        EXPECT_EQ(got.max, r.max) << r.visible;
        EXPECT_EQ(got.smallChange, r.small) << r.visible;
        EXPECT_EQ(got.largeChange, r.large) << r.visible;
    }
}

TEST_F(ScrollingTest, ScrollingMovesThePictureAndKeepsItsFarEdgeAtTheRegionsEdge) {
    open(1500, 1000);
    f.HScroll1.value = f.HScroll1.max;
    HScroll1_Change(app.ctx);
    EXPECT_EQ(f.Picture1.left, -492);
    EXPECT_EQ(f.Picture1.left + f.Picture1.width, 1008);
    f.VScroll1.value = 0;
    VScroll1_Change(app.ctx);
    EXPECT_EQ(f.Picture1.top, 0);
    EXPECT_EQ(f.Picture1.height, 768 - 16);
}

TEST_F(ScrollingTest, ASmallImageAfterAScrolledLargeOneShowsNoBarsAndStartsAtTheCorner) {
    open(2000, 2000);
    f.HScroll1.value = 300;
    HScroll1_Change(app.ctx);
    open(200, 100);
    EXPECT_FALSE(f.HScroll1.visible);
    EXPECT_FALSE(f.VScroll1.visible);
    EXPECT_EQ(f.Picture1.left, 0);
    EXPECT_EQ(f.Picture1.width, 200);
}

}  // namespace
}  // namespace vesta
