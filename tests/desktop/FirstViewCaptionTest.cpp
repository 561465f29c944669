#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include "Fakes.h"
#include "desktop/FirstViewWidget.h"
#include "desktop/MainWindow.h"
#include "desktop/QtPlatform.h"

namespace vesta::desktop {
namespace {

// While a large JPEG is read its first view covers the pictures' part of the window; the
// photograph's title, "Immagine sorgente", stays readable over it as it is over the photograph.
TEST(FirstViewCaption, TheSourceTitleShowsOverTheFirstView) {
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
    dialogs.openAnswers.push_back(VESTA_SAMPLES_DIR "/facciata_ruotata.bmp");
    window.menuAction("open")->trigger();
    QElapsedTimer clock;
    clock.start();
    while (window.context().s.openingUnderWay != 0 && clock.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
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

}  // namespace
}  // namespace vesta::desktop
