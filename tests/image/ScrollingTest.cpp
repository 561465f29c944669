#include <gtest/gtest.h>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "image/Scrolling.h"
#include "opening/OpenImage.h"

namespace vesta {
namespace {

class ScrollingTest : public test::AppTest {};

// The visible region is 783 x 720 (the panel's column of 209 + 16 kept) with bars 16 pixels
// thick; each bar appears only for the
// side that does not fit, and its small and large steps are a hundredth and a tenth of the
// visible side, rounded half to even. A photograph opened after a scrolled one starts at the
// corner.
TEST_F(ScrollingTest, EachSideThatDoesNotFitGetsItsBar) {
    test::openBitmap(app, 1500, 500);
    EXPECT_FALSE(f.VScroll1.visible);
    ASSERT_TRUE(f.HScroll1.visible);
    EXPECT_EQ(f.HScroll1.max, 1500 - 783);
    EXPECT_LT(f.Picture1.zOrder, f.HScroll1.zOrder) << "the bar stays on top of the picture";
    f.HScroll1.value = 300;
    HScroll1_Change(app.ctx);
    test::openBitmap(app, 600, 900);
    EXPECT_FALSE(f.HScroll1.visible);
    ASSERT_TRUE(f.VScroll1.visible);
    EXPECT_EQ(f.VScroll1.max, 900 - 720);
    EXPECT_TRUE(f.Picture1.left == 0 && f.Picture1.width == 600);
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

}  // namespace
}  // namespace vesta
