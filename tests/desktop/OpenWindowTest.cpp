#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QResizeEvent>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "BitmapBytes.h"
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
    // A 3000 x 2000 JPEG, dark in its left half and bright in its right one.
    std::string largeJpeg() {
        ColourImage halves{3000, 2000, 3, 8, {}, {}, {}, {}};
        halves.samples8.resize(halves.rowSamples() * 2000);
        for (std::size_t i = 0; i < halves.samples8.size(); ++i) {
            halves.samples8[i] = (i / 3) % 3000 < 1500 ? 30 : 220;
        }
        const std::string path = (dir / "grande.jpg").string();
        EXPECT_EQ(saveColourImage(path, halves), "");
        return path;
    }
    QString prompt() const { return qobject_cast<QLabel*>(window.control("domanda1"))->text(); }

    test::TempDir dir;
    test::ScriptedDialogs dialogs;
    QtEventLoop events;
    MainWindow window;
};

// The Open dialog's answer returns to a window that says at once that it loads and takes no
// input meanwhile (a click on the photograph about to go, F2); a camera photograph larger than
// the window then opens fitted to it. A file that cannot be read leaves the work as it was.
TEST_F(OpenWindowTest, APhotographIsReadWhileTheWindowIsDrawnThenFitted) {
    const std::string jpeg = largeJpeg();
    open(kSample);
    ASSERT_TRUE(opened());
    const Context& ctx = window.context();
    EXPECT_EQ(ctx.form.viewScale, 1.0) << "a palette bitmap opens at the chosen view";

    open(jpeg);
    EXPECT_EQ(prompt(), "Sto caricando...");
    EXPECT_EQ(window.client()->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(ctx.s.nomeFile, kSample);
    QTest::mouseClick(window.pictureWidget("Picture1"), Qt::LeftButton, {}, QPoint(50, 50));
    dialogs.openAnswers.push_back(kSample);
    QTest::keyClick(&window, Qt::Key_F2);
    ASSERT_TRUE(opened());
    EXPECT_EQ(ctx.s.nomeFile, jpeg);
    EXPECT_EQ(ctx.s.attesaSecondo, 0) << "the click reached the photograph";
    EXPECT_EQ(dialogs.openAnswers.size(), 1u) << "F2 reached the window";
    EXPECT_TRUE(ctx.form.viewFits);
    EXPECT_LT(ctx.form.viewScale, 0.35);
    EXPECT_LE(window.pictureWidget("Picture1")->width(), 1024);
    EXPECT_EQ(prompt(), "Definire due rette orizz.");
    EXPECT_EQ(window.client()->cursor().shape(), Qt::ArrowCursor);

    const std::filesystem::path text = dir / "testo.jpg";
    test::writeBytes(text, std::vector<std::uint8_t>{'c', 'i', 'a', 'o'});
    dialogs.openAnswers.clear();
    open(text.string());
    ASSERT_TRUE(opened());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(ctx.s.nomeFile, jpeg);
    EXPECT_EQ(prompt(), "Definire due rette orizz.");
    EXPECT_EQ(window.client()->cursor().shape(), Qt::ArrowCursor);
}

// What the first view widget showed each time it appeared.
class FirstViewWatch : public QObject {
  public:
    struct Seen {
        bool underWay;
        std::string photograph;
        QImage view;
        QSize size;
    };
    explicit FirstViewWatch(MainWindow& window) : window_(window) {
        window.firstView()->installEventFilter(this);
    }
    std::vector<Seen> seen;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            const Context& ctx = window_.context();
            seen.push_back({ctx.s.openingUnderWay != 0, ctx.s.nomeFile,
                            window_.picture1().firstView(), window_.picture1().firstViewSize()});
        }
        return false;
    }

  private:
    MainWindow& window_;
};

// A large JPEG shows at once reduced, at the place and size the photograph will have, while
// nothing of the work on show changes and no input is taken; the photograph then replaces it.
// The reduction is the most that the view still only reduces.
TEST_F(OpenWindowTest, ALargeJpegShowsAFirstViewThenThePhotographItself) {
    const std::string jpeg = largeJpeg();
    open(kSample);
    ASSERT_TRUE(opened());
    FirstViewWatch watch(window);
    open(jpeg);
    ASSERT_TRUE(opened());

    ASSERT_EQ(watch.seen.size(), 1u);
    const FirstViewWatch::Seen& first = watch.seen[0];
    EXPECT_TRUE(first.underWay);
    EXPECT_EQ(first.photograph, kSample);
    const double scale = window.context().form.viewScale;
    EXPECT_EQ(first.size, QSize(int(std::lround(3000 * scale)), int(std::lround(2000 * scale))));
    EXPECT_TRUE(first.view.width() >= first.size.width() &&
                first.view.width() < 2 * first.size.width() && 3000 % first.view.width() == 0)
        << first.view.width() << " for a view " << first.size.width() << " wide";
    const int w = first.view.width(), h = first.view.height();
    EXPECT_TRUE(qRed(first.view.pixel(w / 4, h / 2)) < 50 &&
                qRed(first.view.pixel(3 * w / 4, h / 2)) > 200);

    EXPECT_FALSE(window.firstView()->isVisible());
    EXPECT_TRUE(window.picture1().firstView().isNull());
    EXPECT_EQ(window.picture1().bare().size(), QSize(3000, 2000));
    EXPECT_EQ(window.context().s.nomeFile, jpeg);
}

// Closed while the photograph is read: the window goes at once, the reading ends unseen.
TEST_F(OpenWindowTest, ClosingWhileAPhotographIsReadEndsCleanly) {
    open(largeJpeg());
    ASSERT_NE(window.context().s.openingUnderWay, 0);
    EXPECT_TRUE(window.close());
    QTest::qWait(1000);
    EXPECT_TRUE(window.context().s.fotoColori == nullptr);
}

// While a large JPEG is read its first view covers the pictures' part of the window; the
// photograph's title, "Immagine sorgente", stays readable over it as it is over the photograph.
TEST_F(OpenWindowTest, TheSourceTitleShowsOverTheFirstView) {
    open(kSample);
    ASSERT_TRUE(opened());
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
TEST_F(OpenWindowTest, TheWindowIsLaidOutForTheSizeItHas) {
    QResizeEvent stale(QSize(200, 100), QSize(640, 480));
    QApplication::sendEvent(&window, &stale);
    const Context& ctx = window.context();
    EXPECT_EQ(ctx.s.schermoLarg, float(window.width()));
    EXPECT_EQ(ctx.s.schermoAlt, float(window.height()));

    open(largeJpeg());
    ASSERT_TRUE(opened());
    ASSERT_TRUE(ctx.s.aColori());
    EXPECT_FALSE(window.pictureWidget("Picture1")->visibleRegion().isEmpty());
}

}  // namespace
}  // namespace vesta::desktop
