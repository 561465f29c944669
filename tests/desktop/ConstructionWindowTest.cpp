#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <cmath>

#include "Fakes.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"

namespace vesta::desktop {
namespace {

// The rolled sample and the pixels its notes give for two horizontal and two vertical edges.
class ConstructionWindowTest : public ::testing::Test {
  protected:
    ConstructionWindowTest()
        : window({dialogs, events,
                  Paths{VESTA_SAMPLES_DIR "/..", scratch.path().string(), scratch.path().string()},
                  test::screen1024x768(), '.'}) {
        window.resize(1024, 768);
        window.show();
        dialogs.openAnswers.push_back(VESTA_SAMPLES_DIR "/facciata_ruotata.bmp");
        window.menuAction("open")->trigger();
        photo = window.pictureWidget("Picture1");
    }
    QString prompt() const { return qobject_cast<QLabel*>(window.control("domanda1"))->text(); }
    void click(QPoint at) { QTest::mouseClick(photo, Qt::LeftButton, {}, at); }

    test::TempDir scratch;
    test::ScriptedDialogs dialogs;
    test::CountingEventLoop events;
    MainWindow window;
    PictureWidget* photo = nullptr;
};

TEST_F(ConstructionWindowTest, EightClicksGiveThePromptsInOrderAndDrawTheConstruction) {
    const QImage bare = window.picture1().canvas().copy();
    const QPoint ends[8] = {{234, 174}, {615, 135}, {201, 352}, {602, 379},
                            {163, 448}, {216, 174}, {635, 525}, {651, 129}};
    const QString prompts[4] = {"Definire la 2°retta orizz.", "Definire la 1° retta vertic.",
                                "Definire la 2° retta vertic.", "Vuoi definire la griglia ?"};
    for (int line = 0; line < 4; ++line) {
        click(ends[2 * line]);
        click(ends[2 * line + 1]);
        EXPECT_EQ(prompt(), prompts[line]) << "after line " << line + 1;
    }
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    const Context& ctx = window.context();
    EXPECT_EQ(ctx.s.nRette, 4);
    EXPECT_NEAR(ctx.s.construction->orientation.distanzaPrinc, 640, 15)
        << "the camera's focal length";
    // The overlay: the blue line from the principal point toward the eye point, the red
    // construction lines, the cyan circle of the vertical measuring point.
    const QImage& canvas = window.picture1().canvas();
    int blue = 0, changed = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb p = canvas.pixel(x, y) & 0xFFFFFF;
            blue += p == 0x0000FFu;
            changed += p != (bare.pixel(x, y) & 0xFFFFFF);
        }
    }
    EXPECT_GT(blue, 100);
    EXPECT_GT(changed, 1000);
    EXPECT_TRUE(window.control("RETTANG")->isEnabled());
    EXPECT_TRUE(window.control("GRANDEZZA")->isVisible());
    EXPECT_EQ(window.menuAction("raddrizza1")->isEnabled(), true);
}

// Only the band to the last pointer position stays on the picture: every earlier one was
// drawn again in invert mode, which gives back the pixels under it.
TEST_F(ConstructionWindowTest, TheRubberBandLeavesThePictureAsItWasOnceErased) {
    click({100, 100});
    const QImage before = window.picture1().canvas().copy();
    for (QPoint at : {QPoint(300, 200), QPoint(420, 260), QPoint(250, 380)}) {
        QTest::mouseMove(photo, at);
    }
    const QImage& after = window.picture1().canvas();
    int differing = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (after.pixel(x, y) == before.pixel(x, y)) {
                continue;
            }
            ++differing;
            // Distance from the segment (100, 100)-(250, 380).
            const double dx = 150, dy = 280;
            const double t =
                std::clamp(((x - 100) * dx + (y - 100) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
            ASSERT_LT(std::hypot(x - 100 - t * dx, y - 100 - t * dy), 1.5) << x << ", " << y;
        }
    }
    EXPECT_GT(differing, 250);
    EXPECT_EQ(window.context().form.Text1.caption, "250");
}

}  // namespace
}  // namespace vesta::desktop
