#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QResizeEvent>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "codec/ColourFileWriter.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"
#include "desktop/QtPlatform.h"

namespace vesta::desktop {
namespace {

// Of two sizes a window manager gives at once (the window mapped at its first size, then
// maximised) Qt may hand on the first when it has taken the second, and send nothing after.
// The window lays itself out for the size it has: laid out for its first 200 x 100, a
// photograph opened next was nought pixels wide and never drawn.
TEST(StaleResize, TheWindowIsLaidOutForTheSizeItHas) {
    test::TempDir dir;
    test::ScriptedDialogs dialogs;
    QtEventLoop events;
    MainWindow window({dialogs, events,
                       Paths{VESTA_SAMPLES_DIR "/..", dir.path().string(), dir.path().string()},
                       test::screen1024x768(), '.'});
    events.onFinish(
        [&window](std::function<void()> done) { window.run([&done](Context&) { done(); }); });
    window.resize(1024, 768);
    window.show();
    QResizeEvent stale(QSize(200, 100), QSize(640, 480));
    QApplication::sendEvent(&window, &stale);
    const Context& ctx = window.context();
    EXPECT_EQ(ctx.s.schermoLarg, float(window.width()));
    EXPECT_EQ(ctx.s.schermoAlt, float(window.height()));

    const std::filesystem::path jpeg = dir / "grande.jpg";
    ASSERT_EQ(saveColourImage(jpeg.string(), test::patternImage(3000, 2000, 3, 8)), "");
    dialogs.openAnswers.push_back(jpeg.string());
    window.menuAction("open")->trigger();
    QElapsedTimer clock;
    clock.start();
    while (ctx.s.openingUnderWay != 0 && clock.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    ASSERT_TRUE(ctx.s.aColori());
    EXPECT_FALSE(window.pictureWidget("Picture1")->visibleRegion().isEmpty());
}

}  // namespace
}  // namespace vesta::desktop
