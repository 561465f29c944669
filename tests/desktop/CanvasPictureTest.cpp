#include <gtest/gtest.h>

#include "desktop/CanvasPicture.h"

namespace vesta::desktop {
namespace {

// A 40 x 30 photograph whose pixels all differ, so an erase that misses shows.
IndexedImage photograph() {
    IndexedImage image{40, 30, {}, {}};
    for (int i = 0; i < 256; ++i) {
        image.palette[4 * i] = std::uint8_t(i);            // blue
        image.palette[4 * i + 1] = std::uint8_t(255 - i);  // green
        image.palette[4 * i + 2] = std::uint8_t(i * 3);    // red
    }
    image.pixels.resize(40 * 30);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = std::uint8_t(i % 253);
    }
    return image;
}

class CanvasPictureTest : public ::testing::Test {
  protected:
    void SetUp() override { canvas.setPicture(photograph()); }
    QRgb at(int x, int y) const { return canvas.canvas().pixel(x, y) & 0xFFFFFF; }
    CanvasPicture canvas{10, 10, colours::windowBackground};
};

TEST_F(CanvasPictureTest, ThePictureShowsEachIndexInItsPaletteColour) {
    const IndexedImage image = photograph();
    ASSERT_EQ(canvas.canvas().size(), QSize(40, 30));
    const Rgb c = image.colour(image.row(7)[5]);
    EXPECT_EQ(at(5, 7), qRgb(c.r, c.g, c.b) & 0xFFFFFF);
}

TEST_F(CanvasPictureTest, CopyPenPaintsInTheColourAndBlackModeInBlack) {
    canvas.setDrawMode(DrawMode::CopyPen);
    canvas.line(2, 5, 30, 5, colours::red);
    for (int x = 2; x < 30; ++x) {
        ASSERT_EQ(at(x, 5), 0xFF0000u) << x;
    }
    canvas.setForeColor(colours::blue);
    canvas.box(10, 10, 20, 25);
    EXPECT_EQ(at(10, 10), 0x0000FFu);
    EXPECT_EQ(at(20, 25), 0x0000FFu);
    EXPECT_EQ(at(15, 10), 0x0000FFu);
    EXPECT_NE(at(15, 15), 0x0000FFu) << "a box is an outline";
    canvas.setDrawMode(DrawMode::Black);
    canvas.circle(20, 15, 5, colours::red);
    EXPECT_EQ(at(25, 15), 0u);
    EXPECT_EQ(at(20, 10), 0u);
}

TEST_F(CanvasPictureTest, InvertingAFigureTwiceLeavesEveryPixelAsItWas) {
    const QImage before = canvas.canvas().copy();
    canvas.setDrawMode(DrawMode::Invert);
    canvas.line(1.5f, 2.25f, 37.75f, 28.5f);
    const QRgb inverted = at(1, 2);
    canvas.box(3, 4, 35, 26);
    canvas.circle(20, 15, 9.5f);
    EXPECT_NE(canvas.canvas(), before);
    EXPECT_EQ(inverted, ~before.pixel(1, 2) & 0xFFFFFF) << "invert mode ignores the colour";
    canvas.circle(20, 15, 9.5f);
    canvas.box(3, 4, 35, 26);
    canvas.line(1.5f, 2.25f, 37.75f, 28.5f);
    EXPECT_EQ(canvas.canvas(), before);
}

TEST_F(CanvasPictureTest, RefreshErasesEverythingDrawn) {
    const QImage before = canvas.canvas().copy();
    canvas.line(0, 0, 39, 29, colours::red);
    canvas.circle(10, 10, 4, colours::blue);
    canvas.refresh();
    EXPECT_EQ(canvas.canvas(), before);
}

TEST(EmptyCanvas, AnAreaWithoutPictureIsItsBackgroundAndCanBeDrawnOn) {
    CanvasPicture empty(265, 273, colours::windowBackground);
    EXPECT_EQ(empty.canvas().pixel(100, 100) & 0xFFFFFF, 0x004040u);
    empty.box(20, 40, 120, 140, colours::red);
    EXPECT_EQ(empty.canvas().pixel(70, 40) & 0xFFFFFF, 0xFF0000u);
    empty.refresh();
    EXPECT_EQ(empty.canvas().pixel(70, 40) & 0xFFFFFF, 0x004040u);
}

}  // namespace
}  // namespace vesta::desktop
