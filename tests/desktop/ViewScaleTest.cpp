#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

#include "BitmapBytes.h"
#include "WindowFixture.h"
#include "desktop/Magnifier.h"

namespace vesta::desktop {
namespace {

// The large sample (larger than the window) in a 1024 x 768 window.
class ViewScaleTest : public test::WindowTest {
  protected:
    ViewScaleTest() {
        openFile(VESTA_SAMPLES_DIR "/facciata_grande.bmp");
        photo = window.pictureWidget("Picture1");
    }
    // A point of the window's client area in the photograph widget's own pixels.
    QPoint inPhoto(QPoint client) const { return client - photo->pos(); }
    QImage shown(QRect widgetRect) const { return photo->grab(widgetRect).toImage(); }
    QRgb shownAt(QPoint widgetPoint) const {
        return shown(QRect(widgetPoint, QSize(1, 1))).pixel(0, 0) & 0xFFFFFF;
    }
    QRgb photoAt(double x, double y) {
        const IndexedImage& image = window.context().s.sorgente.image;
        const Rgb c = image.colour(image.row(int(std::floor(y)))[int(std::floor(x))]);
        return qRgb(c.r, c.g, c.b) & 0xFFFFFF;
    }
    void click(QPoint widgetPoint) { QTest::mouseClick(photo, Qt::LeftButton, {}, widgetPoint); }
    void ctrlWheel(QPoint widgetPoint, int notches) {
        const QPointF at(widgetPoint);
        QWheelEvent wheel(at, photo->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(photo, &wheel);
    }
    const WorkingState& s() { return window.context().s; }

    PictureWidget* photo = nullptr;
};

// A click stores the photograph point the view shows under it, at every scale. The line between
// two clicks at 1:2 is drawn one screen pixel wide along the clicked points; the rubber band's
// earlier positions are gone.
TEST_F(ViewScaleTest, AClickStoresThePhotographPointTheViewShowsUnderIt) {
    auto* across = qobject_cast<QScrollBar*>(window.control("HScroll1"));
    auto* down = qobject_cast<QScrollBar*>(window.control("VScroll1"));
    ASSERT_TRUE(across->isVisible() && down->isVisible()) << "the sample is larger than the window";
    const QPoint ranges(across->maximum(), down->maximum());

    choose("scale1to2");
    const QRect visible(inPhoto({0, 0}), QSize(700, 500));
    const QImage before = shown(visible);
    const QPoint a = inPhoto({120, 90});
    const QPoint b = inPhoto({560, 410});
    click(a);
    for (QPoint p : {QPoint(300, 300), QPoint(450, 120), QPoint(560, 410)}) {
        QTest::mouseMove(photo, inPhoto(p));
    }
    click(b);
    ASSERT_EQ(s().nRette, 1);
    const QImage after = shown(visible);
    const QPointF d = b - a;
    EXPECT_GT(test::changedAlong(before, after, a - visible.topLeft(), b - visible.topLeft()),
              0.9 * std::max(std::abs(d.x()), std::abs(d.y())))
        << "one pixel a step, none off the line";
    EXPECT_EQ(after.pixel(b - visible.topLeft()) & 0xFFFFFF, 0xFF0000u);

    // 4:1: a click one screen pixel into a photograph pixel lands a quarter into it.
    choose("scale4to1");
    QPoint at = inPhoto({301, 203});
    at += QPoint((5 - at.x() % 4) % 4, (6 - at.y() % 4) % 4);  // 1 and 2 past a pixel's edge
    const QRgb under = shownAt(at);
    click(at);
    const double x = s().xPrimo, y = s().yPrimo;
    EXPECT_DOUBLE_EQ(x - std::floor(x), 0.25);
    EXPECT_EQ(under, photoAt(x, y));

    // 1:4: whole photograph pixels, four at a time.
    choose("scale1to4");
    click(inPhoto({151, 103}));
    ASSERT_EQ(s().nRette, 2);
    const auto [first, second] = s().line(2);
    EXPECT_EQ(std::fmod(second.x, 4.0), 0.0);
    EXPECT_DOUBLE_EQ(first.x, x) << "the first end is kept as clicked";
    // Each line end keeps the scale of the view it was clicked on.
    EXPECT_EQ(s().lineViewScales(2), (std::array<double, 2>{4.0, 0.25}));

    // Back at 1:1 the bars are ranged as on opening and a click stores its screen pixel;
    // scrolling moves the picture itself, so the pixel is the picture's at every position.
    choose("scale1to1");
    EXPECT_EQ(QPoint(across->maximum(), down->maximum()), ranges);
    across->setValue(100);
    EXPECT_EQ(photo->x(), -100);
    const QPoint plain = inPhoto({333, 222});
    click(plain);
    EXPECT_EQ(QPointF(s().xPrimo, s().yPrimo), QPointF(plain));
}

// 4400 pixels at 8:1 are 35200 screen pixels, past a 16-bit range: the bar still reaches
// the photograph's last column.
TEST_F(ViewScaleTest, AMagnifiedWidePhotographScrollsToItsFarEdge) {
    const auto path = scratch.path() / "larga.bmp";
    test::writeBytes(path, test::bitmapBytes({.width = 4400, .height = 120}));
    openFile(path.string());
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    choose("scale8to1");
    auto* across = qobject_cast<QScrollBar*>(window.control("HScroll1"));
    ASSERT_TRUE(across->isVisible());
    across->setValue(across->maximum());
    const QPoint last = inPhoto({across->width() - 1, 400});
    const QPointF point = photo->toPicture(last);
    EXPECT_EQ(int(point.x()), 4399);
    EXPECT_EQ(shownAt(last), photoAt(point.x(), point.y()));
}

// The views act on the rectified image as on the photograph: Ctrl+0 fits it to the window,
// the menu's mark follows what is shown, and a measuring click on the reduced result is taken
// in the result's own pixels.
TEST_F(ViewScaleTest, TheViewsWorkOnTheRectifiedImage) {
    const auto path = scratch.path() / "prova.bmp";
    test::writeBytes(path, test::bitmapBytes({.width = 800, .height = 600}));
    openFile(path.string());
    window.run([](Context& c) { test::clickFourLines(c); });
    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);
    ASSERT_TRUE(window.context().form.Picture2.visible) << "rectified";
    window.resize(640, 480);  // a visible region of 399 x 432
    PictureWidget* result = window.pictureWidget("Picture2");
    const double width = s().largRaddr, height = s().altRaddr;
    ASSERT_GT(std::max(width - 399, height - 432), 0) << "a result larger than the window";
    QTest::keyClick(&window, Qt::Key_0, Qt::ControlModifier);
    const double fit = result->scale();
    ASSERT_LT(fit, 1.0);
    EXPECT_TRUE(window.menuAction("fitView")->isChecked());
    EXPECT_TRUE(result->width() <= 399 && result->height() <= 432);
    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);
    QTest::mouseClick(result, Qt::LeftButton, {}, QPoint(100, 60));
    EXPECT_NEAR(s().xPrimo, 100 / fit, 1 / fit);
    choose("scale1to1");
    EXPECT_TRUE(window.control("HScroll2")->isVisible() || window.control("VScroll2")->isVisible())
        << "the bars back for a result larger than the window";
}

TEST_F(ViewScaleTest, CtrlWheelScalesAboutTheCursorAndTheMagnifierShowsThePixelUnderIt) {
    const QPoint cursor(410, 290);
    QPointF under = inPhoto(cursor);
    for (double scale : {2.0, 4.0}) {
        ctrlWheel(inPhoto(cursor), 1);
        ASSERT_EQ(photo->scale(), scale);
        const QPointF now = photo->toPicture(inPhoto(cursor));
        EXPECT_NEAR(now.x(), under.x(), 0.5 / scale) << scale;
        under = now;
    }
    EXPECT_TRUE(window.menuAction("scale4to1")->isChecked());
    ctrlWheel(inPhoto(cursor), -1);
    EXPECT_EQ(photo->scale(), 2.0);

    // The magnifier shows the pixel under the cursor at its centre.
    choose("scale4to1");
    choose("magnifier");
    Magnifier* lens = window.magnifier();
    QPoint at = inPhoto({420, 330});
    at += QPoint((5 - at.x() % 4) % 4, (5 - at.y() % 4) % 4);
    QTest::mouseMove(photo, at);
    ASSERT_TRUE(lens->isVisible());
    const QPointF point = lens->point();
    const QImage view = lens->grab().toImage();
    const int c = Magnifier::kSide / 2;
    EXPECT_EQ(view.pixel(c + 2, c + 2) & 0xFFFFFF, photoAt(point.x(), point.y()));
    // The crosshair's point is the point a click there stores, as sure as a pixel of the view
    // under the lens.
    click(at);
    EXPECT_EQ(QPointF(s().xPrimo, s().yPrimo), point);
}

}  // namespace
}  // namespace vesta::desktop
