#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QResizeEvent>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "codec/ColourFileWriter.h"
#include "desktop/FirstViewWidget.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"
#include "desktop/QtPlatform.h"

namespace vesta::desktop {
namespace {

// The window on a 1024 x 768 screen with Qt's own event loop.
class OpeningLayout : public ::testing::Test {
  protected:
    OpeningLayout()
        : window({dialogs, events,
                  Paths{VESTA_SAMPLES_DIR "/..", dir.path().string(), dir.path().string()},
                  test::screen1024x768(), '.'}) {
        events.onFinish(
            [this](std::function<void()> done) { window.run([&done](Context&) { done(); }); });
        window.resize(1024, 768);
        window.show();
    }
    void open(const std::string& path) {
        dialogs.openAnswers.push_back(path);
        window.menuAction("open")->trigger();
        QElapsedTimer clock;
        clock.start();
        while (window.context().s.openingUnderWay != 0 && clock.elapsed() < 30000) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
    }
    test::TempDir dir;
    test::ScriptedDialogs dialogs;
    QtEventLoop events;
    MainWindow window;
};

// While a large JPEG is read its first view covers the pictures' part of the window; the
// photograph's title, "Immagine sorgente", stays readable over it as it is over the photograph.
TEST_F(OpeningLayout, TheSourceTitleShowsOverTheFirstView) {
    open(VESTA_SAMPLES_DIR "/facciata_ruotata.bmp");
    QWidget* title = window.control("Label4");
    ASSERT_TRUE(title->isVisible());
    // A uniform grey first view, as the opening puts it on show.
    ColourImage grey{750, 500, 3, 8, {}, {}, {}, {}};
    grey.samples8.assign(grey.rowSamples() * 500, 128);
    window.picture1().showFirstView(grey, 3000, 2000, 0.3);
    ASSERT_TRUE(window.firstView()->isVisible());
    const QRect place(title->mapTo(window.client(), QPoint(0, 0)), title->size());
    ASSERT_TRUE(window.firstView()->geometry().intersects(place));
    const QImage shown = window.client()->grab().toImage();
    int red = 0;
    for (int y = place.top(); y <= place.bottom(); ++y) {
        for (int x = place.left(); x <= place.right(); ++x) {
            const QRgb p = shown.pixel(x, y);
            red += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
        }
    }
    EXPECT_GT(red, 20) << "the title's red letters are covered";
    window.picture1().dropFirstView();
    EXPECT_FALSE(window.firstView()->isVisible());
}

// Of two sizes a window manager gives at once (the window mapped at its first size, then
// maximised) Qt may hand on the first when it has taken the second, and send nothing after.
// The window lays itself out for the size it has: laid out for its first 200 x 100, a
// photograph opened next was nought pixels wide and never drawn.
TEST_F(OpeningLayout, TheWindowIsLaidOutForTheSizeItHas) {
    QResizeEvent stale(QSize(200, 100), QSize(640, 480));
    QApplication::sendEvent(&window, &stale);
    const Context& ctx = window.context();
    EXPECT_EQ(ctx.s.schermoLarg, float(window.width()));
    EXPECT_EQ(ctx.s.schermoAlt, float(window.height()));

    const std::filesystem::path jpeg = dir / "grande.jpg";
    ASSERT_EQ(saveColourImage(jpeg.string(), test::patternImage(3000, 2000, 3, 8)), "");
    open(jpeg.string());
    ASSERT_TRUE(ctx.s.aColori());
    EXPECT_FALSE(window.pictureWidget("Picture1")->visibleRegion().isEmpty());
}

}  // namespace
}  // namespace vesta::desktop
