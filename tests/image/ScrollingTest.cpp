#include <gtest/gtest.h>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "image/OpenImage.h"
#include "image/Scrolling.h"
#include "ui/Startup.h"

namespace vesta {
namespace {

class ScrollingTest : public ::testing::Test {
  protected:
    void SetUp() override { Form_Load(app.ctx, test::screen1024x768()); }
    void open(int width, int height) {
        const auto path = dir / "foto.bmp";
        test::writeBytes(path, test::bitmapBytes({.width = width, .height = height}));
        app.dialogs.openAnswers.push_back(path.string());
        open_Click(app.ctx);
    }
    test::TempDir dir;
    test::FakeApp app;
    FormModel& f = app.ctx.form;
};

TEST_F(ScrollingTest, AWideImageGetsOnlyTheHorizontalBar) {
    // Visible region 1007 x 717 with bars 16 pixels thick.
    open(1500, 500);
    EXPECT_FALSE(f.VScroll1.visible);
    ASSERT_TRUE(f.HScroll1.visible);
    EXPECT_EQ(f.HScroll1.max, 1500 - 1008);
    EXPECT_EQ(f.HScroll1.smallChange, 10);
    EXPECT_EQ(f.HScroll1.largeChange, 101);
    EXPECT_EQ(f.HScroll1.top, 768 - 48);
    EXPECT_LT(f.Picture1.zOrder, f.HScroll1.zOrder) << "the bar stays on top of the picture";
}

TEST_F(ScrollingTest, RangesRoundHalfToEven) {
    const ScrollRange r = scrollRange(1500, 1007);
    EXPECT_EQ(r.max, 493);
    EXPECT_EQ(r.smallChange, 10);
    EXPECT_EQ(r.largeChange, 101);
    EXPECT_EQ(scrollRange(1000, 250).largeChange, 25);
    EXPECT_EQ(scrollRange(1000, 250).smallChange, 2);  // 2.5 goes to 2
    EXPECT_EQ(scrollRange(1000, 350).smallChange, 4);  // 3.5 goes to 4
}

TEST_F(ScrollingTest, ATallImageGetsTheVerticalBarBesideIt) {
    open(600, 900);
    EXPECT_FALSE(f.HScroll1.visible);
    ASSERT_TRUE(f.VScroll1.visible);
    EXPECT_EQ(f.VScroll1.max, 900 - 720);
    EXPECT_EQ(f.VScroll1.height, 720);
    EXPECT_EQ(f.VScroll1.left, 1008);
    EXPECT_EQ(f.HScroll1.width, 1008);
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
