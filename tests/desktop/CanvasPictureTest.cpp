#include <gtest/gtest.h>

#include "desktop/CanvasPicture.h"
#include "image/BitmapFile.h"

namespace vesta::desktop {
namespace {

class CanvasPictureTest : public ::testing::Test {
  protected:
    // A photograph of a facade, whose pixels vary from one to the next, so an erase that misses
    // shows.
    void SetUp() override {
        canvas.setPicture(
            readSourceBitmap(VESTA_SAMPLES_DIR "/facciata_ruotata.bmp").value().image);
    }
    QRgb at(int x, int y) const { return canvas.canvas().pixel(x, y) & 0xFFFFFF; }
    CanvasPicture canvas{10, 10, colours::windowBackground};
};

// A figure is drawn in its colour, or black in black mode; refresh takes every figure away, and
// an area without picture is its background.
TEST_F(CanvasPictureTest, CopyPenPaintsInTheColourBlackModeInBlackAndRefreshErases) {
    const QImage bare = canvas.canvas().copy();
    canvas.setDrawMode(DrawMode::CopyPen);
    canvas.line(2, 5, 30, 5, colours::red);
    EXPECT_TRUE(at(2, 5) == 0xFF0000u && at(29, 5) == 0xFF0000u);
    canvas.setForeColor(colours::blue);
    canvas.box(10, 10, 20, 25);
    EXPECT_EQ(at(20, 25), 0x0000FFu);
    EXPECT_NE(at(15, 15), 0x0000FFu) << "a box is an outline";
    canvas.setDrawMode(DrawMode::Black);
    canvas.circle(20, 15, 5, colours::red);
    EXPECT_EQ(at(25, 15), 0u);
    canvas.refresh();
    EXPECT_EQ(canvas.canvas(), bare);
    CanvasPicture empty(265, 273, colours::windowBackground);
    EXPECT_EQ(empty.canvas().pixel(100, 100) & 0xFFFFFF, 0x004040u);
}

TEST_F(CanvasPictureTest, InvertingAFigureTwiceLeavesEveryPixelAsItWas) {
    const QImage before = canvas.canvas().copy();
    canvas.setDrawMode(DrawMode::Invert);
    canvas.line(1.5f, 2.25f, 37.75f, 28.5f);
    canvas.box(3, 4, 35, 26);
    EXPECT_NE(canvas.canvas(), before);
    canvas.box(3, 4, 35, 26);
    canvas.line(1.5f, 2.25f, 37.75f, 28.5f);
    EXPECT_EQ(canvas.canvas(), before);
}

}  // namespace
}  // namespace vesta::desktop
