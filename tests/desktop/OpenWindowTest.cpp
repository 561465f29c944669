#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QResizeEvent>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "BitmapBytes.h"
#include "EventWatch.h"
#include "Fakes.h"
#include "codec/ColourFileWriter.h"
#include "desktop/FirstViewWidget.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"
#include "desktop/QtPlatform.h"

namespace vesta::desktop {
namespace {

const std::string kSample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";

// The window with Qt's own event loop, which reads a photograph on a thread of its own.
class OpenWindowTest : public ::testing::Test {
  protected:
    OpenWindowTest()
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
    }
    // Lets the window run until the photograph asked for is in.
    bool opened() {
        QElapsedTimer clock;
        clock.start();
        while (window.context().s.openingUnderWay != 0 && clock.elapsed() < 30000) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        return window.context().s.openingUnderWay == 0;
    }
    QString prompt() const { return qobject_cast<QLabel*>(window.control("domanda1"))->text(); }

    test::TempDir dir;
    test::ScriptedDialogs dialogs;
    QtEventLoop events;
    MainWindow window;
};

// Of two sizes a window manager gives at once (the window mapped at its first size, then
// maximised) Qt may hand on the first when it has taken the second, and send nothing after: the
// window lays itself out for the size it has (laid out for its first 200 x 100, a photograph
// opened next was nought pixels wide and never drawn). The Open dialog's answer returns to a
// window that says at once that it loads and takes no input meanwhile (a click on the photograph
// about to go, F2); a large JPEG shows at once reduced, at the place and size the photograph will
// have, while nothing of the work on show changes, then the photograph itself replaces it,
// fitted to the window. A file that cannot be read leaves the work as it was, and so does one
// still being read when the window closes.
TEST_F(OpenWindowTest, APhotographIsReadWhileTheWindowIsDrawnThenFitted) {
    QResizeEvent stale(QSize(200, 100), QSize(640, 480));
    QApplication::sendEvent(&window, &stale);
    const Context& ctx = window.context();
    EXPECT_EQ(QSizeF(ctx.s.schermoLarg, ctx.s.schermoAlt), QSizeF(window.size()));
    // A 3000 x 2000 JPEG, dark in its left half and bright in its right one.
    ColourImage halves{3000, 2000, 3, 8, {}, {}, {}, {}};
    halves.samples8.resize(halves.rowSamples() * 2000);
    for (std::size_t i = 0; i < halves.samples8.size(); ++i) {
        halves.samples8[i] = (i / 3) % 3000 < 1500 ? 30 : 220;
    }
    const std::string jpeg = (dir / "grande.jpg").string();
    ASSERT_EQ(saveColourImage(jpeg, halves), "");
    open(kSample);
    ASSERT_TRUE(opened());
    EXPECT_EQ(ctx.form.viewScale, 1.0) << "a palette bitmap opens at the chosen view";
    // The first view covers the pictures' part of the window; the photograph's title, "Immagine
    // sorgente", stays readable over it as it is over the photograph.
    QWidget* title = window.control("Label4");
    QImage underTitle;
    int shows = 0;
    QImage view;
    QSize size;
    test::OnEvent watch(window.firstView(), QEvent::Show, [&] {
        ++shows;
        EXPECT_TRUE(ctx.s.openingUnderWay != 0 && ctx.s.nomeFile == kSample);
        view = window.picture1().firstView();
        size = window.picture1().firstViewSize();
        const QRect place(title->mapTo(window.client(), QPoint(0, 0)), title->size());
        EXPECT_TRUE(title->isVisible() && window.firstView()->geometry().intersects(place));
        underTitle = window.client()->grab(place).toImage();
    });
    open(jpeg);
    EXPECT_EQ(prompt(), "Sto caricando...");
    EXPECT_EQ(window.client()->cursor().shape(), Qt::WaitCursor);
    QTest::mouseClick(window.pictureWidget("Picture1"), Qt::LeftButton, {}, QPoint(50, 50));
    dialogs.openAnswers.push_back(kSample);
    QTest::keyClick(&window, Qt::Key_F2);
    ASSERT_TRUE(opened());
    EXPECT_EQ(ctx.s.nomeFile, jpeg);
    EXPECT_EQ(ctx.s.attesaSecondo, 0) << "the click reached the photograph";
    EXPECT_EQ(dialogs.openAnswers.size(), 1u) << "F2 reached the window";
    const double scale = ctx.form.viewScale;
    EXPECT_LT(scale, 0.35);
    EXPECT_LE(window.pictureWidget("Picture1")->width(), 1024);
    EXPECT_FALSE(window.pictureWidget("Picture1")->visibleRegion().isEmpty());
    EXPECT_EQ(prompt(), "Definire due rette orizz.");
    EXPECT_EQ(window.client()->cursor().shape(), Qt::ArrowCursor);

    ASSERT_EQ(shows, 1);
    int red = 0;
    for (int i = 0; i < underTitle.width() * underTitle.height(); ++i) {
        const QRgb p = underTitle.pixel(i % underTitle.width(), i / underTitle.width());
        red += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
    }
    EXPECT_GT(red, 20) << "the title's red letters are covered";
    EXPECT_EQ(size, QSize(int(std::lround(3000 * scale)), int(std::lround(2000 * scale))));
    const int w = view.width(), h = view.height();
    EXPECT_TRUE(qRed(view.pixel(w / 4, h / 2)) < 50 && qRed(view.pixel(3 * w / 4, h / 2)) > 200);
    EXPECT_FALSE(window.firstView()->isVisible());
    EXPECT_EQ(window.picture1().bare().size(), QSize(3000, 2000));

    const std::filesystem::path text = dir / "testo.jpg";
    test::writeBytes(text, std::vector<std::uint8_t>{'c', 'i', 'a', 'o'});
    dialogs.openAnswers.clear();
    open(text.string());
    ASSERT_TRUE(opened());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(ctx.s.nomeFile, jpeg);
    EXPECT_EQ(prompt(), "Definire due rette orizz.");
    EXPECT_EQ(window.client()->cursor().shape(), Qt::ArrowCursor);

    // Closed while a photograph is read: the window goes at once, the reading ends unseen.
    std::filesystem::copy_file(jpeg, dir / "altra.jpg");
    open((dir / "altra.jpg").string());
    ASSERT_NE(ctx.s.openingUnderWay, 0);
    EXPECT_TRUE(window.close());
    QTest::qWait(1000);
    EXPECT_EQ(ctx.s.nomeFile, jpeg);
}

}  // namespace
}  // namespace vesta::desktop
