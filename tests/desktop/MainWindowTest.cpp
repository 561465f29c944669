#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"
#include "desktop/SpinButton.h"
#include "desktop/ZoomWindow.h"

namespace vesta::desktop {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest()
        : window({dialogs, events,
                  Paths{VESTA_SAMPLES_DIR "/..", scratch.path().string(), scratch.path().string()},
                  test::screen1024x768(), ','}) {
        window.resize(1024, 768);
        window.show();
    }
    QString text(const char* name) const {
        QWidget* w = window.control(name);
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        if (auto* button = qobject_cast<QPushButton*>(w))
            return button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            return edit->text();
        return {};
    }
    void openFile(const std::string& path) {
        dialogs.openAnswers.push_back(path);
        window.menuAction("open")->trigger();
    }
    QRgb pixel1(int x, int y) { return window.picture1().canvas().pixel(x, y) & 0xFFFFFF; }

    test::TempDir scratch;
    test::ScriptedDialogs dialogs;
    test::CountingEventLoop events;
    MainWindow window;
    const std::string sample = VESTA_SAMPLES_DIR "/facciata_centrata.bmp";
};

TEST_F(MainWindowTest, TheSpinButtonIsAnUpAndADownArrowAndNothingElse) {
    auto* spin = qobject_cast<SpinButton*>(window.control("GRANDEZZA"));
    ASSERT_NE(spin, nullptr);
    const auto children = spin->findChildren<QWidget*>();
    ASSERT_EQ(children.size(), 2);
    EXPECT_EQ(spin->upArrow()->arrowType(), Qt::UpArrow);
    EXPECT_EQ(spin->downArrow()->arrowType(), Qt::DownArrow);
    spin->show();
    QSignalSpy up(spin, &SpinButton::spinUp);
    QSignalSpy down(spin, &SpinButton::spinDown);
    QTest::mouseClick(spin->downArrow(), Qt::LeftButton);
    EXPECT_EQ(up.count(), 0);
    EXPECT_EQ(down.count(), 1);
}

TEST_F(MainWindowTest, OpeningASampleShowsItWithTheRedMarks) {
    openFile(sample);
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    EXPECT_EQ(window.windowTitle(),
              QString::fromStdString("Raddrizzamento di   ' " + sample + " '"));
    EXPECT_EQ(text("domanda1"), "Definire due rette orizz.");
    const Context& ctx = window.context();
    EXPECT_EQ(window.pictureWidget("Picture1")->size(), window.picture1().canvas().size());
    EXPECT_TRUE(window.pictureWidget("Picture1")->isVisible());
    // The fixed square from (20, 40) to (120, 140), its circle, and the centre cross.
    EXPECT_EQ(pixel1(70, 40), 0xFF0000u);
    EXPECT_EQ(pixel1(20, 100), 0xFF0000u);
    EXPECT_EQ(pixel1(120, 90), 0xFF0000u);
    const int cx = int(ctx.s.centroX);
    const int cy = int(ctx.s.centroY);
    EXPECT_EQ(pixel1(cx, 5), 0xFF0000u);
    EXPECT_EQ(pixel1(5, cy), 0xFF0000u);
    // Elsewhere the photograph itself.
    const Rgb c = ctx.s.sorgente.image.colour(ctx.s.sorgente.image.row(cy - 30)[cx - 30]);
    EXPECT_EQ(pixel1(cx - 30, cy - 30), qRgb(c.r, c.g, c.b) & 0xFFFFFF);
    EXPECT_FALSE(window.menuAction("save")->isEnabled()) << "nothing rectified yet";
}

TEST_F(MainWindowTest, AClickOnTheWindowBackgroundRedraws) {
    openFile(sample);
    window.picture1().line(0, 200, 300, 200, colours::blue);
    QTest::mouseClick(window.client(), Qt::LeftButton, {}, QPoint(1010, 700));
    EXPECT_EQ(text("domanda1"), "Definire la 1°retta orizz.");
    EXPECT_NE(pixel1(150, 200), 0x0000FFu) << "the repaint erased the stray line";
    window.context().form.domanda1.caption = "x";
    window.push();
    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);  // disabled
    EXPECT_EQ(text("domanda1"), "x") << "a click on a disabled button is no background click";
}

TEST_F(MainWindowTest, ADoubleClickOnTheBackgroundRestoresTheDefaults) {
    openFile(sample);
    window.context().s.centroX = 12;
    QTest::mouseDClick(window.client(), Qt::LeftButton, {}, QPoint(1010, 700));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "VALORI DI DEFAULT");
    EXPECT_EQ(text("domanda1"), "valori di DEFAULT ");
    EXPECT_EQ(window.context().s.centroX, window.context().s.larghezzaPic1 / 2.0);
}

TEST_F(MainWindowTest, ThePanelMenuHidesAndShowsThePanel) {
    window.menuAction("frame_m")->trigger();
    EXPECT_FALSE(window.control("Frame1")->isVisible());
    EXPECT_FALSE(window.menuAction("frame_m")->isChecked());
    window.menuAction("frame_m")->trigger();
    EXPECT_TRUE(window.control("Frame1")->isVisible());
    EXPECT_TRUE(window.menuAction("frame_m")->isChecked());
}

TEST_F(MainWindowTest, ExitEndsTheProgramAndHelpShowsThePage) {
    window.menuAction("exit")->trigger();
    EXPECT_EQ(events.terminations, 1);
    window.menuAction("help1")->trigger();
    ASSERT_EQ(dialogs.helpShown.size() + dialogs.messages.size(), 1u);
}

// A file name typed at the wrong moment, or Ctrl+C meant for Canc, must not land in a box.
TEST_F(MainWindowTest, TheTextBoxesOnlyShowAndNeverTakeTheFocus) {
    openFile(sample);
    auto* box = qobject_cast<QLineEdit*>(window.control("tfuox"));
    ASSERT_NE(box, nullptr);
    const QString shown = box->text();
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->hasFocus());
    QTest::keyClicks(box, "facciata");
    EXPECT_EQ(box->text(), shown);
    for (const char* name : {"Text1", "Text3", "Text6(1)", "tfuvy"}) {
        const auto* edit = qobject_cast<QLineEdit*>(window.control(name));
        ASSERT_NE(edit, nullptr) << name;
        EXPECT_TRUE(edit->isReadOnly()) << name;
        EXPECT_EQ(edit->focusPolicy(), Qt::NoFocus) << name;
    }
}

// Only a release beside the picture fits the viewer; one on the picture leaves it alone.
TEST_F(MainWindowTest, TheZoomViewerFitsOnlyOnAReleaseOutsideThePicture) {
    openFile(sample);
    QTest::mouseClick(window.control("zoo"), Qt::LeftButton);
    ZoomWindow* zoom = window.zoomWindow();
    ASSERT_NE(zoom, nullptr);
    const QSize before = zoom->size();
    const QRect picture = zoom->image()->geometry();
    ASSERT_TRUE(picture.width() > before.width() || picture.height() > before.height());
    QTest::mouseClick(zoom->image(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(zoom->size(), before);
    zoom->resize(picture.width() + 60, picture.height() + 60);
    QTest::mouseClick(zoom, Qt::LeftButton, {},
                      QPoint(picture.width() + 30, picture.height() + 30));
    EXPECT_EQ(zoom->width(), picture.width()) << "fitted to the picture";
}

// Scrolling moves the picture itself, so a click reaches the procedures in image pixels.
TEST_F(MainWindowTest, MousePositionsArePicturePixelsAtEveryScrollPosition) {
    test::TempDir dir;
    test::writeBytes(dir / "larga.bmp", test::bitmapBytes({.width = 1500, .height = 300}));
    openFile((dir / "larga.bmp").string());
    auto* bar = qobject_cast<QScrollBar*>(window.control("HScroll1"));
    ASSERT_TRUE(bar->isVisible());
    PictureWidget* picture = window.pictureWidget("Picture1");
    QSignalSpy downs(picture, &PictureWidget::mouseDown);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(150, 20));
    bar->setValue(100);
    EXPECT_EQ(picture->x(), -100);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(150, 20));
    ASSERT_EQ(downs.count(), 2);
    for (const auto& args : downs) {
        EXPECT_EQ(args.at(2).toFloat(), 150.0f);
        EXPECT_EQ(args.at(3).toFloat(), 20.0f);
    }
}

}  // namespace
}  // namespace vesta::desktop
